#pragma once

#include <windows.h>

#include <string>

namespace zeltor {

// The platform's wide-character pointer for text the core converted to UTF-16: char16_t and
// WCHAR are both 16-bit units of the same encoding, only the types differ.
inline LPCWSTR wideText(const std::u16string& text) {
    return reinterpret_cast<LPCWSTR>(text.c_str());
}

}  // namespace zeltor
