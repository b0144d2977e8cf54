#pragma once

#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "hid/device_role.h"
#include "hid/hid_backend.h"

namespace zeltor::guest {

enum class UhidReportKind { Input, Output, Feature };

// One report of a collection as its descriptor declares it; the length counts the id byte, as
// the collection's capabilities do.
struct UhidReport {
    UhidReportKind kind;
    std::uint8_t id;
    std::uint16_t length;

    bool operator==(const UhidReport&) const = default;
};

struct UhidCollectionLayout {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::vector<UhidReport> reports;

    bool operator==(const UhidCollectionLayout&) const = default;
};

// The reports a simulated collection of `role` carries: its own id in each direction whose
// length is more than the id byte (the chips 0xFF, the MCU 0x06), the bootloader's data report
// 0xE4 beside its commands, and an input report of each id in `floodIds` (input the scenario
// floods the collection with; the kernel passes on only reports its descriptor names).
UhidCollectionLayout collectionLayout(DeviceRole role, const HidCaps& caps,
                                      const std::vector<std::uint8_t>& floodIds);

// The report descriptor of a node carrying these top-level collections, in this order.
ByteVector reportDescriptor(const std::vector<UhidCollectionLayout>& collections);

}  // namespace zeltor::guest
