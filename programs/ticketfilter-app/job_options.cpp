// The options text of a job of the printer application.
#include "job_options.h"

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "engine/standard_attributes.h"

namespace tf::app {
namespace {

const std::string* Find(const OptionPairs& pairs, std::string_view name) {
  for (const auto& [key, value] : pairs) {
    if (key == name) return &value;
  }
  return nullptr;
}

// The options the job core's standard-attribute table would set from the job's standard
// attributes (run on a copy of them), and whether the table refuses the job or gives it a print
// type of its own.
struct TableOutcome {
  std::set<std::string> covered;
  bool printTypeFromJob = false;
};

TableOutcome RunTableOnCopy(const OptionPairs& options, const DriverProfile& profile,
                            const std::string& user) {
  int count = 0;
  cups_option_t* list = nullptr;
  for (const auto& [name, value] : options) {
    count = cupsAddOption(name.c_str(), value.c_str(), count, &list);
  }
  const std::string prefix = TicketKeyPrefix(profile.row->program);
  StandardAttributeContext context;
  context.ticketKeyPrefix = prefix;
  context.jobUser = user;
  context.passwordForm = profile.passwordForm;
  context.offersChoice = [&profile](const char* option, const char* choice) {
    return profile.ppd.HasChoice(option, choice);
  };
  const StandardAttributeResult result = ApplyStandardAttributes(&count, &list, context);
  cupsFreeOptions(count, list);
  TableOutcome outcome;
  outcome.covered.insert(result.added.begin(), result.added.end());
  outcome.printTypeFromJob =
      !result.refusal.empty() || outcome.covered.contains(prefix + "PrintTypeTicketKey") ||
      Find(options, kJobPasswordAttribute) != nullptr;
  return outcome;
}

// Text that a ticket field of at most `limit` bytes takes in a quoted PJL value.
bool FitsTicketText(std::string_view text, std::size_t limit) {
  if (text.empty() || text.size() > limit) return false;
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F || u == '"';
  });
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.0f", value);
  return text;
}

// The tickets of a text watermark drawn across the middle of every page: mid-grey Helvetica at
// 45 degrees, sized to the page.
void AddWatermarkTickets(OptionPairs& options, const std::string& prefix, const std::string& text,
                         const JobFacts& job) {
  const double width = job.landscape ? job.pageLength : job.pageWidth;
  const double length = job.landscape ? job.pageWidth : job.pageLength;
  const double diagonal = std::sqrt(width * width + length * length);
  // Helvetica's glyphs average about 0.6 of the size in width.
  const double size =
      std::clamp(0.7 * diagonal / (0.6 * static_cast<double>(text.size())), 12.0, 96.0);
  std::string psText = "(";
  for (char c : text) {
    if (c == '(' || c == ')') psText += '\\';
    psText += c;
  }
  psText += ")";
  const OptionPairs tickets = {
      {"WMARKTypeTicket", "0"},
      {"WMARKNameTicket", text},
      {"WMARKTextTicket", psText},
      {"WMARKOnlyFirstTicket", "0"},
      {"WMARKFontTicket", "Helvetica"},
      {"WMARKFontSizeTicket", Number(size)},
      {"WMARKColorRTicket", "0"},
      {"WMARKColorGTicket", "0"},
      {"WMARKColorBTicket", "0"},
      {"WMARKDensityTicket", "30"},
      {"WMARKAngleTicket", "45"},
      {"WMARKOrientationTicket", job.landscape ? "2" : "1"},
      {"WMARKPaperWidthTicket", Number(job.pageWidth)},
      {"WMARKPaperHeightTicket", Number(job.pageLength)},
      {"WMARKWidthTicket", Number(0.6 * size * static_cast<double>(text.size()))},
      {"WMARKHeightTicket", Number(0.7 * size)},
      {"WMARKhOffsetTicket", "0"},
      {"WMARKvOffsetTicket", "0"},
  };
  for (const auto& [name, value] : tickets) options.emplace_back(prefix + name, value);
}

}  // namespace

std::string EscapeOptionValue(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (char c : value) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\\' || c == '\'' || c == '"' ||
        c == '{' || c == '}') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

JobOptionsResult BuildJobOptions(const JobFacts& job, const DriverProfile& profile,
                                 const OptionPairs& defaults) {
  JobOptionsResult result;
  OptionPairs options = job.standard;
  if (job.password) {
    options.emplace_back(kJobPasswordAttribute, *job.password);
    if (job.passwordEncryption) {
      options.emplace_back(kJobPasswordEncryptionAttribute, *job.passwordEncryption);
    }
  }
  if (!job.originatingHost.empty() && Find(options, kJobOriginatingHostAttribute) == nullptr) {
    options.emplace_back(kJobOriginatingHostAttribute, job.originatingHost);
  }

  // The job's own vendor attributes.
  std::set<std::string> setByJob;
  std::optional<std::string> printType;
  std::optional<std::string> watermark;
  for (const auto& [name, value] : job.vendor) {
    const VendorAttribute* attribute = profile.FindVendor(name);
    if (attribute == nullptr) continue;
    if (const auto problem = CheckVendorValue(*attribute, value)) {
      result.warnings.push_back("The job's " + name + " " + *problem + "; it is left out.");
      continue;
    }
    setByJob.insert(name);
    const VendorAttributeRow& row = *attribute->row;
    switch (row.target) {
      case VendorTarget::PpdOption:
        options.emplace_back(row.key, attribute->Choice(value)->ppdChoice);
        break;
      case VendorTarget::StandardAttribute:
        if (Find(options, row.key) == nullptr) options.emplace_back(row.key, value);
        break;
      case VendorTarget::PrintType:
        printType = value;
        break;
      case VendorTarget::Watermark:
        watermark = value;
        break;
    }
  }

  // The printer's defaults, for what the job does not set.  Account defaults stand for the
  // standard attributes, so they go in before the table is consulted.
  auto defaultOf = [&](const VendorAttribute& attribute) -> std::optional<std::string> {
    const std::string* stored = Find(defaults, attribute.name());
    const std::string value = stored != nullptr ? *stored : attribute.initialDefault;
    if (value.empty()) return std::nullopt;
    if (const auto problem = CheckVendorValue(attribute, value)) {
      result.warnings.push_back("The printer's " + std::string(attribute.name()) + "-default " +
                                *problem + "; it is left out.");
      return std::nullopt;
    }
    return value;
  };
  for (const VendorAttribute& attribute : profile.vendor) {
    if (attribute.row->target != VendorTarget::StandardAttribute) continue;
    if (setByJob.contains(attribute.name()) || Find(options, attribute.row->key) != nullptr) {
      continue;
    }
    if (const auto value = defaultOf(attribute)) options.emplace_back(attribute.row->key, *value);
  }

  const TableOutcome table = RunTableOnCopy(options, profile, job.user);
  std::vector<std::string> ppdDefaults;
  profile.ppd.ForEachOptionDefault([&ppdDefaults](const char* keyword, const char* choice) {
    ppdDefaults.push_back(std::string(keyword) + "=" + choice);
  });
  for (const VendorAttribute& attribute : profile.vendor) {
    if (setByJob.contains(attribute.name())) continue;
    const VendorAttributeRow& row = *attribute.row;
    switch (row.target) {
      case VendorTarget::PpdOption: {
        if (table.covered.contains(row.key)) break;
        const auto value = defaultOf(attribute);
        if (!value) break;
        const std::string& choice = attribute.Choice(*value)->ppdChoice;
        const std::string setting = std::string(row.key) + "=" + choice;
        if (std::find(ppdDefaults.begin(), ppdDefaults.end(), setting) != ppdDefaults.end()) {
          break;
        }
        options.emplace_back(row.key, choice);
        break;
      }
      case VendorTarget::PrintType:
        printType = defaultOf(attribute);
        break;
      case VendorTarget::Watermark:
        watermark = defaultOf(attribute);
        break;
      case VendorTarget::StandardAttribute:
        break;
    }
  }

  const std::string prefix = TicketKeyPrefix(profile.row->program);
  if (printType == "sample") {
    if (table.printTypeFromJob) {
      result.warnings.push_back(
          "The job asks for secure print; the sample print type is left out.");
    } else if (!FitsTicketText(job.user, 72)) {
      result.warnings.push_back(
          "The job's user name cannot name a held job; the sample print type is left out.");
    } else {
      options.emplace_back(prefix + "PrintTypeTicketKey", "3");
      options.emplace_back(prefix + "PrintTypeUserNameTicketKey", job.user);
      options.emplace_back(prefix + "DocumentNameTypeTicketKey", "1");
    }
  }
  if (watermark && !watermark->empty()) AddWatermarkTickets(options, prefix, *watermark, job);

  for (const auto& [name, value] : options) {
    if (!result.text.empty()) result.text += ' ';
    result.text += name + "=" + EscapeOptionValue(value);
  }
  return result;
}

}  // namespace tf::app
