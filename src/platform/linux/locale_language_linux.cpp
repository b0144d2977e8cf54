#include "platform/linux/locale_language_linux.h"

#include <cstdlib>

#include "platform/linux/string_table_data_linux.h"
#include "ui/string_ids.h"

namespace zeltor {
namespace {

// Regions that Windows gives language ids of their own, for which there is no table, so that
// Windows shows them English. The string files list them beside the regions of the Chinese
// tables; taken from there, they would read Chinese on Linux alone.
constexpr LocaleLanguage kRegionsWithoutTables[] = {
    {"zh_HK", 0x0C04},  // Chinese (Hong Kong SAR)
    {"zh_MO", 0x1404},  // Chinese (Macao SAR)
    {"zh_SG", 0x1004},  // Chinese (Singapore)
};

}  // namespace

std::uint16_t languageIdForLocale(std::string_view locale) {
    // "de_DE.UTF-8@euro" -> "de_DE": the encoding and modifier do not choose the language.
    const auto cut = locale.find_first_of(".@");
    const std::string_view name = locale.substr(0, cut);
    for (const auto& region : kRegionsWithoutTables) {
        if (name == region.locale) {
            return region.language;
        }
    }
    for (std::size_t i = 0; i < kLocaleLanguageCount; ++i) {
        if (name == kLocaleLanguages[i].locale) {
            return kLocaleLanguages[i].language;
        }
    }
    return kLanguageEnglishUS;
}

std::uint16_t processLanguageId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return languageIdForLocale(value);
        }
    }
    return kLanguageEnglishUS;
}

}  // namespace zeltor
