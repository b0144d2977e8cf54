#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>

#include "hid/report_descriptor.h"

namespace {

// What every accepted descriptor promises the backend that splits a node by it.
bool consistent(const zeltor::ReportDescriptor& result) {
    if (!result.ok()) {
        return result.collections.empty() && !result.reportIdsUsed;
    }
    if (result.collections.empty()) {
        return false;
    }
    std::set<std::uint8_t> seen;
    for (const auto& collection : result.collections) {
        const auto& ids = collection.reportIds;
        if (!result.reportIdsUsed && !ids.empty()) {
            return false;
        }
        if (!std::is_sorted(ids.begin(), ids.end()) ||
            std::find(ids.begin(), ids.end(), 0) != ids.end()) {
            return false;
        }
        // A report belongs to one collection only, or a read could not tell whose it is.
        for (const auto id : ids) {
            if (!seen.insert(id).second) {
                return false;
            }
        }
        const bool hasReports = collection.caps.InputReportByteLength != 0 ||
                                collection.caps.OutputReportByteLength != 0 ||
                                collection.caps.FeatureReportByteLength != 0;
        if (result.reportIdsUsed && hasReports == ids.empty()) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result = zeltor::parseReportDescriptor(std::span(data, size));
    if (!consistent(result)) {
        __builtin_trap();
    }
    return 0;
}
