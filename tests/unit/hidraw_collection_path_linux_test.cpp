#include "platform/linux/hidraw_collection_path_linux.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zeltor {
namespace {

TEST(HidrawCollectionPathTest, ANodeWithSeveralCollectionsNamesEachWithASuffix) {
    const struct {
        std::size_t collection;
        std::size_t count;
        const char* path;
    } cases[] = {
        {1, 1, "/dev/hidraw3"},
        {1, 2, "/dev/hidraw3#col01"},
        {2, 2, "/dev/hidraw3#col02"},
        {12, 12, "/dev/hidraw3#col12"},
        {100, 120, "/dev/hidraw3#col100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string path = hidrawCollectionPath("/dev/hidraw3", c.collection, c.count);
        EXPECT_EQ(path, c.path);
        const std::optional<HidrawCollectionPath> parsed = parseHidrawCollectionPath(path);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->node, "/dev/hidraw3");
        EXPECT_EQ(parsed->collection, c.count == 1 ? 0 : c.collection);
    }
}

TEST(HidrawCollectionPathTest, OnlyTheSpellingsTheBackendGivesOutAreRead) {
    const char* refused[] = {
        "",
        "#col01",               // no node
        "/dev/hidraw3#col00",   // collections count from 1
        "/dev/hidraw3#col1",    // one digit
        "/dev/hidraw3#col007",  // a leading zero too many
        "/dev/hidraw3#col0a",   // not a number
        "/dev/hidraw3#col",     // no number
        "/dev/hidraw3#COL01",   // another spelling
        "/dev/hidraw3#col01#col02",
        "/dev/hidraw3#col123456",  // longer than any descriptor allows
        "/dev/hidraw3#x",
        "\\\\?\\hid#vid_2f5a&pid_5c1b&col01#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-"
        "001111000030}",
    };
    for (const char* path : refused) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(parseHidrawCollectionPath(path).has_value());
    }
}

TEST(HidrawCollectionPathTest, APathNamesACollectionOfTheDescriptorItWasMadeFrom) {
    ReportDescriptor one;
    one.collections.resize(1);
    one.collections[0].caps.UsagePage = 0xFF00;
    ReportDescriptor two;
    two.collections.resize(2);
    two.collections[0].caps.UsagePage = 0xFF00;
    two.collections[1].caps.UsagePage = 0xFF42;
    const struct {
        const char* name;
        const ReportDescriptor& descriptor;
        std::size_t collection;
        std::uint16_t usagePage;  // 0: none named
    } cases[] = {
        {"node alone, one collection", one, 0, 0xFF00},
        {"node alone, two collections: which one is unsaid", two, 0, 0},
        {"first of two", two, 1, 0xFF00},
        {"second of two", two, 2, 0xFF42},
        {"a collection the node no longer has", two, 3, 0},
        {"first of one", one, 1, 0xFF00},
        {"second of one", one, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportCollection* named = namedCollection(c.descriptor, c.collection);
        EXPECT_EQ(named != nullptr ? named->caps.UsagePage : 0, c.usagePage);
    }
}

}  // namespace
}  // namespace zeltor
