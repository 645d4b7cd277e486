// The output channel: the job copy first, then the stream; buffered, borrowed and spliced bytes
// in their order.
#include "engine/output_channel.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace tf {
namespace {

std::string ReadAll(int fd) {
  std::string result;
  char buffer[4096];
  off_t offset = 0;
  for (ssize_t n; (n = pread(fd, buffer, sizeof(buffer), offset)) > 0; offset += n) {
    result.append(buffer, static_cast<std::size_t>(n));
  }
  return result;
}

class OutputChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    streamFd_ = memfd_create("stream", 0);
    copyFd_ = memfd_create("copy", 0);
    stream_.Attach(dup(streamFd_));
  }
  void TearDown() override {
    close(streamFd_);
    close(copyFd_);
  }
  int streamFd_ = -1, copyFd_ = -1;
  OutFile stream_, copy_;
};

TEST_F(OutputChannelTest, JobCopyReceivesTheSameBytes) {
  copy_.Attach(dup(copyFd_));
  PrinterStream out(&stream_, &copy_);
  out.Write("abc");
  out.Write("\n");
  out.Write("x\0y", 3);
  out.Write(std::string_view("100%% done"));
  stream_.Flush();
  copy_.Flush();
  const std::string expected("abc\nx\0y100%% done", 17);
  EXPECT_EQ(ReadAll(streamFd_), expected);
  EXPECT_EQ(ReadAll(copyFd_), expected);
}

TEST_F(OutputChannelTest, WithoutJobCopyOnlyTheStream) {
  PrinterStream out(&stream_, &copy_);
  out.Write("abc");
  stream_.Flush();
  EXPECT_EQ(ReadAll(streamFd_), "abc");
  EXPECT_EQ(ReadAll(copyFd_), "");
}

TEST_F(OutputChannelTest, LargeWritesKeepTheirOrder) {
  PrinterStream out(&stream_, &copy_);
  std::string big(OutFile::kBufferSize * 3 + 17, 'b');
  out.Write("head");
  out.Write(big);
  out.Write("tail");
  stream_.Flush();
  EXPECT_EQ(ReadAll(streamFd_), "head" + big + "tail");
}

// The scanner's pattern: borrowed spans between small copied pieces, more pieces than one
// gathered write holds and more copied bytes than the buffer holds.
std::string InterleavedWrites(PrinterStream& out, std::vector<std::string>& spans) {
  std::string expected;
  for (int i = 0; i < 700; ++i) {
    spans.push_back(std::string(static_cast<std::size_t>(1 + (i * 37) % 3000), char('a' + i % 26)));
  }
  for (int i = 0; i < 700; ++i) {
    std::string piece = "<";
    piece += std::to_string(i);
    piece += '>';
    piece.append(i % 200, '.');
    out.Write(piece);
    out.WriteBorrowed(spans[i].data(), spans[i].size());
    expected += piece + spans[i];
  }
  out.Write("end");
  return expected + "end";
}

TEST_F(OutputChannelTest, BorrowedAndCopiedBytesKeepTheirOrder) {
  copy_.Attach(dup(copyFd_));
  PrinterStream out(&stream_, &copy_);
  std::vector<std::string> spans;
  const std::string expected = InterleavedWrites(out, spans);
  out.ReleaseBorrowed();
  EXPECT_EQ(ReadAll(streamFd_), expected);
  EXPECT_EQ(ReadAll(copyFd_), expected);
}

TEST(OutFileTest, GatheredWritesSurviveAFullNonBlockingPipe) {
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_NONBLOCK), 0);
  fcntl(fds[1], F_SETPIPE_SZ, 4096);  // a small pipe: writes are taken in part
  std::string received;
  std::thread reader([&received, fd = fds[0]] {
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    char buffer[777];
    for (ssize_t n; (n = read(fd, buffer, sizeof(buffer))) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
    }
  });
  std::string expected;
  {
    OutFile file(fds[1]);
    OutFile none;
    PrinterStream out(&file, &none);
    std::vector<std::string> spans;
    expected = InterleavedWrites(out, spans);
    out.ReleaseBorrowed();
    EXPECT_EQ(file.error(), 0);
    EXPECT_TRUE(file.Close());
  }
  reader.join();
  close(fds[0]);
  EXPECT_EQ(received.size(), expected.size());
  EXPECT_TRUE(received == expected);
}

// Long borrowed spans with a source offset go from the source file to the pipe by splice; a span
// that the source cannot give whole (it is shorter than the offsets say) goes out from the
// borrowed bytes, and so does everything after it.
TEST(OutFileTest, SplicedSpansKeepTheirOrderAndFallBackToTheBorrowedBytes) {
  std::string source;
  for (int i = 0; source.size() < 600000; ++i) source += "(line " + std::to_string(i) + ")\n";
  const int sourceFd = memfd_create("source", 0);
  ASSERT_EQ(write(sourceFd, source.data(), source.size()), static_cast<ssize_t>(source.size()));
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string received;
  std::thread reader([&received, fd = fds[0]] {
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof(buffer))) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
    }
  });
  std::string expected;
  // The borrowed bytes, as the scanner's chunk holds them; here they differ from the source file
  // in one byte a line, so that the output shows which way each span went.
  std::string chunk = source;
  for (char& c : chunk) c = c == '(' ? '[' : c;
  // A span that runs past the end of the source file (as after the file was cut short).
  const std::string tail = source.substr(source.size() - 1000) + std::string(199000, 'T');
  {
    OutFile file(fds[1]);
    file.SpliceFromSource(sourceFd);
    auto borrow = [&](std::size_t offset, std::size_t size, const std::string& expectedFrom) {
      file.WriteBorrowed(chunk.data() + offset, size, static_cast<std::int64_t>(offset));
      expected += expectedFrom.substr(offset, size);
    };
    file.Write("head\n", 5);
    expected += "head\n";
    borrow(0, 100000, source);       // spliced
    borrow(100000, 100000, source);  // continues the span before
    file.Write("ins\n", 4);
    expected += "ins\n";
    borrow(250000, 1000, chunk);     // short: written from memory
    borrow(300000, 70000, source);   // spliced
    file.Flush();
    file.WriteBorrowed(tail.data(), tail.size(), static_cast<std::int64_t>(source.size() - 1000));
    expected += tail;
    borrow(400000, 100000, chunk);   // after a splice that fell short: from memory
    EXPECT_TRUE(file.Close());
  }
  reader.join();
  close(fds[0]);
  close(sourceFd);
  EXPECT_EQ(received.size(), expected.size());
  EXPECT_TRUE(received == expected);
}

TEST(OutFileTest, PipesGetTheLargeBufferOtherFilesAreLeftAlone) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  EnlargePipeBuffer(fds[1]);
  EXPECT_GE(fcntl(fds[1], F_GETPIPE_SZ), kPipeBufferSize);
  close(fds[0]);
  close(fds[1]);
  const int file = memfd_create("file", 0);
  EnlargePipeBuffer(file);  // not a pipe: nothing happens
  EXPECT_EQ(write(file, "x", 1), 1);
  close(file);
}

TEST(OutFileTest, WriteErrorIsRememberedAndLaterWritesDropped) {
  int fd = open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  OutFile file(fd);
  file.Write("abc", 3);
  file.Flush();
  EXPECT_EQ(file.error(), ENOSPC);
  file.Write("def", 3);
  file.WriteBorrowed("ghi", 3);
  file.Flush();
  EXPECT_EQ(file.error(), ENOSPC);
  EXPECT_FALSE(file.Close());
}

}  // namespace
}  // namespace tf
