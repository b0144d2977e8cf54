#include "uhid_descriptor.h"

#include <algorithm>

namespace zeltor::guest {
namespace {

constexpr std::uint8_t kChipReportId = 0xFF;
constexpr std::uint8_t kChipDataReportId = 0xE4;
constexpr std::uint8_t kMcuReportId = 0x06;

// Short item prefixes (tag, type and a size code of 0), as the HID class definition numbers
// them.
enum Prefix : std::uint8_t {
    kInput = 0x80,
    kOutput = 0x90,
    kCollection = 0xA0,
    kFeature = 0xB0,
    kEndCollection = 0xC0,
    kUsagePage = 0x04,
    kLogicalMinimum = 0x14,
    kLogicalMaximum = 0x24,
    kReportSize = 0x74,
    kReportId = 0x84,
    kReportCount = 0x94,
    kUsage = 0x08,
};
constexpr std::uint8_t kApplication = 0x01;
constexpr std::uint8_t kDataVariableAbsolute = 0x02;

// An item with the fewest data bytes that hold `value`. Logical values are signed, so a byte
// whose top bit is set takes two bytes to stay positive.
void putItem(ByteVector& out, std::uint8_t prefix, std::uint32_t value, bool isSigned = false) {
    const std::uint32_t oneByteLimit = isSigned ? 0x80 : 0x100;
    const std::uint32_t twoByteLimit = isSigned ? 0x8000 : 0x10000;
    const std::size_t size = value < oneByteLimit ? 1 : (value < twoByteLimit ? 2 : 4);
    out.push_back(static_cast<std::uint8_t>(prefix | (size == 4 ? 3 : size)));
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint8_t mainPrefix(UhidReportKind kind) {
    switch (kind) {
        case UhidReportKind::Input:
            return kInput;
        case UhidReportKind::Output:
            return kOutput;
        case UhidReportKind::Feature:
            break;
    }
    return kFeature;
}

void putCollection(ByteVector& out, const UhidCollectionLayout& collection) {
    putItem(out, kUsagePage, collection.usagePage);
    putItem(out, kUsage, collection.usage);
    putItem(out, kCollection, kApplication);
    putItem(out, kLogicalMinimum, 0, true);
    putItem(out, kLogicalMaximum, 0xFF, true);
    putItem(out, kReportSize, 8);
    for (const UhidReport& report : collection.reports) {
        putItem(out, kReportId, report.id);
        putItem(out, kReportCount, report.length - 1u);
        putItem(out, kUsage, collection.usage);
        putItem(out, mainPrefix(report.kind), kDataVariableAbsolute);
    }
    out.push_back(kEndCollection);
}

}  // namespace

UhidCollectionLayout collectionLayout(DeviceRole role, const HidCaps& caps,
                                      const std::vector<std::uint8_t>& floodIds) {
    const bool mcu = role == DeviceRole::ZeltorHeadsetMCU;
    const bool bootloader =
        role == DeviceRole::AvneraHeadsetBootloader || role == DeviceRole::AvneraDongleBootloader;
    const std::uint8_t own = mcu ? kMcuReportId : kChipReportId;
    UhidCollectionLayout layout{caps.UsagePage, caps.Usage, {}};
    // A length of the id byte alone leaves nothing to carry, and id 0 cannot be declared on a
    // device that numbers its reports: the kernel drops such input.
    const auto add = [&layout](UhidReportKind kind, std::uint8_t id, std::uint16_t length) {
        const bool known =
            std::any_of(layout.reports.begin(), layout.reports.end(),
                        [&](const UhidReport& r) { return r.kind == kind && r.id == id; });
        if (id != 0 && length > 1 && !known) {
            layout.reports.push_back({kind, id, length});
        }
    };
    add(UhidReportKind::Input, own, caps.InputReportByteLength);
    for (const std::uint8_t id : floodIds) {
        add(UhidReportKind::Input, id, caps.InputReportByteLength);
    }
    add(UhidReportKind::Output, own, caps.OutputReportByteLength);
    add(UhidReportKind::Feature, own, caps.FeatureReportByteLength);
    if (bootloader) {
        add(UhidReportKind::Feature, kChipDataReportId, caps.FeatureReportByteLength);
    }
    return layout;
}

ByteVector reportDescriptor(const std::vector<UhidCollectionLayout>& collections) {
    ByteVector out;
    for (const UhidCollectionLayout& collection : collections) {
        putCollection(out, collection);
    }
    return out;
}

}  // namespace zeltor::guest
