#pragma once

#include <chrono>
#include <string>

#include "base/bytes.h"
#include "hid/hid_backend.h"

namespace zeltor {

// One HID top-level collection of a simulated device, as the host sees it: a path, an identity,
// and the device's handling of the reports the host sends.
class SimCollection {
public:
    virtual ~SimCollection() = default;

    virtual std::string path() const = 0;
    virtual HidAttributes attributes() const = 0;
    virtual HidCaps caps() const = 0;
    // A collection that cannot even be opened for its identity.
    virtual bool probeable() const { return true; }

    // How long an output report takes to reach the device: the host's write completes, and the
    // device takes the report, that long after the write starts.
    virtual std::chrono::milliseconds outputTransferTime() const {
        return std::chrono::milliseconds(0);
    }

    // The device takes (or refuses, with an error code) a report the host sent. Reports arrive
    // already cut or padded to the collection's report length.
    virtual HidTransfer onOutputReport(const ByteVector& report) = 0;
    virtual HidTransfer onSetFeature(const ByteVector& report) = 0;
    // Fills `report` (sized to the feature length, byte 0 the id); false refuses the read.
    virtual bool onGetFeature(ByteVector& report) = 0;
};

}  // namespace zeltor
