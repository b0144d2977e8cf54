#include "platform/linux/hidraw_access_failures_linux.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "support/log_capture.h"

namespace zeltor {
namespace {

const HidId kHeadset{0x0003, 0x2F5A, 0x5C1B};

TEST(HidrawAccessFailuresTest, ANodeThatWillNotOpenIsListedAndTracedOncePerError) {
    test::TraceCapture trace;
    HidrawAccessFailures failures;
    failures.note("/dev/hidraw2", EACCES, kHeadset);
    failures.note("/dev/hidraw2", EACCES, kHeadset);  // the next probe of the same node
    failures.note("/dev/hidraw5", EACCES, std::nullopt);
    failures.note("/dev/hidraw2", EBUSY, kHeadset);

    EXPECT_EQ(trace.messages(),
              (std::vector<std::string>{
                  "Cannot open /dev/hidraw2 (vendor 0x2f5a, product 0x5c1b): Permission denied "
                  "(errno 13)\n",
                  "Cannot open /dev/hidraw5 (device unknown to udev): Permission denied (errno "
                  "13)\n",
                  "Cannot open /dev/hidraw2 (vendor 0x2f5a, product 0x5c1b): Device or resource "
                  "busy (errno 16)\n",
              }));
    const std::vector<HidrawAccessFailure> list = failures.list();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].node, "/dev/hidraw2");
    EXPECT_EQ(list[0].error, EBUSY);
    ASSERT_TRUE(list[0].id.has_value());
    EXPECT_EQ(list[0].id->productId, 0x5C1B);
    EXPECT_EQ(list[1].node, "/dev/hidraw5");
    EXPECT_FALSE(list[1].id.has_value());

    failures.forget("/dev/hidraw2");
    ASSERT_EQ(failures.list().size(), 1U);
    EXPECT_EQ(failures.list()[0].node, "/dev/hidraw5");
}

TEST(HidrawAccessFailuresTest, ANodeThatHasGoneIsTracedButNotListed) {
    test::TraceCapture trace;
    HidrawAccessFailures failures;
    for (const int error : {ENOENT, ENODEV, ENXIO}) {
        failures.note("/dev/hidraw7", error, kHeadset);
    }
    EXPECT_TRUE(failures.list().empty());
    EXPECT_EQ(trace.messages().size(), 3U);
    EXPECT_TRUE(trace.contains("Cannot open /dev/hidraw7: No such file or directory (errno 2)\n"));
}

TEST(HidrawAccessFailuresTest, AnErrorTracedOnceIsTracedAgainAfterTheNodeOpened) {
    test::TraceCapture trace;
    HidrawAccessFailures failures;
    failures.note("/dev/hidraw2", EACCES, kHeadset);
    failures.forget("/dev/hidraw2");
    failures.note("/dev/hidraw2", EACCES, kHeadset);
    EXPECT_EQ(trace.messages().size(), 2U);
    EXPECT_EQ(failures.list().size(), 1U);
}

}  // namespace
}  // namespace zeltor
