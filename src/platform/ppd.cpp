// The printer's PPD file, parsed once per job (libcups PPD interface).
#include "platform/ppd.h"

#include <cups/ppd.h>

#include <cstring>

// libcups marks its PPD interface deprecated; it is still the way to read a printer's PPD, and this
// file is the one place that calls it.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace tf {

PpdFile::~PpdFile() {
  if (ppd_ != nullptr) ppdClose(ppd_);
}

bool PpdFile::Open(const char* path) {
  if (ppd_ != nullptr) {
    ppdClose(ppd_);
    ppd_ = nullptr;
  }
  if (path == nullptr || *path == '\0') return false;
  ppd_ = ppdOpenFile(path);
  return ppd_ != nullptr;
}

std::optional<std::string_view> PpdFile::FindAttribute(std::string_view name) const {
  if (ppd_ == nullptr) return std::nullopt;
  for (int i = 0; i < ppd_->num_attrs; ++i) {
    const ppd_attr_t* attr = ppd_->attrs[i];
    if (attr == nullptr) continue;
    if (std::strncmp(attr->name, name.data(), name.size()) == 0 &&
        std::strlen(attr->name) >= name.size()) {
      return std::string_view(attr->value != nullptr ? attr->value : "");
    }
  }
  return std::nullopt;
}

bool PpdFile::HasOption(const char* keyword) const {
  if (ppd_ == nullptr) return false;
  const std::lock_guard<std::mutex> lock(lookups_);
  return ppdFindOption(ppd_, keyword) != nullptr;
}

bool PpdFile::HasChoice(const char* keyword, const char* choice) const {
  if (ppd_ == nullptr) return false;
  const std::lock_guard<std::mutex> lock(lookups_);
  ppd_option_t* option = ppdFindOption(ppd_, keyword);
  return option != nullptr && ppdFindChoice(option, choice) != nullptr;
}

std::optional<PpdPageSize> PpdFile::PageSize(const char* name) const {
  if (ppd_ == nullptr || name == nullptr || *name == '\0') return std::nullopt;
  const std::lock_guard<std::mutex> lock(lookups_);
  const ppd_size_t* size = ppdPageSize(ppd_, name);
  if (size == nullptr) return std::nullopt;
  return PpdPageSize{size->width, size->length};
}

void PpdFile::ForEachOptionDefault(
    const std::function<void(const char* keyword, const char* choice)>& visit) const {
  if (ppd_ == nullptr) return;
  for (int g = 0; g < ppd_->num_groups; ++g) {
    const ppd_group_t& group = ppd_->groups[g];
    for (int o = 0; o < group.num_options; ++o) {
      const ppd_option_t& option = group.options[o];
      if (option.defchoice[0] != '\0') visit(option.keyword, option.defchoice);
    }
    for (int s = 0; s < group.num_subgroups; ++s) {
      const ppd_group_t& sub = group.subgroups[s];
      for (int o = 0; o < sub.num_options; ++o) {
        const ppd_option_t& option = sub.options[o];
        if (option.defchoice[0] != '\0') visit(option.keyword, option.defchoice);
      }
    }
  }
}

std::vector<PpdOptionInfo> PpdFile::Options() const {
  std::vector<PpdOptionInfo> options;
  if (ppd_ == nullptr) return options;
  auto add = [&options](const ppd_option_t& option) {
    PpdOptionInfo info;
    info.keyword = option.keyword;
    info.text = option.text[0] != '\0' ? option.text : option.keyword;
    info.defaultChoice = option.defchoice;
    info.boolean = option.ui == PPD_UI_BOOLEAN;
    for (int c = 0; c < option.num_choices; ++c) {
      const ppd_choice_t& choice = option.choices[c];
      info.choices.push_back({choice.choice, choice.text[0] != '\0' ? choice.text : choice.choice});
    }
    options.push_back(std::move(info));
  };
  for (int g = 0; g < ppd_->num_groups; ++g) {
    const ppd_group_t& group = ppd_->groups[g];
    for (int o = 0; o < group.num_options; ++o) add(group.options[o]);
    for (int s = 0; s < group.num_subgroups; ++s) {
      const ppd_group_t& sub = group.subgroups[s];
      for (int o = 0; o < sub.num_options; ++o) add(sub.options[o]);
    }
  }
  return options;
}

std::vector<PpdMediaSize> PpdFile::MediaSizes() const {
  std::vector<PpdMediaSize> sizes;
  if (ppd_ == nullptr) return sizes;
  for (int i = 0; i < ppd_->num_sizes; ++i) {
    const ppd_size_t& size = ppd_->sizes[i];
    if (std::strcmp(size.name, "Custom") == 0) continue;
    sizes.push_back({size.name, size.width, size.length, size.left, size.bottom, size.right,
                     size.top});
  }
  return sizes;
}

}  // namespace tf
