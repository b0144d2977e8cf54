// A program that runs until it is stopped, for the Windows host tests: it stands in for the
// companion program and for what the desktop shell is asked to start. Given "--record <file>",
// it first writes the folder it was started in to that file (UTF-16), so that a test sees the
// arguments and the working folder arrive.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

void recordStartFolder(const wchar_t* file) {
    WCHAR folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
    // Written aside and renamed, so that the test never reads half a file.
    const std::wstring partial = std::wstring(file) + L".partial";
    HANDLE out = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(out, folder, length * sizeof(WCHAR), &written, nullptr);
    CloseHandle(out);
    MoveFileExW(partial.c_str(), file, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"--record") == 0) {
        recordStartFolder(argv[2]);
    }
    // Bounded, so that a test that dies before stopping it leaves nothing running for long.
    Sleep(60000);
    return 3;
}
