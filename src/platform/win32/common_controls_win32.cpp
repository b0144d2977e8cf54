#include "platform/win32/common_controls_win32.h"

#include <windows.h>

// clang-format off
#include <commctrl.h>
// clang-format on

namespace zeltor {

void initCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    controls.dwICC = ICC_LINK_CLASS;
    InitCommonControlsEx(&controls);
}

}  // namespace zeltor
