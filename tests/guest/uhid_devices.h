#pragma once

#include <string>

#include "base/bytes.h"
#include "hid/hid_backend.h"

namespace zeltor::guest {

// What a kernel HID device is made from.
struct UhidNodeDefinition {
    std::string name;
    HidAttributes attributes;
    ByteVector descriptor;
};

// The kernel's side of the bridge: HID devices made through /dev/uhid, or a record of them in
// tests. Nodes are numbered from 1.
class UhidDevices {
public:
    virtual ~UhidDevices() = default;
    // 0 when the kernel refused the device; the implementation says why.
    virtual int create(const UhidNodeDefinition& definition) = 0;
    virtual void destroy(int node) = 0;
    // An input report the device sends to whoever reads its node.
    virtual void input(int node, const ByteVector& report) = 0;
};

}  // namespace zeltor::guest
