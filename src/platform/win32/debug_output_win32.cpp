#include <windows.h>

#include <string>

#include "trace/debug_output.h"

namespace zeltor {

void writeDebugOutput(std::u16string_view text) {
    const std::u16string terminated(text);
    OutputDebugStringW(reinterpret_cast<LPCWSTR>(terminated.c_str()));
}

void requestDebugBreak() {
    if (IsDebuggerPresent()) {
        DebugBreak();
    }
}

}  // namespace zeltor
