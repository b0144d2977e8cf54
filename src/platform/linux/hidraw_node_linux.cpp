#include "platform/linux/hidraw_node_linux.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "trace/trace_log.h"

namespace zeltor {
namespace {

void traceIoctlFailure(const char* request, const HidrawFile& file) {
    const int error = errno;
    Trace("%s on %s failed: %s (errno %d)\n", request, file.node().c_str(), std::strerror(error),
          error);
}

}  // namespace

HidrawFile::HidrawFile(const std::string& node, int flags) : node_(node) {
    do {
        fd_ = ::open(node.c_str(), flags | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        error_ = errno;
    }
}

HidrawFile::~HidrawFile() {
    close();
}

HidrawFile::HidrawFile(HidrawFile&& other) noexcept
    : node_(std::move(other.node_)), fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

void HidrawFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::optional<HidAttributes> readHidrawAttributes(const HidrawFile& file) {
    hidraw_devinfo info{};
    if (ioctl(file.fd(), HIDIOCGRAWINFO, &info) < 0) {
        traceIoctlFailure("HIDIOCGRAWINFO", file);
        return std::nullopt;
    }
    HidAttributes attributes;
    attributes.Size = sizeof attributes;
    // The kernel declares both as signed 16-bit.
    attributes.VendorID = static_cast<std::uint16_t>(info.vendor);
    attributes.ProductID = static_cast<std::uint16_t>(info.product);
    return attributes;
}

std::optional<ByteVector> readHidrawDescriptor(const HidrawFile& file) {
    int size = 0;
    if (ioctl(file.fd(), HIDIOCGRDESCSIZE, &size) < 0) {
        traceIoctlFailure("HIDIOCGRDESCSIZE", file);
        return std::nullopt;
    }
    if (size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE) {
        Trace("HIDIOCGRDESCSIZE on %s gave %d bytes\n", file.node().c_str(), size);
        return std::nullopt;
    }
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<__u32>(size);
    if (ioctl(file.fd(), HIDIOCGRDESC, &descriptor) < 0) {
        traceIoctlFailure("HIDIOCGRDESC", file);
        return std::nullopt;
    }
    return ByteVector(descriptor.value, descriptor.value + size);
}

}  // namespace zeltor
