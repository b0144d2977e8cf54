#pragma once

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

// One device-change notification as the platform delivers it. `hasHeader` false stands for a
// notification without header data; `deviceType` tells which header fields are meaningful.
struct DeviceChange {
    std::uint32_t eventType = 0;
    bool hasHeader = false;
    std::uint32_t deviceType = 0;
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
