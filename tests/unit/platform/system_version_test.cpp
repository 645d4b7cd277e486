// The system version from a Darwin kernel release text.
#include "platform/system_version.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(SystemVersionTest, PackedFromKernelRelease) {
  EXPECT_EQ(SystemVersionFromKernelRelease("10.8.0"), 0x1068);
  EXPECT_EQ(SystemVersionFromKernelRelease("11.4.2"), 0x1074);
  EXPECT_EQ(SystemVersionFromKernelRelease("15.6.0"), 0x10B6);
  EXPECT_EQ(SystemVersionFromKernelRelease("20.1.0"), 0x1001);  // minor digit wraps: (20-4)%16
  EXPECT_EQ(SystemVersionFromKernelRelease("11"), 0x1070);
  EXPECT_EQ(SystemVersionFromKernelRelease("11.0.0"), 0x1070);
  EXPECT_EQ(SystemVersionFromKernelRelease("11.21.0"), 0x1075);  // patch digit mod 16
}

TEST(SystemVersionTest, UnreadableReleaseGivesTheBase) {
  EXPECT_EQ(SystemVersionFromKernelRelease(""), 0x1000);
  EXPECT_EQ(SystemVersionFromKernelRelease("abc"), 0x1000);
  EXPECT_EQ(SystemVersionFromKernelRelease(nullptr), 0x1000);
}

TEST(SystemVersionTest, SelectorsOnThisSystem) {
  FilterLogger log;
  std::int32_t value = 12345;
  ASSERT_EQ(QuerySystemVersion(FourCharCode("sysv"), &value, log), 0);
  if (!DarwinKernelRelease()) {
    EXPECT_EQ(value, kCurrentSystemVersion);
  }
  std::int32_t major = 0, minor = 0, patch = 0;
  ASSERT_EQ(QuerySystemVersion(FourCharCode("sys1"), &major, log), 0);
  ASSERT_EQ(QuerySystemVersion(FourCharCode("sys2"), &minor, log), 0);
  ASSERT_EQ(QuerySystemVersion(FourCharCode("sys3"), &patch, log), 0);
  EXPECT_EQ(major, 10);
  EXPECT_EQ(minor, (value >> 4) & 0xF);
  EXPECT_EQ(patch, value & 0xF);
}

TEST(SystemVersionTest, UnsupportedSelectorLeavesOutUnchanged) {
  FilterLogger log;  // standard error, in the CUPS form
  std::int32_t value = 77;
  testing::internal::CaptureStderr();
  EXPECT_EQ(QuerySystemVersion(FourCharCode("abcd"), &value, log), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "DEBUG: System version: selector '61626364' not supported.\n");
  EXPECT_EQ(value, 77);
}

TEST(SystemVersionTest, NonDarwinSystemTakesPageLines) {
  if (!DarwinKernelRelease()) {
    EXPECT_TRUE(SystemTakesPageLog());
  }
}

}  // namespace
}  // namespace tf
