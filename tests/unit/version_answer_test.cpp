// How the version answers of the wireless chips and of the MCU are read.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "protocol/avnera_commands.h"
#include "protocol/mcu_commands.h"

namespace zeltor {
namespace {

// A chip's version answer: report id 0xFF, then `text` from byte 9 on, in a 20-byte report.
ByteVector chipAnswer(const std::string& text, std::size_t length = 20) {
    ByteVector answer(length, 0);
    answer[0] = 0xFF;
    for (std::size_t i = 0; i < text.size() && 9 + i < length; ++i) {
        answer[9 + i] = static_cast<std::uint8_t>(text[i]);
    }
    return answer;
}

struct ChipCase {
    const char* name;
    ByteVector answer;
    std::optional<std::pair<int, int>> version;  // major, minor
};

TEST(VersionAnswerTest, ChipVersionNumbersAreReadAsTheCLibraryReadsThem) {
    const ChipCase cases[] = {
        {"plain", chipAnswer("T1.23.45"), {{23, 45}}},
        {"major 0 although it answered", chipAnswer("T1.00.07"), {{0, 7}}},
        {"bytes 10 and 14 are not examined", chipAnswer("Tx.23x45"), {{23, 45}}},
        {"no T", chipAnswer("t1.23.45"), std::nullopt},
        {"no full stop", chipAnswer("T1,23.45"), std::nullopt},
        {"answer shorter than the text", chipAnswer("T1.23.45", 16), std::nullopt},
        {"reading stops at a non-digit", chipAnswer("T1.7a.b9"), {{7, 0}}},
        {"space", chipAnswer("T1. 5. 6"), {{5, 6}}},
        {"tab", chipAnswer("T1.\t5.\t6"), {{5, 6}}},
        {"line feed", chipAnswer("T1.\n5.\n6"), {{5, 6}}},
        {"vertical tab", chipAnswer("T1.\v5.\v6"), {{5, 6}}},
        {"form feed", chipAnswer("T1.\f5.\f6"), {{5, 6}}},
        {"carriage return", chipAnswer("T1.\r5.\r6"), {{5, 6}}},
        {"blanks only", chipAnswer("T1.  . \t"), {{0, 0}}},
        {"a no-break space is no blank",
         chipAnswer("T1.\xA0"
                    "5.\x85"
                    "6"),
         {{0, 0}}},
        {"negative numbers wrap to 8 bits", chipAnswer("T1.-5.-1"), {{251, 255}}},
        {"plus sign", chipAnswer("T1.+7.+0"), {{7, 0}}},
        {"sign without a digit", chipAnswer("T1.- .+x"), {{0, 0}}},
        {"the field is two characters", chipAnswer("T1.99.99"), {{99, 99}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto version = parseAvneraVersion(c.answer);
        ASSERT_EQ(version.has_value(), c.version.has_value());
        if (version) {
            EXPECT_EQ(version->major, c.version->first);
            EXPECT_EQ(version->minor, c.version->second);
        }
    }
}

struct McuCase {
    const char* name;
    ByteVector answer;
    std::optional<int> patch;
};

TEST(VersionAnswerTest, McuPatchVersionIsPackedDecimal) {
    const McuCase cases[] = {
        {"12", {0x06, 0x88, 0x07, 0x00, 0x12}, 12},
        {"0 is a valid answer", {0x06, 0x88, 0x07, 0x00, 0x00}, 0},
        {"byte 3 is not examined", {0x06, 0x88, 0x07, 0xFF, 0x03, 0xEE}, 3},
        {"99", {0x06, 0x88, 0x07, 0x00, 0x99}, 99},
        {"nibbles above 9 are not rejected", {0x06, 0x88, 0x07, 0x00, 0x1A}, 20},
        {"both nibbles 15", {0x06, 0x88, 0x07, 0x00, 0xFF}, 165},
        {"another answer", {0x06, 0x88, 0x08, 0x00, 0x12}, std::nullopt},
        {"another command", {0x06, 0x89, 0x07, 0x00, 0x12}, std::nullopt},
        {"another report id", {0x07, 0x88, 0x07, 0x00, 0x12}, std::nullopt},
        {"four bytes", {0x06, 0x88, 0x07, 0x00}, std::nullopt},
        {"no answer", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto patch = parseMCUVersion(c.answer);
        ASSERT_EQ(patch.has_value(), c.patch.has_value());
        if (patch) {
            EXPECT_EQ(*patch, *c.patch);
        }
    }
}

}  // namespace
}  // namespace zeltor
