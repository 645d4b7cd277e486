// A program of the filter: what differs between ticketfilter and ticketfilter-basic.  Each
// program's folder (programs/<name>/) supplies one Program: its traits and its module list.
#pragma once

#include <span>

namespace tf {

struct ModuleDescriptor;

struct ProgramTraits {
  const char* programName;      // for messages: "ticketfilter"
  const char* ticketKeyPrefix;  // prefix of the maker's ticket keys
  bool hasUtf8Mode;             // UTF-8 printer language available (else byte mode only)
  bool hasExtendedComment;      // the version 1.5.0 job-information comment is available
};

struct Program {
  ProgramTraits traits;
  // The program's modules, in output order: the order in which every step runs over them.
  std::span<const ModuleDescriptor* const> modules;
};

}  // namespace tf
