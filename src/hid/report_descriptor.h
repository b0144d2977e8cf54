#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hid/hid_backend.h"

namespace zeltor {

// One top-level collection of a HID report descriptor, as Windows presents it as an interface of
// its own: usage page and usage of the collection, and the longest input, output and feature
// report of the collection, each plus the report id byte Windows puts in front of every report
// (0 when the descriptor numbers no reports). A kind without reports has length 0.
struct ReportCollection {
    HidCaps caps;
    // The ids of the collection's reports of every kind, ascending; empty when the descriptor
    // numbers no reports.
    std::vector<std::uint8_t> reportIds;
};

// A parsed descriptor, or why it was refused (then without collections).
struct ReportDescriptor {
    std::vector<ReportCollection> collections;  // in descriptor order
    bool reportIdsUsed = false;
    std::string failure;

    bool ok() const { return failure.empty(); }
};

// Splits a report descriptor into its top-level collections. Never reads past the end of
// `bytes`; a descriptor that would make the split ambiguous or the lengths meaningless is refused.
ReportDescriptor parseReportDescriptor(std::span<const std::uint8_t> bytes);

}  // namespace zeltor
