#pragma once

#include <optional>
#include <string>

#include "base/bytes.h"

namespace zeltor::guest {

// A hidraw node reached through the raw calls alone, as any program on the system could, with
// the system's words for every failure in `error()`.
class RawHidraw {
public:
    RawHidraw(const std::string& node, int flags);
    ~RawHidraw();
    RawHidraw(const RawHidraw&) = delete;
    RawHidraw& operator=(const RawHidraw&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int openErrno() const { return openErrno_; }
    const std::string& error() const { return error_; }

    // HIDIOCGRAWINFO: bus, vendor and product.
    bool info(unsigned& bus, unsigned& vendor, unsigned& product);
    // HIDIOCGRDESCSIZE and HIDIOCGRDESC.
    std::optional<ByteVector> descriptor();
    bool setFeature(const ByteVector& report);
    // HIDIOCGFEATURE of `length` bytes, byte 0 the id.
    std::optional<ByteVector> getFeature(std::uint8_t id, std::size_t length);
    bool write(const ByteVector& report);
    // The next input report within `timeoutMs`; nothing on a time-out (error() empty) or failure.
    std::optional<ByteVector> read(int timeoutMs);

private:
    bool failed(const char* call);

    std::string node_;
    int fd_ = -1;
    int openErrno_ = 0;
    std::string error_;
};

}  // namespace zeltor::guest
