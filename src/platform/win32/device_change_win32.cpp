#include "platform/win32/device_change_win32.h"

#include <dbt.h>

#include "base/text.h"

namespace zeltor {

DeviceChange deviceChangeOfMessage(WPARAM eventType, LPARAM data) {
    DeviceChange change;
    change.eventType = static_cast<std::uint32_t>(eventType);
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr) {
        return change;
    }
    change.hasHeader = true;
    change.deviceType = header->dbch_devicetype;
    if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
        const auto* item = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
        change.devicePath = utf16ToUtf8(reinterpret_cast<const char16_t*>(item->dbcc_name));
    } else if (header->dbch_devicetype == DBT_DEVTYP_HANDLE) {
        const auto* item = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header);
        change.handle = reinterpret_cast<HidHandle>(item->dbch_handle);
    }
    return change;
}

}  // namespace zeltor
