#include "sim/scenario/scenario_writer.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

using Json = nlohmann::ordered_json;
using Action = SimFault::Action;

// Sets `key` only when the value is not the default the reader would take anyway.
template <typename T>
void putIfNot(Json& object, const char* key, const T& value, const T& defaultValue) {
    if (value != defaultValue) {
        object[key] = value;
    }
}

template <typename T>
void putIfSet(Json& object, const char* key, const std::optional<T>& value) {
    if (value) {
        object[key] = *value;
    }
}

void putIfNotEmpty(Json& object, const char* key, Json value) {
    if (!value.empty()) {
        object[key] = std::move(value);
    }
}

Json lengths(const SimReportLengths& value, const SimReportLengths& defaults) {
    Json out = Json::object();
    putIfNot(out, "input", value.input, defaults.input);
    putIfNot(out, "output", value.output, defaults.output);
    putIfNot(out, "feature", value.feature, defaults.feature);
    return out;
}

Json mcu(const SimMcuConfig& value) {
    const SimMcuConfig defaults;
    Json out = Json::object();
    putIfNot(out, "patch", value.patch, defaults.patch);
    putIfNot(out, "answersVersion", value.answersVersion, defaults.answersVersion);
    putIfNot(out, "updateModeDelayMs", value.updateModeDelayMs, defaults.updateModeDelayMs);
    putIfNot(out, "closeDelayMs", value.closeDelayMs, defaults.closeDelayMs);
    putIfNotEmpty(out, "reportLengths", lengths(value.lengths, defaults.lengths));
    return out;
}

Json device(const SimDeviceConfig& value, bool headset) {
    const SimDeviceConfig defaults;
    Json out = Json::object();
    putIfNot(out, "plugged", value.plugged, defaults.plugged);
    putIfSet(out, "plugAfterMs", value.plugAfterMs);
    if (value.mode != defaults.mode) {
        out["mode"] = simModeName(value.mode);
    }
    putIfNot(out, "version", value.version, defaults.version);
    putIfSet(out, "pairingId", value.pairingId);
    putIfNot(out, "bootloaderDelayMs", value.bootloaderDelayMs, defaults.bootloaderDelayMs);
    putIfNot(out, "resetDelayMs", value.resetDelayMs, defaults.resetDelayMs);
    Json reportLengths = Json::object();
    putIfNotEmpty(reportLengths, "application",
                  lengths(value.applicationLengths, defaults.applicationLengths));
    putIfNotEmpty(reportLengths, "bootloader",
                  lengths(value.bootloaderLengths, defaults.bootloaderLengths));
    putIfNotEmpty(out, "reportLengths", std::move(reportLengths));
    if (headset) {
        putIfNotEmpty(out, "mcu", mcu(value.mcu));
    }
    return out;
}

// "06 BB 03 03", as the reader takes it.
std::string hexBytes(const ByteVector& bytes) {
    std::string out;
    for (const std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        out += (out.empty() ? "" : " ") + std::string(digits);
    }
    return out;
}

// Only the settings of the fault's own action: the reader refuses the others.
Json fault(const SimFault& value) {
    const SimFault defaults;
    Json out = Json::object();
    out["target"] = simRoleName(value.target);
    out["action"] = simActionName(value.action);
    putIfNot(out, "at", value.at, defaults.at);
    if (!value.prefix.empty()) {
        out["prefix"] = hexBytes(value.prefix);
    }
    if (value.times == SimFault::kAlways) {
        out["times"] = "always";
    } else {
        putIfNot(out, "times", value.times, defaults.times);
    }
    putIfSet(out, "afterMs", value.afterMs);
    switch (value.action) {
        case Action::Refuse:
            putIfNot(out, "errorCode", value.errorCode, defaults.errorCode);
            break;
        case Action::CorruptAnswer:
            putIfSet(out, "byte", value.corruptByte);
            break;
        case Action::Unplug:
            putIfSet(out, "replugAfterMs", value.replugAfterMs);
            break;
        case Action::LateReturn:
            out["delayMs"] = value.delayMs;
            break;
        case Action::Flood:
            putIfNot(out, "reportId", value.floodReportId, defaults.floodReportId);
            putIfNot(out, "intervalMs", value.floodIntervalMs, defaults.floodIntervalMs);
            putIfSet(out, "forMs", value.floodForMs);
            break;
        default:
            break;
    }
    return out;
}

// A value on one line with a space after each colon and comma, as people write it. Text that is
// not UTF-8 is written with replacement characters rather than refused.
std::string oneLine(const Json& value) {
    if (!value.is_object()) {
        return value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    std::string out = "{";
    for (const auto& item : value.items()) {
        out +=
            (out.size() > 1 ? ", " : "") + oneLine(Json(item.key())) + ": " + oneLine(item.value());
    }
    return out + "}";
}

}  // namespace

std::string writeScenario(const SimScenario& scenario) {
    std::vector<std::string> lines;
    if (!scenario.description.empty()) {
        lines.push_back("\"description\": " + oneLine(Json(scenario.description)));
    }
    for (const auto& [name, value] : {std::pair{"dongle", device(scenario.dongle, false)},
                                      std::pair{"headset", device(scenario.headset, true)}}) {
        if (!value.empty()) {
            lines.push_back("\"" + std::string(name) + "\": " + oneLine(value));
        }
    }
    if (!scenario.faults.empty()) {
        std::string faults = "\"faults\": [";
        for (std::size_t i = 0; i < scenario.faults.size(); ++i) {
            faults += std::string(i > 0 ? "," : "") + "\n    " + oneLine(fault(scenario.faults[i]));
        }
        lines.push_back(faults + "\n  ]");
    }
    std::string out = "{";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += std::string(i > 0 ? "," : "") + "\n  " + lines[i];
    }
    return out + (lines.empty() ? "}\n" : "\n}\n");
}

}  // namespace zeltor
