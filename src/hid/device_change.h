#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hid/hid_backend.h"

namespace zeltor {

// Device-change notification codes and header kinds (the platform's numbering).
// The Windows headers define these as macros of the same values; either serves.
#ifndef DBT_DEVICEARRIVAL
inline constexpr std::uint32_t DBT_DEVICEARRIVAL = 0x8000;
#endif
#ifndef DBT_DEVICEQUERYREMOVE
inline constexpr std::uint32_t DBT_DEVICEQUERYREMOVE = 0x8001;
#endif
#ifndef DBT_DEVICEREMOVECOMPLETE
inline constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
#endif
#ifndef DBT_DEVTYP_DEVICEINTERFACE
inline constexpr std::uint32_t DBT_DEVTYP_DEVICEINTERFACE = 5;
#endif
#ifndef DBT_DEVTYP_HANDLE
inline constexpr std::uint32_t DBT_DEVTYP_HANDLE = 6;
#endif

// The interface class of HID collections, {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr std::array<std::uint8_t, 16> kHidInterfaceClass = {
    0xB2, 0x55, 0x1E, 0x4D, 0x6F, 0xF1, 0xCF, 0x11, 0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};

// One device-change notification as the platform delivers it. `hasHeader` false stands for a
// notification without header data; `deviceType` tells which header fields are meaningful.
struct DeviceChange {
    std::uint32_t eventType = 0;
    bool hasHeader = false;
    std::uint32_t deviceType = 0;
    std::array<std::uint8_t, 16> classGuid{};
    std::string devicePath;  // DBT_DEVTYP_DEVICEINTERFACE
    HidHandle handle = 0;    // DBT_DEVTYP_HANDLE
};

// Receives device-change notifications on the user-interface thread, from the host's loop.
class DeviceChangeSink {
public:
    virtual ~DeviceChangeSink() = default;
    virtual void deviceChanged(const DeviceChange& change) = 0;
};

}  // namespace zeltor
