#include "program/device_access_linux.h"

#include <cstdio>
#include <cstring>

#include "hid/device_role.h"
#include "platform/linux/hidraw_backend_linux.h"

namespace zeltor {
namespace {

// What a person calls the device behind a vendor and product id; nothing for other devices.
const char* deviceName(const HidId& id) {
    if (id.vendorId == kZeltorVendorId && id.productId == kZeltorHeadsetProductId) {
        return "the Zeltor headset";
    }
    if (id.vendorId == kZeltorVendorId && id.productId == kZeltorDongleProductId) {
        return "the Zeltor USB receiver";
    }
    if (id.vendorId == kAvneraVendorId && id.productId == kAvneraHeadsetBootloaderProductId) {
        return "the Zeltor headset (in its update mode)";
    }
    if (id.vendorId == kAvneraVendorId && id.productId == kAvneraDongleBootloaderProductId) {
        return "the Zeltor USB receiver (in its update mode)";
    }
    return nullptr;
}

}  // namespace

const char* const DeviceAccessProblem::kFix =
    "Install the udev rule that lets you reach the devices, then unplug and plug them in again:\n"
    "  sudo cp 70-brennic-firmware-update.rules /etc/udev/rules.d/\n"
    "  sudo udevadm control --reload && sudo udevadm trigger\n"
    "(the rule comes with the program, in lib/udev/rules.d of its install folder), or run the "
    "program with sudo.\n";

DeviceAccessProblem deviceAccessProblem(const HidrawBackend& hid) {
    DeviceAccessProblem problem;
    for (const HidrawAccessFailure& failure : hid.accessFailures()) {
        const char* name = failure.id ? deviceName(*failure.id) : nullptr;
        if (name == nullptr) {
            continue;
        }
        char line[512];
        std::snprintf(line, sizeof(line), "cannot open %s (%s, %04x:%04x): %s",
                      failure.node.c_str(), name, failure.id->vendorId, failure.id->productId,
                      std::strerror(failure.error));
        problem.failures.emplace_back(line);
    }
    return problem;
}

}  // namespace zeltor
