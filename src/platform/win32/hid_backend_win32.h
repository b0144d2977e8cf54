#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hid/device_change.h"
#include "hid/device_change_repeats.h"
#include "hid/hid_backend.h"

namespace zeltor {

// The HID stack on Windows: interfaces of the HID class found through the device-setup library,
// identities through hid.dll, reports through overlapped I/O on the collection's handle.
//
// Notifications are the system's: registrations name the window, and its owner hands each
// WM_DEVICECHANGE message to `deliver` (or to the core directly) synchronously, so that a
// query-remove is answered while the system waits.
//
// The backend owns every transfer's buffer and overlapped record: a transfer the wait gave up on
// is cancelled and awaited before its record or buffer is used again or released, so the system
// never writes into memory that is gone.
class Win32HidBackend final : public HidBackend {
public:
    explicit Win32HidBackend(HWND window);
    // For a window made after the backend, as a dialog is: asked for at each registration.
    explicit Win32HidBackend(std::function<HWND()> window);
    ~Win32HidBackend() override;
    Win32HidBackend(const Win32HidBackend&) = delete;
    Win32HidBackend& operator=(const Win32HidBackend&) = delete;

    // Hands a device change the window received to the sink registered for it: interface
    // changes to the interface sink, a handle's to the sinks of that handle. False when no
    // sink takes it.
    bool deliver(const DeviceChange& change);

    std::vector<std::string> enumerateInterfaces() override;
    void registerInterfaceNotifications(DeviceChangeSink* sink) override;
    bool probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) override;
    HidHandle open(const std::string& path) override;
    void close(HidHandle handle) override;
    HidRegistration registerHandleNotification(HidHandle handle, DeviceChangeSink* sink) override;
    void unregisterHandleNotification(HidRegistration registration) override;
    HidTransfer writeOutputReport(HidHandle handle, const ByteVector& report,
                                  std::uint32_t timeoutMs) override;
    std::optional<ByteVector> readInputReport(HidHandle handle, std::size_t length,
                                              std::uint32_t timeoutMs) override;
    HidTransfer setFeature(HidHandle handle, const ByteVector& report) override;
    bool getFeature(HidHandle handle, ByteVector& report) override;

private:
    class Transfer;
    struct Device;

    // The open device of `handle`; null for an unknown handle or a stuck device.
    Device* deviceOf(HidHandle handle);
    // Cancels what the handle has under way and waits until the system lets go of it; false
    // (and the device stuck) when it does not.
    bool cancelOutstanding(Device& device);

    struct HandleRegistration {
        HidHandle handle;
        DeviceChangeSink* sink;
    };

    // The window registrations name; null when there is none (traced).
    HWND notificationWindow(const char* what) const;

    std::function<HWND()> window_;
    HDEVNOTIFY interfaceRegistration_ = nullptr;
    DeviceChangeSink* interfaceSink_ = nullptr;
    DeviceChangeRepeats repeats_;
    std::map<HidRegistration, HandleRegistration> handleRegistrations_;
    std::map<HidHandle, std::unique_ptr<Device>> devices_;
};

}  // namespace zeltor
