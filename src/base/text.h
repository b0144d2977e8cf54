#pragma once

#include <string>
#include <string_view>

namespace zeltor {

// The core keeps text in UTF-8; the log file and the Windows API want UTF-16. Invalid input
// sequences become U+FFFD rather than being dropped, so nothing a user typed vanishes silently.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Case-insensitive comparison that folds ASCII letters only, as the command-line switches need:
// no locale can make a non-ASCII character equal to one of their letters.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// White space as the C library's number readers skip it in the "C" locale.
constexpr bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace zeltor
