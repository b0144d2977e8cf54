#include "ui/product_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/string_ids.h"
#include "ui/string_languages.h"
#include "ui/support_site.h"

namespace zeltor {
namespace {

constexpr std::uint16_t kTextIds[] = {1024, 1025, 1026, 1030, 1031, 1032, 1033,
                                      1034, 1035, 1036, 1039, 1043, 1044, 1045,
                                      1046, 1047, 1049, 1050, 1051, 1052, 2000};
constexpr std::uint16_t kIdsWithoutText[] = {1027, 1028, 1029, 1037, 1038,
                                             1040, 1041, 1042, 1048, 2001};
constexpr std::uint16_t kJapanese = 1041;

int occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

TEST(ProductTextTest, TwentyLanguagesArePresent) {
    EXPECT_EQ(std::size(kStringTableLanguages), 20u);
}

// Every language holds every text, with exactly the placeholders of the English one.
TEST(ProductTextTest, EveryTextExistsInEveryLanguageWithItsPlaceholders) {
    for (const std::uint16_t language : kStringTableLanguages) {
        for (const std::uint16_t id : kTextIds) {
            SCOPED_TRACE(testing::Message() << "language " << language << " id " << id);
            const auto english = findStringResource(kLanguageEnglishNeutral, id);
            const auto text = findStringResource(language, id);
            ASSERT_TRUE(english.has_value());
            ASSERT_TRUE(text.has_value());
            for (const auto& [key, value] : ProductPlaceholders) {
                EXPECT_EQ(occurrences(*text, key), occurrences(*english, key)) << *text;
            }
            EXPECT_EQ(text->find('{'), std::string::npos) << *text;
        }
        for (const std::uint16_t id : kIdsWithoutText) {
            EXPECT_FALSE(findStringResource(language, id).has_value()) << id;
        }
    }
}

TEST(ProductTextTest, EnglishTitleAndGermanTitleHavePlaceholdersFilled) {
    EXPECT_EQ(LoadProductStringForLanguage(IDS_TITLE, 1033),
              "Halvorix Zeltor Wireless Update Tool 112.2.212");
    EXPECT_EQ(LoadProductStringForLanguage(IDS_TITLE, 9),
              "Halvorix Zeltor Wireless Update Tool 112.2.212");
    EXPECT_EQ(LoadProductStringForLanguage(IDS_TITLE, 1031),
              "Halvorix Zeltor Wireless Update-Tool 112.2.212");
    EXPECT_EQ(LoadProductStringForLanguage(IDS_TITLE, 1030),
              "Opdateringsværktøj 112.2.212 til Halvorix Zeltor Wireless");
    EXPECT_EQ(LoadProductStringForLanguage(IDS_HEADING, 1033),
              "This application will apply a firmware update (112.2.212) to your Zeltor Wireless.");
}

TEST(ProductTextTest, LanguagesWithoutATableReadEnglish) {
    // Portuguese (Brazil), German (Switzerland), English (UK), a neutral id, nonsense.
    for (const std::uint16_t language : {1046, 2055, 2057, 7, 0, 0xFFFF}) {
        SCOPED_TRACE(language);
        EXPECT_EQ(LoadProductStringForLanguage(IDS_START, language), "Start");
        EXPECT_EQ(LoadProductStringForLanguage(IDS_TITLE, language),
                  "Halvorix Zeltor Wireless Update Tool 112.2.212");
    }
}

TEST(ProductTextTest, IdsWithoutTextGiveTheEmptyText) {
    for (const std::uint16_t id : kIdsWithoutText) {
        EXPECT_EQ(LoadProductStringForLanguage(id, 1031), "") << id;
    }
}

TEST(ProductTextTest, CustomerCareTextEndsWithTheSupportAddress) {
    for (const std::uint16_t language : kStringTableLanguages) {
        SCOPED_TRACE(language);
        const std::string text = LoadProductStringForLanguage(IDS_CUSTOMER_CARE, language);
        const std::string site = language == kJapanese ? kSupportSiteJapan : kSupportSite;
        EXPECT_TRUE(text.ends_with(" " + site + ".") || text.ends_with(site + ".")) << text;
    }
    EXPECT_EQ(LoadProductStringForLanguage(IDS_CUSTOMER_CARE, 1033),
              "An error occurred. Please contact Customer Care for further assistance at " +
                  std::string(kSupportSite) + ".");
}

TEST(ProductTextTest, JapaneseTextsNameTheRegionalBrand) {
    for (const std::uint16_t id : kTextIds) {
        const std::string english = LoadProductStringForLanguage(id, 1033);
        const std::string japanese = LoadProductStringForLanguage(id, kJapanese);
        EXPECT_EQ(japanese.find("Halvorix"), std::string::npos) << id;
        if (english.find("Halvorix") != std::string::npos) {
            EXPECT_NE(japanese.find("Tesmoray"), std::string::npos) << id;
        }
    }
}

TEST(ProductTextTest, PlaceholdersAreReplacedLiterallyAndRepeatedly) {
    EXPECT_EQ(fillPlaceholders("%%DFU_PRODUCT_NAME%%/%%DFU_PRODUCT_NAME%%"),
              "Zeltor Wireless/Zeltor Wireless");
    EXPECT_EQ(fillPlaceholders("%%dfu_product_name%% %DFU_PRODUCT_NAME% %%DFU_PACKAGE_VERSION%%"),
              "%%dfu_product_name%% %DFU_PRODUCT_NAME% 112.2.212");
    EXPECT_EQ(fillPlaceholders("%%%%DFU_PACKAGE_VERSION%%%%"), "%%112.2.212%%");
}

}  // namespace
}  // namespace zeltor
