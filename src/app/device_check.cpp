#include "app/device_check.h"

#include <cstdio>

#include "app/exit_codes.h"
#include "controller/brennic_dfu_dlg.h"
#include "hid/discovery.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

// The minor version the query leaves untouched when no answer was read. A chip's minor version
// is two characters read as a number, 0 to 99 for digits; only a text of "-1" there reads as
// this value, and it shows as no answer, which changes no verdict (its major version is 0).
constexpr std::uint8_t kNoMinor = 0xFF;

struct PartRoles {
    CheckedPart part;
    DeviceRole application;
    bool hasBootloader;
    DeviceRole bootloader;
    const char* key;
    const char* label;
};

// In the order of CheckedPart, which is the order the version check asks them.
constexpr PartRoles kPartRoles[] = {
    {CheckedPart::MCU, DeviceRole::ZeltorHeadsetMCU, false, DeviceRole::ZeltorHeadsetMCU, "mcu",
     "Headset audio MCU"},
    {CheckedPart::Headset, DeviceRole::ZeltorHeadset, true, DeviceRole::AvneraHeadsetBootloader,
     "headset", "Headset wireless chip"},
    {CheckedPart::Dongle, DeviceRole::ZeltorDongle, true, DeviceRole::AvneraDongleBootloader,
     "dongle", "USB receiver wireless chip"},
};

void askVersion(CBrennicDFUDlg& controller, const PartRoles& roles, PartCheck& check) {
    if (roles.part == CheckedPart::MCU) {
        // The attempts and pauses of the version check's own MCU question.
        check.major = controller.GetMCUPatchVersion(5);
        check.answered = check.major != 0;
        return;
    }
    std::uint8_t minor = kNoMinor;
    check.major = controller.GetAvneraVersion(controller.channel(roles.application), &minor);
    check.answered = check.major != 0 || minor != kNoMinor;
    check.minor = check.answered ? minor : 0;
}

}  // namespace

int deviceCheckExitCode(const DeviceCheck& check) {
    if (!check.anyFound) {
        return kExitCannotStart;
    }
    return check.upToDate ? kExitSuccess : kExitFailed;
}

DeviceCheck runDeviceCheck(CBrennicDFUDlg& controller, HidBackend& hid) {
    // Arrivals in the starting state open channels and move nothing, as during start-up.
    controller.SwitchToState(DFU_STATE_STARTING);
    EnumerateHidDevices(
        hid, [&controller](const std::string& path) { controller.onHidDeviceArrival(path); });
    DeviceCheck check;
    check.upToDate = true;
    for (std::size_t i = 0; i < check.parts.size(); ++i) {
        const PartRoles& roles = kPartRoles[i];
        PartCheck& part = check.parts[i];
        part.part = roles.part;
        const char* key = checkedPartKey(roles.part);
        if (controller.channel(roles.application).IsOpen()) {
            part.mode = PartMode::Application;
            askVersion(controller, roles, part);
            part.current = part.answered && isCurrentVersion(part.major);
            const std::string version = partVersionText(part);
            Trace("Device check: %s in application mode, version %s, %s\n", key,
                  part.answered ? version.c_str() : "not read",
                  part.current ? "current" : "needs the update");
        } else if (roles.hasBootloader && controller.channel(roles.bootloader).IsOpen()) {
            part.mode = PartMode::Bootloader;
            Trace("Device check: %s sits in its bootloader and needs the update\n", key);
        } else {
            Trace("Device check: %s not found\n", key);
        }
        check.anyFound = check.anyFound || part.mode != PartMode::Absent;
        check.upToDate = check.upToDate && part.current;
    }
    check.exitCode = deviceCheckExitCode(check);
    Trace("Device check: %s, exit code %d\n",
          !check.anyFound  ? "no device found"
          : check.upToDate ? "up to date"
                           : "an update is needed",
          check.exitCode);
    return check;
}

const char* checkedPartKey(CheckedPart part) {
    return kPartRoles[static_cast<std::size_t>(part)].key;
}

const char* checkedPartLabel(CheckedPart part) {
    return kPartRoles[static_cast<std::size_t>(part)].label;
}

const char* partModeName(PartMode mode) {
    constexpr const char* kModeNames[] = {"absent", "application", "bootloader"};
    return kModeNames[static_cast<std::size_t>(mode)];
}

std::string partVersionText(const PartCheck& part) {
    if (!part.answered) {
        return {};
    }
    char text[16];
    if (part.part == CheckedPart::MCU) {
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(part.major));
    } else {
        std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(part.major),
                      static_cast<unsigned>(part.minor));
    }
    return text;
}

}  // namespace zeltor
