#include "platform/linux/locale_language.h"

#include <cstdlib>

#include "platform/linux/string_table_data.h"
#include "ui/string_ids.h"

namespace zeltor {

std::uint16_t languageIdForLocale(std::string_view locale) {
    // "de_DE.UTF-8@euro" -> "de_DE": the encoding and modifier do not choose the language.
    const auto cut = locale.find_first_of(".@");
    const std::string_view name = locale.substr(0, cut);
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
