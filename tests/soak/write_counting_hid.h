#pragma once

#include <cstdint>

#include "hid/hid_backend.h"

namespace zeltor::soak {

// The tool's HID stack with a count of every report the tool sends (output and feature
// reports): whether it sent anything while nobody touched it is what the soak asks.
class WriteCountingHid final : public HidBackend {
public:
    explicit WriteCountingHid(HidBackend& inner) : inner_(inner) {}

    std::uint64_t reportsSent() const { return sent_; }
    // The report most recently sent, for messages.
    const ByteVector& lastReport() const { return last_; }

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
    void count(const ByteVector& report);

    HidBackend& inner_;
    std::uint64_t sent_ = 0;
    ByteVector last_;
};

}  // namespace zeltor::soak
