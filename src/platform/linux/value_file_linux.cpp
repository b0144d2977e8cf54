#include "platform/linux/value_file_linux.h"

#include <cstdint>

#include "platform/linux/decimal_linux.h"

namespace zeltor {
namespace {

constexpr std::string_view kDword = "dword";
constexpr std::string_view kText = "sz";
constexpr std::string_view kExpandableText = "expand_sz";

std::string escape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> unescape(std::string_view escaped) {
    std::string text;
    text.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c == '\n') {
            return std::nullopt;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == escaped.size()) {
            return std::nullopt;
        }
        switch (escaped[i]) {
            case '\\':
                text += '\\';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return text;
}

std::optional<RegistryValue> textValue(std::uint32_t type, std::string_view escaped) {
    auto text = unescape(escaped);
    if (!text) {
        return std::nullopt;
    }
    RegistryValue value = RegistryValue::text(*text);
    value.type = type;
    return value;
}

std::string_view withoutLineEnds(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<std::string> encodeValueFile(const RegistryValue& value) {
    switch (value.type) {
        case REG_DWORD:
            if (const auto number = value.asDword()) {
                return std::string(kDword) + " " + std::to_string(*number) + "\n";
            }
            return std::nullopt;
        case REG_SZ:
            return std::string(kText) + " " + escape(value.asText()) + "\n";
        case REG_EXPAND_SZ:
            return std::string(kExpandableText) + " " + escape(value.asText()) + "\n";
        default:
            return std::nullopt;
    }
}

std::optional<RegistryValue> decodeValueFile(std::string_view content, bool plainTextAccepted) {
    if (content.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    // One line; a line end written by an editor elsewhere is no part of the data.
    std::string_view line = content;
    if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    const auto blank = line.find(' ');
    const std::string_view type = line.substr(0, blank);
    const std::string_view data =
        blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
    if (type == kDword) {
        const auto number = parseDecimal<std::uint32_t>(data);
        return number ? std::optional(RegistryValue::dword(*number)) : std::nullopt;
    }
    if (type == kText) {
        return textValue(REG_SZ, data);
    }
    if (type == kExpandableText) {
        return textValue(REG_EXPAND_SZ, data);
    }
    if (plainTextAccepted) {
        return RegistryValue::text(std::string(withoutLineEnds(content)));
    }
    return std::nullopt;
}

}  // namespace zeltor
