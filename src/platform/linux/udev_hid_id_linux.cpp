#include "platform/linux/udev_hid_id_linux.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>

namespace zeltor {
namespace {

// One field of exactly `digits` hexadecimal digits whose value fits 16 bits.
std::optional<std::uint16_t> field(std::string_view text, std::size_t digits) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 16);
    if (text.size() != digits || error != std::errc() || stop != end || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HidId> parseHidId(std::string_view text) {
    constexpr std::array<std::size_t, 3> kDigits = {4, 8, 8};
    std::array<std::uint16_t, 3> values{};
    for (std::size_t i = 0; i < kDigits.size(); ++i) {
        const std::size_t end = i + 1 < kDigits.size() ? text.find(':') : text.size();
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<std::uint16_t> value = field(text.substr(0, end), kDigits[i]);
        if (!value) {
            return std::nullopt;
        }
        values[i] = *value;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return HidId{values[0], values[1], values[2]};
}

}  // namespace zeltor
