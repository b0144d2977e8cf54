#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "hid/device_role.h"
#include "hid/hid_backend.h"

namespace zeltor {

// The four kinds of report a verbose log dumps, by the label it gives them.
enum class ReplayReportKind { Output, Input, SetFeature, GetFeature };

const char* replayLabel(ReplayReportKind kind);  // "OUT: ", "IN: ", "SF: ", "GF: "
inline bool isSentKind(ReplayReportKind kind) {
    return kind == ReplayReportKind::Output || kind == ReplayReportKind::SetFeature;
}

// One thing a run recorded that a replay acts out: a report dumped, or a collection arriving or
// leaving.
struct ReplayItem {
    enum class Type { Report, Arrival, Removal };

    Type type = Type::Report;
    std::chrono::milliseconds time{0};  // since the recorded program started
    std::string logTime;                // the timestamp as the log writes it, to find the line

    // A report: its number among the run's dumps (from 1), what was sent or read, and for a
    // report sent, how the platform took it and which channels of its kind were open then.
    std::size_t number = 0;
    ReplayReportKind kind = ReplayReportKind::Output;
    ByteVector bytes;
    std::optional<HidTransfer> refusal;
    std::vector<DeviceRole> openRoles;

    // An arrival or removal; a removal the system announced to the open handles first is
    // `orderly`. One the tool heard of before it traced anything else after the last report
    // came `withReport`: the device left or came while that report was under way.
    std::string path;
    bool orderly = false;
    bool withReport = false;
};

// A collection the run names, with what the log tells of it.
struct ReplayCollectionInfo {
    std::string path;
    std::optional<DeviceRole> role;  // none for a collection no role took
    bool probeable = true;
    bool presentAtStart = false;
};

// The last run of a verbose log, as a replay needs it.
struct ReplayLog {
    std::string runStarted;  // the run header's date and time
    std::chrono::milliseconds startTime{0};
    std::vector<ReplayItem> items;
    std::vector<ReplayCollectionInfo> collections;
    std::size_t reportCount = 0;
    // Report lengths the dumps show: what was read is the whole report, what was sent at most.
    std::uint16_t inputLength = 0;
    std::uint16_t outputLength = 0;
    std::uint16_t featureLength = 0;
};

// Whether `bytes` are a log file (UTF-16LE with its byte-order mark) rather than a scenario.
bool looksLikeLogFile(std::string_view bytes);

// Reads the last run of a log file's bytes. False with `error` when it holds no run.
bool parseReplayLog(std::string_view bytes, ReplayLog& log, std::string& error);

// "the headset", "the dongle's bootloader", ...
const char* replayDeviceName(DeviceRole role);

}  // namespace zeltor
