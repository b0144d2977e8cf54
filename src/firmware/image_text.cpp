#include "firmware/image_text.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/text.h"

namespace zeltor {
namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads the first two characters the way a formatted extraction of an unsigned 16-bit hex
// number does: white space skipped, an optional sign, then hex digits; no digit reads as 0.
std::uint8_t lineValue(std::string_view field) {
    std::size_t pos = 0;
    while (pos < field.size() && isCSpace(field[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) {
        negative = field[pos] == '-';
        ++pos;
    }
    std::uint16_t value = 0;
    bool anyDigit = false;
    for (; pos < field.size(); ++pos) {
        const int digit = hexDigitValue(field[pos]);
        if (digit < 0) {
            break;
        }
        value = static_cast<std::uint16_t>(value * 16 + digit);
        anyDigit = true;
    }
    if (!anyDigit) {
        return 0;
    }
    if (negative) {
        value = static_cast<std::uint16_t>(0x10000 - value);
    }
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

bool parseImageText(const ByteVector& text, ByteVector& image) {
    image.clear();
    const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
    const std::string_view all(reinterpret_cast<const char*>(text.data()),
                               static_cast<std::size_t>(end - text.begin()));
    // One byte per line at most: reserving by the line count keeps the parse to one allocation.
    image.reserve(static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < all.size()) {
        const auto lf = all.find('\n', start);
        const auto stop = lf == std::string_view::npos ? all.size() : lf;
        const std::string_view line = all.substr(start, stop - start);
        start = stop + 1;
        if (line.size() < 3 || line.starts_with("//")) {
            continue;
        }
        image.push_back(lineValue(line.substr(0, 2)));
    }
    return !image.empty();
}

bool parseImageTextBytes(ByteVector text, ByteVector& image) {
    text.push_back(0);
    return parseImageText(text, image);
}

}  // namespace zeltor
