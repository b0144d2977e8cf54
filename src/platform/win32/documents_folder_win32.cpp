#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "base/text.h"
#include "platform/win32/documents_folder_win32.h"

namespace zeltor {

std::optional<std::string> documentsFolder() {
    PWSTR folder = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder)) ||
        folder == nullptr) {
        CoTaskMemFree(folder);
        return std::nullopt;
    }
    std::string result = utf16ToUtf8(reinterpret_cast<const char16_t*>(folder));
    CoTaskMemFree(folder);
    return result;
}

}  // namespace zeltor
