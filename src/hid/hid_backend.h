#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/bytes.h"

namespace zeltor {

// Identity of a HID device, as the platform reports it.
struct HidAttributes {
    std::uint32_t Size = 0;
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// The parts of a collection's capabilities the tool uses; lengths include the report id byte.
struct HidCaps {
    std::uint16_t Usage = 0;
    std::uint16_t UsagePage = 0;
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
};

// An open device handle, or a handle-notification registration; 0 is none.
using HidHandle = std::uintptr_t;
using HidRegistration = std::uintptr_t;

// Windows error codes, which the simulated HID stack reports as its own.
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

// The outcome of a report sent. A refusal carries the platform's error code and its own words
// for it (FormatMessageW on Windows, strerror on Linux), so a trace tells what went wrong
// without a table of numbers at hand.
struct HidTransfer {
    HidTransfer() = default;
    HidTransfer(bool accepted, std::uint32_t errorCode, std::string errorText = {})
        : accepted(accepted), errorCode(errorCode), errorText(std::move(errorText)) {}

    bool accepted = false;
    std::uint32_t errorCode = 0;  // meaningful when not accepted
    std::string errorText;        // meaningful when not accepted
};

class DeviceChangeSink;

// What the core needs of the platform's HID stack. Every wait is bounded by the caller; no
// operation throws. Implementations: Windows (SetupAPI, HidD/HidP, overlapped I/O), Linux
// (hidraw + udev) and the simulation.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Paths of every present HID collection.
    virtual std::vector<std::string> enumerateInterfaces() = 0;

    // Arrivals and removals of HID collections, delivered to `sink` (nullptr stops them).
    virtual void registerInterfaceNotifications(DeviceChangeSink* sink) = 0;

    // Reads the identity of `path` without opening it for I/O. False when the path cannot be
    // opened; a collection whose descriptor cannot be read gives true with zero values.
    virtual bool probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) = 0;

    virtual HidHandle open(const std::string& path) = 0;
    virtual void close(HidHandle handle) = 0;

    // Removal notifications for an open handle, delivered to `sink`; 0 when refused.
    virtual HidRegistration registerHandleNotification(HidHandle handle,
                                                       DeviceChangeSink* sink) = 0;
    virtual void unregisterHandleNotification(HidRegistration registration) = 0;

    // Writes one whole output report and waits for it at most `timeoutMs`. Not accepted only when
    // the platform refused the write outright; a write still under way when the wait ends is
    // accepted (the backend makes sure the next write does not reuse its unfinished transfer).
    virtual HidTransfer writeOutputReport(HidHandle handle, const ByteVector& report,
                                          std::uint32_t timeoutMs) = 0;

    // Reads one input report of `length` bytes, waiting at most `timeoutMs`; nothing on a
    // time-out or an error (the backend cancels the read).
    virtual std::optional<ByteVector> readInputReport(HidHandle handle, std::size_t length,
                                                      std::uint32_t timeoutMs) = 0;

    virtual HidTransfer setFeature(HidHandle handle, const ByteVector& report) = 0;
    // `report` arrives sized to the feature report length with byte 0 set to the report id.
    virtual bool getFeature(HidHandle handle, ByteVector& report) = 0;
};

}  // namespace zeltor
