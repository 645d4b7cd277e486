// The module contract: what a feature module is to the rest of the filter.
//
// A module is its folder under src/modules/: its record (the values of the job it works with,
// filled from the job's tickets), its tables, its steps, and one ModuleDescriptor that names
// them.  Each program lists its modules once, in output order (programs/<name>/program.cpp); the
// job core allocates one zeroed record per module of the program for every job, and the filter
// calls each step for every module that takes part in it, in the order of that list.  A table
// addresses the fields of its module's own record and of the job core's state (JobCoreState);
// a module reads another module's record only through a named accessor of that module.
#pragma once

#include <cstddef>
#include <span>
#include <type_traits>

#include "engine/ticket.h"

namespace tf {

class Job;
class PrinterStream;

// Insertion points: lines of the PostScript stream where modules may insert PostScript.
enum InsertionPoint : int {
  kPointBeginProlog = 13,    // after "%%BeginProlog"
  kPointEndProlog = 14,      // before the first "%%EndProlog"
  kPointEndSetup = 16,       // before "%%EndSetup"
  kPointSetPageDevice = 21,  // before "userdict/setpagedevice{pop}bind put"
  kPointPageBegin = 22,      // before a "%%Page:" comment outside embedded documents
  kPointBeginPage = 23,      // after "bp"
  kPointEndPageSetup = 24,   // after the first "%%EndPageSetup" of a page, outside embedded
                             // documents
  kPointEndPage = 27,        // before "ep"
  kPointEndPageP = 28,       // before "endp"
  kPointPageSave = 29,       // before the "showpage" that ends a page without page-end procedures
};

// One insertion: the point, and the count of page ends ("ep", "endp") so far.
struct PsInsertion {
  int point;
  int page;
};

// Size and alignment of a module's record.  A record is plain data that the tables address by
// offset: standard layout, trivially copyable, valid when all zero.
struct RecordType {
  std::size_t size = 0;
  std::size_t align = 1;
};
template <class Record>
constexpr RecordType RecordTypeOf() {
  static_assert(std::is_standard_layout_v<Record> && std::is_trivially_copyable_v<Record>,
                "the tables address a record's fields by offset");
  static_assert(alignof(Record) <= alignof(std::max_align_t));
  return {sizeof(Record), alignof(Record)};
}

// An option a module reads outside its ticket tables (for the ticket reference).
struct OptionKey {
  const char* name;
  KeyKind kind;
  bool indexed = false;  // the name is a stem: the option's name is the stem and an index
};

// The job-information comment blocks.
enum class JobInfoBlock {
  Basic,     // version 1.3.0
  Extended,  // version 1.5.0, with the advanced lines
};

struct ModuleDescriptor {
  const char* name = nullptr;
  RecordType record{};  // {0, 1}: the module has no record (its steps receive nullptr)

  // Every job option the module reads: its ticket tables, and the options it reads besides them.
  std::span<const std::span<const TicketDataEntry>> ticketTables{};
  std::span<const OptionKey> otherOptions{};

  // The steps, in the order the job takes them; each is called for every module of the program
  // that has it (nullptr: the module takes no part), in the order of the program's list, with the
  // module's own record.
  //   prepare:          the job starts: what its arguments give (the names, the once-flags)
  //   querySystem:      the job was accepted: what it learns from the system (the client host)
  //   readTickets:      the module's tickets into its record; every ticket is read before the
  //                     first byte of output
  //   writeBeforeJob:   before the universal exit language (the special-pages job ticket)
  //   writeHeader:      PJL header lines, after the job-mode line
  //   writeJobInfo:     lines of the job-information comment block, inside its first and last
  //                     lines
  //   insertPostScript: PostScript at an insertion point of the stream, written to `out`
  void (*prepare)(Job& job, void* record) = nullptr;
  void (*querySystem)(Job& job, void* record) = nullptr;
  void (*readTickets)(Job& job, void* record) = nullptr;
  void (*writeBeforeJob)(Job& job, void* record) = nullptr;
  void (*writeHeader)(Job& job, void* record) = nullptr;
  void (*writeJobInfo)(Job& job, void* record, JobInfoBlock block) = nullptr;
  void (*insertPostScript)(Job& job, void* record, const PsInsertion& at,
                           PrinterStream& out) = nullptr;
};

}  // namespace tf
