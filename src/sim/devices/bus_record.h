#pragma once

#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "hid/device_role.h"

namespace zeltor {

// Everything the world's devices received, in the order it came, with the moments a cable went
// in or out. It is the devices' own account: a check that reads it learns what the host sent
// without asking the host.
struct SimBusEvent {
    enum class Kind { Report, Unplugged, Plugged };

    Kind kind = Kind::Report;
    DeviceRole role = DeviceRole::ZeltorHeadset;  // for a cable, the device's application role
    ByteVector bytes;                             // a report's bytes as the device received them
};

class SimBusRecord {
public:
    void report(DeviceRole role, const ByteVector& bytes) {
        events_.push_back({SimBusEvent::Kind::Report, role, bytes});
    }
    void cable(DeviceRole device, bool plugged) {
        events_.push_back(
            {plugged ? SimBusEvent::Kind::Plugged : SimBusEvent::Kind::Unplugged, device, {}});
    }
    const std::vector<SimBusEvent>& events() const { return events_; }

private:
    std::vector<SimBusEvent> events_;
};

}  // namespace zeltor
