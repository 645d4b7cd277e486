// The job's options, parsed once per job.
#include "engine/job_options.h"

#include "platform/ppd.h"

namespace tf {

JobOptions::~JobOptions() { cupsFreeOptions(numOptions_, options_); }

void JobOptions::Parse(const char* text, const PpdFile& ppd) {
  cupsFreeOptions(numOptions_, options_);
  numOptions_ = 0;
  options_ = nullptr;
  ppdDefaults_.clear();
  if (text != nullptr) numOptions_ = cupsParseOptions(text, 0, &options_);
  ppd.ForEachOptionDefault([this](const char* keyword, const char* choice) {
    ppdDefaults_.emplace_back(keyword, choice);
  });
}

StandardAttributeResult JobOptions::ApplyStandardAttributes(
    const StandardAttributeContext& context) {
  return tf::ApplyStandardAttributes(&numOptions_, &options_, context);
}

const char* JobOptions::JobValue(const char* name) const {
  return cupsGetOption(name, numOptions_, options_);
}

const char* JobOptions::Get(const char* name) const {
  if (const char* value = JobValue(name)) return value;
  for (const auto& [keyword, choice] : ppdDefaults_) {
    if (keyword == name) return choice.c_str();
  }
  return nullptr;
}

}  // namespace tf
