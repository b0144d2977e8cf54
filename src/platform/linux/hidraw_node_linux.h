#pragma once

#include <optional>
#include <string>
#include <utility>

#include "base/bytes.h"
#include "hid/hid_backend.h"

namespace zeltor {

// An open file of a hidraw node, closed with the object; the errno of the open when it failed.
class HidrawFile {
public:
    HidrawFile(const std::string& node, int flags);
    ~HidrawFile();
    HidrawFile(HidrawFile&& other) noexcept;
    HidrawFile& operator=(HidrawFile&&) = delete;
    HidrawFile(const HidrawFile&) = delete;
    HidrawFile& operator=(const HidrawFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int openError() const { return error_; }
    const std::string& node() const { return node_; }
    void close();
    // Hands the descriptor over to the caller, who closes it.
    int release() { return std::exchange(fd_, -1); }

private:
    std::string node_;
    int fd_ = -1;
    int error_ = 0;
};

// Vendor and product of the device (HIDIOCGRAWINFO); nothing, traced, when the call fails.
std::optional<HidAttributes> readHidrawAttributes(const HidrawFile& file);

// The report descriptor as the kernel uses it (HIDIOCGRDESC); nothing, traced, on failure.
std::optional<ByteVector> readHidrawDescriptor(const HidrawFile& file);

}  // namespace zeltor
