#include "firmware/image_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "firmware/image_files.h"
#include "firmware/resource_images.h"
#include "support/image_ids.h"

namespace zeltor {
namespace {

ByteVector textOf(const std::string& text) {
    ByteVector bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

struct LineCase {
    const char* name;
    std::string text;
    ByteVector expected;
};

TEST(ImageTextTest, OnlyTheFirstTwoCharactersOfALineCount) {
    const LineCase cases[] = {
        {"annotated line", "7B // 0x0000\n", {0x7B}},
        {"section annotation", "3A // 0x0001 IMAGE:  boot (fw\\boot.hex)\n", {0x3A}},
        {"lower case digits", "ab // 0x0000\n", {0xAB}},
        {"two digits alone are too short", "7B\n", {}},
        {"two digits and a blank", "7B \n", {0x7B}},
        {"CR LF line", "7B\r\n", {0x7B}},
        {"comment in the first column", "// comment\n", {}},
        {"indented comment becomes 0", "  // comment\n", {0x00}},
        {"digit then blank", "7 // x\n", {0x07}},
        {"digit then letter beyond F", "7G // x\n", {0x07}},
        {"blank then digit", " 7 // x\n", {0x07}},
        {"word", "hello\n", {0x00}},
        {"minus sign negates", "-1 //\n", {0xFF}},
        {"plus sign", "+A //\n", {0x0A}},
        {"sign without digit", "- //\n", {0x00}},
        {"short and empty lines", "\n\n1\n12\n", {}},
        {"no final line feed", "01 //\n02 //", {0x01, 0x02}},
        {"several final line feeds", "01 //\n\n\n", {0x01}},
        {"0 byte ends the text",
         std::string("01 //\n02 //\n", 12) + '\0' + "03 //\n",
         {0x01, 0x02}},
        {"text starting with 0 byte", std::string(1, '\0') + "01 //\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ByteVector image{0x55};
        EXPECT_EQ(parseImageText(textOf(c.text), image), !c.expected.empty());
        EXPECT_EQ(image, c.expected);
    }
}

TEST(ImageTextTest, TextWithoutTerminatorEndsAtItsEnd) {
    const std::string text = "0A //\n0B //";
    ByteVector image;
    EXPECT_TRUE(parseImageText(ByteVector(text.begin(), text.end()), image));
    EXPECT_EQ(image, (ByteVector{0x0A, 0x0B}));
}

// Reads the annotated address of each line, to check that the n-th byte came from address n.
std::vector<long> annotatedAddresses(const ByteVector& text) {
    std::vector<long> addresses;
    const std::string all(text.begin(), text.end());
    for (std::size_t at = all.find("// 0x"); at != std::string::npos;
         at = all.find("// 0x", at + 1)) {
        addresses.push_back(std::stol(all.substr(at + 5, 5), nullptr, 16));
    }
    return addresses;
}

struct EmbeddedImage {
    int id;
    std::size_t size;
    std::uint8_t byte0;
};

TEST(ImageTextTest, EmbeddedImageTextsParseToTheirImages) {
    const EmbeddedImage images[] = {
        {131, 65554, 0x7B}, {139, 65554, 0x7B}, {132, 20396, 0x6A}, {140, 20396, 0x6A}};
    for (const auto& e : images) {
        SCOPED_TRACE(e.id);
        ByteVector text;
        ASSERT_TRUE(loadResourceBytes(e.id, text));
        ByteVector image;
        ASSERT_TRUE(loadImageTextResource(e.id, image));
        ASSERT_EQ(image.size(), e.size);
        EXPECT_EQ(image[0], e.byte0);
        const auto addresses = annotatedAddresses(text);
        ASSERT_EQ(addresses.size(), e.size);
        for (std::size_t n = 0; n < addresses.size(); ++n) {
            ASSERT_EQ(addresses[n], static_cast<long>(n));
        }
    }
}

TEST(ImageTextTest, DevelopmentImagesHaveTheProductsShape) {
    ByteVector dongle, dongleShroud, headset, headsetShroud, mcu, mcuShroud;
    ASSERT_TRUE(loadImageTextResource(test::kRegularDongleImage, dongle));
    ASSERT_TRUE(loadImageTextResource(test::kShroudDongleImage, dongleShroud));
    ASSERT_TRUE(loadImageTextResource(test::kRegularHeadsetImage, headset));
    ASSERT_TRUE(loadImageTextResource(test::kShroudHeadsetImage, headsetShroud));
    ASSERT_TRUE(loadResourceBytes(test::kRegularMcuImage, mcu));
    ASSERT_TRUE(loadResourceBytes(test::kShroudMcuImage, mcuShroud));
    EXPECT_EQ(dongle[1], 0x3A);
    EXPECT_EQ(headset[1] & 0x30, 0);
    EXPECT_NE(dongle, dongleShroud);
    EXPECT_NE(headset, headsetShroud);
    EXPECT_EQ(mcu.size(), 7168u);
    EXPECT_EQ(mcu, mcuShroud);
}

TEST(ImageTextTest, MissingResourcesLoadNothingAndLeaveTheImageAlone) {
    for (const int id : {135, 136, 137, 142, 143, 144, 9999}) {
        SCOPED_TRACE(id);
        ByteVector bytes{1, 2, 3};
        EXPECT_FALSE(loadResourceBytes(id, bytes));
        EXPECT_TRUE(bytes.empty());
        ByteVector image{7};
        EXPECT_FALSE(loadImageTextResource(id, image));
        EXPECT_EQ(image, ByteVector{7});
    }
}

struct FirstFileCase {
    const char* name;
    std::vector<std::string> entries;
    const char* first;  // nullptr: none matches
};

// The order NTFS keeps: letters compared as upper case, then the names byte by byte.
TEST(ImageFilesTest, TheFirstFileIsChosenAsWindowsOrdersNames) {
    const FirstFileCase cases[] = {
        {"letter case ignored", {"b.ef", "A.EF"}, "A.EF"},
        {"folded to upper case: '_' after letters", {"a_b.ef", "aC.ef"}, "aC.ef"},
        {"same but for case: byte-wise", {"a.ef", "A.ef"}, "A.ef"},
        {"extension in any case", {"z.EF", "y.eF.txt"}, "z.EF"},
        {"a longer extension is another", {"a.eff", "b.ef"}, "b.ef"},
        {"the extension alone matches", {"a.ef", ".ef"}, ".ef"},
        {"digits before letters", {"img.ef", "10.ef", "9.ef"}, "10.ef"},
        {"nothing matches", {"a.ff", "ef"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = firstImageFile("dir", c.entries, ".ef");
        ASSERT_EQ(found.has_value(), c.first != nullptr);
        if (found) {
            EXPECT_EQ(*found, (std::filesystem::path("dir") / c.first).string());
        }
    }
}

}  // namespace
}  // namespace zeltor
