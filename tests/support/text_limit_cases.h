#pragma once

#include <string>
#include <vector>

namespace zeltor::test {

// Texts on either side of the 520-byte limit the core reads its text values with: 259 UTF-16
// units and the terminator, whatever bytes the text takes in UTF-8. Every backend must agree.
struct TextLimitCase {
    const char* name;
    std::string text;
    bool fits;
};

inline std::string repeated(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

inline std::vector<TextLimitCase> textLimitCases() {
    return {
        {"259 ASCII characters", std::string(259, 'a'), true},
        {"260 ASCII characters", std::string(260, 'a'), false},
        {"300 ASCII characters (fewer than 520 bytes of UTF-8)", std::string(300, 'a'), false},
        {"259 CJK characters (777 bytes of UTF-8)", repeated("\xE6\x97\xA5", 259), true},
        {"129 characters beyond the BMP (258 units)", repeated("\xF0\x9F\x8E\xA7", 129), true},
        {"130 characters beyond the BMP (260 units)", repeated("\xF0\x9F\x8E\xA7", 130), false},
    };
}

}  // namespace zeltor::test
