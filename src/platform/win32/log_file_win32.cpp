#include <windows.h>

#include "base/text.h"
#include "platform/win32/system_error_win32.h"
#include "trace/log_file.h"

namespace zeltor {
namespace {

class Win32LogFile final : public LogFile {
public:
    explicit Win32LogFile(HANDLE handle) : handle_(handle) {}
    ~Win32LogFile() override { CloseHandle(handle_); }

    std::uint64_t size() override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(handle_, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    }

    void seekToEnd() override { SetFilePointer(handle_, 0, nullptr, FILE_END); }

    void write(const void* data, std::size_t length) override {
        DWORD written = 0;
        WriteFile(handle_, data, static_cast<DWORD>(length), &written, nullptr);
    }

private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<LogFile> openLogFile(const std::string& path, std::string& failure) {
    const std::u16string wide = utf8ToUtf16(path);
    HANDLE handle =
        CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        failure = systemErrorText(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32LogFile>(handle);
}

}  // namespace zeltor
