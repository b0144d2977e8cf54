#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "base/bytes.h"
#include "platform/linux/hidraw_input_filter_linux.h"

namespace zeltor {

// Reads one collection's input reports from a file of its hidraw node, which also brings the
// reports of the node's other collections. It does not own the file.
class HidrawCollectionReader {
public:
    // Reports a hidraw file queues (the kernel's HIDRAW_BUFFER_SIZE); further ones are dropped.
    static constexpr std::size_t kQueuedReports = 64;

    HidrawCollectionReader(int fd, std::string node, HidrawReportFilter filter);

    // Takes what waits off the file, without waiting. hidraw keeps the oldest reports of a full
    // queue and drops new ones, so a queue filled with other collections' reports would lose the
    // answer to the next request; the collection's own reports are kept for the next reads (the
    // oldest dropped first, as Windows does), the rest discarded. A failed read is left for the
    // next read to report.
    void setAsideQueued();

    // The next of the collection's reports in the shape Windows gives it (see
    // collectionInputReport), waiting at most `timeoutMs` for it; reports of other collections
    // cost nothing but the time. Nothing on a time-out or a failure (traced).
    std::optional<ByteVector> read(std::size_t length, std::uint32_t timeoutMs);

private:
    int fd_;
    std::string node_;
    HidrawReportFilter filter_;
    std::deque<ByteVector> setAside_;
    ByteVector buffer_;
};

}  // namespace zeltor
