// A program of the filter: what differs between ticketfilter and ticketfilter-basic.  Each
// program's folder (programs/<name>/) supplies one Program; everything else is shared.
#pragma once

namespace tf {

struct JBATables;

struct ProgramTraits {
  const char* programName;      // for messages: "ticketfilter"
  const char* ticketKeyPrefix;  // prefix of the maker's ticket keys
  bool hasUtf8Mode;             // UTF-8 printer language available (else byte mode only)
  bool hasExtendedComment;      // the version 1.5.0 job-information comment is available
  const JBATables* accountTables;  // the account module's tables of this program
};

struct Program {
  ProgramTraits traits;
};

}  // namespace tf
