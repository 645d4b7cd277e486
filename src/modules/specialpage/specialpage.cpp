// Special pages: the XML job ticket of covers, inserted sheets and page exceptions.
//
// The document is built from constant pieces whose "%s" slots take the fields of the job's values.
// Field text is always written as XML character data: the markup characters become entities and
// the characters an XML 1.0 document cannot carry are left out, so the document stays well-formed
// whatever the job holds.
#include "modules/specialpage/specialpage.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job.h"
#include "engine/output_channel.h"
#include "engine/ticket.h"
#include "platform/decimal.h"

namespace tf {
namespace {

// Count tickets and the stems of the value tickets ("%s%d" with the entry's index).
constexpr char kSPXPCoverCountKey[] = "KPIFCoverCountTicket";
constexpr char kSPXPInsertionCountKey[] = "KPIFInsertionCountTicket";
constexpr char kSPXPExceptionCountKey[] = "KPIFExceptionCountTicket";
constexpr char kSPXPCoverValueKey[] = "KPIFCoverValueTicket_";
constexpr char kSPXPInsertionValueKey[] = "KPIFInsertionValueTicket_";
constexpr char kSPXPExceptionValueKey[] = "KPIFExceptionValueTicket_";
constexpr char kSPXPValueKeyFormat[] = "%s%d";
constexpr std::size_t kSPXPKeySize = 256;
constexpr std::size_t kSPXPValueSize = 256;

// Ticket table `SpecialPageticketData`.
constexpr TicketDataEntry SpecialPageticketData[] = {
    {kSPXPCoverCountKey, KeyKind::Prefixed, TF_RECORD(SpecialPageOptions, coverCount),
     GetTicketInteger},
    {kSPXPInsertionCountKey, KeyKind::Prefixed, TF_RECORD(SpecialPageOptions, insertionCount),
     GetTicketInteger},
    {kSPXPExceptionCountKey, KeyKind::Prefixed, TF_RECORD(SpecialPageOptions, exceptionCount),
     GetTicketInteger},
};
static_assert(std::size(SpecialPageticketData) == 3);

// The document's own text is UTF-8, as its declaration says; field text is read as UTF-8 too.
constexpr TextEncoding kSpecialPageTextEncoding = TextEncoding::UTF8;

// XML constants.
constexpr char xmlVersion[] = "1.0";
constexpr char encoding[] = "UTF-8";
constexpr char kpifSYSTEM[] = "kpif-v02030a.dtd";
constexpr char kpifVersion[] = "1.0";
constexpr char cpssVersion[] = "2.01";
constexpr char xmlLang[] = "en-US";

// XML pieces.  "%s" marks a slot.
constexpr char KPIFCommandBlockStart[] =
    "<?xml version=\"%s\" encoding=\"%s\"?>\n"
    "<!DOCTYPE kpif SYSTEM \"%s\">\n"
    "<kpif version=\"%s\" cpss-version=\"%s\" xml:lang=\"%s\">\n"
    "  <job-template-attributes>\n";
constexpr char KPIFCommandBlockEnd[] =
    "  </job-template-attributes>\n"
    "</kpif>\n";

constexpr char CoverFrontBlockStart[] = "    <cover-front syntax=\"collection\">\n";
constexpr char CoverFrontBlockEnd[] = "    </cover-front>\n";
constexpr char CoverBackBlockStart[] = "    <cover-back syntax=\"collection\">\n";
constexpr char CoverBackBlockEnd[] = "    </cover-back>\n";
constexpr char InsertionBlockStart[] = "    <insert-sheet syntax=\"1setOf\">\n";
constexpr char InsertionBlockEnd[] = "    </insert-sheet>\n";
constexpr char ExceptionBlockStart[] = "    <page-overrides syntax=\"1setOf\">\n";
constexpr char ExceptionBlockEnd[] = "    </page-overrides>\n";

// Slots: cover type, media type, media colour, x dimension, y dimension.
constexpr char CoverBlockData[] =
    "        <cover-type syntax=\"keyword\">%s</cover-type>\n"
    "        <media-col syntax=\"collection\">\n"
    "            <media-type syntax=\"keyword\">%s</media-type>\n"
    "            <media-color syntax=\"keyword\">%s</media-color>\n"
    "            <media-size syntax=\"collection\">\n"
    "                <x-dimension syntax=\"integer\">%s</x-dimension>\n"
    "                <y-dimension syntax=\"integer\">%s</y-dimension>\n"
    "            </media-size>\n"
    "        </media-col>\n";

// Slots: cover type, media type name.
constexpr char CoverInterposerBlockData[] =
    "        <cover-type syntax=\"keyword\">%s</cover-type>\n"
    "        <media-col syntax=\"collection\">\n"
    "            <media-type syntax=\"name\">%s</media-type>\n"
    "        </media-col>\n";

// Slots: insert after page number, insert count, media colour, x dimension, y dimension, media
// type.  The children of "value" are indented by sixteen spaces.
constexpr char InsertionBlockData[] =
    "        <value syntax=\"collection\">\n"
    "                <insert-after-page-number syntax=\"integer\">%s</insert-after-page-number>\n"
    "                <insert-count syntax=\"integer\">%s</insert-count>\n"
    "                <media-col syntax=\"collection\">\n"
    "                    <media-color syntax=\"keyword\">%s</media-color>\n"
    "                    <media-size syntax=\"collection\">\n"
    "                        <x-dimension syntax=\"integer\">%s</x-dimension>\n"
    "                        <y-dimension syntax=\"integer\">%s</y-dimension>\n"
    "                    </media-size>\n"
    "                    <media-type syntax=\"keyword\">%s</media-type>\n"
    "                </media-col>\n"
    "        </value>\n";

// Slots: insert after page number, insert count, media type name.
constexpr char InsertionInterposerBlockData[] =
    "        <value syntax=\"collection\">\n"
    "                <insert-after-page-number syntax=\"integer\">%s</insert-after-page-number>\n"
    "                <insert-count syntax=\"integer\">%s</insert-count>\n"
    "                <media-col syntax=\"collection\">\n"
    "                    <media-type syntax=\"name\">%s</media-type>\n"
    "                </media-col>\n"
    "        </value>\n";

// Slots: first input document, last input document, first page, last page, sides, media type
// name, media colour, x dimension, y dimension.
constexpr char ExceptionBlockData[] =
    "        <value syntax=\"collection\">\n"
    "            <input-documents syntax=\"1setOf\">\n"
    "                <value syntax=\"rangeOfInteger\">\n"
    "                    <lower-bound syntax=\"integer\">%s</lower-bound>\n"
    "                    <upper-bound syntax=\"integer\">%s</upper-bound>\n"
    "                </value>\n"
    "            </input-documents>\n"
    "            <pages syntax=\"1setOf\">\n"
    "                <value syntax=\"rangeOfInteger\">\n"
    "                    <lower-bound syntax=\"integer\">%s</lower-bound>\n"
    "                    <upper-bound syntax=\"integer\">%s</upper-bound>\n"
    "                </value>\n"
    "            </pages>\n"
    "            <sides syntax=\"keyword\">%s</sides>\n"
    "            <media-col syntax=\"collection\">\n"
    "                <media-type syntax=\"name\">%s</media-type>\n"
    "                <media-color syntax=\"keyword\">%s</media-color>\n"
    "                <media-size syntax=\"collection\">\n"
    "                    <x-dimension syntax=\"integer\">%s</x-dimension>\n"
    "                    <y-dimension syntax=\"integer\">%s</y-dimension>\n"
    "                </media-size>\n"
    "            </media-col>\n"
    "        </value>\n";

// Slots: first input document, last input document, first page, last page, sides, media type
// name.
constexpr char ExceptionInterposerBlockData[] =
    "        <value syntax=\"collection\">\n"
    "            <input-documents syntax=\"1setOf\">\n"
    "                <value syntax=\"rangeOfInteger\">\n"
    "                    <lower-bound syntax=\"integer\">%s</lower-bound>\n"
    "                    <upper-bound syntax=\"integer\">%s</upper-bound>\n"
    "                </value>\n"
    "            </input-documents>\n"
    "            <pages syntax=\"1setOf\">\n"
    "                <value syntax=\"rangeOfInteger\">\n"
    "                    <lower-bound syntax=\"integer\">%s</lower-bound>\n"
    "                    <upper-bound syntax=\"integer\">%s</upper-bound>\n"
    "                </value>\n"
    "            </pages>\n"
    "            <sides syntax=\"keyword\">%s</sides>\n"
    "            <media-col syntax=\"collection\">\n"
    "                <media-type syntax=\"name\">%s</media-type>\n"
    "            </media-col>\n"
    "        </value>\n";

constexpr std::size_t PieceLength(std::string_view piece) { return piece.size(); }
static_assert(PieceLength(KPIFCommandBlockEnd) == 37);
static_assert(PieceLength(CoverFrontBlockStart) == 38);
static_assert(PieceLength(CoverFrontBlockEnd) == 19);
static_assert(PieceLength(CoverBackBlockStart) == 37);
static_assert(PieceLength(CoverBackBlockEnd) == 18);
static_assert(PieceLength(InsertionBlockStart) == 35);
static_assert(PieceLength(InsertionBlockEnd) == 20);
static_assert(PieceLength(ExceptionBlockStart) == 37);
static_assert(PieceLength(ExceptionBlockEnd) == 22);

constexpr std::size_t SlotCount(std::string_view piece) {
  std::size_t slots = 0;
  for (std::size_t at = piece.find("%s"); at != std::string_view::npos;
       at = piece.find("%s", at + 2)) {
    ++slots;
  }
  return slots;
}
static_assert(SlotCount(KPIFCommandBlockStart) == 6);
static_assert(SlotCount(CoverBlockData) == 5);
static_assert(SlotCount(CoverInterposerBlockData) == 2);
static_assert(SlotCount(InsertionBlockData) == 6);
static_assert(SlotCount(InsertionInterposerBlockData) == 3);
static_assert(SlotCount(ExceptionBlockData) == 9);
static_assert(SlotCount(ExceptionInterposerBlockData) == 6);

// Writes `text` as XML character data.  "&", "<", ">" and both quotes become entities.  Left out
// are the characters no XML 1.0 document may carry or that have no place in a field: every C0
// control (tab and line ends included), DEL, the C1 controls and the non-characters U+FFFE and
// U+FFFF.  `text` is whole UTF-8 characters.
void WriteXmlText(Job& job, std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t run = 0;  // start of the bytes not yet written
  auto flush = [&](std::size_t end) {
    if (end > run) job.out.Write(text.data() + run, end - run);
  };
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = bytes[i];
    const char* entity = nullptr;
    std::size_t skip = 0;
    switch (c) {
      case '&': entity = "&amp;"; break;
      case '<': entity = "&lt;"; break;
      case '>': entity = "&gt;"; break;
      case '"': entity = "&quot;"; break;
      case '\'': entity = "&apos;"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          skip = 1;
        } else if (c == 0xC2 && i + 1 < n && bytes[i + 1] >= 0x80 && bytes[i + 1] <= 0x9F) {
          skip = 2;  // U+0080..U+009F
        } else if (c == 0xEF && i + 2 < n && bytes[i + 1] == 0xBF &&
                   (bytes[i + 2] == 0xBE || bytes[i + 2] == 0xBF)) {
          skip = 3;  // U+FFFE, U+FFFF
        }
        break;
    }
    if (entity == nullptr && skip == 0) {
      ++i;
      continue;
    }
    flush(i);
    if (entity != nullptr) {
      job.out.Write(entity, std::strlen(entity));
      skip = 1;
    }
    i += skip;
    run = i;
  }
  flush(n);
}

// Writes `piece` with its "%s" slots filled, in order, by `slots` (as XML character data).
template <std::size_t N>
void WriteXmlPiece(Job& job, std::string_view piece, const char* const (&slots)[N]) {
  std::size_t next = 0;
  std::size_t slot = 0;
  for (std::size_t at = piece.find("%s"); at != std::string_view::npos;
       at = piece.find("%s", next)) {
    job.out.Write(piece.data() + next, at - next);
    if (slot < N) WriteXmlText(job, slots[slot]);
    ++slot;
    next = at + 2;
  }
  job.out.Write(piece.data() + next, piece.size() - next);
}

void WriteFrame(Job& job, std::string_view piece) {
  job.out.Write(piece.data(), piece.size());
}

// The indices i (0 <= i < count) whose value ticket "<stem>i" the job carries, in increasing
// order.  Taken from the job's option list, so that a huge count costs nothing: the job can only
// carry as many values as it has options.
std::vector<std::int32_t> PresentValueIndices(Job& job, const std::string& stem,
                                              std::int32_t count) {
  std::vector<std::int32_t> indices;
  const JobOptions& options = job.options();
  for (int o = 0; o < options.count(); ++o) {
    // Option names compare without regard to case, as the job's option look-up does.
    const std::string_view name = options.options()[o].name;
    if (name.size() < stem.size() || strncasecmp(name.data(), stem.data(), stem.size()) != 0) {
      continue;
    }
    const std::string_view digits = name.substr(stem.size());
    // Exactly the decimal form "%d" writes for a non-negative index: no sign, no leading zero.
    if (digits.size() > 1 && digits[0] == '0') continue;
    const std::optional<std::int32_t> index = ReadDigits(digits, 10);
    if (index && *index < count) indices.push_back(*index);
  }
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

// One entry of a list: its value text and the reading position of its fields.
class SpecialPageEntry {
 public:
  SpecialPageEntry(Job& job, const char* list, const std::string& stem, std::int32_t index)
      : log_(job.log), list_(list), index_(index) {
    char key[kSPXPKeySize] = {};
    std::snprintf(key, sizeof(key), kSPXPValueKeyFormat, stem.c_str(), static_cast<int>(index));
    present_ = GetTicketStringConvertedToPrtLangForUTF8(key, job.options(), value_,
                                                        sizeof(value_)) == 1;
  }

  bool present() const { return present_; }

  // Reads the next field into `field` (cleared by the caller).
  void Read(char (&field)[kSpecialPageFieldSize]) {
    const char* text = value_ + offset_;
    const std::int32_t advance = GetOneValue(text, field, sizeof(field), kSpecialPageTextEncoding);
    if (advance < 0) return;
    const std::size_t length = advance > 0 ? static_cast<std::size_t>(advance) - 1
                                           : std::strlen(text);
    if (length > std::strlen(field) && !reportedCut_) {
      reportedCut_ = true;
      log_.Debug("Special pages: %s value %d has a field longer than %zu bytes; cut", list_,
                 static_cast<int>(index_), kSpecialPageFieldSize - 1);
    }
    offset_ += static_cast<std::size_t>(advance);
  }

  void ReportSkipped(const char* why) const {
    log_.Debug("Special pages: %s value %d %s; skipped", list_, static_cast<int>(index_), why);
  }

 private:
  Logger& log_;
  const char* list_;
  std::int32_t index_;
  bool present_ = false;
  bool reportedCut_ = false;
  char value_[kSPXPValueSize] = {};
  std::size_t offset_ = 0;
};

using Field = char[kSpecialPageFieldSize];

void OutputCover(Job& job, const std::string& stem, std::int32_t index) {
  SpecialPageEntry entry(job, "cover", stem, index);
  if (!entry.present()) return;
  Field f[8] = {};  // f[1] to f[7]: the fields by their number
  entry.Read(f[1]);
  entry.Read(f[2]);
  entry.Read(f[3]);
  const std::string_view side = f[1];
  const bool front = side == "0";
  if (!front && side != "1") {
    entry.ReportSkipped("names neither the front nor the back cover");
    return;
  }
  WriteFrame(job, front ? CoverFrontBlockStart : CoverBackBlockStart);
  const std::string_view source = f[2];
  if (source == "0") {
    entry.Read(f[4]);
    WriteXmlPiece(job, CoverInterposerBlockData, {f[3], f[4]});
  } else if (source == "1") {
    for (int n = 4; n <= 7; ++n) entry.Read(f[n]);
    WriteXmlPiece(job, CoverBlockData, {f[3], f[4], f[5], f[6], f[7]});
  } else {
    job.log.Debug(
        "Special pages: cover value %d names no media source; the cover is sent without media",
        static_cast<int>(index));
  }
  WriteFrame(job, front ? CoverFrontBlockEnd : CoverBackBlockEnd);
}

void OutputInsertion(Job& job, const std::string& stem, std::int32_t index) {
  SpecialPageEntry entry(job, "insertion", stem, index);
  if (!entry.present()) return;
  Field f[8] = {};
  entry.Read(f[1]);
  entry.Read(f[2]);
  entry.Read(f[3]);
  const std::string_view media = f[1];
  if (media == "0") {
    entry.Read(f[4]);
    WriteXmlPiece(job, InsertionInterposerBlockData, {f[2], f[3], f[4]});
  } else if (media == "1") {
    for (int n = 4; n <= 7; ++n) entry.Read(f[n]);
    WriteXmlPiece(job, InsertionBlockData, {f[2], f[3], f[4], f[5], f[6], f[7]});
  } else {
    entry.ReportSkipped("names no media source");
  }
}

void OutputException(Job& job, const std::string& stem, std::int32_t index) {
  SpecialPageEntry entry(job, "exception", stem, index);
  if (!entry.present()) return;
  Field f[11] = {};
  for (int n = 1; n <= 6; ++n) entry.Read(f[n]);
  const std::string_view media = f[1];
  if (media == "0") {
    entry.Read(f[7]);
    WriteXmlPiece(job, ExceptionInterposerBlockData, {f[2], f[3], f[4], f[5], f[6], f[7]});
  } else if (media == "1") {
    for (int n = 7; n <= 10; ++n) entry.Read(f[n]);
    WriteXmlPiece(job, ExceptionBlockData,
                  {f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]});
  } else {
    entry.ReportSkipped("names no media source");
  }
}

}  // namespace

std::int32_t GetOneValue(const char* text, char* destination, std::size_t size,
                         TextEncoding encoding) {
  if (text == nullptr || destination == nullptr) return -1;
  const char* comma = std::strchr(text, ',');
  const std::size_t length = comma != nullptr ? static_cast<std::size_t>(comma - text)
                                              : std::strlen(text);
  CopyToField(destination, size, std::string_view(text, length), encoding);
  return comma != nullptr ? static_cast<std::int32_t>(length + 1) : 0;
}

void SpecialPageGetTicketFromPDE(Job& job, void* psOptionSpecialPage) {
  GetTicketFromArray(job, psOptionSpecialPage, SpecialPageticketData);
}

void InjectKPIFCommandSP(Job& job, void* psOptionSpecialPage) {
  SpecialPageOptions& sp = *static_cast<SpecialPageOptions*>(psOptionSpecialPage);
  sp.coverCount = std::max(sp.coverCount, 0);
  sp.insertionCount = std::max(sp.insertionCount, 0);
  sp.exceptionCount = std::max(sp.exceptionCount, 0);
  const std::int64_t total =
      std::int64_t{sp.coverCount} + sp.insertionCount + sp.exceptionCount;
  if (total < 1) return;

  WriteXmlPiece(job, KPIFCommandBlockStart,
                {xmlVersion, encoding, kpifSYSTEM, kpifVersion, cpssVersion, xmlLang});

  const std::string coverStem = job.TicketKey(kSPXPCoverValueKey);
  for (std::int32_t i : PresentValueIndices(job, coverStem, sp.coverCount)) {
    OutputCover(job, coverStem, i);
  }

  if (sp.insertionCount > 0) {
    WriteFrame(job, InsertionBlockStart);
    const std::string stem = job.TicketKey(kSPXPInsertionValueKey);
    for (std::int32_t i : PresentValueIndices(job, stem, sp.insertionCount)) {
      OutputInsertion(job, stem, i);
    }
    WriteFrame(job, InsertionBlockEnd);
  }

  if (sp.exceptionCount > 0) {
    WriteFrame(job, ExceptionBlockStart);
    const std::string stem = job.TicketKey(kSPXPExceptionValueKey);
    for (std::int32_t i : PresentValueIndices(job, stem, sp.exceptionCount)) {
      OutputException(job, stem, i);
    }
    WriteFrame(job, ExceptionBlockEnd);
  }

  WriteFrame(job, KPIFCommandBlockEnd);
}

namespace {
constexpr std::span<const TicketDataEntry> kTicketTables[] = {SpecialPageticketData};
// The value tickets, each followed by an entry's index.
constexpr OptionKey kOtherOptions[] = {{kSPXPCoverValueKey, KeyKind::Prefixed, true},
                                       {kSPXPInsertionValueKey, KeyKind::Prefixed, true},
                                       {kSPXPExceptionValueKey, KeyKind::Prefixed, true}};
}  // namespace

const ModuleDescriptor SpecialPageModule{
    .name = "special pages",
    .record = RecordTypeOf<SpecialPageOptions>(),
    .ticketTables = kTicketTables,
    .otherOptions = kOtherOptions,
    .readTickets = SpecialPageGetTicketFromPDE,
    .writeBeforeJob = InjectKPIFCommandSP,
};

}  // namespace tf
