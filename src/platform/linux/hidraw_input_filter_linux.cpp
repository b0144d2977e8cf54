#include "platform/linux/hidraw_input_filter_linux.h"

#include <algorithm>

namespace zeltor {

bool isCollectionReport(std::span<const std::uint8_t> read, const HidrawReportFilter& filter) {
    return !filter.reportIdsUsed ||
           (!read.empty() && std::find(filter.reportIds.begin(), filter.reportIds.end(), read[0]) !=
                                 filter.reportIds.end());
}

std::optional<ByteVector> collectionInputReport(std::span<const std::uint8_t> read,
                                                const HidrawReportFilter& filter,
                                                std::size_t length) {
    if (!isCollectionReport(read, filter)) {
        return std::nullopt;
    }
    ByteVector report;
    if (!filter.reportIdsUsed) {
        // hidraw hands unnumbered reports over without the byte Windows puts in front.
        report.push_back(0);
    }
    report.insert(report.end(), read.begin(), read.end());
    report.resize(length, 0);
    return report;
}

}  // namespace zeltor
