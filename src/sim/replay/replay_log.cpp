#include "sim/replay/replay_log.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>

#include "base/text.h"

namespace zeltor {
namespace {

using std::chrono::milliseconds;

// The words the tool writes when a collection takes or leaves a role, by role.
struct RoleWords {
    DeviceRole role;
    const char* name;
    const char* device;
};
constexpr std::array<RoleWords, 5> kRoleWords = {{
    {DeviceRole::ZeltorHeadsetMCU, "Zeltor headset (MCU)", "the headset's MCU"},
    {DeviceRole::ZeltorHeadset, "Zeltor headset", "the headset"},
    {DeviceRole::ZeltorDongle, "Zeltor dongle", "the dongle"},
    {DeviceRole::AvneraHeadsetBootloader, "Avnera headset bootloader", "the headset's bootloader"},
    {DeviceRole::AvneraDongleBootloader, "Avnera dongle bootloader", "the dongle's bootloader"},
}};

constexpr std::array<ReplayReportKind, 4> kKinds = {
    ReplayReportKind::Output, ReplayReportKind::Input, ReplayReportKind::SetFeature,
    ReplayReportKind::GetFeature};

constexpr std::uint32_t kArrival = 0x8000;
constexpr std::uint32_t kQueryRemove = 0x8001;
constexpr std::uint32_t kRemoveComplete = 0x8004;

std::string decodeLog(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return utf16ToUtf8(text);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A timestamp field at `at`: "%09.3f: ", or, past 99999.999 seconds, as much of it as the
// message left. Gives the time and where the message starts.
bool readStamp(std::string_view line, std::size_t at, milliseconds& time, std::size_t& message) {
    std::size_t i = at;
    long long whole = 0;
    while (i < line.size() && isDigit(line[i])) {
        whole = whole * 10 + (line[i] - '0');
        ++i;
    }
    // "%09.3f" pads to five whole digits; more than nine are no time this tool ran for.
    if (i - at < 5 || i - at > 9 || i + 4 > line.size() || line[i] != '.' ||
        !isDigit(line[i + 1]) || !isDigit(line[i + 2]) || !isDigit(line[i + 3])) {
        return false;
    }
    const long long fraction =
        (line[i + 1] - '0') * 100 + (line[i + 2] - '0') * 10 + (line[i + 3] - '0');
    i += 4;
    const std::size_t fieldEnd = at + 11;
    if (i < fieldEnd && (i >= line.size() || line[i] != ':')) {
        return false;
    }
    if (i + 1 < fieldEnd && (i + 1 >= line.size() || line[i + 1] != ' ')) {
        return false;
    }
    time = milliseconds(whole * 1000 + fraction);
    message = std::max(fieldEnd, i);
    return true;
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// A hex dump: the label's record, one record per byte, and the record of the line end.
std::optional<ByteVector> readDumpBytes(std::string_view line, std::size_t at) {
    ByteVector bytes;
    for (;;) {
        milliseconds time{0};
        std::size_t message = 0;
        if (!readStamp(line, at, time, message)) {
            return std::nullopt;
        }
        if (message == line.size()) {
            return bytes;
        }
        if (message + 3 > line.size() || !isHexDigit(line[message]) ||
            !isHexDigit(line[message + 1]) || line[message + 2] != ' ') {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(
            std::strtoul(std::string(line.substr(message, 2)).c_str(), nullptr, 16)));
        at = message + 3;
    }
}

bool isRunHeader(std::string_view line) {
    // "[12/31/2026 23:59:59]"
    static constexpr std::string_view kShape = "[99/99/9999 99:99:99]";
    if (line.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (kShape[i] == '9' ? !isDigit(line[i]) : line[i] != kShape[i]) {
            return false;
        }
    }
    return true;
}

// Text between `prefix` and a closing ")" that ends the message.
std::optional<std::string> bracketed(std::string_view message, std::string_view prefix) {
    if (!message.starts_with(prefix) || !message.ends_with(")")) {
        return std::nullopt;
    }
    return std::string(message.substr(prefix.size(), message.size() - prefix.size() - 1));
}

// Reads a run line by line, keeping what a replay needs.
class RunReader {
public:
    explicit RunReader(ReplayLog& log) : log_(log) {}

    void line(std::string_view text) {
        milliseconds time{0};
        std::size_t at = 0;
        if (!readStamp(text, 0, time, at)) {
            return;
        }
        const std::string_view message = text.substr(at);
        if (!isDeviceChangeLine(message)) {
            withReport_ = false;
        }
        for (const ReplayReportKind kind : kKinds) {
            if (message.starts_with(replayLabel(kind))) {
                if (auto bytes =
                        readDumpBytes(text, at + std::string_view(replayLabel(kind)).size())) {
                    report(kind, std::move(*bytes), time, text.substr(0, at));
                    return;
                }
            }
        }
        deviceLine(message, time, text.substr(0, at));
    }

private:
    // Lines the tool writes as a device leaves or comes, whatever it is doing.
    static bool isDeviceChangeLine(std::string_view message) {
        static constexpr std::string_view kPrefixes[] = {"OnDeviceChange (sync)",
                                                         "  dbcc_name = ",
                                                         "  dbch_handle = ",
                                                         "HID_DEVICE_",
                                                         "Device ",
                                                         "WriteFile returned ",
                                                         "HidD_SetFeature returned "};
        for (const std::string_view prefix : kPrefixes) {
            if (message.starts_with(prefix)) {
                return true;
            }
        }
        for (const RoleWords& words : kRoleWords) {
            if (message.starts_with(words.name)) {
                return true;
            }
        }
        return false;
    }

    void report(ReplayReportKind kind, ByteVector bytes, milliseconds time,
                std::string_view stamp) {
        withReport_ = true;
        ReplayItem item;
        item.type = ReplayItem::Type::Report;
        item.time = time;
        item.logTime = trimmedStamp(stamp);
        item.number = ++log_.reportCount;
        item.kind = kind;
        const auto length = static_cast<std::uint16_t>(std::min<std::size_t>(bytes.size(), 0xFFFF));
        std::uint16_t& longest = kind == ReplayReportKind::Output  ? log_.outputLength
                                 : kind == ReplayReportKind::Input ? log_.inputLength
                                                                   : log_.featureLength;
        longest = std::max(longest, length);
        item.bytes = std::move(bytes);
        if (isSentKind(kind)) {
            for (const RoleWords& words : kRoleWords) {
                const bool mcu = words.role == DeviceRole::ZeltorHeadsetMCU;
                if (openRoles_.count(words.role) != 0 &&
                    mcu == (kind == ReplayReportKind::Output)) {
                    item.openRoles.push_back(words.role);
                }
            }
        }
        log_.items.push_back(std::move(item));
    }

    void deviceLine(std::string_view message, milliseconds time, std::string_view stamp) {
        static constexpr std::string_view kChange = "OnDeviceChange (sync): nEventType=0x";
        if (message.starts_with(kChange)) {
            changeType_ = static_cast<std::uint32_t>(
                std::strtoul(std::string(message.substr(kChange.size())).c_str(), nullptr, 16));
            return;
        }
        if (auto path = afterPrefix(message, "  dbcc_name = ")) {
            interfaceChange(*path, time, stamp);
            return;
        }
        if (message.starts_with("  dbch_handle = ") && changeType_ == kQueryRemove) {
            orderlyRemoval_ = true;
            return;
        }
        if (auto path = afterPrefix(message, "Failed to get HID info for ")) {
            collection(*path).probeable = false;
            return;
        }
        for (const RoleWords& words : kRoleWords) {
            const std::string name = words.name;
            if (auto path = bracketed(message, name + " attached (")) {
                ReplayCollectionInfo& info = collection(*path);
                info.role = words.role;
                info.probeable = true;
                if (!changed_.contains(*path)) {
                    info.presentAtStart = true;
                }
                openRoles_[words.role] = *path;
                return;
            }
            if (message.starts_with(name + " removed (")) {
                openRoles_.erase(words.role);
                return;
            }
        }
    }

    void interfaceChange(const std::string& path, milliseconds time, std::string_view stamp) {
        if (changeType_ != kArrival && changeType_ != kRemoveComplete) {
            return;
        }
        collection(path);
        changed_.insert(path);
        ReplayItem item;
        item.type = changeType_ == kArrival ? ReplayItem::Type::Arrival : ReplayItem::Type::Removal;
        item.time = time;
        item.logTime = trimmedStamp(stamp);
        item.path = path;
        item.orderly = changeType_ == kRemoveComplete && orderlyRemoval_;
        item.withReport = withReport_;
        orderlyRemoval_ = false;
        log_.items.push_back(std::move(item));
    }

    ReplayCollectionInfo& collection(const std::string& path) {
        for (ReplayCollectionInfo& info : log_.collections) {
            if (equalsIgnoringAsciiCase(info.path, path)) {
                return info;
            }
        }
        log_.collections.push_back({path, std::nullopt, true, false});
        return log_.collections.back();
    }

    static std::optional<std::string> afterPrefix(std::string_view message,
                                                  std::string_view prefix) {
        if (!message.starts_with(prefix)) {
            return std::nullopt;
        }
        return std::string(message.substr(prefix.size()));
    }

    static std::string trimmedStamp(std::string_view stamp) {
        while (!stamp.empty() && (stamp.back() == ' ' || stamp.back() == ':')) {
            stamp.remove_suffix(1);
        }
        return std::string(stamp);
    }

    ReplayLog& log_;
    std::uint32_t changeType_ = 0;
    bool orderlyRemoval_ = false;
    bool withReport_ = false;
    std::set<std::string> changed_;  // paths that arrived or left during the run
    std::map<DeviceRole, std::string> openRoles_;
};

// "WriteFile returned 31 (A device ...)" after the dump of the report it refused.
void noteRefusal(ReplayLog& log, std::string_view message) {
    static constexpr struct {
        std::string_view prefix;
        ReplayReportKind kind;
    } kRefusals[] = {{"WriteFile returned ", ReplayReportKind::Output},
                     {"HidD_SetFeature returned ", ReplayReportKind::SetFeature}};
    for (const auto& refusal : kRefusals) {
        if (!message.starts_with(refusal.prefix) || log.items.empty()) {
            continue;
        }
        ReplayItem& last = log.items.back();
        if (last.type != ReplayItem::Type::Report || last.kind != refusal.kind || last.refusal) {
            return;
        }
        std::string_view rest = message.substr(refusal.prefix.size());
        char* end = nullptr;
        const std::string number(rest);
        const long code = std::strtol(number.c_str(), &end, 10);
        rest.remove_prefix(static_cast<std::size_t>(end - number.c_str()));
        std::string words;
        if (rest.starts_with(" (") && rest.ends_with(")")) {
            words = std::string(rest.substr(2, rest.size() - 3));
        }
        last.refusal = HidTransfer{false, static_cast<std::uint32_t>(code), words};
        return;
    }
}

}  // namespace

const char* replayLabel(ReplayReportKind kind) {
    switch (kind) {
        case ReplayReportKind::Output:
            return "OUT: ";
        case ReplayReportKind::Input:
            return "IN: ";
        case ReplayReportKind::SetFeature:
            return "SF: ";
        case ReplayReportKind::GetFeature:
            return "GF: ";
    }
    return "";
}

const char* replayDeviceName(DeviceRole role) {
    for (const RoleWords& words : kRoleWords) {
        if (words.role == role) {
            return words.device;
        }
    }
    return "";
}

bool looksLikeLogFile(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

bool parseReplayLog(std::string_view bytes, ReplayLog& log, std::string& error) {
    if (!looksLikeLogFile(bytes)) {
        error = "not a log file (it does not begin with the UTF-16LE byte-order mark)";
        return false;
    }
    const std::string text = decodeLog(bytes);
    const std::vector<std::string_view> lines = splitLines(text);
    // Several runs share the file; the last one is the run to replay.
    std::optional<std::size_t> header;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isRunHeader(lines[i])) {
            header = i;
        }
    }
    if (!header) {
        error = "the log holds no run (no line like [12/31/2026 23:59:59])";
        return false;
    }
    ReplayLog parsed;
    parsed.runStarted = std::string(lines[*header].substr(1, lines[*header].size() - 2));
    std::size_t message = 0;
    if (*header >= 2) {
        readStamp(lines[*header - 2], 0, parsed.startTime, message);
    }
    RunReader reader(parsed);
    for (std::size_t i = *header + 1; i < lines.size(); ++i) {
        reader.line(lines[i]);
        milliseconds time{0};
        if (readStamp(lines[i], 0, time, message)) {
            noteRefusal(parsed, lines[i].substr(message));
        }
    }
    log = std::move(parsed);
    return true;
}

}  // namespace zeltor
