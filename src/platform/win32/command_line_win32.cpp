#include "platform/win32/command_line_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "base/text.h"

namespace zeltor {
namespace {

// Skips the program name the way the C runtime does: a quoted name ends at the closing quote,
// an unquoted one at the first blank or tab.
const wchar_t* skipProgramName(const wchar_t* p) {
    if (*p == L'"') {
        ++p;
        while (*p != L'\0' && *p != L'"') {
            ++p;
        }
        if (*p == L'"') {
            ++p;
        }
    } else {
        while (*p != L'\0' && *p != L' ' && *p != L'\t') {
            ++p;
        }
    }
    while (*p == L' ' || *p == L'\t') {
        ++p;
    }
    return p;
}

}  // namespace

std::vector<std::string> splitArgumentPart(const wchar_t* commandLine) {
    std::vector<std::string> arguments;
    if (commandLine == nullptr) {
        return arguments;
    }
    const wchar_t* argumentPart = skipProgramName(commandLine);
    // CommandLineToArgvW reads its first token by the program-name rules, which keep quotes and
    // end at the first blank: a first switch such as /FORCEDIR="C:\my fw" would be torn in
    // two. A stand-in program name makes every real argument follow the argument rules. An
    // empty argument part is split as it is, and gives the program's path.
    std::wstring line =
        *argumentPart == L'\0' ? std::wstring() : L"x " + std::wstring(argumentPart);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    if (argv == nullptr) {
        return arguments;
    }
    for (int i = line.empty() ? 0 : 1; i < count; ++i) {
        arguments.push_back(utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    LocalFree(argv);
    return arguments;
}

}  // namespace zeltor
