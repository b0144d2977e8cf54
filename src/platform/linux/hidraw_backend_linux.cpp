#include "platform/linux/hidraw_backend_linux.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "hid/device_change.h"
#include "hid/report_descriptor.h"
#include "platform/linux/hidraw_collection_path_linux.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

// The length of a feature report travels in the 14 size bits of the ioctl number.
constexpr std::size_t kMaxFeatureBytes = (1U << _IOC_SIZEBITS) - 1;

HidTransfer refusal(int error) {
    return {false, static_cast<std::uint32_t>(error), std::strerror(error)};
}

// The node's collections, or nothing (traced) when its descriptor cannot be read or is refused.
std::optional<ReportDescriptor> collectionsOf(const HidrawFile& file) {
    const std::optional<ByteVector> bytes = readHidrawDescriptor(file);
    if (!bytes) {
        return std::nullopt;
    }
    ReportDescriptor descriptor = parseReportDescriptor(*bytes);
    if (!descriptor.ok()) {
        Trace("Report descriptor of %s refused: %s\n", file.node().c_str(),
              descriptor.failure.c_str());
        return std::nullopt;
    }
    return descriptor;
}

// The collection `path` names on the open node, or null (traced).
const ReportCollection* collectionAt(const std::optional<ReportDescriptor>& descriptor,
                                     const HidrawCollectionPath& where, const std::string& path) {
    if (!descriptor) {
        return nullptr;
    }
    const ReportCollection* collection = namedCollection(*descriptor, where.collection);
    if (collection == nullptr) {
        Trace("%s names no collection of %s, which has %zu\n", path.c_str(), where.node.c_str(),
              descriptor->collections.size());
    }
    return collection;
}
// The answer points into the descriptor, which must outlive it.
const ReportCollection* collectionAt(std::optional<ReportDescriptor>&&, const HidrawCollectionPath&,
                                     const std::string&) = delete;

std::optional<HidrawCollectionPath> hidrawPath(const std::string& path) {
    std::optional<HidrawCollectionPath> where = parseHidrawCollectionPath(path);
    if (!where) {
        Trace("%s is not a hidraw interface path\n", path.c_str());
    }
    return where;
}

}  // namespace

HidrawBackend::HidrawBackend(Post post)
    : notifications_(std::move(post), 1), monitor_(udev_.context()) {}

HidrawBackend::~HidrawBackend() {
    for (auto& [handle, state] : handles_) {
        if (state.fd >= 0) {
            ::close(state.fd);
        }
    }
}

int HidrawBackend::eventFd() const {
    return monitor_.fd();
}

HidrawFile HidrawBackend::openNode(const std::string& node, int flags) {
    HidrawFile file(node, flags);
    if (!file.isOpen()) {
        accessFailures_.note(node, file.openError(), udev_.identityOfNode(node));
    } else if ((flags & O_ACCMODE) == O_RDWR) {
        accessFailures_.forget(node);
    }
    return file;
}

std::vector<std::string> HidrawBackend::interfacesOfNode(const std::string& node) {
    // A node that cannot be split still shows up, so that its probe fails where it is seen.
    const HidrawFile file = openNode(node, O_RDONLY | O_NONBLOCK);
    const std::optional<ReportDescriptor> descriptor =
        file.isOpen() ? collectionsOf(file) : std::nullopt;
    if (!descriptor) {
        return {node};
    }
    std::vector<std::string> paths;
    const std::size_t count = descriptor->collections.size();
    for (std::size_t collection = 1; collection <= count; ++collection) {
        paths.push_back(hidrawCollectionPath(node, collection, count));
    }
    return paths;
}

std::vector<std::string> HidrawBackend::enumerateInterfaces() {
    std::vector<std::string> paths;
    for (const UdevHidrawNode& node : udev_.hidrawNodes()) {
        std::vector<std::string> interfaces = interfacesOfNode(node.node);
        paths.insert(paths.end(), interfaces.begin(), interfaces.end());
        nodes_[node.node] = std::move(interfaces);
    }
    return paths;
}

void HidrawBackend::registerInterfaceNotifications(DeviceChangeSink* sink) {
    notifications_.setInterfaceSink(sink);
}

void HidrawBackend::handleEvents() {
    for (const UdevHidrawEvent& event : monitor_.drain()) {
        if (event.action == UdevHidrawEvent::Action::Added) {
            nodeAdded(event.node);
        } else {
            nodeRemoved(event.node);
        }
    }
}

void HidrawBackend::nodeAdded(const std::string& node) {
    // A node already known was plugged in while the monitor and the enumeration both watched:
    // its interfaces arrive again, which finds their channels open, and any it no longer has
    // are removed.
    std::vector<std::string> interfaces = interfacesOfNode(node);
    std::vector<std::string>& known = nodes_[node];
    for (const std::string& path : known) {
        if (std::find(interfaces.begin(), interfaces.end(), path) == interfaces.end()) {
            notifications_.interfaceChanged(DBT_DEVICEREMOVECOMPLETE, path);
        }
    }
    for (const std::string& path : interfaces) {
        notifications_.interfaceChanged(DBT_DEVICEARRIVAL, path);
    }
    known = std::move(interfaces);
}

void HidrawBackend::nodeRemoved(const std::string& node) {
    std::vector<std::string> interfaces = {node};
    if (const auto known = nodes_.find(node); known != nodes_.end()) {
        interfaces = std::move(known->second);
        nodes_.erase(known);
    }
    accessFailures_.forget(node);
    // There is no asking a hidraw handle's owner to let go first: the handles die with the node,
    // and the removal of the interface paths is what closes the channels.
    for (auto& [handle, state] : handles_) {
        if (state.node != node || state.fd < 0) {
            continue;
        }
        ::close(state.fd);
        state.fd = -1;
        notifications_.handleRemoved(handle, false);
    }
    for (const std::string& path : interfaces) {
        notifications_.interfaceChanged(DBT_DEVICEREMOVECOMPLETE, path);
    }
}

bool HidrawBackend::probe(const std::string& path, HidAttributes& attributes, HidCaps& caps) {
    const std::optional<HidrawCollectionPath> where = hidrawPath(path);
    if (!where) {
        return false;
    }
    const HidrawFile file = openNode(where->node, O_RDONLY | O_NONBLOCK);
    if (!file.isOpen()) {
        return false;
    }
    const std::optional<HidAttributes> identity = readHidrawAttributes(file);
    if (!identity) {
        return false;
    }
    // As on Windows, a collection whose descriptor cannot be had is probed with zero values,
    // which match no role.
    const std::optional<ReportDescriptor> descriptor = collectionsOf(file);
    const ReportCollection* collection = collectionAt(descriptor, *where, path);
    if (collection == nullptr) {
        attributes = {};
        caps = {};
        return true;
    }
    attributes = *identity;
    caps = collection->caps;
    return true;
}

HidHandle HidrawBackend::open(const std::string& path) {
    const std::optional<HidrawCollectionPath> where = hidrawPath(path);
    if (!where) {
        return 0;
    }
    HidrawFile file = openNode(where->node, O_RDWR | O_NONBLOCK);
    if (!file.isOpen()) {
        return 0;
    }
    const std::optional<ReportDescriptor> descriptor = collectionsOf(file);
    const ReportCollection* collection = collectionAt(descriptor, *where, path);
    if (collection == nullptr) {
        return 0;
    }
    const HidHandle handle = nextHandle_++;
    const int fd = file.release();
    handles_.emplace(handle, OpenHandle{where->node, fd,
                                        HidrawCollectionReader(
                                            fd, where->node,
                                            {descriptor->reportIdsUsed, collection->reportIds})});
    return handle;
}

void HidrawBackend::close(HidHandle handle) {
    const auto it = handles_.find(handle);
    if (it == handles_.end()) {
        return;
    }
    if (it->second.fd >= 0) {
        ::close(it->second.fd);
    }
    handles_.erase(it);
}

HidRegistration HidrawBackend::registerHandleNotification(HidHandle handle,
                                                          DeviceChangeSink* sink) {
    if (live(handle) == nullptr) {
        return 0;
    }
    return notifications_.registerHandle(handle, sink);
}

void HidrawBackend::unregisterHandleNotification(HidRegistration registration) {
    notifications_.unregister(registration);
}

HidrawBackend::OpenHandle* HidrawBackend::live(HidHandle handle) {
    const auto it = handles_.find(handle);
    if (it == handles_.end() || it->second.fd < 0) {
        return nullptr;
    }
    return &it->second;
}

HidTransfer HidrawBackend::writeOutputReport(HidHandle handle, const ByteVector& report,
                                             std::uint32_t /*timeoutMs*/) {
    // A hidraw write returns once the device has the report or the kernel's own transfer
    // time-out (5 s for USB) has passed; there is nothing left to wait for afterwards.
    OpenHandle* state = live(handle);
    if (state == nullptr) {
        return refusal(ENODEV);
    }
    if (report.empty()) {
        return refusal(EINVAL);
    }
    state->reader.setAsideQueued();
    ssize_t written;
    do {
        written = ::write(state->fd, report.data(), report.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        return refusal(errno);
    }
    return {true, 0};
}

std::optional<ByteVector> HidrawBackend::readInputReport(HidHandle handle, std::size_t length,
                                                         std::uint32_t timeoutMs) {
    OpenHandle* state = live(handle);
    if (state == nullptr) {
        return std::nullopt;
    }
    return state->reader.read(length, timeoutMs);
}

HidTransfer HidrawBackend::setFeature(HidHandle handle, const ByteVector& report) {
    const OpenHandle* state = live(handle);
    if (state == nullptr) {
        return refusal(ENODEV);
    }
    if (report.empty() || report.size() > kMaxFeatureBytes) {
        return refusal(report.empty() ? EINVAL : EMSGSIZE);
    }
    ByteVector buffer = report;
    if (ioctl(state->fd, HIDIOCSFEATURE(buffer.size()), buffer.data()) < 0) {
        return refusal(errno);
    }
    return {true, 0};
}

bool HidrawBackend::getFeature(HidHandle handle, ByteVector& report) {
    const OpenHandle* state = live(handle);
    if (state == nullptr || report.empty() || report.size() > kMaxFeatureBytes) {
        Trace("HIDIOCGFEATURE not sent: %s\n", state == nullptr
                                                   ? "the handle has no open node"
                                                   : "no report length the call can carry");
        return false;
    }
    if (ioctl(state->fd, HIDIOCGFEATURE(report.size()), report.data()) < 0) {
        const int error = errno;
        Trace("HIDIOCGFEATURE on %s failed: %s (errno %d)\n", state->node.c_str(),
              std::strerror(error), error);
        return false;
    }
    return true;
}

}  // namespace zeltor
