#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/bytes.h"

namespace zeltor {

// Which of a node's input reports are one collection's. Every open file of a hidraw node gets
// every report of every collection of the device; a channel takes only those of its own ids.
struct HidrawReportFilter {
    bool reportIdsUsed = false;
    std::vector<std::uint8_t> reportIds;  // the collection's, when ids are used
};

// Whether `read` brought one of the collection's reports.
bool isCollectionReport(std::span<const std::uint8_t> read, const HidrawReportFilter& filter);

// The report that `read` brought, in the shape Windows gives it (byte 0 the report id, 0 when
// the device numbers no reports; `length` bytes, cut or padded with zeros), or nothing when it
// is another collection's.
std::optional<ByteVector> collectionInputReport(std::span<const std::uint8_t> read,
                                                const HidrawReportFilter& filter,
                                                std::size_t length);

}  // namespace zeltor
