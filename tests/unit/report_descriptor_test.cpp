#include "hid/report_descriptor.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace zeltor {
namespace {

// The fields a collection is compared by, in one line for readable failures.
struct Expected {
    std::uint16_t usagePage;
    std::uint16_t usage;
    std::uint16_t input;
    std::uint16_t output;
    std::uint16_t feature;
    std::vector<std::uint8_t> reportIds;

    bool operator==(const Expected&) const = default;
};

Expected fieldsOf(const ReportCollection& c) {
    return {c.caps.UsagePage,
            c.caps.Usage,
            c.caps.InputReportByteLength,
            c.caps.OutputReportByteLength,
            c.caps.FeatureReportByteLength,
            c.reportIds};
}

void PrintTo(const Expected& c, std::ostream* os) {
    *os << "{page 0x" << std::hex << c.usagePage << ", usage 0x" << c.usage << std::dec << ", in "
        << c.input << ", out " << c.output << ", feature " << c.feature << ", ids";
    for (const auto id : c.reportIds) {
        *os << " " << static_cast<int>(id);
    }
    *os << "}";
}

ReportDescriptor parse(const ByteVector& bytes) {
    // A copy of exactly the descriptor's size, so that a sanitizer sees any read past its end.
    const ByteVector exact(bytes);
    return parseReportDescriptor(exact);
}

// The headset's two collections on one node: feature report 0xFF on the vendor page, input and
// output report 6 on the MCU's page.
const ByteVector kHeadset = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // usage page 0xFF00, usage 1, application
    0x85, 0xFF, 0x15, 0x00, 0x26, 0xFF, 0x00,        //   report id 0xFF, logical 0..255
    0x75, 0x08, 0x95, 0x40, 0x09, 0x01, 0xB1, 0x02,  //   8 bits x 64, feature
    0xC0,                                            // end
    0x06, 0x42, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // usage page 0xFF42, usage 1, application
    0x85, 0x06, 0x75, 0x08, 0x95, 0x20,              //   report id 6, 8 bits x 32
    0x09, 0x01, 0x81, 0x02,                          //   input
    0x09, 0x01, 0x91, 0x02,                          //   output
    0xC0,                                            // end
};

struct GoodCase {
    const char* name;
    ByteVector bytes;
    bool reportIdsUsed;
    std::vector<Expected> collections;
};

TEST(ReportDescriptorTest, SplitsIntoTopLevelCollectionsWithWindowsLengths) {
    const GoodCase cases[] = {
        {"one collection without ids: lengths still count the id byte",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // vendor page, usage 1, application
          0x75, 0x08, 0x95, 0x40, 0x81, 0x02,        //   8 x 64 input
          0x95, 0x20, 0x91, 0x02,                    //   8 x 32 output
          0xC0},
         false,
         {{0xFF00, 1, 65, 33, 0, {}}}},
        {"one collection with an id",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0xFF, 0x75, 0x08, 0x95, 0x40, 0xB1, 0x02,
          0xC0},
         true,
         {{0xFF00, 1, 0, 0, 65, {0xFF}}}},
        {"two collections with ids",
         kHeadset,
         true,
         {{0xFF00, 1, 0, 0, 65, {0xFF}}, {0xFF42, 1, 33, 33, 0, {6}}}},
        {"the longest report of a kind sets its length",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,  //
          0x85, 0x01, 0x95, 0x08, 0x81, 0x02,                    //   input 1: 8 bytes
          0x85, 0x02, 0x95, 0x10, 0x81, 0x02,                    //   input 2: 16 bytes
          0x85, 0x03, 0x95, 0x04, 0x81, 0x02,                    //   input 3: 4 bytes
          0xC0},
         true,
         {{0xFF00, 1, 17, 0, 0, {1, 2, 3}}}},
        {"items of one report add up and bits round up to bytes",
         {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // generic desktop, mouse, application
          0x75, 0x01, 0x95, 0x03, 0x81, 0x02,  //   3 buttons of 1 bit
          0x75, 0x04, 0x95, 0x01, 0x81, 0x03,  //   4 bits constant padding
          0x75, 0x08, 0x95, 0x02, 0x81, 0x06,  //   x and y
          0xC0},
         false,
         {{0x0001, 2, 4, 0, 0, {}}}},
        {"long items are stepped over",
         {0x06, 0x00, 0xFF, 0xFE, 0x02, 0x10, 0x09, 0xA1,  // long item whose data looks like items
          0x09, 0x01, 0xA1, 0x01, 0xFE, 0x00, 0x20,        // long item without data
          0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0xC0},
         false,
         {{0xFF00, 1, 3, 0, 0, {}}}},
        {"reports of nested collections belong to the top-level one, which keeps its usage",
         {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,  // consumer page, usage 1, application
          0x85, 0x02,                          //   report id 2
          0x09, 0x05, 0xA1, 0x02,              //   usage 5, logical collection
          0x75, 0x08, 0x95, 0x03, 0x81, 0x02,  //     input 3 bytes
          0x09, 0x06, 0xA1, 0x00,              //     usage 6, physical collection
          0x95, 0x05, 0xB1, 0x02,              //       feature 5 bytes
          0xC0, 0xC0, 0xC0},
         true,
         {{0x000C, 1, 4, 0, 6, {2}}}},
        {"a collection takes the first usage before it",
         {0x06, 0x00, 0xFF, 0x09, 0x03, 0x09, 0x04, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02,
          0xC0},
         false,
         {{0xFF00, 3, 2, 0, 0, {}}}},
        {"a usage page after the usage still applies to the collection",
         {0x09, 0x01, 0x06, 0x42, 0xFF, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x91, 0x02, 0xC0},
         false,
         {{0xFF42, 1, 0, 2, 0, {}}}},
        {"a four-byte usage names its own page",
         {0x05, 0x01, 0x0B, 0x01, 0x00, 0x42, 0xFF, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02,
          0xC0},
         false,
         {{0xFF42, 1, 2, 0, 0, {}}}},
        {"usages of a main item do not reach the next collection",
         {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x30, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0,
          0xA1, 0x01, 0xC0},
         false,
         {{0x0001, 2, 2, 0, 0, {}}, {0x0001, 0, 0, 0, 0, {}}}},
        {"pop brings back report id, size and count",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,  //
          0x85, 0x01, 0x75, 0x08, 0x95, 0x02,        //   report 1, 8 x 2
          0xA4,                                      //   push
          0x85, 0x02, 0x95, 0x09, 0x81, 0x02,        //   input 2: 9 bytes
          0xB4,                                      //   pop
          0x81, 0x02,                                //   input 1: 2 bytes
          0x81, 0x02,                                //   input 1: 2 more
          0xC0},
         true,
         {{0xFF00, 1, 10, 0, 0, {1, 2}}}},
        {"reserved items and unknown tags are ignored",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,  //
          0x0C,                                      //   reserved type
          0xF5, 0x01,                                //   global tag 15
          0xE8,                                      //   local tag 14
          0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0},
         false,
         {{0xFF00, 1, 2, 0, 0, {}}}},
        {"a collection without reports has no lengths",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0},
         false,
         {{0xFF00, 1, 0, 0, 0, {}}}},
        {"a report of zero bits is the id byte alone",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07, 0x75, 0x08, 0x95, 0x00, 0xB1, 0x02,
          0xC0},
         true,
         {{0xFF00, 1, 0, 0, 1, {7}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportDescriptor result = parse(c.bytes);
        ASSERT_TRUE(result.ok()) << result.failure;
        EXPECT_EQ(result.reportIdsUsed, c.reportIdsUsed);
        ASSERT_EQ(result.collections.size(), c.collections.size());
        for (std::size_t i = 0; i < c.collections.size(); ++i) {
            EXPECT_EQ(fieldsOf(result.collections[i]), c.collections[i]) << "collection " << i + 1;
        }
    }
}

struct BadCase {
    const char* name;
    ByteVector bytes;
    std::string failure;
};

TEST(ReportDescriptorTest, RefusesMalformedDescriptorsWithAReason) {
    const BadCase cases[] = {
        {"empty", {}, "no top-level collection"},
        {"no collection", {0x06, 0x00, 0xFF, 0x09, 0x01}, "no top-level collection"},
        {"item data cut off",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0, 0x06, 0x00},
         "item at byte 8 runs past the end (10 bytes)"},
        {"four-byte item cut off",
         {0x07, 0x00, 0xFF, 0x00},
         "item at byte 0 runs past the end (4 bytes)"},
        {"long item header cut off",
         {0xA1, 0x01, 0xC0, 0xFE, 0x05},
         "long item at byte 3 runs past the end (5 bytes)"},
        {"long item data cut off",
         {0xA1, 0x01, 0xC0, 0xFE, 0x05, 0x10, 1, 2, 3, 4},
         "long item at byte 3 runs past the end (10 bytes)"},
        {"long item data size of 255",
         {0xA1, 0x01, 0xC0, 0xFE, 0xFF, 0x10},
         "long item at byte 3 runs past the end (6 bytes)"},
        {"end of collection without one",
         {0xA1, 0x01, 0xC0, 0xC0},
         "end of collection at byte 3 closes no collection"},
        {"collection not closed",
         {0x09, 0x01, 0xA1, 0x01, 0xA1, 0x00, 0xC0, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02},
         "collection opened at byte 2 is not closed"},
        {"report outside any collection",
         {0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xA1, 0x01, 0xC0},
         "input item at byte 4 lies outside any collection"},
        {"report id 0",
         {0xA1, 0x01, 0x85, 0x00, 0xC0},
         "report id 0 at byte 2 is not one of 1 to 255"},
        {"report id above 255",
         {0xA1, 0x01, 0x86, 0x00, 0x01, 0xC0},
         "report id 256 at byte 2 is not one of 1 to 255"},
        {"pop without push", {0xA1, 0x01, 0xB4, 0xC0}, "pop at byte 2 without a push"},
        {"pushes without end",
         {0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4,
          0xA4, 0xA4},
         "push at byte 16 nests deeper than 16"},
        {"one report id in two collections",
         {0xA1, 0x01, 0x85, 0x03, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0,  //
          0xA1, 0x01, 0x81, 0x02, 0xC0},
         "report 3 appears in collections 1 and 2"},
        {"one report id for a feature of one collection and an input of another",
         {0xA1, 0x01, 0x85, 0x03, 0x75, 0x08, 0x95, 0x01, 0xB1, 0x02, 0xC0,  //
          0xA1, 0x01, 0x81, 0x02, 0xC0},
         "report 3 appears in collections 1 and 2"},
        {"reports with and without ids",
         {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0},
         "reports without an id beside reports with ids"},
        {"two collections whose reports have no ids",
         {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0, 0xA1, 0x01, 0xB1, 0x02, 0xC0},
         "collections 1 and 2 both have reports without ids"},
        {"report longer than a length can say",
         {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81,
          0x02, 0xC0},
         "input report 0 grows past 65534 bytes at byte 12"},
        {"report just over the longest length",
         {0xA1, 0x01, 0x75, 0x08, 0x96, 0xFE, 0xFF, 0xB1, 0x02, 0x75, 0x01, 0x95, 0x01, 0xB1, 0x02,
          0xC0},
         "feature report 0 grows past 65534 bytes at byte 13"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportDescriptor result = parse(c.bytes);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_TRUE(result.collections.empty());
        EXPECT_FALSE(result.reportIdsUsed);
    }
}

TEST(ReportDescriptorTest, TheLongestReportALengthCanSayIsAccepted) {
    // 65534 data bytes and the id byte make the largest 16-bit length.
    const ReportDescriptor result =
        parse({0xA1, 0x01, 0x75, 0x08, 0x96, 0xFE, 0xFF, 0xB1, 0x02, 0xC0});
    ASSERT_TRUE(result.ok()) << result.failure;
    EXPECT_EQ(result.collections.at(0).caps.FeatureReportByteLength, 0xFFFF);
}

TEST(ReportDescriptorTest, EveryCutOfADescriptorIsRefusedUnlessItEndsBetweenCollections) {
    // The headset's descriptor is whole after its first collection (23 bytes) and after the
    // global and local items that follow it (26 and 28 bytes).
    for (std::size_t length = 0; length < kHeadset.size(); ++length) {
        SCOPED_TRACE(length);
        const ReportDescriptor result =
            parse(ByteVector(kHeadset.begin(), kHeadset.begin() + length));
        if (length == 23 || length == 26 || length == 28) {
            ASSERT_TRUE(result.ok()) << result.failure;
            EXPECT_EQ(result.collections.size(), 1U);
        } else {
            EXPECT_FALSE(result.ok());
        }
    }
}

}  // namespace
}  // namespace zeltor
