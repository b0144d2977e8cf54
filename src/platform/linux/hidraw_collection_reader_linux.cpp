#include "platform/linux/hidraw_collection_reader_linux.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <span>
#include <utility>

#include "trace/trace_log.h"

namespace zeltor {
namespace {

// The longest report hidraw hands over (the kernel's HID_MAX_BUFFER_SIZE); a shorter read
// buffer would cut reports.
constexpr std::size_t kMaxReportBytes = 16384;

struct NodeRead {
    enum class Outcome {
        Report,    // `size` bytes of the buffer hold it
        Nothing,   // none came in time
        TryAgain,  // interrupted, or the report was taken first
        Failed,    // `error` says why
    };
    Outcome outcome = Outcome::Nothing;
    std::size_t size = 0;
    int error = 0;
};

NodeRead readNode(int fd, int waitMs, ByteVector& buffer) {
    pollfd ready{fd, POLLIN, 0};
    const int polled = poll(&ready, 1, waitMs);
    if (polled == 0) {
        return {NodeRead::Outcome::Nothing};
    }
    const ssize_t got = polled < 0 ? -1 : ::read(fd, buffer.data(), buffer.size());
    if (got > 0) {
        return {NodeRead::Outcome::Report, static_cast<std::size_t>(got)};
    }
    // hidraw hands over no empty reports: the end of the file is a device that has gone.
    if (got == 0) {
        return {NodeRead::Outcome::Failed, 0, EIO};
    }
    if (errno == EINTR || errno == EAGAIN) {
        return {NodeRead::Outcome::TryAgain};
    }
    return {NodeRead::Outcome::Failed, 0, errno};
}

}  // namespace

HidrawCollectionReader::HidrawCollectionReader(int fd, std::string node, HidrawReportFilter filter)
    : fd_(fd), node_(std::move(node)), filter_(std::move(filter)), buffer_(kMaxReportBytes) {}

void HidrawCollectionReader::setAsideQueued() {
    for (std::size_t taken = 0; taken < kQueuedReports; ++taken) {
        const NodeRead read = readNode(fd_, 0, buffer_);
        if (read.outcome == NodeRead::Outcome::Nothing ||
            read.outcome == NodeRead::Outcome::Failed) {
            return;
        }
        const std::span report(buffer_.data(), read.size);
        if (read.outcome == NodeRead::Outcome::Report && isCollectionReport(report, filter_)) {
            setAside_.emplace_back(report.begin(), report.end());
            if (setAside_.size() > kQueuedReports) {
                setAside_.pop_front();
            }
        }
    }
}

std::optional<ByteVector> HidrawCollectionReader::read(std::size_t length,
                                                       std::uint32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    if (!setAside_.empty()) {
        const ByteVector report = std::move(setAside_.front());
        setAside_.pop_front();
        return collectionInputReport(report, filter_, length);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t lateReads = 0;
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        // Once the time is up the queue is still looked through, but no further than it reaches:
        // a device that floods other collections' reports cannot hold the read.
        if (left <= 0 && lateReads++ == kQueuedReports) {
            return std::nullopt;
        }
        const auto waitMs = std::clamp<decltype(left)>(left, 0, std::numeric_limits<int>::max());
        const NodeRead read = readNode(fd_, static_cast<int>(waitMs), buffer_);
        switch (read.outcome) {
            case NodeRead::Outcome::Nothing:
                return std::nullopt;
            case NodeRead::Outcome::TryAgain:
                continue;
            case NodeRead::Outcome::Failed:
                Trace("Reading %s failed: %s (errno %d)\n", node_.c_str(),
                      std::strerror(read.error), read.error);
                return std::nullopt;
            case NodeRead::Outcome::Report:
                break;
        }
        std::optional<ByteVector> report =
            collectionInputReport(std::span(buffer_.data(), read.size), filter_, length);
        if (report) {
            return report;
        }
    }
}

}  // namespace zeltor
