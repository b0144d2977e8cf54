#include <windows.h>

#include <algorithm>

#include "base/text.h"
#include "firmware/whole_file.h"
#include "platform/win32/system_error_win32.h"

namespace zeltor {
namespace {

WholeFileResult failure(DWORD error) {
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? WholeFileStatus::Missing : WholeFileStatus::Unreadable,
            systemErrorText(error)};
}

WholeFileResult readOpenFile(HANDLE file, std::uint64_t limit, ByteVector& bytes) {
    // A console, port or pipe reached through a reserved name is no file to read.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        return {WholeFileStatus::NotRegular, {}};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        return failure(GetLastError());
    }
    const auto readSome = [file](std::uint8_t* into, std::size_t room,
                                 std::size_t& got) -> WholeFileResult {
        DWORD count = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(room, 1u << 20));
        if (!ReadFile(file, into, wanted, &count, nullptr)) {
            return failure(GetLastError());
        }
        got = count;
        return {WholeFileStatus::Read, {}};
    };
    return readMeasuredFile(static_cast<std::uint64_t>(size.QuadPart), limit, readSome, bytes);
}

}  // namespace

WholeFileResult readWholeFile(const std::string& path, std::uint64_t limit, ByteVector& bytes) {
    const std::u16string wide = utf8ToUtf16(path);
    const auto* name = reinterpret_cast<LPCWSTR>(wide.c_str());
    // A folder cannot be opened as a file at all: ask first, so that it is named for what it is.
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return failure(GetLastError());
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return {WholeFileStatus::NotRegular, {}};
    }
    HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return failure(GetLastError());
    }
    const WholeFileResult result = readOpenFile(file, limit, bytes);
    CloseHandle(file);
    return result;
}

}  // namespace zeltor
