#pragma once

#include <linux/uhid.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "uhid_devices.h"

namespace zeltor::guest {

// One kernel HID device made through /dev/uhid; it goes when the object does.
class UhidDevice {
public:
    // Nothing when the kernel refuses it; `why` then says so in the system's words.
    static std::unique_ptr<UhidDevice> create(const UhidNodeDefinition& definition,
                                              std::string& why);
    ~UhidDevice();
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    int fd() const { return fd_; }
    // The next event the kernel has for the device; nothing when none waits or the read failed
    // (`why` says which, empty when none waits).
    std::optional<uhid_event> readEvent(std::string& why);
    // False with `why` when the kernel did not take the event.
    bool write(const uhid_event& event, std::string& why);

private:
    explicit UhidDevice(int fd) : fd_(fd) {}
    int fd_;
};

// The bridge's kernel devices, each on its own /dev/uhid descriptor.
class UhidDeviceSet final : public UhidDevices {
public:
    explicit UhidDeviceSet(std::function<void(const std::string&)> say) : say_(std::move(say)) {}

    int create(const UhidNodeDefinition& definition) override;
    void destroy(int node) override;
    void input(int node, const ByteVector& report) override;

    const std::map<int, std::unique_ptr<UhidDevice>>& devices() const { return devices_; }
    // Sends `event` to node `node`'s device, saying so when the kernel refuses it.
    void send(int node, const uhid_event& event);

private:
    std::function<void(const std::string&)> say_;
    std::map<int, std::unique_ptr<UhidDevice>> devices_;
    int next_ = 1;
};

}  // namespace zeltor::guest
