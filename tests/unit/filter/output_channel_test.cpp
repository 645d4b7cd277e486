// The output channel: the job copy first, then the stream; "%%" in QMfprintf.
#include "filter/output_channel.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

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
  QMfputs("abc", out);
  QMfputc('\n', out);
  QMfwrite("x\0y", 1, 3, out);
  QMfprintf(out, "100%% done");
  stream_.Flush();
  copy_.Flush();
  const std::string expected("abc\nx\0y100% done", 16);
  EXPECT_EQ(ReadAll(streamFd_), expected);
  EXPECT_EQ(ReadAll(copyFd_), expected);
}

TEST_F(OutputChannelTest, WithoutJobCopyOnlyTheStream) {
  PrinterStream out(&stream_, &copy_);
  QMfputs("abc", out);
  stream_.Flush();
  EXPECT_EQ(ReadAll(streamFd_), "abc");
  EXPECT_EQ(ReadAll(copyFd_), "");
}

TEST_F(OutputChannelTest, PrintfOnlyCollapsesDoublePercent) {
  PrinterStream out(&stream_, &copy_);
  QMfprintf(out, "%%%%BeginNonPPDFeatures\n%d %s %");
  stream_.Flush();
  EXPECT_EQ(ReadAll(streamFd_), "%%BeginNonPPDFeatures\n%d %s %");
}

TEST_F(OutputChannelTest, LargeWritesKeepTheirOrder) {
  PrinterStream out(&stream_, &copy_);
  std::string big(OutFile::kBufferSize * 3 + 17, 'b');
  QMfputs("head", out);
  out.Write(big);
  QMfputs("tail", out);
  stream_.Flush();
  EXPECT_EQ(ReadAll(streamFd_), "head" + big + "tail");
}

TEST(OutFileTest, WriteErrorIsRememberedAndLaterWritesDropped) {
  int fd = open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  OutFile file(fd);
  file.Write("abc", 3);
  file.Flush();
  EXPECT_EQ(file.error(), ENOSPC);
  file.Write("def", 3);
  EXPECT_FALSE(file.Close());
}

}  // namespace
}  // namespace tf
