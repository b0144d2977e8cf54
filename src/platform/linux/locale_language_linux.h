#pragma once

#include <cstdint>
#include <string_view>

namespace zeltor {

// Maps a POSIX locale name ("de_DE.UTF-8", "pt_BR", "C") to a Windows language id. A locale
// whose language and country have a table of their own selects it; a bare language selects its
// main table; a region that Windows names with an id of its own ("zh_HK") gets that id, which
// has no table; everything else (another country, "C", "POSIX", empty) reads as English (1033).
// So a language without a table of its own reads English here as it does on Windows.
std::uint16_t languageIdForLocale(std::string_view locale);

// The language of the process locale: LC_ALL, else LC_MESSAGES, else LANG.
std::uint16_t processLanguageId();

}  // namespace zeltor
