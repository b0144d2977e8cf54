#pragma once

#include <windows.h>

#include "hid/device_change.h"

namespace zeltor {

// The core's reading of a WM_DEVICECHANGE message: its event type and, where the system sent a
// header, the interface path or the handle it names.
DeviceChange deviceChangeOfMessage(WPARAM eventType, LPARAM data);

}  // namespace zeltor
