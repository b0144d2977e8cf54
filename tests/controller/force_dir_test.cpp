// Firmware images from an override folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "controller/update_rig.h"
#include "firmware/image_files.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/file_identity_linux.h"
#endif

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
        EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(),
                                c.headset ? headset : embeddedImage(kRegularHeadsetImage)));
        EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(),
                                c.dongle ? dongle : embeddedImage(kRegularDongleImage)));
        EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(),
                                c.mcu ? mcu : embeddedImage(kRegularMcuImage)));
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
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
    EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
    EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(kRegularMcuImage)));
    EXPECT_TRUE(
        rig.traced("  MCU image of 7 bytes refused: its size must be a multiple of 8 bytes, "
                   "at most 65536\n"));
    const auto file = [&folder](const char* name) { return (folder.path() / name).string(); };
    EXPECT_TRUE(rig.traced("  Firmware file " + file("odd.bin") +
                           " is not a usable MCU image; the built-in image is used\n"));
    EXPECT_TRUE(rig.traced("  Firmware file " + file("empty.ef") +
                           " is empty; the built-in image is used\n"));
    EXPECT_TRUE(rig.traced("  Firmware file " + file("comments.ff") +
                           " holds no image lines; the built-in image is used\n"));

    // A later preparation (after a failure) finds the wireless chips' plans made at the first.
    rig.dlg().loadForceDirImages(folder.path().string());
    EXPECT_TRUE(rig.traced("  Firmware file " + file("comments.ff") +
                           " holds no image lines; the plan made earlier in this run is kept\n"));
    EXPECT_EQ(rig.countTraced("  Firmware file " + file("odd.bin") +
                              " is not a usable MCU image; the built-in image is used\n"),
              2);
}

namespace fs = std::filesystem;

struct BadEntryCase {
    const char* name;
    const char* stem;  // the entry is "<stem>.bin", "<stem>.ef" and "<stem>.ff"
    std::function<void(const fs::path& entry, const fs::path& folder)> make;
    std::string why;
    bool readAsAnotherUser = false;  // root reads every file, so it reads as "nobody" here
};

std::vector<BadEntryCase> badEntryCases() {
    const auto regularFile = [](const std::string& content) {
        return [content](const fs::path& entry, const fs::path&) { writeFile(entry, content); };
    };
    std::vector<BadEntryCase> cases = {
        {"folder", "a", [](const fs::path& entry, const fs::path&) { fs::create_directory(entry); },
         "is not a regular file"},
        {"empty file", "a", regularFile(""), "is empty"},
        // Past 4 GiB, where a size read as 32 bits would look like a single byte.
        {"huge sparse file", "a",
         [](const fs::path& entry, const fs::path&) {
             writeFile(entry, "");
             fs::resize_file(entry, (std::uintmax_t{1} << 32) + 1);
         },
         "is larger than 16 MiB"},
        {"one byte over the limit", "a",
         [](const fs::path& entry, const fs::path&) {
             writeFile(entry, "");
             fs::resize_file(entry, kMaxImageFileBytes + 1);
         },
         "is larger than 16 MiB"},
        {"name with no stem", "", regularFile(std::string(1024, '\x11')),
         "has no name before its extension"},
    };
#ifndef _WIN32
    const std::vector<BadEntryCase> posixCases = {
        // Opening a pipe that no one writes to waits for ever unless it is opened without
        // waiting: were it not, this case would hang the test.
        {"pipe", "a",
         [](const fs::path& entry, const fs::path&) { ASSERT_EQ(mkfifo(entry.c_str(), 0644), 0); },
         "is not a regular file"},
        {"link to a folder", "a",
         [](const fs::path& entry, const fs::path& folder) {
             fs::create_directories(folder / "sub");
             fs::create_directory_symlink(folder / "sub", entry);
         },
         "is not a regular file"},
        {"dangling link", "a",
         [](const fs::path& entry, const fs::path& folder) {
             fs::create_symlink(folder / "gone", entry);
         },
         "cannot be read (No such file or directory)"},
        {"unreadable file", "a",
         [](const fs::path& entry, const fs::path&) {
             writeFile(entry, std::string(1024, '\x11'));
             fs::permissions(entry, fs::perms::none);
         },
         "cannot be read (Permission denied)", true},
    };
    cases.insert(cases.end(), posixCases.begin(), posixCases.end());
#endif
    return cases;
}

// Whatever stands first in the folder, the update goes on with the built-in images and the log
// says what was wrong with the entry. The good files behind it are not taken instead.
TEST(ForceDirTest, EveryKindOfBadEntryLeavesTheBuiltInImage) {
    const ByteVector goodMcu = patternImage(1024, 0x11, 0x22, 3);
    for (const auto& c : badEntryCases()) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (const char* extension : {".bin", ".ef", ".ff"}) {
            c.make(folder.path() / (std::string(c.stem) + extension), folder.path());
        }
        writeFile(folder.path() / "b.bin", std::string(goodMcu.begin(), goodMcu.end()));
        writeFile(folder.path() / "b.ef", imageText(patternImage(9000, 0x6A, 0x00, 1)));
        writeFile(folder.path() / "b.ff", imageText(patternImage(70000, 0x7B, 0x3A, 2)));

        UpdateRig rig;
        rig.options().m_SkipMCU = false;
        rig.options().m_ForceDir = folder.path().string();
        {
#ifndef _WIN32
            std::optional<FileOwner> nobody;
            if (c.readAsAnotherUser && geteuid() == 0) {
                nobody = FileOwner{65534, 65534};
            }
            const FilesAsUser reading(nobody);
#endif
            rig.start();
            ASSERT_TRUE(rig.runUpdate());
        }
        EXPECT_TRUE(
            memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
        EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
        EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(kRegularMcuImage)));
        for (const char* extension : {".bin", ".ef", ".ff"}) {
            const std::string entry = (folder.path() / (std::string(c.stem) + extension)).string();
            EXPECT_TRUE(rig.traced("  Firmware file " + entry + " " + c.why +
                                   "; the built-in image is used\n"))
                << extension;
        }
    }
}

TEST(ForceDirTest, UnderTheRegionalVariantAnUnusableFileLeavesNoImage) {
    TempFolder folder;
    writeFile(folder.path() / "a.ef", "");
    UpdateRig rig;
    rig.options().m_Tesmoray = true;
    rig.options().m_ForceDir = folder.path().string();
    rig.start();
    rig.runFor(1min);
    EXPECT_TRUE(rig.dlg().headsetPlan().empty());
    EXPECT_TRUE(rig.traced("  Firmware file " + (folder.path() / "a.ef").string() +
                           " is empty; the regional variant has no built-in image, so none is "
                           "used\n"));
}

TEST(ForceDirTest, AMissingFolderChangesNothing) {
    UpdateRig rig;
    rig.options().m_ForceDir = "/no/such/folder";
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
#ifndef _WIN32
    EXPECT_TRUE(
        rig.traced("  Firmware folder /no/such/folder cannot be read (No such file or "
                   "directory); no image is taken from it\n"));
#endif
}

}  // namespace
}  // namespace zeltor::test
