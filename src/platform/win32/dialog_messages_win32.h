#pragma once

#include <windows.h>

#include "controller/dfu_state.h"

namespace zeltor {

// The main dialog's private messages (WM_DFU_SWITCH_STATE and WM_DFU_DEVICE_EVENT are the
// controller's) each carry their handling as a heap-allocated std::function<void()> in lParam,
// released by the handler; the state change also names its target state in wParam.
// Other work posted to the user-interface thread (the simulated devices' notifications).
inline constexpr UINT WM_DFU_POSTED_WORK = WM_USER + 4;

}  // namespace zeltor
