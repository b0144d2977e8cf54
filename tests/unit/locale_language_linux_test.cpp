#include "platform/linux/locale_language_linux.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/product_text.h"
#include "ui/string_ids.h"

namespace zeltor {
namespace {

struct LocaleCase {
    const char* locale;
    std::uint16_t language;
};

TEST(LocaleLanguageTest, PosixLocalesSelectTheirTables) {
    const LocaleCase cases[] = {
        {"de_DE", 1031},       {"de_DE.UTF-8", 1031},
        {"de_DE@euro", 1031},  {"de", 1031},
        {"de_CH.UTF-8", 1033}, {"pt_BR.UTF-8", 1033},
        {"pt_PT.UTF-8", 2070}, {"ja_JP.UTF-8", 1041},
        {"zh_TW.UTF-8", 1028}, {"zh_CN.UTF-8", 2052},
        {"zh_HK.UTF-8", 3076}, {"zh_MO.UTF-8", 5124},
        {"zh_SG.UTF-8", 4100}, {"nb_NO.UTF-8", 1044},
        {"es_ES.UTF-8", 3082}, {"fr_FR.UTF-8", 1036},
        {"en_US.UTF-8", 1033}, {"en_GB.UTF-8", 1033},
        {"C", 1033},           {"POSIX", 1033},
        {"C.UTF-8", 1033},     {"", 1033},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(languageIdForLocale(c.locale), c.language) << c.locale;
    }
}

// Windows has no table for these regions and shows them English; so must Linux.
TEST(LocaleLanguageTest, ChineseRegionsWithoutATableReadEnglish) {
    for (const char* locale : {"zh_HK.UTF-8", "zh_MO", "zh_SG.GB2312"}) {
        EXPECT_EQ(LoadProductStringForLanguage(IDS_TITLE, languageIdForLocale(locale)),
                  "Halvorix Zeltor Wireless Update Tool 112.2.212")
            << locale;
    }
    EXPECT_EQ(LoadProductStringForLanguage(IDS_TITLE, languageIdForLocale("zh_TW.UTF-8")),
              "Halvorix Zeltor Wireless 更新工具 112.2.212");
}

class ProcessLocaleTest : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        unsetenv("LANG");
    }
};

TEST_F(ProcessLocaleTest, LcAllWinsOverLcMessagesOverLang) {
    setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_EQ(processLanguageId(), 1036);
    setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
    EXPECT_EQ(processLanguageId(), 1041);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(processLanguageId(), 1031);
    EXPECT_EQ(LoadProductString(IDS_TITLE), "Halvorix Zeltor Wireless Update-Tool 112.2.212");
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(processLanguageId(), 1041);
}

}  // namespace
}  // namespace zeltor
