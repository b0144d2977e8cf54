#include "platform/linux/hidraw_collection_reader_linux.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

#include "support/log_capture.h"

namespace zeltor {
namespace {

// A packet socket pair stands in for a hidraw node file: each packet is one report, read whole,
// as hidraw hands them over.
class HidrawCollectionReaderTest : public ::testing::Test {
protected:
    HidrawCollectionReaderTest() {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) == 0) {
            node_ = pair[0];
            device_ = pair[1];
            fcntl(device_, F_SETFL, O_NONBLOCK);
        }
    }
    ~HidrawCollectionReaderTest() override {
        ::close(node_);
        closeDevice();
    }

    // The device sends a report.
    void send(const ByteVector& report) {
        EXPECT_EQ(::write(device_, report.data(), report.size()),
                  static_cast<ssize_t>(report.size()));
    }
    void closeDevice() {
        if (device_ >= 0) {
            ::close(device_);
            device_ = -1;
        }
    }
    // The MCU's collection, reading report 6, beside a collection with reports 0xFF and 7.
    HidrawCollectionReader mcuReader() { return {node_, "/dev/hidraw4", {true, {0x06}}}; }

    test::TraceCapture trace_;
    int node_ = -1;
    int device_ = -1;
};

const std::optional<ByteVector> kNothing;

TEST_F(HidrawCollectionReaderTest, TheCollectionsReportIsFoundBehindOtherCollectionsReports) {
    HidrawCollectionReader reader = mcuReader();
    send({0xFF, 0x01});
    send({0x07, 0x02, 0x03, 0x04, 0x05});
    send({0x06, 0xA1, 0xA2});
    EXPECT_EQ(reader.read(4, 1000), (ByteVector{0x06, 0xA1, 0xA2, 0x00}));
    EXPECT_EQ(reader.read(4, 0), kNothing);
}

TEST_F(HidrawCollectionReaderTest, ReadsWithoutIdsGetTheIdByteWindowsPutsInFront) {
    HidrawCollectionReader reader(node_, "/dev/hidraw4", {false, {}});
    send({0x42, 0x43});
    EXPECT_EQ(reader.read(4, 1000), (ByteVector{0x00, 0x42, 0x43, 0x00}));
}

TEST_F(HidrawCollectionReaderTest, AReadWhoseTimeIsUpLooksThroughNoMoreThanAQueueFull) {
    HidrawCollectionReader reader = mcuReader();
    for (int i = 0; i < 100; ++i) {
        send({0xFF, static_cast<std::uint8_t>(i)});
    }
    send({0x06, 0x01});
    // 64 reports of the flood go; the next read finds the answer behind the other 36.
    EXPECT_EQ(reader.read(2, 0), kNothing);
    EXPECT_EQ(reader.read(2, 0), (ByteVector{0x06, 0x01}));
}

TEST_F(HidrawCollectionReaderTest, ReportsSetAsideBeforeAWriteAreReadFirstInOrder) {
    HidrawCollectionReader reader = mcuReader();
    send({0x06, 0x01});
    send({0xFF, 0x00});
    send({0x06, 0x02});
    reader.setAsideQueued();
    send({0x06, 0x03});
    EXPECT_EQ(reader.read(2, 0), (ByteVector{0x06, 0x01}));
    EXPECT_EQ(reader.read(2, 0), (ByteVector{0x06, 0x02}));
    EXPECT_EQ(reader.read(2, 0), (ByteVector{0x06, 0x03}));
    EXPECT_EQ(reader.read(2, 0), kNothing);
}

TEST_F(HidrawCollectionReaderTest, SettingAsideKeepsTheNewestQueueFull) {
    HidrawCollectionReader reader = mcuReader();
    for (int i = 1; i <= 80; ++i) {
        send({0x06, static_cast<std::uint8_t>(i)});
        if (i == 40 || i == 80) {
            reader.setAsideQueued();
        }
    }
    for (int i = 17; i <= 80; ++i) {
        ASSERT_EQ(reader.read(2, 0), (ByteVector{0x06, static_cast<std::uint8_t>(i)}));
    }
    EXPECT_EQ(reader.read(2, 0), kNothing);
}

TEST_F(HidrawCollectionReaderTest, ADeviceThatHasGoneEndsTheReadWithATrace) {
    HidrawCollectionReader reader = mcuReader();
    closeDevice();
    reader.setAsideQueued();  // leaves the failure to the read
    EXPECT_EQ(reader.read(2, 1000), kNothing);
    EXPECT_EQ(trace_.messages(), (std::vector<std::string>{
                                     "Reading /dev/hidraw4 failed: Input/output error (errno 5)\n",
                                 }));
}

}  // namespace
}  // namespace zeltor
