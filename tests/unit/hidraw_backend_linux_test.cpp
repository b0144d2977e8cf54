#include "platform/linux/hidraw_backend_linux.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "support/log_capture.h"

namespace zeltor {
namespace {

// The backend's failure paths on what is not a hidraw node; real nodes are tested in a guest
// with kernel HID devices.
class HidrawBackendTest : public ::testing::Test {
protected:
    HidrawBackendTest()
        : backend_([this](std::function<void()> work) { posted_.push_back(std::move(work)); }) {
        test::writeFile(file_, "not a device");
    }

    test::TraceCapture trace_;
    test::TempFolder folder_;
    const std::string file_ = (folder_.path() / "hidraw0").string();
    std::vector<std::function<void()>> posted_;
    HidrawBackend backend_;
};

TEST_F(HidrawBackendTest, AFileThatIsNoHidrawNodeIsNeitherProbedNorOpened) {
    HidAttributes attributes;
    attributes.VendorID = 0x1234;
    HidCaps caps;
    EXPECT_FALSE(backend_.probe(file_, attributes, caps));
    EXPECT_EQ(backend_.open(file_), 0U);
    EXPECT_TRUE(trace_.contains("HIDIOCGRAWINFO on " + file_ +
                                " failed: Inappropriate ioctl for device (errno 25)\n"));
    EXPECT_TRUE(trace_.contains("HIDIOCGRDESCSIZE on " + file_ +
                                " failed: Inappropriate ioctl for device (errno 25)\n"));
    EXPECT_TRUE(backend_.accessFailures().empty());
    EXPECT_TRUE(posted_.empty());
}

TEST_F(HidrawBackendTest, PathsThatNameNoNodeAreRefusedWithAReason) {
    const std::string missing = (folder_.path() / "hidraw9#col02").string();
    HidAttributes attributes;
    HidCaps caps;
    EXPECT_FALSE(backend_.probe(missing, attributes, caps));
    EXPECT_EQ(backend_.open(file_ + "#col1"), 0U);
    EXPECT_TRUE(trace_.contains("Cannot open " + (folder_.path() / "hidraw9").string() +
                                ": No such file or directory (errno 2)\n"));
    EXPECT_TRUE(trace_.contains(file_ + "#col1 is not a hidraw interface path\n"));
    EXPECT_TRUE(backend_.accessFailures().empty());
}

TEST_F(HidrawBackendTest, AHandleThatIsNotOpenRefusesEveryTransferInThePlatformsWords) {
    const HidHandle none = 7;
    const HidTransfer written = backend_.writeOutputReport(none, {0x06, 0x01}, 1000);
    EXPECT_FALSE(written.accepted);
    EXPECT_EQ(written.errorCode, static_cast<std::uint32_t>(ENODEV));
    EXPECT_EQ(written.errorText, "No such device");
    const HidTransfer sent = backend_.setFeature(none, {0xFF, 0x01});
    EXPECT_FALSE(sent.accepted);
    EXPECT_EQ(sent.errorText, "No such device");
    EXPECT_FALSE(backend_.readInputReport(none, 33, 0).has_value());
    ByteVector feature = {0xFF, 0x00};
    EXPECT_FALSE(backend_.getFeature(none, feature));
    EXPECT_TRUE(trace_.contains("HIDIOCGFEATURE not sent: the handle has no open node\n"));
    EXPECT_EQ(backend_.registerHandleNotification(none, nullptr), 0U);
}

}  // namespace
}  // namespace zeltor
