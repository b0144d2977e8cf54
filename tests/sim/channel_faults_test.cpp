// Each fault a scenario can inject, as the tool's HID channel sees it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "protocol/avnera_commands.h"
#include "protocol/avnera_plan.h"
#include "sim_bench.h"

namespace zeltor::test {
namespace {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

const ByteVector kMcuStart{0x06, 0xBB, 0x03, 0x02};
const ByteVector kMcuStartAnswer{0x06, 0xBB, 0x03, 0x02, 0x00};

std::size_t count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(ChannelFaultsTest, RefusedFeatureReportsFailAtTheirTrigger) {
    // Each data report starts a block, so a refused one leaves no gap the chip would notice.
    const ByteVector reports[] = {
        {0xFF, 0x0B, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x06, 0x00, 0xE1, 0xF0, 0x50, 0x05},
        {0xE4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xA0},
        {0xE4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xA1},
        {0xFF, 0x0A, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x05, 0x00, 0x2D, 0xC4, 0x01},
        {0xE4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xA2},
    };
    struct Case {
        const char* trigger;
        std::set<std::size_t> refused;
    };
    const Case cases[] = {
        {R"("at": 2)", {1}},
        {R"("prefix": "E4", "at": 2)", {2}},
        {R"("prefix": "E4", "times": "always")", {1, 2, 4}},
        {R"("prefix": "E4", "at": 2, "times": 2)", {2, 4}},
        {R"("prefix": "FF 0A")", {3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trigger);
        SimBench bench(std::string(R"({"dongle": {"mode": "bootloader"}, "faults": [{)"
                                   R"("target": "dongle-bootloader", "action": "refuse", )"
                                   R"("errorCode": 31, )") +
                       c.trigger + "}]}");
        auto channel = bench.open(DeviceRole::AvneraDongleBootloader);
        std::set<std::size_t> refused;
        for (std::size_t i = 0; i < std::size(reports); ++i) {
            if (!channel->SetFeature(reports[i])) {
                refused.insert(i);
            }
            bench.runFor(20ms);  // the chip's time to take a data report, as the plan allows
        }
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(count(bench.trace.messages(),
                        "HidD_SetFeature returned 31 (A device attached to the system is not "
                        "functioning.)\n"),
                  c.refused.size());
        EXPECT_EQ(bench.world().faultsActed().size(), c.refused.size());
        EXPECT_TRUE(bench.dongle().errors().empty()) << "a refused report never reaches the chip";
    }
}

TEST(ChannelFaultsTest, RefusedOutputReportFailsTheWrite) {
    SimBench bench(R"({"faults": [{"target": "mcu", "prefix": "06 88 07", "action": "refuse",)"
                   R"( "errorCode": 1}]})");
    auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
    EXPECT_TRUE(mcu->WriteReadReport(mcuVersionRequest(), 0x06, 100).empty());
    EXPECT_TRUE(bench.trace.contains("WriteFile returned 1 (Incorrect function.)\n"));
    EXPECT_FALSE(mcu->WriteReadReport(mcuVersionRequest(), 0x06, 100).empty()) << "only once";
}

TEST(ChannelFaultsTest, LostOrDamagedAnswersFailVerificationWithinItsWaits) {
    struct Case {
        const char* fault;
        bool verified;
        milliseconds waited;  // three reads of 1000 ms at most
    };
    const Case cases[] = {
        {"", true, 0ms},
        {R"(, "faults": [{"target": "mcu", "action": "drop-answer"}])", false, 3000ms},
        {R"(, "faults": [{"target": "mcu", "action": "corrupt-answer"}])", false, 2000ms},
        {R"(, "faults": [{"target": "mcu", "action": "corrupt-answer", "byte": 4}])", false,
         2000ms},
        // Bytes after the expected prefix are not compared.
        {R"(, "faults": [{"target": "mcu", "action": "corrupt-answer", "byte": 5}])", true, 0ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        SimBench bench(std::string(R"({"headset": {"mcu": {"patch": 0}})") + c.fault + "}");
        auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
        const auto start = bench.now();
        EXPECT_EQ(mcu->WriteAndVerify(kMcuStart, kMcuStartAnswer), c.verified);
        EXPECT_EQ(bench.now() - start, c.waited);
    }
}

TEST(ChannelFaultsTest, LostOrDamagedVersionAnswerLacksTheVersionText) {
    const std::pair<const char*, std::string> cases[] = {
        {R"("drop-answer")", std::string(8, '\0')},
        {R"("corrupt-answer", "byte": 9)",
         "\xAB"
         "1.00.00"},  // the T inverted
    };
    for (const auto& [fault, text] : cases) {
        SCOPED_TRACE(fault);
        SimBench bench(std::string(R"({"faults": [{"target": "dongle", "action": )") + fault +
                       "}]}");
        auto dongle = bench.open(DeviceRole::ZeltorDongle);
        ASSERT_TRUE(dongle->SetFeature(avneraVersionRequest()));
        bench.runFor(500ms);
        ByteVector answer;
        ASSERT_TRUE(dongle->GetFeature(0xFF, answer));
        EXPECT_EQ(std::string(answer.begin() + 9, answer.begin() + 17), text);
    }
}

TEST(ChannelFaultsTest, FloodOfForeignReportsCannotHoldARead) {
    SimBench bench(R"({"faults": [{"target": "mcu", "action": "flood", "afterMs": 0,)"
                   R"( "reportId": 7, "intervalMs": 1}]})");
    auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
    bench.runFor(50ms);
    const auto start = bench.now();
    EXPECT_TRUE(mcu->ReadReport(0x06, 1000).empty());
    EXPECT_GE(bench.now() - start, 1000ms);
    EXPECT_LE(bench.now() - start, 1001ms);
    // An answer in the middle of the flood is still found.
    const ByteVector answer = mcu->WriteReadReport(mcuVersionRequest(), 0x06, 100);
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer[1], 0x88);
}

TEST(ChannelFaultsTest, FloodStartedByAReportLastsItsTimeAtItsRate) {
    SimBench bench(R"({"faults": [{"target": "mcu", "prefix": "06 88 07", "action": "flood",)"
                   R"( "reportId": 9, "intervalMs": 5, "forMs": 50}]})");
    auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
    ASSERT_TRUE(mcu->WriteReport(mcuVersionRequest()));
    int flooded = 0;
    while (!mcu->ReadReport(0x09, 100).empty()) {
        ++flooded;
    }
    EXPECT_EQ(flooded, 10);
}

TEST(ChannelFaultsTest, UnplugAtTheNthReportFailsThatReportAndLaterOnes) {
    SimBench bench(
        R"({"headset": {"mode": "bootloader"}, "faults": [{"target": )"
        R"("headset-bootloader", "at": 3, "action": "unplug", "replugAfterMs": 2000}]})");
    const std::string path = bench.pathOf(DeviceRole::AvneraHeadsetBootloader);
    auto channel = bench.open(DeviceRole::AvneraHeadsetBootloader);
    const ByteVector setup = avneraParameterWrite(kAvneraSetupRegister, 0xA0, 1);
    EXPECT_TRUE(channel->SetFeature(setup));
    EXPECT_TRUE(channel->SetFeature(setup));
    const auto pulled = bench.now();
    EXPECT_FALSE(channel->SetFeature(setup));
    EXPECT_TRUE(
        bench.trace.contains("HidD_SetFeature returned 1167 (The device is not connected.)\n"));
    EXPECT_FALSE(channel->SetFeature(setup));
    EXPECT_FALSE(bench.headset().onBus());
    EXPECT_EQ(bench.world().faultsActed(),
              std::vector<std::string>{
                  "faults[0] unplug on the headset-bootloader: report 3, ff 0a 00 ff 04 00 00 05"});

    bench.runFor(2000ms);
    EXPECT_EQ(bench.changes.lastRemoval(path), pulled);
    EXPECT_EQ(bench.changes.lastArrival(path), pulled + 2000ms);
    EXPECT_TRUE(bench.open(DeviceRole::AvneraHeadsetBootloader)->SetFeature(setup));
}

TEST(ChannelFaultsTest, UnplugInAModeAWhileAfterTheDeviceArrivesInIt) {
    SimBench bench(R"({"faults": [{"target": "dongle-bootloader", "afterMs": 500,)"
                   R"( "action": "unplug"}]})");
    auto dongle = bench.open(DeviceRole::ZeltorDongle);
    const auto sent = bench.now();
    ASSERT_TRUE(dongle->SetFeature(avneraBootloaderEntryCommand()));
    bench.runFor(10s);
    const std::string path = bench.dongle().collection(DeviceRole::AvneraDongleBootloader)->path();
    EXPECT_EQ(bench.changes.lastArrival(path), sent + 1500ms);
    EXPECT_EQ(bench.changes.lastRemoval(path), sent + 2000ms);
    EXPECT_FALSE(bench.dongle().onBus());
    EXPECT_EQ(bench.dongle().mode(), SimDeviceMode::Bootloader);
    EXPECT_EQ(bench.world().faultsActed(),
              std::vector<std::string>{
                  "faults[0] unplug on the dongle-bootloader: 500 ms after it arrived"});
}

TEST(ChannelFaultsTest, AbsentOrLateComeBackShowsInTheArrivals) {
    struct Case {
        const char* fault;
        std::optional<milliseconds> back;
    };
    const Case cases[] = {
        {"", 1500ms},
        {R"({"target": "headset", "prefix": "FF 02 00 0A", "action": "late-return",)"
         R"( "delayMs": 40000})",
         40000ms},
        {R"({"target": "headset", "prefix": "FF 02 00 05", "action": "late-return",)"
         R"( "delayMs": 40000})",
         1500ms},
        {R"({"target": "headset", "prefix": "FF 02 00 0A", "action": "no-return"})", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        SimBench bench(std::string(R"({"faults": [)") + c.fault + "]}");
        auto headset = bench.open(DeviceRole::ZeltorHeadset);
        const auto sent = bench.now();
        ASSERT_TRUE(headset->SetFeature(avneraBootloaderEntryCommand()));
        bench.runFor(10min);
        const std::string path =
            bench.headset().collection(DeviceRole::AvneraHeadsetBootloader)->path();
        const auto arrived = bench.changes.lastArrival(path);
        EXPECT_EQ(arrived, c.back ? std::optional(sent + *c.back) : std::nullopt);
        if (!c.back) {
            // Replugging by hand brings it back in the mode it was going to.
            bench.headset().plug();
            EXPECT_NE(bench.pathOf(DeviceRole::AvneraHeadsetBootloader), "");
        }
    }
}

}  // namespace
}  // namespace zeltor::test
