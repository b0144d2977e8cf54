#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace zeltor {

// A whole decimal number that fills `digits` and fits `Number`: ids in /proc names and in the
// environment, numbers in value files. No sign, no blanks, nothing after.
template <typename Number>
std::optional<Number> parseDecimal(std::string_view digits) {
    Number number{};
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, number);
    if (digits.empty() || digits.front() == '-' || result.ec != std::errc{} || result.ptr != end) {
        return std::nullopt;
    }
    return number;
}

}  // namespace zeltor
