// Faults a print queue meets, through the built programs: a printer connection that goes away, an
// output that cannot be written, a cancel at every stage of the job, inputs and PPDs that cannot
// be read, very large option texts, a job-copy directory that cannot be written, and many jobs in
// the same second.  Each ends in its documented outcome or an "ERROR:" line with exit status 1:
// never a crash, a hang, or a failed job reported as printed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <barrier>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "filter/filter_job.h"
#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

const std::string kPrefix = "com.brantlowe.ticket.";

// A watermark on every page, so that every page end carries an insertion.
std::string WatermarkOptions(const std::string& prefix = kPrefix) {
  std::string options;
  for (const char* setting :
       {"WMARKTypeTicket=0", "WMARKNameTicket=Draft", "WMARKTextTicket=(DRAFT)",
        "WMARKOnlyFirstTicket=0", "WMARKFontTicket=Helvetica", "WMARKFontSizeTicket=48",
        "WMARKColorRTicket=0", "WMARKColorGTicket=0", "WMARKColorBTicket=1",
        "WMARKDensityTicket=100", "WMARKAngleTicket=0", "WMARKOrientationTicket=1",
        "WMARKPaperWidthTicket=595", "WMARKPaperHeightTicket=842", "WMARKWidthTicket=200",
        "WMARKHeightTicket=50"}) {
    options += prefix + setting + " ";
  }
  return options;
}

// A job of `pages` pages, each padded with `padding` bytes of comment lines and marked with
// `marker`; a feature line in its setup gives decomposition mode a PJL line.
std::string PostScriptJob(int pages, std::size_t padding, const std::string& marker) {
  std::string pad;
  while (pad.size() < padding) pad += "% " + std::string(76, 'x') + "\n";
  std::string ps =
      "%!PS-Adobe-3.0\n%%BeginProlog\n/bp{/pgsave save def}bind def\n"
      "/ep{pgsave restore showpage}bind def\n%%EndProlog\n%%BeginSetup\n"
      "%%BeginFeature: *QMTonerSaver True\n%%EndFeature\n%%EndSetup\n";
  for (int i = 1; i <= pages; ++i) {
    const std::string n = std::to_string(i);
    ps += "%%Page: " + n + " " + n + "\n%%BeginPageSetup\n%%EndPageSetup\nbp\n(" + marker +
          " page " + n + ") show\n" + pad + "ep\n";
  }
  return ps + "%%Trailer\n%%EOF\n";
}

struct Mode {
  const char* name;
  const char* ppd;
  bool decomposition;
};
constexpr Mode kModes[] = {{"pass-through", "plain.ppd", false},
                           {"decomposition", "decomp-mono.ppd", true}};

FilterInvocation JobInvocation(const Mode& mode, const std::string& tmpdir) {
  FilterInvocation inv;
  inv.ppd = DataPath(mode.ppd);
  inv.options = WatermarkOptions();
  inv.env["TMPDIR"] = tmpdir;
  return inv;
}

// Offset just past the n-th line "ep" (1-based) of `ps`, or npos.
std::size_t AfterPageEnd(const std::string& ps, int n) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) {
    at = ps.find("\nep\n", at);
    if (at == std::string::npos) return at;
    at += 4;
  }
  return at;
}
// Offset of the n-th line "ep" (1-based) of `ps`, or npos.
std::size_t AtPageEnd(const std::string& ps, int n) {
  const std::size_t after = AfterPageEnd(ps, n);
  return after == std::string::npos ? after : after - 3;
}

// The output up to the switch into PostScript (decomposition mode: the header and the PJL of the
// feature lines).
std::string BeforeSwitch(const std::string& out) {
  return out.substr(0, out.find(kEnterPostScript));
}

std::string StderrWithoutPageLines(const std::string& err) {
  std::string kept;
  std::size_t at = 0;
  while (at < err.size()) {
    std::size_t end = err.find('\n', at);
    end = end == std::string::npos ? err.size() : end + 1;
    if (err.compare(at, 5, "PAGE:") != 0) kept += err.substr(at, end - at);
    at = end;
  }
  return kept;
}

// The job copies (of the -testpaths programs) that hold `marker`; removed once read.
std::vector<std::string> TakeJobCopiesWith(const std::string& marker) {
  std::vector<std::string> copies;
  const std::string dir = std::string(TF_TEST_ROOT) + "/jobs";
  if (!std::filesystem::exists(dir)) return copies;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    auto data = ReadFile(entry.path().string());
    if (data && data->find(marker) != std::string::npos) {
      copies.push_back(*data);
      std::filesystem::remove(entry.path());
    }
  }
  return copies;
}

void TurnJobCopyOn() {
  std::filesystem::create_directories(std::string(TF_TEST_ROOT) + "/flag");
  std::filesystem::create_directories(std::string(TF_TEST_ROOT) + "/jobs");
  WriteFile(std::string(TF_TEST_ROOT) + "/flag/qmjobcopy", "");
}

const std::string kConnectionClosed =
    "DEBUG: The printer connection was closed before the job ended.\n";

// ---- the printer connection goes away ----------------------------------------------------------

// The reader of standard output goes away at the start, inside the header, and in the middle of
// the PostScript.  The job fails (status 1) without a signal and without blocking, and what the
// reader got is exactly the start of the job's stream.
TEST(ClosedOutputTest, JobFailsWhereverTheReaderGoesAway) {
  const std::string job = PostScriptJob(40, 50000, "closed");  // about 2 MB
  for (const Mode& mode : kModes) {
    for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
      SCOPED_TRACE(std::string(mode.name) + " " + program);
      TempDir tmp;
      FilterInvocation inv = JobInvocation(mode, tmp.path());
      inv.program = program;
      inv.input = job;
      const FilterRun full = RunFilterProgram(inv);
      ASSERT_EQ(full.exitStatus, 0) << full.err;
      const std::size_t header = SplitStream(full.out).header.size();
      ASSERT_GT(header, 60u);

      struct Close {
        const char* where;
        std::optional<std::size_t> after;  // none: closed before the program starts writing
      };
      for (const Close& close : {Close{"at the start", std::nullopt},
                                 Close{"in the header", std::size_t{40}},
                                 Close{"in the PostScript", header + 300000}}) {
        SCOPED_TRACE(close.where);
        FilterInvocation cut = inv;
        if (close.after) {
          cut.closeStdoutAfter = close.after;
        } else {
          cut.closeStdoutAtStart = true;
        }
        const auto start = std::chrono::steady_clock::now();
        const FilterRun run = RunFilterProgram(cut);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(StderrWithoutPageLines(run.err), kConnectionClosed);
        EXPECT_EQ(run.out, full.out.substr(0, close.after.value_or(0)));
        EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
      }
    }
  }
}

// ---- a write error other than a closed connection ----------------------------------------------

// Standard output on /dev/full: every write fails with ENOSPC.  The job is reported with one
// "ERROR:" line and fails, in both modes and both programs.
TEST(WriteErrorTest, FullOutputIsAnErrorInBothModesAndPrograms) {
  TempDir dir;
  WriteFile(dir.File("job.ps"), PostScriptJob(3, 100000, "full"));
  for (const Mode& mode : kModes) {
    for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
      SCOPED_TRACE(std::string(mode.name) + " " + program);
      const std::string command = "TMPDIR=" + dir.path() + " PPD=" + DataPath(mode.ppd) + " " +
                                  ProgramPath(program) + " 1 tux title 1 '' " +
                                  dir.File("job.ps") + " >/dev/full 2>" + dir.File("err");
      const int status = std::system(command.c_str());
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 1);
      EXPECT_EQ(StderrWithoutPageLines(*ReadFile(dir.File("err"))),
                "ERROR: Unable to write print data: No space left on device\n");
    }
  }
}

// ---- SIGTERM at every stage ----------------------------------------------------------------------

class SigtermTest : public ::testing::Test {
 protected:
  void SetUp() override { TurnJobCopyOn(); }

  // The uncancelled stream of the same job.
  std::string Reference(const FilterInvocation& inv) {
    FilterInvocation plain = inv;
    plain.program = "ticketfilter";
    plain.stdinStaysOpen = false;
    plain.sigtermAfterSeconds.reset();
    plain.holdOutputUntilSignal = false;
    plain.input = inv.input + inv.inputAfterSignal;
    plain.inputAfterSignal.clear();
    const FilterRun run = RunFilterProgram(plain);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return run.out;
  }

  // The cancelled job ended well: status 0, the trailer at the end, no temporary file, and in
  // pass-through mode a job copy that holds exactly what went to the printer.
  void ExpectCancelledCleanly(const FilterRun& run, const Mode& mode, const TempDir& tmp,
                              const std::string& marker) {
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.out.ends_with(kTrailer));
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
    const std::vector<std::string> copies = TakeJobCopiesWith(marker);
    ASSERT_EQ(copies.size(), 1u);
    if (!mode.decomposition) {
      EXPECT_EQ(copies[0], run.out);
    }
  }
};

// Before the stream: the signal comes while the program is still opening its PPD (a FIFO that is
// filled only after the signal).  Cancellation is looked at page ends only, so the header is
// whole; pass-through stops before the first "ep" (after its watermark), decomposition mode stops
// in its first pass and writes neither the switch nor any PostScript.
TEST_F(SigtermTest, BeforeTheStream) {
  for (const Mode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    TempDir tmp;
    const std::string marker = std::string("sigterm-before-") + mode.name;
    FilterInvocation inv = JobInvocation(mode, tmp.path());
    inv.program = "ticketfilter-testpaths";
    inv.input = PostScriptJob(3, 0, marker);
    const std::string reference = Reference(inv);
    const StreamParts ref = SplitStream(reference);
    ASSERT_TRUE(ref.ok);

    const std::string fifo = tmp.File("ppd.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    inv.ppd = fifo;
    inv.sigtermAfterSeconds = 0.5;
    std::thread ppdWriter([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(1200));
      WriteFile(fifo, *ReadFile(DataPath(mode.ppd)));  // opens only once the program reads
    });
    const FilterRun run = RunFilterProgram(inv);
    ppdWriter.join();
    std::filesystem::remove(fifo);

    if (mode.decomposition) {
      EXPECT_EQ(run.out, BeforeSwitch(reference) + kTrailer);
    } else {
      EXPECT_EQ(run.out, ref.header + ref.postscript.substr(0, AtPageEnd(ref.postscript, 1)) +
                             kTrailer);
    }
    EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "");
    ExpectCancelledCleanly(run, mode, tmp, marker);
  }
}

// During the stream: the printer stops reading, the program blocks writing, the signal comes.
// The stream goes on to the next page end and stops there; decomposition mode's replay stops
// after the next page-end line.  What reached the printer is exactly the start of the job's
// stream, cut at a page end.
TEST_F(SigtermTest, DuringTheStreamWhileThePrinterIsBusy) {
  for (const Mode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    TempDir tmp;
    const std::string marker = std::string("sigterm-during-") + mode.name;
    FilterInvocation inv = JobInvocation(mode, tmp.path());
    inv.program = "ticketfilter-testpaths";
    inv.input = PostScriptJob(100, 30000, marker);  // about 3 MB
    const StreamParts ref = SplitStream(Reference(inv));
    ASSERT_TRUE(ref.ok);

    inv.holdOutputUntilSignal = true;
    inv.sigtermAfterSeconds = 1.5;
    const FilterRun run = RunFilterProgram(inv);
    const StreamParts got = SplitStream(run.out);
    ASSERT_TRUE(got.ok) << run.out.substr(0, 200);
    EXPECT_EQ(got.header, ref.header);
    const std::string& ps = got.postscript;
    EXPECT_GT(ps.size(), 60000u);  // the printer had taken at least a pipe's worth
    EXPECT_LT(ps.size(), ref.postscript.size());
    EXPECT_EQ(ps, ref.postscript.substr(0, ps.size()));
    if (mode.decomposition) {
      EXPECT_TRUE(ps.ends_with("\nep\n"));
    } else {
      EXPECT_EQ(ref.postscript.compare(ps.size(), 3, "ep\n"), 0);
      EXPECT_TRUE(ps.ends_with("grestore\n"));  // the page's watermark, then the cut
    }
    ExpectCancelledCleanly(run, mode, tmp, marker);
  }
}

// After the last page: the signal comes while the rest of the input holds no page end any more.
// Pass-through writes the whole job; decomposition mode, cancelled before its replay, replays up
// to and including the first page end.
TEST_F(SigtermTest, AfterTheLastPage) {
  for (const Mode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    TempDir tmp;
    const std::string marker = std::string("sigterm-after-") + mode.name;
    FilterInvocation inv = JobInvocation(mode, tmp.path());
    inv.program = "ticketfilter-testpaths";
    const std::string job = PostScriptJob(3, 0, marker);
    // Decomposition mode reads one byte ahead: the last "ep" counts once the next line is in.
    const std::size_t tail = job.find("%%EOF");
    inv.input = job.substr(0, tail);
    inv.inputAfterSignal = job.substr(tail);
    inv.stdinStaysOpen = true;
    inv.sigtermAfterSeconds = 1.0;
    const std::string reference = Reference(inv);
    const StreamParts ref = SplitStream(reference);
    ASSERT_TRUE(ref.ok);

    const FilterRun run = RunFilterProgram(inv);
    if (mode.decomposition) {
      EXPECT_EQ(run.out, ref.header + ref.postscript.substr(0, AfterPageEnd(ref.postscript, 1)) +
                             kTrailer);
    } else {
      EXPECT_EQ(run.out, reference);
    }
    EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 1\nPAGE:2 1\nPAGE:3 1\n");
    ExpectCancelledCleanly(run, mode, tmp, marker);
  }
}

// After the stream: the whole job is written but the printer has not taken its end yet; the
// signal comes while the program waits to write it.  Nothing is cut.
TEST_F(SigtermTest, AfterTheStreamWhileTheEndIsWritten) {
  const Mode& mode = kModes[0];
  TempDir tmp;
  const std::string marker = "sigterm-at-the-end";
  FilterInvocation inv = JobInvocation(mode, tmp.path());
  inv.program = "ticketfilter-testpaths";
  // Between one and two buffers of output: the first goes into the pipe, the rest waits.
  inv.input = PostScriptJob(2, 45000, marker);
  const std::string reference = Reference(inv);
  ASSERT_GT(reference.size(), 70000u);
  ASSERT_LT(reference.size(), 120000u);

  inv.holdOutputUntilSignal = true;
  inv.sigtermAfterSeconds = 1.0;
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.out, reference);
  ExpectCancelledCleanly(run, mode, tmp, marker);
}

// ---- inputs that cannot be read ----------------------------------------------------------------

class BadInputTest : public ::testing::Test {
 protected:
  // The job fails with `error` and its stream holds the header and the trailer only: the header
  // of the same job with an empty input, and in pass-through mode its switch into PostScript.
  void ExpectFailed(const FilterRun& run, const Mode& mode, const FilterInvocation& inv,
                    const std::string& error) {
    FilterInvocation empty = inv;
    empty.file.reset();
    empty.input.clear();
    empty.ppd = DataPath(mode.ppd);
    const std::string header = BeforeSwitch(RunFilterProgram(empty).out);
    ASSERT_TRUE(header.starts_with(kUel));
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, error);
    EXPECT_EQ(run.out, header + (mode.decomposition ? "" : kEnterPostScript) + kTrailer);
  }
};

TEST_F(BadInputTest, DirectoryUnreadablePathAndReadErrorFailTheJob) {
  TempDir dir;
  WriteFile(dir.File("plain-file"), "");
  struct Case {
    std::string path;
    std::string error;
  };
  const Case cases[] = {
      {dir.path(), "ERROR: Unable to read print data: Is a directory\n"},
      {dir.File("plain-file") + "/job.ps", "ERROR: Unable to open print file: Not a directory\n"},
      {dir.File("missing.ps"), "ERROR: Unable to open print file: No such file or directory\n"},
      // Reading the start of a process's own memory fails with EIO.
      {"/proc/self/mem", "ERROR: Unable to read print data: Input/output error\n"},
  };
  for (const Mode& mode : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(mode.name) + " " + c.path);
      TempDir tmp;
      FilterInvocation inv = JobInvocation(mode, tmp.path());
      inv.options.clear();
      inv.file = c.path;
      ExpectFailed(RunFilterProgram(inv), mode, inv, c.error);
      EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
    }
  }
}

// The input file is removed after the job was submitted but before the filter opens it (the
// filter is held at its PPD, a FIFO): the job fails.  Removed while it is being read (the input is
// a FIFO whose name goes away half-way): the filter already holds it, and the job is whole.
TEST_F(BadInputTest, InputThatVanishes) {
  for (const Mode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    TempDir tmp;
    const std::string job = PostScriptJob(2, 0, "vanishing");
    FilterInvocation inv = JobInvocation(mode, tmp.path());
    inv.options.clear();
    inv.input = job;
    const std::string reference = RunFilterProgram(inv).out;
    inv.input.clear();

    WriteFile(tmp.File("job.ps"), job);
    const std::string fifo = tmp.File("ppd.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    inv.ppd = fifo;
    inv.file = tmp.File("job.ps");
    std::thread remover([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      std::filesystem::remove(tmp.File("job.ps"));
      WriteFile(fifo, *ReadFile(DataPath(mode.ppd)));
    });
    const FilterRun before = RunFilterProgram(inv);
    remover.join();
    ExpectFailed(before, mode, inv,
                 "ERROR: Unable to open print file: No such file or directory\n");

    inv.ppd = DataPath(mode.ppd);
    const std::string input = tmp.File("job.fifo");
    ASSERT_EQ(mkfifo(input.c_str(), 0600), 0);
    inv.file = input;
    std::thread writer([&] {
      const int fd = open(input.c_str(), O_WRONLY);  // once the filter opened it
      std::filesystem::remove(input);
      const std::size_t half = job.size() / 2;
      EXPECT_EQ(write(fd, job.data(), half), static_cast<ssize_t>(half));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      EXPECT_EQ(write(fd, job.data() + half, job.size() - half),
                static_cast<ssize_t>(job.size() - half));
      close(fd);
    });
    const FilterRun during = RunFilterProgram(inv);
    writer.join();
    EXPECT_EQ(during.exitStatus, 0) << during.err;
    EXPECT_EQ(during.out, reference);
  }
}

// ---- PPDs that cannot be read --------------------------------------------------------------------

// A PPD that is missing, empty, binary garbage or a directory is treated as no PPD (byte mode,
// pass-through, no comment block), with a DEBUG line that says so; the job prints.
TEST(BadPpdTest, UnreadablePpdIsNoPpdWithADebugLine) {
  TempDir dir;
  WriteFile(dir.File("empty.ppd"), "");
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
  WriteFile(dir.File("garbage.ppd"), garbage);
  std::filesystem::create_directory(dir.File("directory.ppd"));
  const std::string job = PostScriptJob(2, 0, "bad-ppd");
  for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
    FilterInvocation inv;
    inv.program = program;
    inv.input = job;
    inv.options = WatermarkOptions(std::string(program) == "ticketfilter" ? kPrefix
                                                                         : "com.brantlowe.basicticket.");
    const FilterRun withoutPpd = RunFilterProgram(inv);
    ASSERT_EQ(withoutPpd.exitStatus, 0);
    for (const char* name :
         {"missing.ppd", "empty.ppd", "garbage.ppd", "directory.ppd"}) {
      SCOPED_TRACE(std::string(program) + " " + name);
      inv.ppd = dir.File(name);
      const FilterRun run = RunFilterProgram(inv);
      EXPECT_EQ(run.exitStatus, 0);
      EXPECT_EQ(run.out, withoutPpd.out);
      EXPECT_EQ(StderrWithoutPageLines(run.err),
                "DEBUG: Unable to open the PPD file " + dir.File(name) +
                    "; the job goes on without its attributes.\n");
    }
  }
}

// ---- very large option texts -------------------------------------------------------------------

// Options the filter does not know change nothing, however many and however long they are.
TEST(LargeOptionsTest, TenThousandOptionsAndTheLongestArgumentChangeNothing) {
  const std::string job = PostScriptJob(2, 0, "large-options");
  FilterInvocation inv;
  inv.ppd = DataPath("utf8.ppd");
  inv.input = job;
  inv.options = WatermarkOptions() + "sides=two-sided-long-edge number-up=2 collate=true";
  const FilterRun plain = RunFilterProgram(inv);
  ASSERT_EQ(plain.exitStatus, 0);

  std::string many;
  for (int i = 0; i < 10000; ++i) many += " o" + std::to_string(i) + "=1";
  // The kernel takes one argument of at most 128 KiB (MAX_ARG_STRLEN), CUPS's option text too.
  const std::string longest = " x-long='" + std::string(126 * 1024, 'v') + "'";
  for (const std::string& extra : {many, longest}) {
    FilterInvocation big = inv;
    big.options = inv.options + extra;
    const auto start = std::chrono::steady_clock::now();
    const FilterRun run = RunFilterProgram(big);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, plain.out);
  }
}

// One megabyte of options cannot reach a program through its arguments; the job's steps take it
// in this process.  Unknown options change nothing; a watermark text of a megabyte is cut to its
// field and drawn as a closed string.
TEST(LargeOptionsTest, OneMegabyteOfOptionsInProcess) {
  auto run = [](const std::string& options) {
    TempDir dir;
    WriteFile(dir.File("job.ps"), PostScriptJob(1, 0, "megabyte"));
    FilterContext context;
    context.program = &FullProgram();
    context.options = options;
    context.printFile = dir.File("job.ps");
    context.ppdPath = DataPath("utf8.ppd");
    const InProcessRun run = RunInProcess(context);
    EXPECT_EQ(run.status, 0) << run.log;
    return run.out;
  };
  const std::string base = WatermarkOptions() + "sides=two-sided-long-edge";
  const std::string plain = run(base);
  ASSERT_TRUE(SplitStream(plain).ok);
  EXPECT_EQ(run(base + " x-junk='" + std::string(1 << 20, 'j') + "'"), plain);

  const std::string longText =
      run(base + " " + kPrefix + "WMARKTextTicket='(" + std::string(1 << 20, 'W') + ")'");
  const std::string show = "(\\(" + std::string(254, 'W') + ") show\ngrestore\nep\n";
  EXPECT_NE(SplitStream(longText).postscript.find(show), std::string::npos);
}

// ---- a job-copy directory that cannot be written ---------------------------------------------

// The job copy is optional: without it the job prints, with a DEBUG line.  Decomposition mode
// without TMPDIR keeps its temporary file in the same directory: without it, the job fails.
TEST(JobCopyDirectoryTest, UnwritableDirectory) {
  TurnJobCopyOn();
  // The directory's parent is a regular file: even root cannot create anything in it.
  const std::string blocked = std::string(TF_TEST_ROOT) + "/blocked";
  if (!std::filesystem::is_regular_file(blocked)) WriteFile(blocked, "");
  const std::string jobCopyDir = blocked + "/jobs";

  const std::string job = PostScriptJob(2, 0, "blocked-copy");
  for (const Mode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    TempDir tmp;
    FilterInvocation inv = JobInvocation(mode, tmp.path());
    inv.input = job;
    const FilterRun reference = RunFilterProgram(inv);
    inv.program = "ticketfilter-blockedcopy-testpaths";
    const FilterRun run = RunFilterProgram(inv);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, reference.out);
    EXPECT_EQ(StderrWithoutPageLines(run.err),
              "DEBUG: No job copy: cannot create it in " + jobCopyDir + ": Not a directory\n");
  }

  FilterInvocation inv = JobInvocation(kModes[1], "");
  inv.program = "ticketfilter-blockedcopy-testpaths";
  inv.input = job;
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(StderrWithoutPageLines(run.err),
            "DEBUG: No job copy: cannot create it in " + jobCopyDir +
                ": Not a directory\n"
                "ERROR: Unable to create a temporary file for the print data: Not a directory\n");
  EXPECT_TRUE(run.out.ends_with(kTrailer));
  EXPECT_EQ(run.out.find(kEnterPostScript), std::string::npos);
}

// ---- many jobs at once ---------------------------------------------------------------------------

// Fifty jobs started together, half of them in decomposition mode, with the job copy on: every
// job's stream is its own PostScript in its frame, every job copy is whole and its own, and no
// temporary file is left.
TEST(ConcurrentJobsTest, FiftyJobsInTheSameSecond) {
  TurnJobCopyOn();
  TempDir tmp;
  constexpr int kJobs = 50;
  auto input = [](int i) {
    return "%!PS\n%%BeginProlog\n%%EndProlog\nbp\n(concurrent job " + std::to_string(i) +
           " of fifty) show\n" + std::string(static_cast<std::size_t>(i) * 997, '%') +
           "\nep\n%%EOF\n";
  };
  auto invocation = [&](int i) {
    FilterInvocation inv = JobInvocation(kModes[i % 2], tmp.path());
    inv.program = "ticketfilter-testpaths";
    inv.options.clear();
    inv.input = input(i);
    return inv;
  };

  // The frame of each mode, from one job run alone.
  std::string headBefore[2], headAfter[2];
  for (int m = 0; m < 2; ++m) {
    FilterInvocation inv = invocation(m);
    inv.program = "ticketfilter";
    const FilterRun run = RunFilterProgram(inv);
    ASSERT_EQ(run.exitStatus, 0);
    const StreamParts parts = SplitStream(run.out);
    ASSERT_TRUE(parts.ok);
    ASSERT_EQ(parts.postscript, input(m) + "\x04");
    headBefore[m] = BeforeSwitch(run.out);
    headAfter[m] = parts.header.substr(headBefore[m].size());
  }

  std::vector<FilterRun> runs(kJobs);
  std::barrier start(kJobs);
  std::vector<std::thread> threads;
  for (int i = 0; i < kJobs; ++i) {
    threads.emplace_back([&, i] {
      const FilterInvocation inv = invocation(i);
      start.arrive_and_wait();
      runs[static_cast<std::size_t>(i)] = RunFilterProgram(inv);
    });
  }
  for (std::thread& t : threads) t.join();

  std::set<std::string> copies;
  for (int i = 0; i < kJobs; ++i) {
    SCOPED_TRACE("job " + std::to_string(i));
    const FilterRun& run = runs[static_cast<std::size_t>(i)];
    const int m = i % 2;
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, headBefore[m] + headAfter[m] + input(i) + "\x04" + kTrailer);
    const std::vector<std::string> copy =
        TakeJobCopiesWith("(concurrent job " + std::to_string(i) + " of fifty)");
    ASSERT_EQ(copy.size(), 1u);
    // Pass-through: the copy is the stream; decomposition mode: the PostScript comes before the
    // switch into PostScript in the copy.
    EXPECT_EQ(copy[0], m == 0 ? run.out
                              : headBefore[m] + input(i) + "\x04" + headAfter[m] + kTrailer);
    copies.insert(copy[0]);
  }
  EXPECT_EQ(copies.size(), static_cast<std::size_t>(kJobs));
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

}  // namespace
}  // namespace tf::test
