#include <windows.h>

#include "base/text.h"
#include "ui/product_text.h"

namespace zeltor {

std::uint16_t threadLanguageId() {
    return LANGIDFROMLCID(GetThreadLocale());
}

// Looks in the string-table block of exactly `language`: the fallbacks are the caller's, so
// they behave the same on every platform and every Windows version.
std::optional<std::string> findStringResource(std::uint16_t language, std::uint16_t id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING),
                                  MAKEINTRESOURCEW(id / 16 + 1), language);
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const auto* block = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    if (block == nullptr) {
        return std::nullopt;
    }
    // A block holds 16 length-prefixed strings.
    for (unsigned entry = 0; entry < id % 16u; ++entry) {
        block += 1 + *block;
    }
    if (*block == 0) {
        return std::nullopt;
    }
    return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(block + 1), *block));
}

}  // namespace zeltor
