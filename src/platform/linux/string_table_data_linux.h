#pragma once

#include <cstddef>
#include <cstdint>

namespace zeltor {

struct StringTableEntry {
    std::uint16_t language;
    std::uint16_t id;
    const char* text;  // UTF-8
};

// A POSIX locale prefix ("de_DE", "de") and the language id it selects.
struct LocaleLanguage {
    const char* locale;
    std::uint16_t language;
};

extern const StringTableEntry kStringTableEntries[];
extern const std::size_t kStringTableEntryCount;
extern const LocaleLanguage kLocaleLanguages[];
extern const std::size_t kLocaleLanguageCount;

}  // namespace zeltor
