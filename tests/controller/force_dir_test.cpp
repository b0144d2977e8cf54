// Firmware images from an override folder.
#include <gtest/gtest.h>

#include <fstream>

#include "controller/update_rig.h"

namespace zeltor::test {
namespace {

std::string imageText(const ByteVector& image) {
    std::string text;
    char line[32];
    for (std::size_t i = 0; i < image.size(); ++i) {
        std::snprintf(line, sizeof line, "%02X // 0x%04zx\n", image[i], i);
        text += line;
    }
    return text;
}

ByteVector patternImage(std::size_t size, std::uint8_t b0, std::uint8_t b1, std::uint8_t seed) {
    ByteVector image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 13 + seed);
    }
    image[0] = b0;
    image[1] = b1;
    return image;
}

struct OverrideCase {
    const char* name;
    bool headset, dongle, mcu;
};

TEST(ForceDirTest, OverrideFilesReplaceTheEmbeddedImagesTheyName) {
    const ByteVector headset = patternImage(9000, 0x6A, 0x00, 1);
    const ByteVector dongle = patternImage(70000, 0x7B, 0x3A, 2);
    const ByteVector mcu = patternImage(1024, 0x11, 0x22, 3);
    const OverrideCase cases[] = {
        {"headset only", true, false, false},
        {"headset and MCU", true, false, true},
        {"all three", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        if (c.headset) {
            writeFile(folder.path() / "new.ef", imageText(headset));
        }
        if (c.dongle) {
            writeFile(folder.path() / "b.FF", imageText(dongle));
            writeFile(folder.path() / "c.ff", "garbage that is not the first file");
        }
        if (c.mcu) {
            writeFile(folder.path() / "mcu.bin", std::string(mcu.begin(), mcu.end()));
        }
        UpdateRig rig;
        rig.options().m_SkipMCU = false;
        rig.options().m_ForceDir = "\"" + folder.path().string() + "\"";
        rig.start();
        ASSERT_TRUE(rig.runUpdate());
        EXPECT_TRUE(
            memoryHolds(rig.world().headset().eeprom(), c.headset ? headset : embeddedImage(132)));
        EXPECT_TRUE(
            memoryHolds(rig.world().dongle().eeprom(), c.dongle ? dongle : embeddedImage(131)));
        EXPECT_TRUE(
            memoryHolds(rig.world().headset().mcuFlash(), c.mcu ? mcu : embeddedImage(134)));
    }
}

TEST(ForceDirTest, UnusableOverrideFilesFallBackToTheEmbeddedImages) {
    TempFolder folder;
    writeFile(folder.path() / "empty.ef", "");
    writeFile(folder.path() / "odd.bin", "1234567");  // not a whole number of 8-byte blocks
    writeFile(folder.path() / "comments.ff", "// nothing but a comment\n");
    UpdateRig rig;
    rig.options().m_SkipMCU = false;
    rig.options().m_ForceDir = folder.path().string();
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(132)));
    EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(131)));
    EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(134)));
    EXPECT_TRUE(
        rig.traced("  MCU image of 7 bytes refused: its size must be a multiple of 8 bytes, "
                   "at most 65536\n"));
    EXPECT_TRUE(rig.traced("  Firmware file " + (folder.path() / "empty.ef").string() +
                           " cannot be read; the built-in image is used\n"));
}

TEST(ForceDirTest, AMissingFolderChangesNothing) {
    UpdateRig rig;
    rig.options().m_ForceDir = "/no/such/folder";
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(132)));
}

}  // namespace
}  // namespace zeltor::test
