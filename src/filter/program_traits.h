// What differs between the two programs.  Each program's own folder supplies one ProgramTraits;
// everything else is shared.
#pragma once

#include <string>

namespace tf {

struct JBATables;

struct ProgramTraits {
  const char* programName;      // for messages: "ticketfilter"
  const char* ticketKeyPrefix;  // prefix of the maker's ticket keys
  bool hasUtf8Mode;             // UTF-8 printer language available (else byte mode only)
  bool hasExtendedComment;      // the version 1.5.0 job-information comment is available
  const JBATables* accountTables;  // the account module's tables of this program
};

// Paths fixed when the program is built.
struct FilterConfig {
  std::string flagPath;    // the job copy is made when this file exists
  std::string jobCopyDir;  // directory of the job copy "qm<stamp>.job"
};

}  // namespace tf
