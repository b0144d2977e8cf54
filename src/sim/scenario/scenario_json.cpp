#include "sim/scenario/scenario_json.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

using nlohmann::json;
using Action = SimFault::Action;

constexpr std::uint64_t kMaxDelayMs = 3'600'000;  // an hour of simulated time
constexpr std::uint64_t kMaxReportLength = 4096;
constexpr std::uint64_t kMaxCount = 100'000'000;
constexpr std::size_t kMaxVersionText = 64;
constexpr std::size_t kVersionTextOffset = 9;

// A value the scenario cannot take, with the key path that leads to it.
struct ScenarioError {
    std::string path;
    std::string message;
};

// One JSON value being read and the key path that leads to it ("faults[2].action").
struct Node {
    const json& value;
    std::string path;

    [[noreturn]] void fail(const std::string& message) const { throw ScenarioError{path, message}; }

    Node at(const char* key) const {
        return Node{value.at(key), path.empty() ? key : path + "." + key};
    }
    Node at(std::size_t index) const {
        return Node{value.at(index), path + "[" + std::to_string(index) + "]"};
    }
    bool has(const char* key) const { return value.contains(key); }

    // An object of these keys only: a misspelt key is an error, not a silent default.
    void expectObject(const std::vector<std::string_view>& keys,
                      const std::string& context = "") const {
        if (!value.is_object()) {
            fail(std::string("expected an object, found ") + value.type_name());
        }
        for (const auto& item : value.items()) {
            if (std::find(keys.begin(), keys.end(), item.key()) == keys.end()) {
                fail("unknown key \"" + item.key() + "\"" + context);
            }
        }
    }

    std::uint64_t number(std::uint64_t min, std::uint64_t max) const {
        if (!value.is_number_unsigned() || value.get<std::uint64_t>() < min ||
            value.get<std::uint64_t>() > max) {
            fail("expected a whole number from " + std::to_string(min) + " to " +
                 std::to_string(max));
        }
        return value.get<std::uint64_t>();
    }

    bool boolean() const {
        if (!value.is_boolean()) {
            fail(std::string("expected true or false, found ") + value.type_name());
        }
        return value.get<bool>();
    }

    const std::string& string() const {
        if (!value.is_string()) {
            fail(std::string("expected a string, found ") + value.type_name());
        }
        return value.get_ref<const std::string&>();
    }

    // "FF 02 00 0A": pairs of hexadecimal digits, spaces between bytes optional.
    ByteVector bytes() const {
        std::string digits;
        for (const char c : string()) {
            if (c == ' ') {
                continue;
            }
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                fail("expected hexadecimal bytes such as \"FF 02 00 0A\"");
            }
            digits += c;
        }
        if (digits.size() % 2 != 0) {
            fail("odd number of hexadecimal digits; write each byte as two digits");
        }
        ByteVector out;
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
        }
        return out;
    }
};

// One of a fixed set of names, as `lookup` knows them; `expected` lists them for the message.
template <typename T>
T readName(const Node& node, std::optional<T> (*lookup)(std::string_view), const char* expected) {
    const auto value = lookup(node.string());
    if (!value) {
        node.fail(std::string("expected ") + expected);
    }
    return *value;
}

template <typename T>
void readNumber(const Node& object, const char* key, T& out, std::uint64_t min, std::uint64_t max) {
    if (object.has(key)) {
        out = static_cast<T>(object.at(key).number(min, max));
    }
}

template <typename T>
void readNumber(const Node& object, const char* key, std::optional<T>& out, std::uint64_t min,
                std::uint64_t max) {
    if (object.has(key)) {
        out = static_cast<T>(object.at(key).number(min, max));
    }
}

void readLengths(const Node& node, SimReportLengths& lengths) {
    node.expectObject({"input", "output", "feature"});
    readNumber(node, "input", lengths.input, 0, kMaxReportLength);
    readNumber(node, "output", lengths.output, 0, kMaxReportLength);
    readNumber(node, "feature", lengths.feature, 0, kMaxReportLength);
}

void readMcu(const Node& node, SimMcuConfig& mcu) {
    node.expectObject(
        {"patch", "answersVersion", "updateModeDelayMs", "closeDelayMs", "reportLengths"});
    readNumber(node, "patch", mcu.patch, 0, 99);
    if (node.has("answersVersion")) {
        mcu.answersVersion = node.at("answersVersion").boolean();
    }
    readNumber(node, "updateModeDelayMs", mcu.updateModeDelayMs, 0, kMaxDelayMs);
    readNumber(node, "closeDelayMs", mcu.closeDelayMs, 0, kMaxDelayMs);
    if (node.has("reportLengths")) {
        readLengths(node.at("reportLengths"), mcu.lengths);
    }
}

std::string readVersion(const Node& node) {
    const std::string& text = node.string();
    if (text.size() > kMaxVersionText ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; })) {
        node.fail("expected up to " + std::to_string(kMaxVersionText) +
                  " printable ASCII characters, such as \"T1.23.45\"");
    }
    return text;
}

void readDevice(const Node& node, SimDeviceConfig& device, bool headset) {
    std::vector<std::string_view> keys{"plugged",      "plugAfterMs",  "mode",
                                       "version",      "pairingId",    "bootloaderDelayMs",
                                       "resetDelayMs", "reportLengths"};
    if (headset) {
        keys.push_back("mcu");
    }
    node.expectObject(keys);
    if (node.has("plugged")) {
        device.plugged = node.at("plugged").boolean();
    }
    readNumber(node, "plugAfterMs", device.plugAfterMs, 0, kMaxDelayMs);
    if (device.plugAfterMs && device.plugged) {
        node.at("plugAfterMs").fail("only a device with \"plugged\": false is plugged in later");
    }
    if (node.has("mode")) {
        const Node mode = node.at("mode");
        const char* modes = headset ? "\"application\", \"mcu-update\" or \"bootloader\""
                                    : "\"application\" or \"bootloader\"";
        device.mode = readName(mode, simModeFromName, modes);
        if (device.mode == SimDeviceMode::McuUpdate && !headset) {
            mode.fail(std::string("expected ") + modes);
        }
    }
    readNumber(node, "pairingId", device.pairingId, 0, 0xFFFFFFFF);
    readNumber(node, "bootloaderDelayMs", device.bootloaderDelayMs, 0, kMaxDelayMs);
    readNumber(node, "resetDelayMs", device.resetDelayMs, 0, kMaxDelayMs);
    if (node.has("reportLengths")) {
        const Node lengths = node.at("reportLengths");
        lengths.expectObject({"application", "bootloader"});
        if (lengths.has("application")) {
            readLengths(lengths.at("application"), device.applicationLengths);
        }
        if (lengths.has("bootloader")) {
            readLengths(lengths.at("bootloader"), device.bootloaderLengths);
        }
    }
    if (node.has("version")) {
        device.version = readVersion(node.at("version"));
    }
    if (kVersionTextOffset + device.version.size() > device.applicationLengths.feature) {
        node.fail("the version text does not fit a feature report of " +
                  std::to_string(device.applicationLengths.feature) + " bytes");
    }
    if (headset && node.has("mcu")) {
        readMcu(node.at("mcu"), device.mcu);
    }
}

// The keys a fault of each action takes besides the trigger.
std::vector<std::string_view> actionKeys(Action action) {
    switch (action) {
        case Action::Refuse:
            return {"errorCode"};
        case Action::CorruptAnswer:
            return {"byte"};
        case Action::Unplug:
            return {"replugAfterMs"};
        case Action::LateReturn:
            return {"delayMs"};
        case Action::Flood:
            return {"reportId", "intervalMs", "forMs"};
        default:
            return {};
    }
}

void readActionSettings(const Node& node, SimFault& fault) {
    readNumber(node, "errorCode", fault.errorCode, 0, 0xFFFFFFFF);
    readNumber(node, "byte", fault.corruptByte, 0, kMaxReportLength - 1);
    readNumber(node, "replugAfterMs", fault.replugAfterMs, 0, kMaxDelayMs);
    readNumber(node, "delayMs", fault.delayMs, 0, kMaxDelayMs);
    readNumber(node, "reportId", fault.floodReportId, 0, 0xFF);
    readNumber(node, "intervalMs", fault.floodIntervalMs, 1, kMaxDelayMs);
    readNumber(node, "forMs", fault.floodForMs, 1, kMaxDelayMs);
    if (fault.action == Action::LateReturn && !node.has("delayMs")) {
        node.fail("a late return needs \"delayMs\"");
    }
}

// The answer a corrupt-answer fault may reach into: an MCU input report or a chip feature report.
std::size_t answerLength(const SimScenario& scenario, DeviceRole target) {
    switch (target) {
        case DeviceRole::ZeltorHeadsetMCU:
            return scenario.headset.mcu.lengths.input;
        case DeviceRole::ZeltorHeadset:
            return scenario.headset.applicationLengths.feature;
        case DeviceRole::ZeltorDongle:
            return scenario.dongle.applicationLengths.feature;
        default:
            return 0;
    }
}

SimFault readFault(const Node& node, const SimScenario& scenario) {
    node.expectObject({"target", "action", "at", "prefix", "times", "afterMs", "errorCode", "byte",
                       "replugAfterMs", "delayMs", "reportId", "intervalMs", "forMs"});
    for (const char* required : {"target", "action"}) {
        if (!node.has(required)) {
            node.fail(std::string("missing \"") + required + "\"");
        }
    }
    SimFault fault;
    const Node target = node.at("target");
    fault.target = readName(target, simRoleFromName,
                            "\"mcu\", \"headset\", \"dongle\", \"headset-bootloader\" or "
                            "\"dongle-bootloader\"");
    const Node action = node.at("action");
    fault.action = readName(action, simActionFromName,
                            "\"refuse\", \"drop-answer\", \"corrupt-answer\", \"unplug\", "
                            "\"no-return\", \"late-return\" or \"flood\"");

    std::vector<std::string_view> keys{"target", "action", "at", "prefix", "times", "afterMs"};
    for (const std::string_view key : actionKeys(fault.action)) {
        keys.push_back(key);
    }
    node.expectObject(keys, " for a \"" + action.string() + "\" fault");

    readNumber(node, "at", fault.at, 1, kMaxCount);
    if (node.has("prefix")) {
        fault.prefix = node.at("prefix").bytes();
    }
    if (node.has("times")) {
        const Node times = node.at("times");
        if (times.value.is_string() && times.value.get<std::string>() == "always") {
            fault.times = SimFault::kAlways;
        } else if (times.value.is_number_unsigned()) {
            fault.times = static_cast<std::uint32_t>(times.number(1, kMaxCount));
        } else {
            times.fail("expected a whole number from 1 to " + std::to_string(kMaxCount) +
                       " or \"always\"");
        }
    }
    readNumber(node, "afterMs", fault.afterMs, 0, kMaxDelayMs);
    if (fault.afterMs) {
        if (fault.action != Action::Unplug && fault.action != Action::Flood) {
            node.at("afterMs").fail(
                "only \"unplug\" and \"flood\" act on a timer; the others "
                "act on a report");
        }
        if (node.has("prefix")) {
            node.at("prefix").fail("a fault acting on a timer matches no report");
        }
    }
    readActionSettings(node, fault);

    const bool answers = answerLength(scenario, fault.target) > 0;
    if ((fault.action == Action::DropAnswer || fault.action == Action::CorruptAnswer) && !answers) {
        target.fail(std::string("the ") + simRoleName(fault.target) + " sends no answers");
    }
    if (fault.corruptByte && *fault.corruptByte >= answerLength(scenario, fault.target)) {
        node.at("byte").fail("beyond the answer of " +
                             std::to_string(answerLength(scenario, fault.target)) + " bytes");
    }
    return fault;
}

SimScenario readScenario(const json& document) {
    const Node root{document, ""};
    root.expectObject({"description", "dongle", "headset", "faults"});
    SimScenario scenario;
    if (root.has("description")) {
        scenario.description = root.at("description").string();
    }
    if (root.has("dongle")) {
        readDevice(root.at("dongle"), scenario.dongle, false);
    }
    if (root.has("headset")) {
        readDevice(root.at("headset"), scenario.headset, true);
    }
    if (root.has("faults")) {
        const Node faults = root.at("faults");
        if (!faults.value.is_array()) {
            faults.fail(std::string("expected an array, found ") + faults.value.type_name());
        }
        for (std::size_t i = 0; i < faults.value.size(); ++i) {
            scenario.faults.push_back(readFault(faults.at(i), scenario));
        }
    }
    return scenario;
}

// "line 3, column 7" of the byte the JSON reader stopped at (1-based, as it counts).
std::string positionOf(std::string_view text, std::size_t byte) {
    const std::size_t at = std::min<std::size_t>(byte > 0 ? byte - 1 : 0, text.size());
    const auto line = 1 + std::count(text.begin(), text.begin() + at, '\n');
    const std::size_t lastNewline = text.substr(0, at).rfind('\n');
    const std::size_t column = lastNewline == std::string_view::npos ? at + 1 : at - lastNewline;
    return std::to_string(line) + ":" + std::to_string(column);
}

// The reader's own words without its exception tag and position, which we give ourselves.
std::string syntaxDetail(const std::string& what) {
    const auto at = what.find("parse error");
    const auto colon = at == std::string::npos ? at : what.find(": ", at);
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

}  // namespace

bool parseScenario(std::string_view text, const std::string& source, SimScenario& scenario,
                   std::string& error) {
    try {
        const json document = json::parse(text.begin(), text.end(), nullptr, true, true);
        scenario = readScenario(document);
        return true;
    } catch (const json::parse_error& e) {
        error = source + ":" + positionOf(text, e.byte) + ": " + syntaxDetail(e.what());
    } catch (const ScenarioError& e) {
        error = source + ": " + (e.path.empty() ? "" : e.path + ": ") + e.message;
    } catch (const std::exception& e) {
        error = source + ": " + e.what();
    }
    return false;
}

bool loadScenarioFile(const std::filesystem::path& path, SimScenario& scenario,
                      std::string& error) {
    const std::u8string name = path.u8string();
    const std::string source(name.begin(), name.end());
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = source + ": cannot open the scenario file";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = source + ": cannot read the scenario file";
        return false;
    }
    return parseScenario(text, source, scenario, error);
}

}  // namespace zeltor
