#include "soak/write_counting_hid.h"

namespace zeltor::soak {

std::vector<std::string> WriteCountingHid::enumerateInterfaces() {
    return inner_.enumerateInterfaces();
}

void WriteCountingHid::registerInterfaceNotifications(DeviceChangeSink* sink) {
    inner_.registerInterfaceNotifications(sink);
}

bool WriteCountingHid::probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) {
    return inner_.probe(path, attributes, caps);
}

HidHandle WriteCountingHid::open(const std::string& path) {
    return inner_.open(path);
}

void WriteCountingHid::close(HidHandle handle) {
    inner_.close(handle);
}

HidRegistration WriteCountingHid::registerHandleNotification(HidHandle handle,
                                                             DeviceChangeSink* sink) {
    return inner_.registerHandleNotification(handle, sink);
}

void WriteCountingHid::unregisterHandleNotification(HidRegistration registration) {
    inner_.unregisterHandleNotification(registration);
}

HidTransfer WriteCountingHid::writeOutputReport(HidHandle handle, const ByteVector& report,
                                                std::uint32_t timeoutMs) {
    count(report);
    return inner_.writeOutputReport(handle, report, timeoutMs);
}

std::optional<ByteVector> WriteCountingHid::readInputReport(HidHandle handle, std::size_t length,
                                                            std::uint32_t timeoutMs) {
    return inner_.readInputReport(handle, length, timeoutMs);
}

HidTransfer WriteCountingHid::setFeature(HidHandle handle, const ByteVector& report) {
    count(report);
    return inner_.setFeature(handle, report);
}

bool WriteCountingHid::getFeature(HidHandle handle, ByteVector& report) {
    return inner_.getFeature(handle, report);
}

void WriteCountingHid::count(const ByteVector& report) {
    ++sent_;
    last_ = report;
}

}  // namespace zeltor::soak
