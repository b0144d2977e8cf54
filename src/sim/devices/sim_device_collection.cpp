#include "sim/devices/sim_device_collection.h"

namespace zeltor {
namespace {

// Interface paths as Windows shows them: each collection of each mode has its own, and the two
// collections of the headset differ only in their collection number.
const char* pathOf(DeviceRole role) {
    switch (role) {
        case DeviceRole::ZeltorHeadsetMCU:
            return R"(\\?\hid#vid_2f5a&pid_5c1b&mi_03&col02#8&2f0c41d5&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030})";
        case DeviceRole::ZeltorHeadset:
            return R"(\\?\hid#vid_2f5a&pid_5c1b&mi_03&col01#8&2f0c41d5&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
        case DeviceRole::ZeltorDongle:
            return R"(\\?\hid#vid_2f5a&pid_5c1a&mi_03#8&1b7e2a90&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
        case DeviceRole::AvneraHeadsetBootloader:
            return R"(\\?\hid#vid_170d&pid_0101#7&3a51c0f2&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
        case DeviceRole::AvneraDongleBootloader:
            return R"(\\?\hid#vid_170d&pid_0100#7&12d4e6b8&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    }
    return "";
}

}  // namespace

std::string SimDeviceCollection::path() const {
    return pathOf(role_);
}

HidAttributes SimDeviceCollection::attributes() const {
    const DeviceRoleIdentity& id = identityOf(role_);
    HidAttributes a;
    a.Size = sizeof(HidAttributes);
    a.VendorID = id.vendorId;
    a.ProductID = id.productId;
    a.VersionNumber = 0x0100;
    return a;
}

HidCaps SimDeviceCollection::caps() const {
    const DeviceRoleIdentity& id = identityOf(role_);
    HidCaps c;
    c.Usage = id.usage;
    c.UsagePage = id.usagePage;
    c.InputReportByteLength = lengths_.input;
    c.OutputReportByteLength = lengths_.output;
    c.FeatureReportByteLength = lengths_.feature;
    return c;
}

}  // namespace zeltor
