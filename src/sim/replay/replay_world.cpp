#include "sim/replay/replay_world.h"

#include <algorithm>

#include "base/text.h"
#include "sim/devices/report_bytes.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

using std::chrono::milliseconds;

// Bytes of a report for a one-line message: up to the first one that differs from `other` and a
// few after it, so that the difference shows without the whole report.
std::string shownBytes(ReplayReportKind kind, const ByteVector& bytes, const ByteVector& other) {
    std::size_t differs = 0;
    while (differs < bytes.size() && differs < other.size() && bytes[differs] == other[differs]) {
        ++differs;
    }
    const std::size_t shown = std::min(bytes.size(), std::max<std::size_t>(differs + 4, 12));
    std::string text = replayLabel(kind) + hexBytes(bytes, shown);
    if (shown < bytes.size()) {
        text += " ...";
    } else if (!text.empty() && text.back() == ' ') {
        text.pop_back();  // the label's own space, when there are no bytes to show
    }
    return text;
}

// The tool sends a report padded to the collection's length, the log shows it as the tool built
// it: they agree when the padding holds only zero bytes.
bool sameReport(const ByteVector& recorded, const ByteVector& sent) {
    const std::size_t common = std::min(recorded.size(), sent.size());
    return std::equal(recorded.begin(), recorded.begin() + common, sent.begin()) &&
           std::all_of(recorded.begin() + common, recorded.end(), [](auto b) { return b == 0; }) &&
           std::all_of(sent.begin() + common, sent.end(), [](auto b) { return b == 0; });
}

// The sent report cut back to its recorded length where only padding follows, for the message.
ByteVector unpadded(const ByteVector& sent, std::size_t recordedLength) {
    std::size_t end = sent.size();
    while (end > recordedLength && sent[end - 1] == 0) {
        --end;
    }
    return ByteVector(sent.begin(), sent.begin() + end);
}

HidTransfer notConnected() {
    return {false, kErrorDeviceNotConnected, "The device is not connected."};
}

}  // namespace

ReplayCollection::ReplayCollection(const ReplayCollectionInfo& info, const ReplayLog& log)
    : info_(info) {
    if (!info.role) {
        return;  // a collection of another device: no identity the tool knows
    }
    const DeviceRoleIdentity& id = identityOf(*info.role);
    attributes_.Size = sizeof(HidAttributes);
    attributes_.VendorID = id.vendorId;
    attributes_.ProductID = id.productId;
    attributes_.VersionNumber = 0x0100;
    caps_.Usage = id.usage;
    caps_.UsagePage = id.usagePage;
    const bool mcu = *info.role == DeviceRole::ZeltorHeadsetMCU;
    // Lengths the log does not show are the simulated devices' own.
    caps_.InputReportByteLength = mcu ? (log.inputLength != 0 ? log.inputLength : 64) : 64;
    caps_.OutputReportByteLength = mcu ? (log.outputLength != 0 ? log.outputLength : 64) : 64;
    caps_.FeatureReportByteLength = mcu ? 0 : (log.featureLength != 0 ? log.featureLength : 263);
}

ReplayWorld::ReplayWorld(SimHidBackend& bus, const ReplayLog& log) : bus_(bus), log_(log) {
    for (const ReplayCollectionInfo& info : log_.collections) {
        collections_.push_back(std::make_unique<ReplayCollection>(info, log_));
        if (info.presentAtStart) {
            bus_.attach(*collections_.back());
        }
    }
    playFrom(std::nullopt);
}

ReplayWorld::~ReplayWorld() {
    cancelPending();
}

void ReplayWorld::cancelPending() {
    for (const Pending& pending : pending_) {
        bus_.scheduler().cancel(pending.id);
    }
    pending_.clear();
}

ReplayCollection* ReplayWorld::collectionAt(const std::string& path) {
    for (const auto& collection : collections_) {
        if (equalsIgnoringAsciiCase(collection->path(), path)) {
            return collection.get();
        }
    }
    return nullptr;
}

HidHandle ReplayWorld::open(const std::string& path) {
    const HidHandle handle = bus_.open(path);
    if (ReplayCollection* collection = collectionAt(path); handle != 0 && collection != nullptr) {
        handles_[handle] = {collection, collection->appearance};
    }
    return handle;
}

void ReplayWorld::close(HidHandle handle) {
    handles_.erase(handle);
    bus_.close(handle);
}

ReplayCollection* ReplayWorld::live(HidHandle handle) {
    const auto it = handles_.find(handle);
    if (it == handles_.end()) {
        return nullptr;
    }
    ReplayCollection* collection = it->second.collection;
    return collection->appearance == it->second.appearance && bus_.isAttached(*collection)
               ? collection
               : nullptr;
}

HidTransfer ReplayWorld::writeOutputReport(HidHandle handle, const ByteVector& report,
                                           std::uint32_t) {
    return onSent(handle, ReplayReportKind::Output, report);
}

HidTransfer ReplayWorld::setFeature(HidHandle handle, const ByteVector& report) {
    return onSent(handle, ReplayReportKind::SetFeature, report);
}

bool ReplayWorld::getFeature(HidHandle handle, ByteVector& report) {
    if (live(handle) == nullptr || !stopped_.empty()) {
        return false;
    }
    // A feature read the log shows no answer for failed in the recorded run: it fails here too.
    const std::size_t end = nextSent(answerFrom_).value_or(log_.items.size());
    for (std::size_t i = answerFrom_; i < end; ++i) {
        const ReplayItem& item = log_.items[i];
        if (item.type == ReplayItem::Type::Report && item.kind == ReplayReportKind::GetFeature) {
            answerFrom_ = i + 1;
            // The device fills the whole report after its id, as the log shows it.
            const std::size_t count = std::min(report.size(), item.bytes.size());
            for (std::size_t byte = 1; byte < report.size(); ++byte) {
                report[byte] = byte < count ? item.bytes[byte] : 0;
            }
            return true;
        }
    }
    return false;
}

std::optional<std::size_t> ReplayWorld::nextSent(std::size_t from) const {
    for (std::size_t i = from; i < log_.items.size(); ++i) {
        const ReplayItem& item = log_.items[i];
        if (item.type == ReplayItem::Type::Report && isSentKind(item.kind)) {
            return i;
        }
    }
    return std::nullopt;
}

std::string ReplayWorld::recordedDevice(const ReplayItem& item) const {
    if (item.openRoles.empty()) {
        return "no open device";
    }
    std::string text;
    for (std::size_t i = 0; i < item.openRoles.size(); ++i) {
        text += (i == 0 ? "" : " or ") + std::string(replayDeviceName(item.openRoles[i]));
    }
    return text;
}

HidTransfer ReplayWorld::onSent(HidHandle handle, ReplayReportKind kind, const ByteVector& report) {
    if (!stopped_.empty()) {
        return notConnected();
    }
    // What the log recorded before this report has happened by now.
    flushPending();
    const auto handleIt = handles_.find(handle);
    const std::optional<DeviceRole> role =
        handleIt != handles_.end() ? handleIt->second.collection->role() : std::nullopt;
    const std::string device = role ? replayDeviceName(*role) : "an unknown device";
    const std::size_t from = taken_ ? *taken_ + 1 : 0;
    const std::optional<std::size_t> next = nextSent(from);
    if (!next) {
        const std::size_t last = taken_ ? log_.items[*taken_].number : 0;
        const std::string sent = shownBytes(kind, unpadded(report, 0), {}) + " to " + device;
        if (log_.reportCount == 0) {
            return stop(
                "Replay: the log holds no reports (it was written without /VERBOSE); "
                "the tool sent " +
                sent);
        }
        return stop("Replay: the log ends after report " + std::to_string(last) +
                    "; the tool sent " + sent);
    }
    const ReplayItem& recorded = log_.items[*next];
    // The log does not say which channel a report went through, only which were open: a device
    // among those agrees, and is then the one the log's report is said to have gone to.
    const bool deviceAgrees = !role || recorded.openRoles.empty() ||
                              std::find(recorded.openRoles.begin(), recorded.openRoles.end(),
                                        *role) != recorded.openRoles.end();
    if (recorded.kind != kind || !sameReport(recorded.bytes, report) || !deviceAgrees) {
        const ByteVector sent = unpadded(report, recorded.bytes.size());
        return stop("Replay: report " + std::to_string(recorded.number) + " (" + recorded.logTime +
                    " in the log) differs: the log has " +
                    shownBytes(recorded.kind, recorded.bytes, sent) + " to " +
                    (deviceAgrees && role ? device : recordedDevice(recorded)) +
                    "; the tool sent " + shownBytes(kind, sent, recorded.bytes) + " to " + device);
    }
    taken_ = *next;
    answerFrom_ = *next + 1;
    answering_ = handleIt != handles_.end() ? handleIt->second.collection : nullptr;
    const bool gone = live(handle) == nullptr;
    playFrom(taken_);
    if (recorded.refusal) {
        return *recorded.refusal;
    }
    return gone ? notConnected() : HidTransfer{true, 0};
}

void ReplayWorld::playFrom(std::optional<std::size_t> after) {
    const std::size_t from = after ? *after + 1 : 0;
    const std::size_t end = nextSent(from).value_or(log_.items.size());
    const milliseconds anchor = after ? log_.items[*after].time : log_.startTime;
    for (std::size_t i = from; i < end; ++i) {
        const ReplayItem& item = log_.items[i];
        if (item.type == ReplayItem::Type::Report && item.kind != ReplayReportKind::Input) {
            continue;  // feature answers wait for the tool's read
        }
        const milliseconds delay = std::max(item.time - anchor, milliseconds(0));
        if (after && delay.count() == 0 &&
            (item.type == ReplayItem::Type::Report || item.withReport)) {
            // What came with the report happens with it: an answer, or a device that restarts at
            // a command and leaves while the command is still under way.
            act(item);
            continue;
        }
        const std::uint64_t number = ++pendingCount_;
        const EventClock::EventId id =
            bus_.scheduler().scheduleAfter(delay, [this, number] { runPending(number); });
        Pending pending{id, number, [this, &item] { act(item); }};
        pending_.push_back(std::move(pending));
    }
}

void ReplayWorld::act(const ReplayItem& item) {
    if (item.type == ReplayItem::Type::Report) {
        // An answer comes from the collection the report before it went to.
        if (answering_ != nullptr && bus_.isAttached(*answering_)) {
            bus_.queueInput(*answering_, item.bytes);
        }
        return;
    }
    ReplayCollection* collection = collectionAt(item.path);
    if (collection == nullptr) {
        return;
    }
    if (item.type == ReplayItem::Type::Arrival) {
        bus_.attach(*collection);
    } else if (bus_.isAttached(*collection)) {
        ++collection->appearance;
        bus_.detach(*collection, item.orderly);
    }
}

void ReplayWorld::runPending(std::uint64_t number) {
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [number](const Pending& p) { return p.number == number; });
    if (it == pending_.end()) {
        return;
    }
    const std::function<void()> action = std::move(it->action);
    pending_.erase(it);
    action();
}

void ReplayWorld::flushPending() {
    while (!pending_.empty()) {
        Pending pending = std::move(pending_.front());
        pending_.pop_front();
        bus_.scheduler().cancel(pending.id);
        pending.action();
    }
}

HidTransfer ReplayWorld::stop(const std::string& line) {
    stopped_ = line;
    Trace("%s\n", line.c_str());
    cancelPending();
    // The report is taken and every device leaves at once: the tool's next steps then show
    // devices gone, not a device that refused what the recorded run never sent it.
    for (const auto& collection : collections_) {
        if (bus_.isAttached(*collection)) {
            ++collection->appearance;
            bus_.detach(*collection);
        }
    }
    return {true, 0};
}

std::string ReplayWorld::verdict() const {
    if (!stopped_.empty()) {
        return stopped_;
    }
    const std::optional<std::size_t> next = nextSent(taken_ ? *taken_ + 1 : 0);
    if (!next) {
        return "Replay: the tool sent every report of the log as recorded (" +
               std::to_string(log_.reportCount) + " reports, run of " + log_.runStarted + ").";
    }
    const ReplayItem& item = log_.items[*next];
    return "Replay: the tool stopped before report " + std::to_string(item.number) + " (" +
           item.logTime + " in the log), which sends " + shownBytes(item.kind, item.bytes, {}) +
           " to " + recordedDevice(item) + ".";
}

}  // namespace zeltor
