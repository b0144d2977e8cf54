#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "base/text.h"
#include "platform/win32/documents_folder_win32.h"
#include "platform/win32/system_error_win32.h"
#include "trace/trace_log.h"

namespace zeltor {

std::optional<std::string> documentsFolder() {
    PWSTR folder = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder);
    if (FAILED(found) || folder == nullptr) {
        Trace("No Documents folder: %s\n", systemErrorText(static_cast<DWORD>(found)).c_str());
        CoTaskMemFree(folder);
        return std::nullopt;
    }
    std::string result = utf16ToUtf8(reinterpret_cast<const char16_t*>(folder));
    CoTaskMemFree(folder);
    return result;
}

}  // namespace zeltor
