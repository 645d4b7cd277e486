// The printer application's drivers: one per sample PPD, described from the PPD once.
#include "driver_profile.h"

#include <cups/cups.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <set>

#include "platform/decimal.h"
#include "platform/text_conversion.h"
#include "ticketfilter-basic/program.h"
#include "ticketfilter/program.h"

namespace tf::app {
namespace {

using T = VendorTarget;

constexpr DriverRow kDrivers[] = {
    {"tf-color-utf8", "Ticket Printer Color (UTF-8)", "tf-color-utf8.ppd",
     ProgramKind::Ticketfilter},
    {"tf-mono-bytemode", "Ticket Printer Mono (Shift-JIS)", "tf-mono-bytemode.ppd",
     ProgramKind::Ticketfilter},
    {"tf-mono-decomp", "Ticket Printer Mono Decomp (PJL features)", "tf-mono-decomp.ppd",
     ProgramKind::Ticketfilter},
    {"tf-basic", "Ticket Printer Basic (Shift-JIS, basic tickets)", "tf-basic.ppd",
     ProgramKind::TicketfilterBasic},
};

// The byte limits are those of the ticket fields the values go into: the account ID and the user
// ID of the account lines; the watermark's text is kept to a line that fits a page.
constexpr VendorAttributeRow kVendorTable[] = {
    // The printer's ticket settings.
    {"ticketfilter-print-type", T::PrintType, nullptr, 0},
    {"ticketfilter-account-id", T::StandardAttribute, "job-account-id", 32},
    {"ticketfilter-accounting-user-id", T::StandardAttribute, "job-accounting-user-id", 96},
    {"ticketfilter-watermark", T::Watermark, nullptr, 63},
    // The PPD options.
    {"ticketfilter-line-weight", T::PpdOption, "QMLineWeightAdjustment", 0},
    {"ticketfilter-staple", T::PpdOption, "QMStaple", 0},
    {"ticketfilter-punch", T::PpdOption, "QMPunch", 0},
    {"ticketfilter-punch-holes", T::PpdOption, "QMNumPunchHoles", 0},
    {"ticketfilter-booklet", T::PpdOption, "QMSignature", 0},
    {"ticketfilter-booklet-subsets", T::PpdOption, "QMSigVol", 0},
    {"ticketfilter-print-mode", T::PpdOption, "QMOutputMode", 0},
    {"ticketfilter-halftone", T::PpdOption, "QMHalftone", 0},
    {"ticketfilter-toner-save", T::PpdOption, "QMTonerSaver", 0},
    {"ticketfilter-brightness", T::PpdOption, "QMBrightnes", 0},
    {"ticketfilter-smoothing", T::PpdOption, "Smoothing", 0},
    {"ticketfilter-binding", T::PpdOption, "QMPBindPosition", 0},
    {"ticketfilter-binding-trimming", T::PpdOption, "QMPBindTrimming", 0},
    {"ticketfilter-binding-body-size", T::PpdOption, "QMPBindPageSize", 0},
    {"ticketfilter-binding-finished-size", T::PpdOption, "QMPBindCutPageSize", 0},
    {"ticketfilter-binding-fore-edge-trim", T::PpdOption, "QMPBindCutPositionFore", 0},
    {"ticketfilter-binding-top-bottom-trim", T::PpdOption, "QMPBindCutPositionTop", 0},
    {"ticketfilter-binding-cover-size", T::PpdOption, "QMPBindCoverPageSize", 0},
    {"ticketfilter-binding-cover-type", T::PpdOption, "QMPBindCoverMediaType", 0},
    {"ticketfilter-binding-cover-color", T::PpdOption, "QMPBindCoverMediaColor", 0},
    {"ticketfilter-binding-cover-source", T::PpdOption, "QMPBindCoverPaperTray", 0},
    {"ticketfilter-binding-width-adjustment", T::PpdOption, "QMPBindCutPageAdjustmentFore", 0},
    {"ticketfilter-binding-height-adjustment", T::PpdOption, "QMPBindCutPageAdjustmentTB", 0},
    {"ticketfilter-binding-trim-adjustment", T::PpdOption, "QMPBindCutPositionAdjustmentTB", 0},
    {"ticketfilter-binding-top-adjustment", T::PpdOption, "QMPBindRotationAdjustTop", 0},
    {"ticketfilter-binding-bottom-adjustment", T::PpdOption, "QMPBindRotationAdjustBot", 0},
    {"ticketfilter-binding-fore-edge-adjustment", T::PpdOption, "QMPBindRotationAdjustFore", 0},
    {"ticketfilter-binding-cover-x-adjustment", T::PpdOption, "QMPBindCoverAdjustX", 0},
    {"ticketfilter-binding-cover-y-adjustment", T::PpdOption, "QMPBindCoverAdjustY", 0},
};

// The print types a printer can default to.  Secure print needs a password of the job's own.
const std::vector<VendorChoice>& PrintTypeChoices() {
  static const std::vector<VendorChoice> choices = {{"normal", "normal"}, {"sample", "sample"}};
  return choices;
}

// Hundredths of millimetres from points.
int Hundredths(float points) { return static_cast<int>(std::lround(points * 2540.0 / 72.0)); }

bool IsTrue(std::optional<std::string_view> value) {
  return value && (*value == "True" || *value == "true");
}

}  // namespace

std::span<const DriverRow> DriverTable() { return kDrivers; }

const DriverRow* FindDriver(std::string_view name) {
  for (const DriverRow& row : kDrivers) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

const Program& ProgramOf(ProgramKind program) {
  return program == ProgramKind::Ticketfilter ? TicketfilterProgram() : TicketfilterBasicProgram();
}

const char* TicketKeyPrefix(ProgramKind program) {
  return ProgramOf(program).traits.ticketKeyPrefix;
}

std::span<const VendorAttributeRow> VendorAttributeTable() { return kVendorTable; }

const VendorChoice* VendorAttribute::Choice(std::string_view keyword) const {
  for (const VendorChoice& choice : choices) {
    if (choice.keyword == keyword) return &choice;
  }
  return nullptr;
}

std::optional<std::string> CheckVendorValue(const VendorAttribute& attribute,
                                            std::string_view value) {
  if (attribute.syntax == VendorSyntax::Keyword) {
    if (attribute.Choice(value) == nullptr) {
      return "is not one of the values of " + std::string(attribute.name());
    }
    return std::nullopt;
  }
  const std::size_t limit = attribute.row->maxBytes;
  if (value.size() > limit) {
    return "is longer than " + std::to_string(limit) + " bytes";
  }
  if (CountUtf16Units(value) < 0) return "is not UTF-8 text";
  const bool asciiOnly = attribute.row->target == VendorTarget::Watermark;
  for (unsigned char c : value) {
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\') {
      return "holds a control character, a double quote or a backslash";
    }
    if (asciiOnly && c >= 0x80) return "holds characters beyond ASCII";
  }
  return std::nullopt;
}

std::string ChoiceKeyword(std::string_view choice) {
  std::string keyword;
  std::size_t start = 0;
  if (!choice.empty() && choice.front() == '-') {
    keyword = "minus-";
    start = 1;
  }
  auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
  auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  for (std::size_t i = start; i < choice.size(); ++i) {
    const char c = choice[i];
    if (upper(c)) {
      const bool afterWord = i > start && (lower(choice[i - 1]) || digit(choice[i - 1]));
      // The last capital of a run that starts a word: "PBind" is "p-bind".
      const bool endsRun = i > start && upper(choice[i - 1]) && i + 1 < choice.size() &&
                           lower(choice[i + 1]);
      if ((afterWord || endsRun) && !keyword.empty() && keyword.back() != '-') keyword += '-';
      keyword += static_cast<char>(c - 'A' + 'a');
    } else if (lower(c) || digit(c) || c == '.' || c == '_' || c == '-') {
      keyword += c;
    } else {
      keyword += '-';
    }
  }
  return keyword;
}

const VendorAttribute* DriverProfile::FindVendor(std::string_view name) const {
  for (const VendorAttribute& attribute : vendor) {
    if (name == attribute.name()) return &attribute;
  }
  return nullptr;
}

std::unique_ptr<DriverProfile> LoadDriverProfile(const DriverRow& row,
                                                 const std::string& ppdDirectory,
                                                 std::string* error) {
  auto profile = std::make_unique<DriverProfile>();
  profile->row = &row;
  profile->ppdPath = ppdDirectory + "/" + row.ppdFile;
  PpdFile& ppd = profile->ppd;
  if (!ppd.Open(profile->ppdPath.c_str())) {
    *error = "Unable to read the PPD file " + profile->ppdPath + ".";
    return nullptr;
  }
  profile->makeAndModel =
      std::string(ppd.FindAttribute("ModelName").value_or(ppd.FindAttribute("NickName").value_or(row.name)));
  profile->color = IsTrue(ppd.FindAttribute("ColorDevice"));
  profile->pagesPerMinute =
      DecimalValue(ppd.FindAttribute("Throughput").value_or("0"));
  if (profile->pagesPerMinute <= 0) profile->pagesPerMinute = 1;
  profile->languageLevel =
      DecimalValue(ppd.FindAttribute("LanguageLevel").value_or("2")) >= 3 ? 3 : 2;
  profile->twoSided = ppd.HasChoice("Duplex", "DuplexNoTumble") &&
                      ppd.HasChoice("Duplex", "DuplexTumble");
  profile->staple = ppd.HasOption("QMStaple");
  profile->punch = ppd.HasOption("QMPunch");
  profile->passwordForm = std::string(ppd.FindAttribute("cupsJobPassword").value_or(""));
  profile->accountId = IsTrue(ppd.FindAttribute("cupsJobAccountId"));
  profile->accountingUserId = IsTrue(ppd.FindAttribute("cupsJobAccountingUserId"));

  const std::vector<PpdOptionInfo> options = ppd.Options();
  std::string defaultSize;
  for (const PpdOptionInfo& option : options) {
    if (option.keyword == "PageSize") defaultSize = option.defaultChoice;
  }
  for (const PpdMediaSize& size : ppd.MediaSizes()) {
    DriverMedia media;
    media.ppdName = size.name;
    media.width = Hundredths(size.width);
    media.length = Hundredths(size.length);
    const pwg_media_t* pwg = pwgMediaForPPD(size.name.c_str());
    if (pwg == nullptr) pwg = pwgMediaForSize(media.width, media.length);
    if (pwg == nullptr || pwg->pwg == nullptr) continue;
    media.pwgName = pwg->pwg;
    // The size the media's name stands for, not the PPD's rounded points.
    media.width = pwg->width;
    media.length = pwg->length;
    media.leftRight = Hundredths(std::max(size.left, size.width - size.right));
    media.bottomTop = Hundredths(std::max(size.bottom, size.length - size.top));
    if (size.name == defaultSize) profile->defaultMedia = profile->media.size();
    profile->media.push_back(std::move(media));
  }
  if (profile->media.empty()) {
    *error = "The PPD file " + profile->ppdPath + " has no media size.";
    return nullptr;
  }

  for (const VendorAttributeRow& vendorRow : kVendorTable) {
    VendorAttribute attribute;
    attribute.row = &vendorRow;
    switch (vendorRow.target) {
      case T::PpdOption: {
        const auto option = std::find_if(options.begin(), options.end(), [&](const auto& o) {
          return o.keyword == vendorRow.key;
        });
        if (option == options.end()) continue;
        attribute.syntax = VendorSyntax::Keyword;
        std::set<std::string> keywords;
        for (const PpdChoiceInfo& choice : option->choices) {
          VendorChoice vendorChoice{ChoiceKeyword(choice.keyword), choice.keyword};
          if (!keywords.insert(vendorChoice.keyword).second) {
            *error = "The choices of " + option->keyword + " in " + profile->ppdPath +
                     " do not make distinct keywords.";
            return nullptr;
          }
          if (choice.keyword == option->defaultChoice) {
            attribute.initialDefault = vendorChoice.keyword;
          }
          attribute.choices.push_back(std::move(vendorChoice));
        }
        if (attribute.initialDefault.empty() && !attribute.choices.empty()) {
          attribute.initialDefault = attribute.choices.front().keyword;
        }
        break;
      }
      case T::PrintType:
        attribute.syntax = VendorSyntax::Keyword;
        attribute.choices = PrintTypeChoices();
        attribute.initialDefault = "normal";
        break;
      case T::StandardAttribute:
      case T::Watermark:
        attribute.syntax = VendorSyntax::Text;
        break;
    }
    profile->vendor.push_back(std::move(attribute));
  }
  if (profile->vendor.size() > kMaxVendorAttributes) {
    *error = "The PPD file " + profile->ppdPath + " needs " +
             std::to_string(profile->vendor.size()) + " vendor attributes; at most " +
             std::to_string(kMaxVendorAttributes) + " are possible.";
    return nullptr;
  }
  return profile;
}

}  // namespace tf::app
