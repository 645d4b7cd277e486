// The job's lifecycle through the built programs: arguments, unreadable input, signals, a closed
// output, the job copy.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <regex>
#include <thread>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

TEST(LifecycleTest, FewerThanSixArgumentsIsAUsageError) {
  for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
    FilterInvocation inv;
    inv.program = program;
    inv.rawArgs = std::vector<std::string>{"1", "tux", "title", "1"};
    const FilterRun run = RunFilterProgram(inv);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string("Usage: ") + program +
                           " job-id user title copies options [file]\n");
  }
}

TEST(LifecycleTest, UnreadableInputFailsTheJobButClosesTheStream) {
  FilterInvocation inv;
  inv.ppd = DataPath("plain.ppd");
  inv.file = "/nonexistent/job.ps";
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("ERROR: Unable to open print file: No such file or directory\n"),
            std::string::npos);
  const StreamParts parts = SplitStream(run.out);
  ASSERT_TRUE(parts.ok);  // the header and the trailer are still written
  EXPECT_EQ(parts.postscript, "");
}

TEST(LifecycleTest, InputThatIsADirectoryFailsTheJob) {
  TempDir dir;
  FilterInvocation inv;
  inv.file = dir.path();
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("ERROR: Unable to read print data: Is a directory\n"),
            std::string::npos);
  EXPECT_TRUE(SplitStream(run.out).ok);
}

TEST(LifecycleTest, SigtermStopsAtTheNextPageEndAndStillWritesTheTrailer) {
  FilterInvocation inv;
  inv.ppd = DataPath("plain.ppd");
  inv.input = "%!PS\nbp\n(page 1) show\nep\n";
  inv.stdinStaysOpen = true;
  inv.sigtermAfterSeconds = 0.5;
  inv.inputAfterSignal = "bp\n(page 2) show\nep\nbp\nep\n%%EOF\n";
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 0);
  const StreamParts parts = SplitStream(run.out);
  ASSERT_TRUE(parts.ok);
  // Cut before the second "ep": no control-D, but the trailer.
  EXPECT_EQ(parts.postscript, "%!PS\nbp\n(page 1) show\nep\nbp\n(page 2) show\n");
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 1\n");
}

TEST(LifecycleTest, ClosedOutputFailsTheJob) {
  FilterInvocation inv;
  inv.input = "%!PS\n" + std::string(1 << 20, 'x') + "\nep\n";
  inv.closeStdoutAtStart = true;
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.signal, 0);
}

TEST(LifecycleTest, OutputThatCannotBeWrittenIsReportedAndFailsTheJob) {
  // /dev/full as standard output: every write fails with ENOSPC.
  TempDir dir;
  const std::string command = ProgramPath("ticketfilter") + " 1 tux title 1 '' </dev/null >/dev/full 2>" +
                              dir.File("err");
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(*ReadFile(dir.File("err")),
            "ERROR: Unable to write print data: No space left on device\n");
}

// The -testpaths programs take their flag file and job-copy directory from the build tree.
class JobCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(std::string(TF_TEST_ROOT) + "/flag");
    std::filesystem::create_directories(jobsDir_);
    WriteFile(std::string(TF_TEST_ROOT) + "/flag/qmjobcopy", "");
  }
  // The job copy holding exactly `content`; removed once found.
  std::optional<std::string> TakeCopyWith(const std::string& content, mode_t* mode) {
    for (const auto& entry : std::filesystem::directory_iterator(jobsDir_)) {
      auto data = ReadFile(entry.path().string());
      if (data && *data == content) {
        struct stat st;
        stat(entry.path().c_str(), &st);
        *mode = st.st_mode & 07777;
        const std::string name = entry.path().filename().string();
        std::filesystem::remove(entry.path());
        return name;
      }
    }
    return std::nullopt;
  }
  const std::string jobsDir_ = std::string(TF_TEST_ROOT) + "/jobs";
};

TEST_F(JobCopyTest, CopyHoldsTheSameBytesAsStandardOutputWithMode0676) {
  for (const char* program : {"ticketfilter-testpaths", "ticketfilter-basic-testpaths"}) {
    FilterInvocation inv;
    inv.program = program;
    inv.title = std::string("copy test ") + program;
    inv.ppd = DataPath("utf8.ppd");
    inv.input = "%!PS\nbp\nep\n%%EOF\n" + std::string(300000, 'z') + "\n";
    const FilterRun run = RunFilterProgram(inv);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    mode_t mode = 0;
    auto name = TakeCopyWith(run.out, &mode);
    ASSERT_TRUE(name) << program;
    EXPECT_EQ(mode, 0676u);
    // "qm", the fourteen-digit stamp, and a "-<n>" variant only when the name was taken.
    EXPECT_TRUE(std::regex_match(*name, std::regex("qm[0-9]{14}(-[0-9]+)?\\.job"))) << *name;
  }
}

TEST_F(JobCopyTest, JobsInTheSameSecondKeepTheirOwnCopies) {
  constexpr int kJobs = 6;
  std::vector<FilterRun> runs(kJobs);
  std::vector<std::thread> threads;
  for (int i = 0; i < kJobs; ++i) {
    threads.emplace_back([&runs, i] {
      FilterInvocation inv;
      inv.program = "ticketfilter-testpaths";
      inv.input = "%!PS\n(job " + std::to_string(i) + ") show\nep\n";
      runs[static_cast<std::size_t>(i)] = RunFilterProgram(inv);
    });
  }
  for (std::thread& t : threads) t.join();
  for (const FilterRun& run : runs) {
    ASSERT_EQ(run.exitStatus, 0);
    mode_t mode = 0;
    EXPECT_TRUE(TakeCopyWith(run.out, &mode));
  }
}

TEST_F(JobCopyTest, ExistingLinkIsNeverFollowed) {
  // The names of this second and the next few are taken by links to a victim file (where no
  // other job took them first): the copy must go to a free variant, the victim stays untouched.
  TempDir dir;
  WriteFile(dir.File("victim"), "precious");
  const std::time_t now = std::time(nullptr);
  std::vector<std::string> links;
  for (std::time_t t = now; t < now + 3; ++t) {
    char stamp[32];
    struct tm local;
    localtime_r(&t, &local);
    std::strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", &local);
    const std::string link = jobsDir_ + "/qm" + stamp + ".job";
    std::error_code taken;
    std::filesystem::create_symlink(dir.File("victim"), link, taken);
    if (!taken) links.push_back(link);
  }
  FilterInvocation inv;
  inv.program = "ticketfilter-testpaths";
  inv.input = "%!PS\n(link test) show\nep\n";
  const FilterRun run = RunFilterProgram(inv);
  ASSERT_EQ(run.exitStatus, 0);
  EXPECT_EQ(*ReadFile(dir.File("victim")), "precious");
  mode_t mode = 0;
  auto name = TakeCopyWith(run.out, &mode);
  ASSERT_TRUE(name);
  // Where this test's link held the base name of the job's second, the copy took a variant.
  const std::string base = jobsDir_ + "/" + name->substr(0, 16) + ".job";
  for (const std::string& link : links) {
    EXPECT_NE(jobsDir_ + "/" + *name, link);
    if (link == base) {
      EXPECT_TRUE(std::regex_match(*name, std::regex("qm[0-9]{14}-[0-9]+\\.job"))) << *name;
    }
  }
  for (const std::string& link : links) std::filesystem::remove(link);
}

}  // namespace
}  // namespace tf::test
