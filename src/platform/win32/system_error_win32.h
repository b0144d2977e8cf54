#pragma once

#include <windows.h>

#include <string>

namespace zeltor {

// The system's own words for an error code, without the full stop and line break it ends them
// with; "error <code>" when it has none.
std::string systemErrorText(DWORD error);

}  // namespace zeltor
