// The job's options (argv[5]), parsed once per job with libcups.
//
// A look-up of an option the job does not carry falls back to the PPD's default choice when the
// name is exactly a main option keyword of the PPD (QMStaple, QMColorMode, ...), as every CUPS
// driver honours the queue's defaults; a job option always wins, and prefixed tickets and standard
// options are never affected.
#pragma once

#include <cups/cups.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/standard_attributes.h"

namespace tf {

class PpdFile;

class JobOptions {
 public:
  JobOptions() = default;
  JobOptions(const JobOptions&) = delete;
  JobOptions& operator=(const JobOptions&) = delete;
  ~JobOptions();

  // Parses `text` (may be null) and records the PPD's option defaults (ppd may be closed).
  void Parse(const char* text, const PpdFile& ppd);

  // Adds the tickets that the job's standard attributes give (engine/standard_attributes.h).
  StandardAttributeResult ApplyStandardAttributes(const StandardAttributeContext& context);

  // The job's value of `name`, or the PPD default of the option keyword `name`; nullptr when
  // neither exists.
  const char* Get(const char* name) const;

  // The job's own value of `name`, without PPD defaults.
  const char* JobValue(const char* name) const;

  int count() const { return numOptions_; }
  cups_option_t* options() const { return options_; }

 private:
  int numOptions_ = 0;
  cups_option_t* options_ = nullptr;
  std::vector<std::pair<std::string, std::string>> ppdDefaults_;
};

}  // namespace tf
