// The PPD, parsed once: attribute look-up by name prefix, options, page sizes.
#include "platform/ppd.h"

#include <gtest/gtest.h>

#include "support/job_harness.h"

namespace tf {
namespace {

using test::DataPath;

TEST(PpdTest, AttributeLookupIsAPrefixMatchInFileOrder) {
  PpdFile ppd;
  ASSERT_TRUE(ppd.Open(DataPath("decomp-prefix.ppd").c_str()));
  auto attr = ppd.FindAttribute("QMPSDecompMode");
  ASSERT_TRUE(attr);
  EXPECT_EQ(*attr, "1");  // found through "QMPSDecompModeX"
  EXPECT_FALSE(ppd.FindAttribute("QMPSDecompModeXY"));
  auto pc = ppd.FindAttribute("PCFile");
  ASSERT_TRUE(pc);
  EXPECT_EQ(*pc, "DECOMP.PPD");
}

TEST(PpdTest, ValuesAreComparedExactly) {
  PpdFile ppd;
  ASSERT_TRUE(ppd.Open(DataPath("comment-lowercase.ppd").c_str()));
  auto commentOn = ppd.FindAttribute("CommentOn");
  ASSERT_TRUE(commentOn);
  EXPECT_EQ(*commentOn, "true");
}

TEST(PpdTest, MissingOrUnreadablePpdIsAbsent) {
  PpdFile missing;
  EXPECT_FALSE(missing.Open("/nonexistent/printer.ppd"));
  EXPECT_FALSE(missing.FindAttribute("PCFileName"));
  EXPECT_FALSE(missing.HasOption("QMColorMode"));
  EXPECT_FALSE(missing.PageSize("A4"));
  PpdFile none;
  EXPECT_FALSE(none.Open(nullptr));
  EXPECT_FALSE(none.Open(""));
  PpdFile directory;
  EXPECT_FALSE(directory.Open(TF_TEST_DATA_DIR));
}

TEST(PpdTest, OptionsAndPageSizes) {
  PpdFile ppd;
  ASSERT_TRUE(ppd.Open(DataPath("utf8.ppd").c_str()));
  EXPECT_TRUE(ppd.HasOption("QMColorMode"));
  EXPECT_FALSE(ppd.HasOption("QMStaple"));
  auto a5 = ppd.PageSize("A5");
  ASSERT_TRUE(a5);
  EXPECT_FLOAT_EQ(a5->width, 420);
  EXPECT_FLOAT_EQ(a5->length, 595);
  EXPECT_FALSE(ppd.PageSize("B9"));
  std::string defaultColor;
  ppd.ForEachOptionDefault([&](const char* keyword, const char* choice) {
    if (std::string(keyword) == "QMColorMode") defaultColor = choice;
  });
  EXPECT_EQ(defaultColor, "Color");
}

}  // namespace
}  // namespace tf
