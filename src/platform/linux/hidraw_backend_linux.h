#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/hid_notifications.h"
#include "platform/linux/hidraw_access_failures_linux.h"
#include "platform/linux/hidraw_collection_reader_linux.h"
#include "platform/linux/hidraw_node_linux.h"
#include "platform/linux/udev_devices_linux.h"
#include "platform/linux/udev_monitor_linux.h"

namespace zeltor {

// The HID stack on Linux: hidraw nodes found and watched through udev. Each top-level collection
// of a node is an interface of its own (hidraw_collection_path_linux.h names them), probed from
// the node's report descriptor, and a channel opened on it reads only its collection's reports.
//
// Notifications go out through `post`, the host loop's way to run work later on the
// user-interface thread in order, never in the middle of a blocking wait. The loop watches
// `eventFd()` and calls `handleEvents()` when it is readable.
class HidrawBackend final : public HidBackend {
public:
    using Post = std::function<void(std::function<void()>)>;

    explicit HidrawBackend(Post post);
    ~HidrawBackend() override;
    HidrawBackend(const HidrawBackend&) = delete;
    HidrawBackend& operator=(const HidrawBackend&) = delete;

    // The udev monitor's socket; -1 without one (then no arrivals or removals are seen).
    int eventFd() const;
    // Takes the waiting udev events: an added node's collections arrive; a removed node's open
    // handles are closed, their handle registrations are told, and its collections are removed.
    void handleEvents();

    // The nodes that could not be opened, with their errno and device identity, while they stay
    // so: a node leaves the list when it opens for reading and writing or goes away.
    std::vector<HidrawAccessFailure> accessFailures() const { return accessFailures_.list(); }

    // HidBackend
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
    struct OpenHandle {
        std::string node;
        int fd;  // -1 once the node has gone
        HidrawCollectionReader reader;
    };

    HidrawFile openNode(const std::string& node, int flags);
    std::vector<std::string> interfacesOfNode(const std::string& node);
    void nodeAdded(const std::string& node);
    void nodeRemoved(const std::string& node);
    OpenHandle* live(HidHandle handle);

    HidNotifications notifications_;
    UdevDevices udev_;
    UdevHidrawMonitor monitor_;
    HidrawAccessFailures accessFailures_;
    // The interface paths announced for each node, so that its removal names them all.
    std::map<std::string, std::vector<std::string>> nodes_;
    std::map<HidHandle, OpenHandle> handles_;
    HidHandle nextHandle_ = 1;
};

}  // namespace zeltor
