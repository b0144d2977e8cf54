#include "uhid_device_linux.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zeltor::guest {
namespace {

std::string systemWords(const char* call) {
    const int error = errno;
    return std::string(call) + ": " + std::strerror(error) + " (errno " + std::to_string(error) +
           ")";
}

// The text, cut to the field and ended with a zero byte (the fields are packed: no references).
void copyText(std::uint8_t* field, std::size_t size, const std::string& text) {
    const std::size_t count = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), count);
    field[count] = 0;
}

}  // namespace

std::unique_ptr<UhidDevice> UhidDevice::create(const UhidNodeDefinition& definition,
                                               std::string& why) {
    if (definition.descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) {
        why = "a report descriptor of " + std::to_string(definition.descriptor.size()) +
              " bytes is more than uhid takes";
        return nullptr;
    }
    const int fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = systemWords("open /dev/uhid");
        return nullptr;
    }
    std::unique_ptr<UhidDevice> device(new UhidDevice(fd));
    uhid_event event{};
    event.type = UHID_CREATE2;
    copyText(event.u.create2.name, sizeof event.u.create2.name, definition.name);
    copyText(event.u.create2.phys, sizeof event.u.create2.phys, "zeltor-uhid-bridge");
    event.u.create2.rd_size = static_cast<std::uint16_t>(definition.descriptor.size());
    event.u.create2.bus = BUS_USB;
    event.u.create2.vendor = definition.attributes.VendorID;
    event.u.create2.product = definition.attributes.ProductID;
    event.u.create2.version = definition.attributes.VersionNumber;
    std::copy(definition.descriptor.begin(), definition.descriptor.end(), event.u.create2.rd_data);
    if (!device->write(event, why)) {
        return nullptr;
    }
    return device;
}

UhidDevice::~UhidDevice() {
    // Closing the descriptor destroys the device, as UHID_DESTROY would.
    ::close(fd_);
}

std::optional<uhid_event> UhidDevice::readEvent(std::string& why) {
    why.clear();
    uhid_event event{};
    const ssize_t count = ::read(fd_, &event, sizeof event);
    if (count < 0) {
        if (errno != EAGAIN && errno != EINTR) {
            why = systemWords("read /dev/uhid");
        }
        return std::nullopt;
    }
    return event;
}

bool UhidDevice::write(const uhid_event& event, std::string& why) {
    const ssize_t count = ::write(fd_, &event, sizeof event);
    if (count != static_cast<ssize_t>(sizeof event)) {
        why = count < 0 ? systemWords("write /dev/uhid")
                        : "write /dev/uhid took " + std::to_string(count) + " bytes";
        return false;
    }
    return true;
}

int UhidDeviceSet::create(const UhidNodeDefinition& definition) {
    std::string why;
    std::unique_ptr<UhidDevice> device = UhidDevice::create(definition, why);
    if (!device) {
        say_("uhid-bridge: " + definition.name + ": " + why);
        return 0;
    }
    const int node = next_++;
    devices_.emplace(node, std::move(device));
    return node;
}

void UhidDeviceSet::destroy(int node) {
    devices_.erase(node);
}

void UhidDeviceSet::send(int node, const uhid_event& event) {
    const auto it = devices_.find(node);
    std::string why = "no such node";
    if (it == devices_.end() || !it->second->write(event, why)) {
        say_("uhid-bridge: node " + std::to_string(node) + ": " + why);
    }
}

void UhidDeviceSet::input(int node, const ByteVector& report) {
    uhid_event event{};
    event.type = UHID_INPUT2;
    const std::size_t count = std::min<std::size_t>(report.size(), UHID_DATA_MAX);
    event.u.input2.size = static_cast<std::uint16_t>(count);
    std::copy_n(report.begin(), count, event.u.input2.data);
    send(node, event);
}

}  // namespace zeltor::guest
