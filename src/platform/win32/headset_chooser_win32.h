#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/modal_loop_win32.h"
#include "ui/dialog_host.h"

namespace zeltor {

// The headset type chooser, template 138: one picture button per headset type, run modally
// over `owner` in the loop of `services`, so that the owner's posted and device messages are
// still handled while it is open. The regular picture, the shroud picture, or closed (close box
// or Escape).
ChooserResult runHeadsetChooserDialog(HWND owner, ModalLoopServices& services,
                                      const std::string& caption, const std::string& description);

}  // namespace zeltor
