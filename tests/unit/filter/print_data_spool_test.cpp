// The spool of the decomposition mode and its one replay loop: the kept PostScript, plain or as
// references to the print file, back to the printer whole, or up to the next page end once the job
// is cancelled.
#include "filter/print_data_spool.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <iterator>
#include <string>

#include "engine/output_channel.h"
#include "support/filter_runner.h"
#include "support/job_harness.h"

namespace tf::test {
namespace {

int MemoryFileWith(const std::string& data) {
  const int fd = memfd_create("kept", 0);
  EXPECT_EQ(write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
  lseek(fd, 0, SEEK_SET);
  return fd;
}

TEST(ReplayTest, StopsAfterAPageEndLineOnceCancelled) {
  const std::string kept = "%!PS\nbp\nep\nbp\nendp\nbp\nshowpage\nrest\n\x04";
  struct Case {
    bool cancel;
    std::string out;
    StreamStatus status;
  };
  const Case cases[] = {
      {false, kept, StreamStatus::Completed},
      {true, "%!PS\nbp\nep\n", StreamStatus::Cancelled},
  };
  for (const Case& c : cases) {
    const std::atomic<bool> cancel{c.cancel};
    JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
    h.job().cancel = &cancel;
    const int fd = MemoryFileWith(kept);
    EXPECT_EQ(ReplayPrintData(h.job(), fd), c.status);
    close(fd);
    EXPECT_EQ(h.Output(), c.out);
  }
  // "endp" and "showpage" are page ends too.
  for (const std::string pageEnd : {"endp", "showpage"}) {
    const std::atomic<bool> cancel{true};
    JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
    h.job().cancel = &cancel;
    const std::string data = "a\n" + pageEnd + "\nb\n";
    const int fd = MemoryFileWith(data);
    EXPECT_EQ(ReplayPrintData(h.job(), fd), StreamStatus::Cancelled);
    close(fd);
    EXPECT_EQ(h.Output(), "a\n" + pageEnd + "\n");
  }
}

TEST(ReplayTest, LargeDataGoesOutWhole) {
  std::string data;
  for (int i = 0; data.size() < (5u << 20); ++i) {
    data += "(line " + std::to_string(i) + ") show\nep\n";
  }
  data += "\x04";
  JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
  h.job().out.Write("before\n");  // pending output goes first
  const int fd = MemoryFileWith(data);
  EXPECT_EQ(ReplayPrintData(h.job(), fd), StreamStatus::Completed);
  close(fd);
  EXPECT_EQ(h.Output(), "before\n" + data);
}

TEST(ReplayTest, CancelledInsideALineLooksOnlyAtWholeLines) {
  const std::string data = "xxxxep\nfoo\nep\nbar\n";
  for (const bool midLine : {true, false}) {
    const std::atomic<bool> cancel{true};
    JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
    h.job().cancel = &cancel;
    const int fd = MemoryFileWith(data);
    lseek(fd, 4, SEEK_SET);  // "xxxx" has gone out already
    EXPECT_EQ(ReplayPrintDataByLine(h.job(), fd, midLine), StreamStatus::Cancelled);
    close(fd);
    // Inside "xxxxep" the rest of the line is no page end; at a line start "ep" is one.
    EXPECT_EQ(h.Output(), midLine ? "ep\nfoo\nep\n" : "ep\n");
  }
}

// The temporary file of a regular input file: references to the input and the added bytes.
class PiecesReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; input_.size() < 300000; ++i) {
      input_ += "(line " + std::to_string(i) + ") show\n";
      if (i % 50 == 0) input_ += "ep\n";
    }
    inputFd_ = MemoryFileWith(input_);
    piecesFd_ = memfd_create("pieces", 0);
    pieces_.Attach(dup(piecesFd_));
    pieces_.ReferToSource();
  }
  void TearDown() override {
    close(inputFd_);
    close(piecesFd_);
  }
  // Input bytes [offset, offset + size) as the scanner hands them over.
  void Reference(std::size_t offset, std::size_t size) {
    pieces_.WriteBorrowed(input_.data() + offset, size, static_cast<std::int64_t>(offset));
    expected_ += input_.substr(offset, size);
  }
  void Added(const std::string& bytes) {
    pieces_.Write(bytes.data(), bytes.size());
    expected_ += bytes;
  }
  StreamStatus Replay(JobHarness& h) {
    pieces_.Flush();
    lseek(piecesFd_, 0, SEEK_SET);
    return ReplayPrintDataFromPieces(h.job(), piecesFd_, inputFd_);
  }

  std::string input_, expected_;
  int inputFd_ = -1, piecesFd_ = -1;
  OutFile pieces_;
};

TEST_F(PiecesReplayTest, ReferencesAndAddedBytesComeBackInOrder) {
  Added("%!PS\n");
  Reference(0, 100000);       // long enough to go out directly
  Reference(100000, 10);      // continues the reference before
  Added("inserted\n");
  Reference(150000, 40);      // short: through the buffer
  pieces_.WriteBorrowed("borrowed", 8, -1);  // borrowed bytes that are not input bytes
  expected_ += "borrowed";
  Added(std::string(70000, 'L'));  // more than the buffer holds
  Reference(150040, input_.size() - 150040);
  Added("\x04");
  JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
  h.job().out.Write("header\n");  // pending output goes first
  EXPECT_EQ(Replay(h), StreamStatus::Completed);
  EXPECT_TRUE(h.Output() == "header\n" + expected_);
}

TEST_F(PiecesReplayTest, CancelledStopsAfterTheNextPageEndAcrossPieces) {
  Reference(0, 7);  // "(line 0"
  Added(" and more) show\nbp\nshow");
  Added("page\nrest\n");
  const std::atomic<bool> cancel{true};
  JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
  h.job().cancel = &cancel;
  EXPECT_EQ(Replay(h), StreamStatus::Cancelled);
  EXPECT_EQ(h.Output(), "(line 0 and more) show\nbp\nshowpage\n");
}

TEST_F(PiecesReplayTest, AnInputThatBecameShorterFailsTheReplay) {
  for (const std::size_t size : {std::size_t{200000}, std::size_t{100}}) {
    OutFile pieces(memfd_create("pieces", 0));
    pieces.ReferToSource();
    pieces.WriteBorrowed(input_.data(), size, static_cast<std::int64_t>(input_.size() - size / 2));
    pieces.Flush();
    lseek(pieces.fd(), 0, SEEK_SET);
    JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
    EXPECT_EQ(ReplayPrintDataFromPieces(h.job(), pieces.fd(), inputFd_), StreamStatus::InputError)
        << size;
  }
}

// The spool of a job: plain for a pipe, references for a regular file; the same bytes come back.
TEST(PrintDataSpoolTest, PlainOrByReferenceTheSameBytesComeBack) {
  std::string input;
  for (int i = 0; input.size() < 200000; ++i) {
    input += "(line " + std::to_string(i) + ") show\nep\n";
  }
  TempDir dir;
  WriteFile(dir.File("job.ps"), input);
  for (const bool regular : {true, false}) {
    SCOPED_TRACE(regular ? "regular file" : "pipe");
    JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
    int fds[2] = {-1, -1};
    int in = -1;
    if (regular) {
      in = open(dir.File("job.ps").c_str(), O_RDONLY | O_CLOEXEC);
    } else {
      ASSERT_EQ(pipe(fds), 0);
      in = fds[0];
    }
    PrintDataSpool spool;
    ASSERT_TRUE(spool.Create(dir.path(), in));
    EXPECT_EQ(spool.file().refersToSource(), regular);
    // What a first pass writes: the input as borrowed spans (with their offsets), and added bytes.
    PrinterStream toSpool(&spool.file(), nullptr);
    toSpool.Write("added\n");
    toSpool.WriteBorrowed(input.data(), input.size(), regular ? 0 : -1);
    toSpool.Write("\x04");
    toSpool.ReleaseBorrowed();
    EXPECT_EQ(spool.Replay(h.job()), StreamStatus::Completed) << h.Log();
    EXPECT_TRUE(h.Output() == "added\n" + input + "\x04");
    // The spool has no name: the directory holds the print file alone.
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 1);
    close(in);
    if (!regular) close(fds[1]);
  }
}

// The spool refers to the print file: a print file that changed before the replay is an error,
// never a mix of two files.
TEST(PrintDataSpoolTest, APrintFileThatChangedIsNotReplayed) {
  TempDir dir;
  WriteFile(dir.File("job.ps"), "%!PS\nep\n");
  const int in = open(dir.File("job.ps").c_str(), O_RDONLY | O_CLOEXEC);
  JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
  PrintDataSpool spool;
  ASSERT_TRUE(spool.Create(dir.path(), in));
  PrinterStream toSpool(&spool.file(), nullptr);
  const std::string kept = "%!PS\nep\n";
  toSpool.WriteBorrowed(kept.data(), kept.size(), 0);
  toSpool.ReleaseBorrowed();
  WriteFile(dir.File("job.ps"), "%!PS\nep\nmore\n");  // grown since the first pass
  EXPECT_EQ(spool.Replay(h.job()), StreamStatus::InputError);
  EXPECT_EQ(h.Output(), "");
  EXPECT_NE(h.Log().find("ERROR: The print file changed while it was read"), std::string::npos);
  close(in);
}

}  // namespace
}  // namespace tf::test
