#include "raw_hidraw.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zeltor::guest {

RawHidraw::RawHidraw(const std::string& node, int flags)
    : node_(node), fd_(::open(node.c_str(), flags | O_CLOEXEC)) {
    if (fd_ < 0) {
        openErrno_ = errno;
        failed("open");
    }
}

RawHidraw::~RawHidraw() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool RawHidraw::failed(const char* call) {
    const int error = errno;
    error_ = node_ + ": " + call + ": " + std::strerror(error) + " (errno " +
             std::to_string(error) + ")";
    return false;
}

bool RawHidraw::info(unsigned& bus, unsigned& vendor, unsigned& product) {
    hidraw_devinfo raw{};
    if (ioctl(fd_, HIDIOCGRAWINFO, &raw) < 0) {
        return failed("HIDIOCGRAWINFO");
    }
    // The kernel hands vendor and product over as signed 16-bit values.
    bus = raw.bustype;
    vendor = static_cast<std::uint16_t>(raw.vendor);
    product = static_cast<std::uint16_t>(raw.product);
    return true;
}

std::optional<ByteVector> RawHidraw::descriptor() {
    int size = 0;
    if (ioctl(fd_, HIDIOCGRDESCSIZE, &size) < 0) {
        failed("HIDIOCGRDESCSIZE");
        return std::nullopt;
    }
    hidraw_report_descriptor raw{};
    raw.size = static_cast<__u32>(size);
    if (ioctl(fd_, HIDIOCGRDESC, &raw) < 0) {
        failed("HIDIOCGRDESC");
        return std::nullopt;
    }
    return ByteVector(raw.value, raw.value + raw.size);
}

bool RawHidraw::setFeature(const ByteVector& report) {
    ByteVector buffer = report;
    if (ioctl(fd_, HIDIOCSFEATURE(buffer.size()), buffer.data()) < 0) {
        return failed("HIDIOCSFEATURE");
    }
    return true;
}

std::optional<ByteVector> RawHidraw::getFeature(std::uint8_t id, std::size_t length) {
    ByteVector buffer(length, 0);
    buffer[0] = id;
    const int count = ioctl(fd_, HIDIOCGFEATURE(buffer.size()), buffer.data());
    if (count < 0) {
        failed("HIDIOCGFEATURE");
        return std::nullopt;
    }
    buffer.resize(static_cast<std::size_t>(count));
    return buffer;
}

bool RawHidraw::write(const ByteVector& report) {
    const ssize_t count = ::write(fd_, report.data(), report.size());
    if (count < 0) {
        return failed("write");
    }
    return true;
}

std::optional<ByteVector> RawHidraw::read(int timeoutMs) {
    error_.clear();
    pollfd ready{fd_, POLLIN, 0};
    const int polled = poll(&ready, 1, timeoutMs);
    if (polled <= 0) {
        if (polled < 0) {
            failed("poll");
        }
        return std::nullopt;
    }
    ByteVector buffer(4096);
    const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
    if (count < 0) {
        failed("read");
        return std::nullopt;
    }
    buffer.resize(static_cast<std::size_t>(count));
    return buffer;
}

}  // namespace zeltor::guest
