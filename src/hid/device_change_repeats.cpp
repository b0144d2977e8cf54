#include "hid/device_change_repeats.h"

#include <algorithm>
#include <cctype>

#include "trace/trace_log.h"

namespace zeltor {

bool DeviceChangeRepeats::isRepeat(const DeviceChange& change) {
    if (!change.hasHeader || change.deviceType != DBT_DEVTYP_DEVICEINTERFACE ||
        (change.eventType != DBT_DEVICEARRIVAL && change.eventType != DBT_DEVICEREMOVECOMPLETE)) {
        return false;
    }
    std::string key = change.devicePath;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto [it, inserted] = lastEvent_.try_emplace(key, change.eventType);
    if (inserted || it->second != change.eventType) {
        it->second = change.eventType;
        return false;
    }
    Trace("Device change 0x%x repeated for %s; left out\n", change.eventType, key.c_str());
    return true;
}

}  // namespace zeltor
