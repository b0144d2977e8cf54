#include "hid/device_updater.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "hid/device_change.h"
#include "support/log_capture.h"
#include "support/scripted_collection.h"

namespace zeltor {
namespace {

using namespace std::chrono_literals;

constexpr HidCaps kMcuCaps{1, 0xFF42, 8, 8, 6};

class DeviceUpdaterTest : public ::testing::Test {
protected:
    DeviceUpdaterTest() {
        backend_.attach(device_);
        work_.drain();
    }
    void openChannel() { ASSERT_TRUE(channel_.Open(kPath, nullptr)); }
    std::vector<std::string> tracedWithout(const std::string& prefix) const {
        std::vector<std::string> lines;
        for (const auto& m : capture_.messages()) {
            if (!m.starts_with(prefix)) {
                lines.push_back(m);
            }
        }
        return lines;
    }

    static constexpr const char* kPath = "\\\\?\\hid#vid_2f5a&pid_5c1b&mi_03&col02#1";
    EventClock scheduler_;
    test::PostedWork work_;
    SimHidBackend backend_{scheduler_, work_.poster()};
    test::ScriptedCollection device_{backend_, kPath, {12, 0x2F5A, 0x5C1B, 0x0100}, kMcuCaps};
    cDeviceUpdater channel_{backend_, scheduler_, false};
    test::TraceCapture capture_;
};

TEST_F(DeviceUpdaterTest, ReportsAreCutOrPaddedButDumpedAsPassed) {
    cDeviceUpdater verbose(backend_, scheduler_, true);
    ASSERT_TRUE(verbose.Open(kPath, nullptr));
    ASSERT_TRUE(verbose.WriteReport({0x06, 0x88, 0x07}));
    ASSERT_TRUE(verbose.WriteReport({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(verbose.SetFeature({0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06}));
    EXPECT_EQ(device_.outputs[0], (ByteVector{0x06, 0x88, 0x07, 0, 0, 0, 0, 0}));
    EXPECT_EQ(device_.outputs[1], (ByteVector{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(device_.features[0], (ByteVector{0xFF, 1, 2, 3, 4, 5}));
    const std::vector<std::string> expected = {"OUT: ", "06 ", "88 ", "07 ",  "\n",  "OUT: ", "01 ",
                                               "02 ",   "03 ", "04 ", "05 ",  "06 ", "07 ",   "08 ",
                                               "09 ",   "0a ", "\n",  "SF: ", "ff ", "01 ",   "02 ",
                                               "03 ",   "04 ", "05 ", "06 ",  "\n"};
    EXPECT_EQ(tracedWithout("Device "), expected);
}

TEST_F(DeviceUpdaterTest, WithoutVerboseOnlyTheOpenLineAndErrorsAreTraced) {
    openChannel();
    device_.refuseFeature = kErrorGenFailure;
    channel_.WriteReport({0x06});
    channel_.SetFeature({0xFF});
    const std::vector<std::string> expected = {
        std::string("Device ") + kPath + " opened (handle=0x100, notifications=0x0)\n",
        "HidD_SetFeature returned 31 (A device attached to the system is not functioning.)\n"};
    EXPECT_EQ(capture_.messages(), expected);
}

// The simulated stack words its Windows codes as the system does; others read as their number.
TEST_F(DeviceUpdaterTest, ARefusalIsTracedWithTheStacksWordsForItsCode) {
    openChannel();
    for (const auto& [code, line] : std::vector<std::pair<std::uint32_t, std::string>>{
             {1, "HidD_SetFeature returned 1 (Incorrect function.)\n"},
             {31,
              "HidD_SetFeature returned 31 (A device attached to the system is not "
              "functioning.)\n"},
             {87, "HidD_SetFeature returned 87 (The parameter is incorrect.)\n"},
             {1167, "HidD_SetFeature returned 1167 (The device is not connected.)\n"},
             {5, "HidD_SetFeature returned 5 (error 5)\n"}}) {
        device_.refuseFeature = code;
        EXPECT_FALSE(channel_.SetFeature({0xFF}));
        EXPECT_TRUE(capture_.contains(line)) << line;
    }
}

struct VerifyCase {
    const char* name;
    std::vector<ByteVector> answers;
    ByteVector expected;
    bool verified;
};

TEST_F(DeviceUpdaterTest, AnswersAreMatchedAsPrefixesWithinThreeAttempts) {
    const VerifyCase cases[] = {
        {"exact answer", {{0x06, 0xBB, 0x03, 0x02, 0x00}}, {0x06, 0xBB, 0x03, 0x02, 0x00}, true},
        {"longer answer with the prefix",
         {{0x06, 0xBB, 0x03, 0x03, 0x42, 0x17}},
         {0x06, 0xBB, 0x03, 0x03},
         true},
        {"answer differing in the prefix",
         {{0x06, 0xBB, 0x03, 0xEE}},
         {0x06, 0xBB, 0x03, 0x03},
         false},
        {"third answer matches", {{0x06, 0x01}, {0x06, 0x02}, {0x06, 0xBB}}, {0x06, 0xBB}, true},
        {"fourth answer is too late",
         {{0x06, 0x01}, {0x06, 0x02}, {0x06, 0x03}, {0x06, 0xBB}},
         {0x06, 0xBB},
         false},
        {"foreign ids cost no attempt",
         {{0x01, 0xBB}, {0x02, 0xBB}, {0x03, 0xBB}, {0x04, 0xBB}, {0x06, 0xBB}},
         {0x06, 0xBB},
         true},
        {"no answer", {}, {0x06, 0xBB}, false},
    };
    openChannel();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device_.answers = c.answers;
        const auto start = scheduler_.now();
        EXPECT_EQ(channel_.WriteAndVerify({0x06, 0xBB}, c.expected), c.verified);
        // Leftover answers must not leak into the next case.
        scheduler_.sleepFor(5000ms);
        while (!channel_.ReadReport(0x06, 1).empty()) {
        }
        if (c.answers.empty()) {
            EXPECT_GE(scheduler_.now() - start, 3000ms);  // three full waits
        }
    }
}

TEST_F(DeviceUpdaterTest, AShortAnswerFailsTheMatch) {
    HidCaps tiny = kMcuCaps;
    tiny.InputReportByteLength = 3;
    test::ScriptedCollection small(backend_, "small", {12, 0x2F5A, 0x5C1B, 1}, tiny);
    backend_.attach(small);
    cDeviceUpdater channel(backend_, scheduler_, false);
    ASSERT_TRUE(channel.Open("small", nullptr));
    small.answers = {{0x06, 0xBB, 0x03}};
    EXPECT_FALSE(channel.WriteAndVerify({0x06}, {0x06, 0xBB, 0x03, 0x02}));
}

TEST_F(DeviceUpdaterTest, EmptyExpectedBytesReadNothing) {
    openChannel();
    device_.answers = {{0x06, 0x01}};
    const auto start = scheduler_.now();
    EXPECT_TRUE(channel_.WriteAndVerify({0x06, 0x88, 0x02}, {}));
    EXPECT_EQ(scheduler_.now(), start);
    EXPECT_EQ(channel_.ReadReport(0x06, 100), (ByteVector{0x06, 0x01, 0, 0, 0, 0, 0, 0}));
}

TEST_F(DeviceUpdaterTest, AFloodOfForeignReportsCannotHoldTheReadPastItsTimeout) {
    openChannel();
    // One foreign report every 10 ms, for far longer than the timeout.
    for (int i = 1; i <= 1000; ++i) {
        scheduler_.scheduleAfter(std::chrono::milliseconds(10 * i), [this] {
            backend_.queueInput(device_, {0x01, 0xAA});
        });
    }
    const auto start = scheduler_.now();
    EXPECT_TRUE(channel_.ReadReport(0x06, 1000).empty());
    EXPECT_LE(scheduler_.now() - start, 1000ms);
    EXPECT_GE(scheduler_.now() - start, 990ms);
}

// The time runs out just as a foreign report comes in, with the answer right behind it.
TEST_F(DeviceUpdaterTest, AnAnswerQueuedBehindAForeignReportAtTheDeadlineIsStillTaken) {
    openChannel();
    scheduler_.scheduleAfter(100ms, [this] {
        backend_.queueInput(device_, {0x01, 0xAA});
        backend_.queueInput(device_, {0x06, 0xBB});
    });
    const auto start = scheduler_.now();
    EXPECT_EQ(channel_.ReadReport(0x06, 100), (ByteVector{0x06, 0xBB, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(scheduler_.now() - start, 100ms);
    // Nothing is left behind for the next request to take as its answer.
    EXPECT_TRUE(channel_.ReadReport(0x06, 10).empty());

    // With only foreign reports queued the read ends at its time, waiting no longer.
    scheduler_.scheduleAfter(100ms, [this] {
        backend_.queueInput(device_, {0x01, 0xAA});
        backend_.queueInput(device_, {0x02, 0xAA});
    });
    const auto second = scheduler_.now();
    EXPECT_TRUE(channel_.ReadReport(0x06, 100).empty());
    EXPECT_EQ(scheduler_.now() - second, 100ms);
}

TEST_F(DeviceUpdaterTest, ARefusedWriteIsTracedAndTheAnswerStillLookedFor) {
    openChannel();
    device_.refuseOutput = kErrorGenFailure;
    const auto start = scheduler_.now();
    EXPECT_FALSE(channel_.WriteAndVerify({0x06}, {0x06, 0xBB}));
    EXPECT_TRUE(capture_.contains(
        "WriteFile returned 31 (A device attached to the system is not functioning.)\n"));
    EXPECT_EQ(scheduler_.now() - start, 3000ms);
    EXPECT_TRUE(channel_.WriteReadReport({0x06}, 0x06, 100).empty());
}

TEST_F(DeviceUpdaterTest, WriteReadReportReturnsTheFullInputReport) {
    openChannel();
    device_.answers = {{0x05, 0x00}, {0x06, 0x88, 0x07, 0x00, 0x12}};
    EXPECT_EQ(channel_.WriteReadReport({0x06, 0x88, 0x07, 0x00}, 0x06, 100),
              (ByteVector{0x06, 0x88, 0x07, 0x00, 0x12, 0, 0, 0}));
}

TEST_F(DeviceUpdaterTest, ClosedChannelRefusesEveryExchange) {
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_FALSE(channel_.WriteReport({0x06}));
    EXPECT_TRUE(channel_.WriteReadReport({0x06}, 0x06, 100).empty());
    EXPECT_FALSE(channel_.SetFeature({0xFF}));
    for (const std::int32_t type : {0, 1, 2, 3, 4, 5, 6, 7, 8}) {
        EXPECT_FALSE(channel_.SendPacket(DfuPacket(type, 10))) << type;
    }
    EXPECT_TRUE(device_.outputs.empty());
    EXPECT_TRUE(device_.features.empty());
    channel_.Close();
    EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(DeviceUpdaterTest, PacketsRunAsTheirTypeRequires) {
    openChannel();
    const auto start = scheduler_.now();
    EXPECT_TRUE(channel_.SendPacket(DfuPacket(PacketPause, 4000)));
    EXPECT_EQ(scheduler_.now() - start, 4000ms);
    for (const std::int32_t type : {0, 3, 4, 8, -1}) {
        EXPECT_TRUE(channel_.SendPacket(DfuPacket(type, ByteVector{0xFF}))) << type;
    }
    EXPECT_TRUE(device_.outputs.empty());
    EXPECT_TRUE(device_.features.empty());

    device_.refuseFeature = kErrorGenFailure;
    EXPECT_FALSE(channel_.SendPacket(DfuPacket(PacketSetFeature, ByteVector{0xFF, 1})));
    EXPECT_TRUE(channel_.SendPacket(DfuPacket(PacketSetFeatureNoCheck, ByteVector{0xFF, 2})));
    EXPECT_EQ(device_.features.size(), 2u);
    EXPECT_TRUE(channel_.SendPacket(DfuPacket(PacketWrite, ByteVector{0x06, 0x88, 0x02})));
    device_.answers = {{0x06, 0xBB, 0x03, 0x02, 0x00}};
    EXPECT_TRUE(channel_.SendPacket(DfuPacket(PacketWriteVerify, ByteVector{0x06, 0xBB, 0x03, 0x02},
                                              ByteVector{0x06, 0xBB, 0x03, 0x02, 0x00})));
}

TEST_F(DeviceUpdaterTest, FeatureReadKeepsTheBufferAndSetsTheId) {
    cDeviceUpdater verbose(backend_, scheduler_, true);
    ASSERT_TRUE(verbose.Open(kPath, nullptr));
    device_.featureAnswer = ByteVector{0xFF, 0x11, 0x22};
    ByteVector buffer{0x00};
    ASSERT_TRUE(verbose.GetFeature(0xFF, buffer));
    EXPECT_EQ(buffer, (ByteVector{0xFF, 0x11, 0x22, 0, 0, 0}));
    EXPECT_TRUE(capture_.contains("GF: "));
    device_.featureAnswer.reset();
    EXPECT_FALSE(verbose.GetFeature(0xFF, buffer));
}

class CollectingSink final : public DeviceChangeSink {
public:
    void deviceChanged(const DeviceChange& change) override { changes.push_back(change); }
    std::vector<DeviceChange> changes;
};

TEST_F(DeviceUpdaterTest, OpenCloseAndIdentity) {
    CollectingSink window;
    EXPECT_FALSE(channel_.Open("", &window));
    EXPECT_FALSE(channel_.Open("\\\\?\\missing", &window));
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_TRUE(channel_.DevicePath().empty());

    ASSERT_TRUE(channel_.Open(kPath, &window));
    EXPECT_TRUE(capture_.contains(std::string("Device ") + kPath +
                                  " opened (handle=0x100, notifications=0x5000)\n"));
    EXPECT_TRUE(channel_.MatchesPath("\\\\?\\HID#VID_2F5A&PID_5C1B&MI_03&COL02#1"));
    EXPECT_FALSE(channel_.MatchesPath("\\\\?\\hid#vid_2f5a&pid_5c1b&mi_03&col01#1"));
    EXPECT_TRUE(channel_.HasHandle(0x100));
    EXPECT_FALSE(channel_.HasHandle(0x5000));
    EXPECT_EQ(channel_.Caps().OutputReportByteLength, 8);

    // The device leaves: the window hears of the handle and of the interface.
    backend_.detach(device_, true);
    work_.drain();
    ASSERT_EQ(window.changes.size(), 2u);
    EXPECT_EQ(window.changes[0].eventType, DBT_DEVICEQUERYREMOVE);
    EXPECT_EQ(window.changes[0].handle, 0x100u);
    EXPECT_FALSE(channel_.WriteReport({0x06}));
    EXPECT_TRUE(capture_.contains("WriteFile returned 1167 (The device is not connected.)\n"));

    channel_.Close();
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_TRUE(channel_.DevicePath().empty());
    channel_.Close();
}

}  // namespace
}  // namespace zeltor
