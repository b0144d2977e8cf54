#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "trace/debug_output.h"

namespace zeltor {
namespace {

// Linux has no debugger text channel. The lines go to standard error only when the user asks
// for them with ZELTOR_DEBUG_OUTPUT=1, so a normal run's terminal stays clean.
bool debugOutputWanted() {
    static const bool wanted = [] {
        const char* value = std::getenv("ZELTOR_DEBUG_OUTPUT");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return wanted;
}

}  // namespace

void writeDebugOutput(std::u16string_view text) {
    if (!debugOutputWanted()) {
        return;
    }
    const std::string utf8 = utf16ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

void requestDebugBreak() {
    // Breaking without a debugger would kill the process; the caller's failure path goes on.
}

}  // namespace zeltor
