#include "app/device_check_report.h"

#include <cstdio>

#include "base/text.h"
#include "ui/product_identity.h"

namespace zeltor {
namespace {

const char* verdictText(const PartCheck& part) {
    if (part.mode == PartMode::Absent) {
        return "not found";
    }
    return part.current ? "current" : "update needed";
}

const char* summaryText(const DeviceCheck& check) {
    if (!check.anyFound) {
        return "No Zeltor headset or USB receiver found.";
    }
    if (check.upToDate) {
        return "Up to date: this package has nothing to bring.";
    }
    for (const PartCheck& part : check.parts) {
        if (partNeedsUpdate(part)) {
            return "An update is needed: run the tool without /CHECK.";
        }
    }
    return "Not every part was found: connect the headset's USB cable and the receiver.";
}

}  // namespace

bool partNeedsUpdate(const PartCheck& part) {
    return part.mode != PartMode::Absent && !part.current;
}

std::string deviceCheckText(const DeviceCheck& check) {
    std::string text;
    char line[160];
    for (const PartCheck& part : check.parts) {
        std::string version = "-";
        if (part.mode == PartMode::Application) {
            version = part.answered ? "version " + partVersionText(part) : "no answer";
        }
        std::snprintf(line, sizeof line, "%-27s %-12s %-14s %s\n", checkedPartLabel(part.part),
                      partModeName(part.mode), version.c_str(), verdictText(part));
        text += line;
    }
    text += summaryText(check);
    text += '\n';
    return text;
}

std::string deviceCheckJson(const DeviceCheck& check, const std::optional<std::string>& logPath) {
    const auto boolean = [](bool value) { return value ? "true" : "false"; };
    std::string json = "{\"package\":" + jsonString(kPackageVersion) + ",\"parts\":[";
    for (std::size_t i = 0; i < check.parts.size(); ++i) {
        const PartCheck& part = check.parts[i];
        json += i == 0 ? "{" : ",{";
        json += "\"part\":" + jsonString(checkedPartKey(part.part));
        json += ",\"mode\":" + jsonString(partModeName(part.mode));
        json += ",\"version\":" + (part.answered ? jsonString(partVersionText(part)) : "null");
        json += std::string(",\"current\":") + boolean(part.current);
        json += std::string(",\"update\":") + boolean(partNeedsUpdate(part));
        json += "}";
    }
    json += std::string("],\"found\":") + boolean(check.anyFound);
    json += std::string(",\"upToDate\":") + boolean(check.upToDate);
    json += ",\"exitCode\":" + std::to_string(check.exitCode);
    json += ",\"log\":" + (logPath ? jsonString(*logPath) : "null");
    json += "}\n";
    return json;
}

std::string jsonString(const std::string& text) {
    std::string json = "\"";
    // JSON is UTF-8: a path's stray bytes become U+FFFD rather than invalid output.
    for (const char c : utf16ToUtf8(utf8ToUtf16(text))) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

}  // namespace zeltor
