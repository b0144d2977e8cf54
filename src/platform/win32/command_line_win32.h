#pragma once

#include <string>
#include <vector>

namespace zeltor {

// The argument part of `commandLine` (the text after the program name), split by the
// platform's rules. Splitting an empty argument part gives the program's own path, as Windows
// does. Nothing on failure.
std::vector<std::string> splitArgumentPart(const wchar_t* commandLine);

}  // namespace zeltor
