// Special pages: covers, inserted sheets and page exceptions, sent as an XML job ticket ahead of
// the PJL header.
//
// The print dialog stores each list as a count ticket and one value ticket per entry
// ("...KPIFCoverValueTicket_0", "..._1", ...); a value holds comma-separated fields whose first
// field selects the entry's variant.  The XML document is written before anything else of the
// job, and only when the job has special pages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/module.h"
#include "platform/text_conversion.h"

namespace tf {

class Job;

// Record `psOptionSpecialPage`: how many values each list of the job holds.
struct SpecialPageOptions {
  std::int32_t coverCount;
  std::int32_t insertionCount;
  std::int32_t exceptionCount;
};

// A field of a value: 49 bytes of text and the terminator.
inline constexpr std::size_t kSpecialPageFieldSize = 50;

// The special-pages module: its record is a SpecialPageOptions.  The value tickets, each the stem
// of its list followed by an entry's index, are its other options.
extern const ModuleDescriptor SpecialPageModule;

// Reads the three counts into the record `psOptionSpecialPage` (an absent count reads as -1).
void SpecialPageGetTicketFromPDE(Job& job, void* psOptionSpecialPage);
// Writes the XML job ticket of the job's special pages to the job's printer stream; nothing when
// the job has none.
void InjectKPIFCommandSP(Job& job, void* psOptionSpecialPage);

// Copies the first field of `text` (the bytes before the first comma, or the whole text when it
// holds none) into `destination` (`size` bytes, cleared after it); a field longer than size - 1
// bytes is cut before the first character of `encoding` that does not fit whole.  Returns how far
// to advance to the next field: the field's length plus 1 after a comma, 0 when there is no comma
// (so reading on re-reads the last field), -1 when `text` or `destination` is null.
std::int32_t GetOneValue(const char* text, char* destination, std::size_t size,
                         TextEncoding encoding);

}  // namespace tf
