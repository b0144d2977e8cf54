#include "platform/win32/system_error_win32.h"

#include "base/text.h"

namespace zeltor {

std::string systemErrorText(DWORD error) {
    WCHAR text[512];
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, static_cast<DWORD>(sizeof text / sizeof text[0]), nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L' ' || text[length - 1] == L'.')) {
        --length;
    }
    if (length == 0) {
        return "error " + std::to_string(error);
    }
    return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

}  // namespace zeltor
