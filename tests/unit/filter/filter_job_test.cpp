// The filter as a function: jobs run in this process from their context, several at once on
// threads with a PPD parsed once, and the context a CUPS filter process builds from its arguments.
#include "filter/filter_job.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

constexpr char kPrefix[] = "com.brantlowe.ticket.";

void WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// `text` without its lines that begin with `prefix`.
std::string WithoutLines(const std::string& text, const std::string& prefix) {
  std::string kept;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(pos, prefix.size(), prefix) != 0) kept += text.substr(pos, end - pos);
    pos = end;
  }
  return kept;
}

std::string Tickets(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string text;
  for (const auto& [name, value] : pairs) text += std::string(kPrefix) + name + "=" + value + " ";
  return text;
}

// A job with every kind of work: secure print, account rows, a watermark on every page, finishing
// and binding options whose PPD look-ups go through libcups, and the comment block.
std::string BusyOptions() {
  return Tickets({{"PrintTypeTicketKey", "2"},
                  {"PrintTypeUserNameTicketKey", "tux"},
                  {"PrintTypePasswordTicketKey", "1234"},
                  {"JBAManageTypeListTicketKey", "2"},
                  {"JBAUserSettingRadioBtnTicket", "1"},
                  {"JBAUserIDListCtrlTicket", "2"},
                  {"JBAUserIDTextEditTicket", "u42"},
                  {"WMARKTypeTicket", "0"},
                  {"WMARKNameTicket", "Confidential"},
                  {"WMARKTextTicket", "(Secret)"},
                  {"WMARKOnlyFirstTicket", "0"},
                  {"WMARKFontTicket", "Helvetica"},
                  {"WMARKFontSizeTicket", "48"}}) +
         "QMPBindPosition=BindLeft QMPBindPageSize=A4 QMPBindTrimming=3EdgeSpecifySize "
         "QMPBindCutPageSize=A5 QMColorMode=Auto QMStaple=UpperLeftSingle number-up=2";
}

std::string Pages(int count) {
  std::string ps = "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def /ep {showpage} def\n%%EndProlog\n";
  for (int page = 1; page <= count; ++page) {
    const std::string n = std::to_string(page);
    ps += "%%Page: " + n + " " + n + "\nbp\n%%EndPageSetup\n(" + n + ") show\nep\n";
  }
  return ps + "%%EOF\n";
}

std::string DecompositionJob() {
  return "%!PS\n%%BeginFeature: *QMTonerSaver True\n%%EndFeature\n"
         "%%BeginFeature: *QMOutputMode 1200x1200\n%%EndFeature\n" +
         Pages(3);
}

// The jobs of the tests below, as contexts; the print files live in `dir`.
struct Jobs {
  TempDir dir;
  PpdFile utf8;  // parsed once, shared by every job on it
  std::vector<FilterContext> contexts;

  Jobs() {
    EXPECT_TRUE(utf8.Open(DataPath("utf8.ppd").c_str()));
    WriteFile(dir.File("pages.ps"), Pages(4));
    WriteFile(dir.File("decomposition.ps"), DecompositionJob());

    FilterContext busy;
    busy.program = &FullProgram();
    busy.user = "alice";
    busy.title = "Quarterly report";
    busy.copies = "2";
    busy.options = BusyOptions();
    busy.printFile = dir.File("pages.ps");
    busy.ppd = &utf8;
    contexts.push_back(busy);

    FilterContext basic = busy;  // the other program, on the same parsed PPD
    basic.program = &BasicProgram();
    basic.options = "com.brantlowe.basicticket.WMARKTypeTicket=0 "
                    "com.brantlowe.basicticket.WMARKNameTicket=Draft "
                    "com.brantlowe.basicticket.WMARKTextTicket=(Draft) QMColorMode=Black";
    contexts.push_back(basic);

    FilterContext decomposition;  // its own PPD, parsed by the job, and a temporary file
    decomposition.program = &FullProgram();
    decomposition.user = "bob";
    decomposition.title = "Features";
    decomposition.options = BusyOptions();
    decomposition.printFile = dir.File("decomposition.ps");
    decomposition.ppdPath = DataPath("decomp-color.ppd");
    decomposition.temporaryDirectory = dir.path();
    contexts.push_back(decomposition);
  }
};

TEST(FilterJobTest, AJobRunsFromItsContextAlone) {
  Jobs jobs;
  const InProcessRun run = RunInProcess(jobs.contexts[0]);
  EXPECT_EQ(run.status, 0) << run.log;
  const StreamParts parts = SplitStream(run.out);
  ASSERT_TRUE(parts.ok) << run.out;
  EXPECT_NE(parts.header.find("@PJL SET HOLDENCRYPTKEY=\"1234\"\r\n"), std::string::npos);
  EXPECT_NE(parts.header.find("@PJL SET JOBATTR=\"@LUNA=alice\"\n"), std::string::npos);
  EXPECT_NE(parts.header.find("@PJL SET JOBATTR=\"@PBTP=A5\"\n"), std::string::npos);
  EXPECT_NE(parts.postscript.find("(Secret) show\ngrestore\nep\n"), std::string::npos);
  // The page lines go to the job's logger, with the copies of the context.
  EXPECT_EQ(LinesStartingWith(run.log, "PAGE:"), "PAGE:1 2\nPAGE:2 2\nPAGE:3 2\nPAGE:4 2\n");

  // The same job as the program runs it: the same printer stream, the same page lines.
  FilterInvocation inv;
  inv.user = "alice";
  inv.title = "Quarterly report";
  inv.copies = "2";
  inv.options = jobs.contexts[0].options;
  inv.file = *jobs.contexts[0].printFile;
  inv.ppd = DataPath("utf8.ppd");
  const FilterRun program = RunFilterProgram(inv);
  EXPECT_EQ(program.exitStatus, 0) << program.err;
  EXPECT_EQ(WithoutLines(program.out, "@PJL SET JOBATTR=\"@HOAD="),
            WithoutLines(run.out, "@PJL SET JOBATTR=\"@HOAD="));
  EXPECT_EQ(LinesStartingWith(program.err, "PAGE:"), LinesStartingWith(run.log, "PAGE:"));
}

// Jobs on several threads at once, two of them on one parsed PPD, give byte for byte what each
// gives alone: nothing of a job is shared but what is only read.
TEST(FilterJobTest, JobsAtOnceOnSeveralThreadsGiveWhatEachGivesAlone) {
  Jobs jobs;
  std::vector<InProcessRun> alone;
  for (const FilterContext& context : jobs.contexts) {
    alone.push_back(RunInProcess(context));
    ASSERT_EQ(alone.back().status, 0) << alone.back().log;
  }
  ASSERT_NE(alone[0].out, alone[1].out);
  ASSERT_NE(alone[0].out, alone[2].out);

  constexpr int kRounds = 6;
  const std::size_t threads = jobs.contexts.size() * 2;
  std::vector<std::vector<InProcessRun>> results(threads);
  std::atomic<int> ready{0};
  std::vector<std::thread> workers;
  for (std::size_t t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      ++ready;
      while (ready.load() < static_cast<int>(threads)) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        results[t].push_back(RunInProcess(jobs.contexts[(t + round) % jobs.contexts.size()]));
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  for (std::size_t t = 0; t < threads; ++t) {
    for (int round = 0; round < kRounds; ++round) {
      const std::size_t which = (t + round) % jobs.contexts.size();
      const InProcessRun& run = results[t][static_cast<std::size_t>(round)];
      EXPECT_EQ(run.status, 0) << "thread " << t << " round " << round;
      EXPECT_TRUE(run.out == alone[which].out) << "thread " << t << " round " << round;
      EXPECT_EQ(LinesStartingWith(run.log, "PAGE:"), LinesStartingWith(alone[which].log, "PAGE:"));
    }
  }
}

// The cancel flag stops the job at its next page end; the trailer is still written.  The output
// flag makes the exit status 1.
TEST(FilterJobTest, TheFlagsOfTheContext) {
  Jobs jobs;
  const std::atomic<bool> set{true};
  FilterContext cancelled = jobs.contexts[1];
  cancelled.cancel = &set;
  const InProcessRun run = RunInProcess(cancelled);
  EXPECT_EQ(run.status, 0);
  const StreamParts parts = SplitStream(run.out);
  ASSERT_TRUE(parts.ok);
  // The first page's watermark went out; its "ep", the other pages and control-D did not.
  EXPECT_NE(parts.postscript.find("(1) show\npgsave restore"), std::string::npos);
  EXPECT_EQ(parts.postscript.find("\nep\n"), std::string::npos);
  EXPECT_EQ(parts.postscript.find("(2) show"), std::string::npos);
  EXPECT_EQ(parts.postscript.back(), '\n');
  EXPECT_EQ(LinesStartingWith(run.log, "PAGE:"), "");

  FilterContext gone = jobs.contexts[1];
  gone.outputGone = &set;
  const InProcessRun goneRun = RunInProcess(gone);
  EXPECT_EQ(goneRun.status, 1);
  EXPECT_NE(goneRun.log.find("DEBUG: The printer connection was closed before the job ended."),
            std::string::npos);
}

TEST(FilterJobTest, InputThroughADescriptor) {
  Jobs jobs;
  FilterContext context = jobs.contexts[0];
  context.printFile.reset();
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  std::thread writer([fd = pipeFds[1]] {
    WriteAll(fd, Pages(4));
    close(fd);
  });
  context.inputFd = pipeFds[0];
  const InProcessRun run = RunInProcess(context);
  writer.join();
  close(pipeFds[0]);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, RunInProcess(jobs.contexts[0]).out);
}

TEST(FilterJobTest, FailuresAreErrorLinesOfTheJobsLogger) {
  Jobs jobs;
  FilterContext missing = jobs.contexts[0];
  missing.printFile = jobs.dir.File("missing.ps");
  InProcessRun run = RunInProcess(missing);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(LinesStartingWith(run.log, "ERROR:"),
            "ERROR: Unable to open print file: No such file or directory\n");
  EXPECT_TRUE(SplitStream(run.out).ok);  // the header and the trailer still went out

  FilterContext noProgram;
  run = RunInProcess(noProgram);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.log, "ERROR: No program to run the job with.\n");
  EXPECT_EQ(run.out, "");

  FilterContext unreadablePpd = jobs.contexts[0];
  unreadablePpd.ppd = nullptr;
  unreadablePpd.ppdPath = jobs.dir.File("missing.ppd");
  run = RunInProcess(unreadablePpd);
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.log.find("DEBUG: Unable to open the PPD file " + jobs.dir.File("missing.ppd") +
                         "; the job goes on without its attributes.\n"),
            std::string::npos);
}

// What main takes from a CUPS filter's arguments and environment.
TEST(CupsArgumentsTest, ArgumentsAndEnvironment) {
  CapturingLogger log;
  FilterContext context;
  context.program = &FullProgram();
  context.log = &log;
  char program[] = "ticketfilter", id[] = "7", user[] = "u", title[] = "t", copies[] = "3",
       options[] = "a=b", file[] = "/print/file";
  char* six[] = {program, id, user, title, copies, options, nullptr};
  char* seven[] = {program, id, user, title, copies, options, file, nullptr};
  setenv("PPD", "/ppd/path.ppd", 1);
  setenv("TMPDIR", "/spool/tmp", 1);
  ASSERT_TRUE(ReadCupsArguments(6, six, context));
  EXPECT_EQ(context.jobId, "7");
  EXPECT_EQ(context.user, "u");
  EXPECT_EQ(context.title, "t");
  EXPECT_EQ(context.copies, "3");
  EXPECT_EQ(context.options, "a=b");
  EXPECT_FALSE(context.printFile.has_value());
  EXPECT_EQ(context.inputFd, 0);
  EXPECT_EQ(context.outputFd, 1);
  EXPECT_EQ(context.ppdPath, "/ppd/path.ppd");
  EXPECT_EQ(context.temporaryDirectory, "/spool/tmp");
  ASSERT_TRUE(ReadCupsArguments(7, seven, context));
  EXPECT_EQ(context.printFile, "/print/file");
  unsetenv("PPD");
  unsetenv("TMPDIR");
  EXPECT_EQ(log.Text(), "");

  EXPECT_FALSE(ReadCupsArguments(5, seven, context));
  EXPECT_EQ(log.Text(), "Usage: ticketfilter job-id user title copies options [file]\n");
}

}  // namespace
}  // namespace tf::test
