// The printer application's drivers: one per sample PPD, described from the PPD once.
//
// A driver of the printer application is a sample PPD and the filter program that drives it
// (DriverTable).  LoadDriverProfile parses the PPD once, when the first printer of the driver is
// made or loaded; every job of every printer of that driver then shares the parsed file, read
// only.  The profile holds what the service advertises for the driver (make and model, colour,
// media, two-sided printing, finishing) and its vendor attributes: the printer-level settings that
// IPP Everywhere has no attribute for, each with its `-default` and, for a choice, `-supported`.
//
// Vendor attributes come from one table (VendorAttributeTable): a PPD option that no standard job
// attribute covers, under a name of its own, with the PPD's choices as IPP keywords; and the
// settings of a printer's tickets (account and user ID, print type, watermark).  Each names
// exactly one thing in the job's options.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ppd.h"

namespace tf {
struct Program;
}

namespace tf::app {

// Which filter program drives a sample printer.
enum class ProgramKind { Ticketfilter, TicketfilterBasic };

struct DriverRow {
  const char* name;         // the driver's name, "tf-color-utf8"
  const char* description;  // what `drivers` lists
  const char* ppdFile;      // the sample PPD's file name in the PPD folder
  ProgramKind program;
};

// The drivers, one per sample PPD.
std::span<const DriverRow> DriverTable();
const DriverRow* FindDriver(std::string_view name);

// The program, and the ticket-key prefix of its maker tickets ("com.brantlowe.ticket.").
const Program& ProgramOf(ProgramKind program);
const char* TicketKeyPrefix(ProgramKind program);

// What a vendor attribute's value stands for in the job's options.
enum class VendorTarget {
  PpdOption,          // `key` is a PPD option keyword; the value one of its choices
  StandardAttribute,  // `key` is a standard job attribute the value stands for
  PrintType,          // the print type: "normal" or "sample" (held after a first proof copy)
  Watermark,          // a text drawn across every page
};

enum class VendorSyntax { Keyword, Text };

struct VendorAttributeRow {
  const char* name;   // the job attribute; the printer's are `name`-default and `name`-supported
  VendorTarget target;
  const char* key;    // the PPD option keyword or the standard attribute
  std::size_t maxBytes;  // Text: the longest value in bytes
};

// The table.  PPD options that the standard attributes cover (PageSize and PageRegion by media,
// Duplex by sides, Collate by multiple-document-handling, QMColorMode by print-color-mode) have no
// row.
std::span<const VendorAttributeRow> VendorAttributeTable();

// At most this many vendor attributes per driver (the framework's limit).
inline constexpr std::size_t kMaxVendorAttributes = 32;

struct VendorChoice {
  std::string keyword;    // the IPP keyword, "upper-left-single"
  std::string ppdChoice;  // the PPD's choice, "UpperLeftSingle"; for PrintType the keyword
};

struct VendorAttribute {
  const VendorAttributeRow* row = nullptr;
  VendorSyntax syntax = VendorSyntax::Text;
  std::vector<VendorChoice> choices;  // Keyword: every value it takes, in the PPD's order
  std::string initialDefault;         // the PPD's default choice as a keyword; "" for a text

  const char* name() const { return row->name; }
  // The choice whose keyword is `keyword`; nullptr when there is none.
  const VendorChoice* Choice(std::string_view keyword) const;
};

// Why `value` cannot be a value of `attribute` (a sentence without the value); nullopt when it can.
// Text values must fit the ticket they become and need no escaping where the service keeps them:
// printable characters other than the double quote and the backslash.
std::optional<std::string> CheckVendorValue(const VendorAttribute& attribute,
                                            std::string_view value);

// The IPP keyword of a PPD choice: lower case, a hyphen between words ("UpperLeftSingle" becomes
// "upper-left-single", "2Holes" "2-holes"), a leading minus sign as "minus-" ("-1" becomes
// "minus-1"), any other character outside [a-z0-9._-] as a hyphen.
std::string ChoiceKeyword(std::string_view ppdChoice);

// A media size of the driver.
struct DriverMedia {
  std::string pwgName;  // "iso_a4_210x297mm"
  std::string ppdName;  // "A4"
  int width = 0;        // hundredths of millimetres
  int length = 0;
  int leftRight = 0;    // the larger of the left and right margins, hundredths of millimetres
  int bottomTop = 0;    // the larger of the bottom and top margins
};

struct DriverProfile {
  const DriverRow* row = nullptr;
  std::string ppdPath;
  PpdFile ppd;  // parsed once; shared read-only by the jobs of every printer of the driver

  std::string makeAndModel;  // *ModelName
  bool color = false;        // *ColorDevice
  int pagesPerMinute = 0;    // *Throughput
  int languageLevel = 2;     // *LanguageLevel: 2 or 3
  std::vector<DriverMedia> media;
  std::size_t defaultMedia = 0;  // index into media: *DefaultPageSize
  bool twoSided = false;         // a Duplex option with DuplexNoTumble and DuplexTumble
  bool staple = false;           // a QMStaple option
  bool punch = false;            // a QMPunch option
  std::string passwordForm;      // *cupsJobPassword; empty when the printer takes none
  bool accountId = false;        // *cupsJobAccountId
  bool accountingUserId = false; // *cupsJobAccountingUserId
  std::vector<VendorAttribute> vendor;

  const VendorAttribute* FindVendor(std::string_view name) const;
};

// Parses `row`'s PPD in `ppdDirectory` and describes the driver.  On failure returns nullptr and
// sets `error` to a sentence saying why.
std::unique_ptr<DriverProfile> LoadDriverProfile(const DriverRow& row,
                                                 const std::string& ppdDirectory,
                                                 std::string* error);

}  // namespace tf::app
