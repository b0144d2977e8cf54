#pragma once

#include <string_view>

namespace zeltor {

// The platform's debugger output (a terminated line of text, LF line ends).
void writeDebugOutput(std::u16string_view text);

// Asks for a break into the debugger, only when one is attached: without a debugger the
// caller's own failure path must simply go on.
void requestDebugBreak();

}  // namespace zeltor
