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

TEST(PpdTest, OptionsWithTheirChoicesAndMediaSizesInFileOrder) {
  PpdFile ppd;
  ASSERT_TRUE(ppd.Open((std::string(TF_SOURCE_DIR) + "/ppd/tf-mono-decomp.ppd").c_str()));
  const std::vector<PpdOptionInfo> options = ppd.Options();
  std::vector<std::string> keywords;
  for (const PpdOptionInfo& option : options) keywords.push_back(option.keyword);
  EXPECT_EQ(keywords, (std::vector<std::string>{"PageSize", "PageRegion", "Collate", "Duplex",
                                                "QMOutputMode", "QMHalftone", "QMTonerSaver",
                                                "QMBrightnes", "Smoothing"}));
  const PpdOptionInfo& brightness = options[7];
  EXPECT_EQ(brightness.text, "Brightness");
  EXPECT_EQ(brightness.defaultChoice, "Normal");
  EXPECT_FALSE(brightness.boolean);
  ASSERT_EQ(brightness.choices.size(), 3u);
  EXPECT_EQ(brightness.choices[0].keyword, "Bright2");
  EXPECT_EQ(brightness.choices[0].text, "Brighter");
  EXPECT_TRUE(options[8].boolean);

  const std::vector<PpdMediaSize> sizes = ppd.MediaSizes();
  ASSERT_EQ(sizes.size(), 5u);
  EXPECT_EQ(sizes[0].name, "A4");
  EXPECT_FLOAT_EQ(sizes[0].width, 595);
  EXPECT_FLOAT_EQ(sizes[0].length, 842);
  EXPECT_FLOAT_EQ(sizes[0].left, 12);
  EXPECT_FLOAT_EQ(sizes[0].top, 830);
  EXPECT_EQ(sizes[4].name, "Tabloid");

  // Keywords are found without regard to case, as libcups finds them.
  EXPECT_TRUE(ppd.HasOption("qmhalftone"));
  EXPECT_TRUE(ppd.HasChoice("QMHalftone", "gradation"));
  EXPECT_FALSE(ppd.HasChoice("QMHalftone", "Gradient"));
  EXPECT_FALSE(ppd.HasChoice("NoSuchOption", "Gradation"));
}

}  // namespace
}  // namespace tf
