// One job at a time per printer, each started once.
#include "job_serialization.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>

extern "C" {
void* _papplJobProcess(pappl_job_t* job);
void _papplJobProcessRaster(pappl_job_t* job, pappl_client_t* client);
}

namespace tf::app {
namespace {

constexpr char kProcess[] = "_papplJobProcess";
constexpr char kProcessRaster[] = "_papplJobProcessRaster";

using ProcessFunction = void* (*)(pappl_job_t*);
using ProcessRasterFunction = void (*)(pappl_job_t*, pappl_client_t*);

ProcessFunction LibraryProcess() {
  static const auto function = reinterpret_cast<ProcessFunction>(::dlsym(RTLD_NEXT, kProcess));
  return function;
}
ProcessRasterFunction LibraryProcessRaster() {
  static const auto function =
      reinterpret_cast<ProcessRasterFunction>(::dlsym(RTLD_NEXT, kProcessRaster));
  return function;
}

// A printer's turn: one job prints at a time; raster jobs waiting go first.
struct PrinterTurn {
  std::mutex mutex;
  std::condition_variable freed;
  bool busy = false;
  int rasterWaiting = 0;
};

PrinterTurn& TurnOf(pappl_printer_t* printer) {
  static std::mutex mapMutex;
  // Kept for the life of the process: a thread of a deleted printer, or one still running while
  // the process ends, may wait on its turn.
  static auto* const turns = new std::map<pappl_printer_t*, std::unique_ptr<PrinterTurn>>;
  std::lock_guard<std::mutex> lock(mapMutex);
  std::unique_ptr<PrinterTurn>& turn = (*turns)[printer];
  if (!turn) turn = std::make_unique<PrinterTurn>();
  return *turn;
}

thread_local pappl_job_t* tlJobInTurn = nullptr;

bool IsStreamedRaster(pappl_job_t* job) {
  const char* format = papplJobGetFormat(job);
  return format != nullptr &&
         (std::strcmp(format, "image/pwg-raster") == 0 || std::strcmp(format, "image/urf") == 0);
}

// The oldest pending job of the printer that a job thread may run: the active jobs are sorted
// newest first, so the last pending one.
pappl_job_t* OldestPendingJob(pappl_printer_t* printer) {
  pappl_job_t* oldest = nullptr;
  papplPrinterIterateActiveJobs(
      printer,
      [](pappl_job_t* job, void* data) {
        if (papplJobGetState(job) == IPP_JSTATE_PENDING && !IsStreamedRaster(job)) {
          *static_cast<pappl_job_t**>(data) = job;
        }
      },
      &oldest, 1, 0);
  return oldest;
}

// The relocations of the loaded library named `libraryStem` (its file name begins so) that name
// `symbol`.  Counts both the PLT's and the data relocations.
struct RelocationSearch {
  const char* libraryStem;
  const char* symbols[2];
  bool found[2] = {false, false};
  bool libraryFound = false;
};

int SearchRelocations(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<RelocationSearch*>(data);
  const char* name = info->dlpi_name;
  const char* base = name != nullptr ? std::strrchr(name, '/') : nullptr;
  base = base != nullptr ? base + 1 : name;
  const std::size_t stemLength = std::strlen(search->libraryStem);
  if (base == nullptr || std::strncmp(base, search->libraryStem, stemLength) != 0) return 0;
  search->libraryFound = true;
  const ElfW(Dyn)* dynamic = nullptr;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_DYNAMIC) {
      dynamic = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
    }
  }
  if (dynamic == nullptr) return 1;
  const ElfW(Sym)* symtab = nullptr;
  const char* strtab = nullptr;
  const ElfW(Rela)* rela = nullptr;
  std::size_t relaSize = 0;
  const ElfW(Rela)* jmprel = nullptr;
  std::size_t jmprelSize = 0;
  // The loader has relocated the addresses of the dynamic section in place.
  for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d) {
    switch (d->d_tag) {
      case DT_SYMTAB: symtab = reinterpret_cast<const ElfW(Sym)*>(d->d_un.d_ptr); break;
      case DT_STRTAB: strtab = reinterpret_cast<const char*>(d->d_un.d_ptr); break;
      case DT_RELA: rela = reinterpret_cast<const ElfW(Rela)*>(d->d_un.d_ptr); break;
      case DT_RELASZ: relaSize = d->d_un.d_val; break;
      case DT_JMPREL: jmprel = reinterpret_cast<const ElfW(Rela)*>(d->d_un.d_ptr); break;
      case DT_PLTRELSZ: jmprelSize = d->d_un.d_val; break;
      default: break;
    }
  }
  if (symtab == nullptr || strtab == nullptr) return 1;
  auto scan = [&](const ElfW(Rela)* table, std::size_t bytes) {
    if (table == nullptr) return;
    for (std::size_t i = 0; i < bytes / sizeof(ElfW(Rela)); ++i) {
      const std::size_t index = ELF64_R_SYM(table[i].r_info);
      if (index == 0) continue;
      const std::string_view symbolName = strtab + symtab[index].st_name;
      for (int s = 0; s < 2; ++s) {
        if (symbolName == search->symbols[s]) search->found[s] = true;
      }
    }
  };
  scan(rela, relaSize);
  scan(jmprel, jmprelSize);
  return 1;
}

}  // namespace

std::string CheckJobSerialization() {
  if (LibraryProcess() == nullptr || LibraryProcessRaster() == nullptr) {
    return "PAPPL does not export _papplJobProcess and _papplJobProcessRaster (this service needs "
           "PAPPL 1.3): jobs could start twice, so the service does not run.";
  }
  if (::dlsym(RTLD_DEFAULT, kProcess) != reinterpret_cast<void*>(&_papplJobProcess) ||
      ::dlsym(RTLD_DEFAULT, kProcessRaster) != reinterpret_cast<void*>(&_papplJobProcessRaster)) {
    return "The program's job start functions are not the ones the dynamic linker binds: jobs "
           "could start twice, so the service does not run.";
  }
  RelocationSearch search{"libpappl.so", {kProcess, kProcessRaster}};
  dl_iterate_phdr(SearchRelocations, &search);
  if (!search.libraryFound || !search.found[0] || !search.found[1]) {
    return "PAPPL reaches its job start functions directly, not through its symbol table: jobs "
           "could start twice, so the service does not run.";
  }
  return {};
}

bool JobHasItsTurn(pappl_job_t* job) { return job != nullptr && tlJobInTurn == job; }

}  // namespace tf::app

using tf::app::IsStreamedRaster;
using tf::app::OldestPendingJob;
using tf::app::PrinterTurn;
using tf::app::TurnOf;

extern "C" void* _papplJobProcess(pappl_job_t* job) {
  pappl_printer_t* printer = papplJobGetPrinter(job);
  PrinterTurn& turn = TurnOf(printer);
  pappl_job_t* next = nullptr;
  {
    std::unique_lock<std::mutex> lock(turn.mutex);
    turn.freed.wait(lock, [&turn] { return !turn.busy; });
    // A raster job's client waits on its connection: it goes first.  A duplicate start, a
    // stopped printer or a stopping service: nothing to run.
    if (turn.rasterWaiting > 0 || papplPrinterGetState(printer) == IPP_PSTATE_STOPPED) {
      return nullptr;
    }
    next = OldestPendingJob(printer);
    if (next == nullptr) return nullptr;
    turn.busy = true;
  }
  tf::app::tlJobInTurn = next;
  tf::app::LibraryProcess()(next);
  tf::app::tlJobInTurn = nullptr;
  {
    std::lock_guard<std::mutex> lock(turn.mutex);
    turn.busy = false;
  }
  turn.freed.notify_all();
  return nullptr;
}

extern "C" void _papplJobProcessRaster(pappl_job_t* job, pappl_client_t* client) {
  PrinterTurn& turn = TurnOf(papplJobGetPrinter(job));
  {
    std::unique_lock<std::mutex> lock(turn.mutex);
    ++turn.rasterWaiting;
    turn.freed.wait(lock, [&turn] { return !turn.busy; });
    --turn.rasterWaiting;
    turn.busy = true;
  }
  tf::app::tlJobInTurn = job;
  tf::app::LibraryProcessRaster()(job, client);
  tf::app::tlJobInTurn = nullptr;
  {
    std::lock_guard<std::mutex> lock(turn.mutex);
    turn.busy = false;
  }
  turn.freed.notify_all();
}
