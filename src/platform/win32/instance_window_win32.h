#pragma once

#include <windows.h>

namespace zeltor {

// The window property that marks the main dialog of a running instance.
inline constexpr const wchar_t* kInstanceWindowMark = L"BrennicFirmwareUpdate.Instance";

// Brings the main dialog of the instance already running to the front; false when there is
// none to be found (it may not have shown its window yet).
bool bringRunningInstanceToFront();

}  // namespace zeltor
