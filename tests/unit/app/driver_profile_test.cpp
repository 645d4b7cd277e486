// The drivers of the printer application, described from the sample PPDs: every sample loads, the
// vendor attributes stay within the framework's limit and name real PPD options and choices, and
// their values are checked as the service checks them.
#include "driver_profile.h"

#include <gtest/gtest.h>

#include <set>

namespace tf::app {
namespace {

const std::string kPpdDirectory = std::string(TF_SOURCE_DIR) + "/ppd";

std::unique_ptr<DriverProfile> Load(const char* driver) {
  const DriverRow* row = FindDriver(driver);
  EXPECT_NE(row, nullptr) << driver;
  if (row == nullptr) return nullptr;
  std::string error;
  auto profile = LoadDriverProfile(*row, kPpdDirectory, &error);
  EXPECT_NE(profile, nullptr) << error;
  return profile;
}

std::vector<std::string> Names(const DriverProfile& profile) {
  std::vector<std::string> names;
  for (const VendorAttribute& attribute : profile.vendor) names.emplace_back(attribute.name());
  return names;
}

TEST(DriverProfileTest, EverySamplePpdMakesADriverWithinTheVendorLimit) {
  ASSERT_EQ(DriverTable().size(), 4u);
  for (const DriverRow& row : DriverTable()) {
    SCOPED_TRACE(row.name);
    const auto profile = Load(row.name);
    ASSERT_NE(profile, nullptr);
    EXPECT_LE(profile->vendor.size(), kMaxVendorAttributes);
    EXPECT_FALSE(profile->makeAndModel.empty());
    EXPECT_EQ(profile->media[profile->defaultMedia].pwgName, "iso_a4_210x297mm");
    EXPECT_TRUE(profile->twoSided);
    EXPECT_EQ(profile->passwordForm, "1111111111111111");
    std::set<std::string> names;
    for (const VendorAttribute& attribute : profile->vendor) {
      EXPECT_TRUE(names.insert(attribute.name()).second) << attribute.name();
      if (attribute.row->target == VendorTarget::PpdOption) {
        EXPECT_TRUE(profile->ppd.HasOption(attribute.row->key)) << attribute.row->key;
        for (const VendorChoice& choice : attribute.choices) {
          EXPECT_TRUE(profile->ppd.HasChoice(attribute.row->key, choice.ppdChoice.c_str()));
        }
        EXPECT_NE(attribute.Choice(attribute.initialDefault), nullptr) << attribute.name();
      }
    }
  }
}

TEST(DriverProfileTest, ColourPrinterOffersItsTicketSettingsAndEveryOptionNoStandardCovers) {
  const auto profile = Load("tf-color-utf8");
  ASSERT_NE(profile, nullptr);
  EXPECT_TRUE(profile->color);
  EXPECT_EQ(profile->pagesPerMinute, 40);
  EXPECT_EQ(profile->languageLevel, 3);
  EXPECT_TRUE(profile->staple);
  EXPECT_TRUE(profile->punch);
  const std::vector<std::string> names = Names(*profile);
  ASSERT_EQ(names.size(), 28u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6),
            (std::vector<std::string>{"ticketfilter-print-type", "ticketfilter-account-id",
                                      "ticketfilter-accounting-user-id", "ticketfilter-watermark",
                                      "ticketfilter-line-weight", "ticketfilter-staple"}));
  for (const char* covered : {"PageSize", "PageRegion", "Duplex", "Collate", "QMColorMode"}) {
    for (const VendorAttribute& attribute : profile->vendor) {
      EXPECT_FALSE(attribute.row->key != nullptr && attribute.row->key == std::string(covered));
    }
  }
  const VendorAttribute* staple = profile->FindVendor("ticketfilter-staple");
  ASSERT_NE(staple, nullptr);
  EXPECT_EQ(staple->syntax, VendorSyntax::Keyword);
  EXPECT_EQ(staple->initialDefault, "none");
  ASSERT_NE(staple->Choice("upper-left-single"), nullptr);
  EXPECT_EQ(staple->Choice("upper-left-single")->ppdChoice, "UpperLeftSingle");
  EXPECT_EQ(profile->FindVendor("ticketfilter-account-id")->syntax, VendorSyntax::Text);

  std::vector<std::string> media;
  for (const DriverMedia& m : profile->media) media.push_back(m.pwgName);
  EXPECT_NE(std::find(media.begin(), media.end(), "na_letter_8.5x11in"), media.end());
  EXPECT_EQ(profile->media[profile->defaultMedia].width, 21000);
  EXPECT_EQ(profile->media[profile->defaultMedia].length, 29700);
}

TEST(DriverProfileTest, MonochromeAndDecompositionPrintersOfferOnlyTheirOwnOptions) {
  const auto bytemode = Load("tf-mono-bytemode");
  ASSERT_NE(bytemode, nullptr);
  EXPECT_FALSE(bytemode->color);
  EXPECT_EQ(bytemode->FindVendor("ticketfilter-binding"), nullptr);
  EXPECT_NE(bytemode->FindVendor("ticketfilter-booklet"), nullptr);

  const auto decomp = Load("tf-mono-decomp");
  ASSERT_NE(decomp, nullptr);
  EXPECT_FALSE(decomp->staple);
  const VendorAttribute* mode = decomp->FindVendor("ticketfilter-print-mode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->initialDefault, "600x600");
  EXPECT_NE(decomp->FindVendor("ticketfilter-smoothing")->Choice("true"), nullptr);

  EXPECT_EQ(Load("tf-basic")->row->program, ProgramKind::TicketfilterBasic);
  EXPECT_STREQ(TicketKeyPrefix(ProgramKind::TicketfilterBasic), "com.brantlowe.basicticket.");
}

TEST(DriverProfileTest, MissingPpdIsRefusedWithAReason) {
  std::string error;
  EXPECT_EQ(LoadDriverProfile(DriverTable()[0], "/nonexistent", &error), nullptr);
  EXPECT_EQ(error, "Unable to read the PPD file /nonexistent/tf-color-utf8.ppd.");
  EXPECT_EQ(FindDriver("tf-unknown"), nullptr);
}

TEST(DriverProfileTest, ChoiceKeywordsAreIppKeywords) {
  const std::pair<const char*, const char*> cases[] = {
      {"UpperLeftSingle", "upper-left-single"}, {"2Holes", "2-holes"},
      {"None", "none"},                         {"600x600", "600x600"},
      {"-1", "minus-1"},                        {"0", "0"},
      {"PBindInserter", "p-bind-inserter"},     {"SRA3", "sra3"},
      {"1EdgeCutMinimum", "1-edge-cut-minimum"}, {"Bright2", "bright2"},
      {"ThickPaper2", "thick-paper2"},          {"A/B c", "a-b-c"},
  };
  for (const auto& [choice, keyword] : cases) EXPECT_EQ(ChoiceKeyword(choice), keyword) << choice;
}

TEST(DriverProfileTest, VendorValuesAreCheckedBeforeUse) {
  const auto profile = Load("tf-color-utf8");
  ASSERT_NE(profile, nullptr);
  const VendorAttribute& staple = *profile->FindVendor("ticketfilter-staple");
  const VendorAttribute& account = *profile->FindVendor("ticketfilter-account-id");
  const VendorAttribute& watermark = *profile->FindVendor("ticketfilter-watermark");
  EXPECT_FALSE(CheckVendorValue(staple, "left-double"));
  EXPECT_EQ(CheckVendorValue(staple, "LeftDouble"),
            "is not one of the values of ticketfilter-staple");
  EXPECT_FALSE(CheckVendorValue(account, "ACC-42"));
  EXPECT_FALSE(CheckVendorValue(account, "Kostenstelle \xc3\xa4"));
  EXPECT_EQ(CheckVendorValue(account, std::string(33, 'a')), "is longer than 32 bytes");
  EXPECT_EQ(CheckVendorValue(account, "a\"b"),
            "holds a control character, a double quote or a backslash");
  EXPECT_EQ(CheckVendorValue(account, "a\\b"),
            "holds a control character, a double quote or a backslash");
  EXPECT_EQ(CheckVendorValue(account, "a\nb"),
            "holds a control character, a double quote or a backslash");
  EXPECT_EQ(CheckVendorValue(account, "\xff"), "is not UTF-8 text");
  EXPECT_FALSE(CheckVendorValue(watermark, "CONFIDENTIAL (draft)"));
  EXPECT_EQ(CheckVendorValue(watermark, "VERTRAULICH \xc3\xa4"), "holds characters beyond ASCII");
}

}  // namespace
}  // namespace tf::app
