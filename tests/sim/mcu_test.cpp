// The headset's audio MCU: its version answer, update mode and update plan.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "firmware/resource_images.h"
#include "protocol/avnera_commands.h"
#include "protocol/mcu_plan.h"
#include "sim_bench.h"

namespace zeltor::test {
namespace {

using namespace std::chrono_literals;

PacketQueue embeddedPlan(ByteVector& image) {
    EXPECT_TRUE(loadResourceBytes(134, image));
    PacketQueue plan;
    EXPECT_TRUE(BuildMCUPlan(image, plan));
    return plan;
}

bool landed(const ByteVector& image, const SimDevice& headset) {
    return std::equal(image.begin(), image.end(), headset.mcuFlash().begin());
}

std::string firstError(const SimDevice& device) {
    return device.errors().empty() ? "" : device.errors().front();
}

TEST(McuTest, VersionAnswerCarriesThePatchVersionInDecimalNibbles) {
    struct Case {
        const char* scenario;
        ByteVector answer;  // empty: no answer
    };
    const Case cases[] = {
        {R"({"headset": {"mcu": {"patch": 12}}})", {0x06, 0x88, 0x07, 0x00, 0x12}},
        {R"({"headset": {"mcu": {"patch": 7}}})", {0x06, 0x88, 0x07, 0x00, 0x07}},
        {R"({"headset": {"mcu": {"patch": 0}}})", {0x06, 0x88, 0x07, 0x00, 0x00}},
        {R"({"headset": {"mcu": {"answersVersion": false}}})", {}},
        {R"({"headset": {"mode": "mcu-update"}})", {}},  // the update loader stays silent
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        SimBench bench(c.scenario);
        auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
        const ByteVector answer = mcu->WriteReadReport(mcuVersionRequest(), kMCUReportId, 100);
        if (c.answer.empty()) {
            EXPECT_TRUE(answer.empty());
        } else {
            ASSERT_EQ(answer.size(), 64u);
            EXPECT_TRUE(std::equal(c.answer.begin(), c.answer.end(), answer.begin()));
        }
        EXPECT_TRUE(bench.headset().errors().empty());
    }
}

TEST(McuTest, ImageLandsInFlashAndTheHeadsetComesBackWithBothCollections) {
    struct Case {
        const char* story;
        const char* scenario;
        bool updateModeCommand;
    };
    const Case cases[] = {
        {"an MCU with a patch version, in update mode",
         R"({"headset": {"mcu": {"patch": 12, "updateModeDelayMs": 2500, "closeDelayMs": 4000}}})",
         true},
        {"patch version 0 takes the plan in normal mode",
         R"({"headset": {"mcu": {"patch": 0, "closeDelayMs": 4000}}})", false},
        {"a silent MCU takes the plan in normal mode",
         R"({"headset": {"mcu": {"answersVersion": false, "closeDelayMs": 4000}}})", false},
    };
    ByteVector image;
    const PacketQueue plan = embeddedPlan(image);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench(c.scenario);
        SimDevice& headset = bench.headset();
        ASSERT_FALSE(landed(image, headset)) << "the old firmware must differ from the image";
        if (c.updateModeCommand) {
            auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
            ASSERT_TRUE(mcu->WriteReport(mcuUpdateModeCommand()));
            bench.runFor(2500ms);
            EXPECT_EQ(headset.mode(), SimDeviceMode::McuUpdate);
        }
        auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
        EXPECT_EQ(sendPlan(*mcu, plan), std::nullopt);
        EXPECT_TRUE(landed(image, headset));
        EXPECT_TRUE(headset.errors().empty()) << firstError(headset);

        // The closing command takes the headset off the bus; it returns in normal mode.
        const auto closed = bench.now();
        bench.runFor(4000ms);
        EXPECT_EQ(headset.mode(), SimDeviceMode::Application);
        for (const DeviceRole role : {DeviceRole::ZeltorHeadsetMCU, DeviceRole::ZeltorHeadset}) {
            const std::string path = bench.pathOf(role);
            EXPECT_EQ(bench.changes.lastRemoval(path), closed);
            EXPECT_EQ(bench.changes.lastArrival(path), closed + 4000ms);
        }
    }
}

TEST(McuTest, ABlockSentAgainAfterItsAnswerWasLostReplacesItself) {
    SimBench bench(R"({"headset": {"mcu": {"patch": 0}}, "faults": [{"target": "mcu",)"
                   R"( "prefix": "06 BB 03 03", "at": 10, "times": 2, "action": "drop-answer"}]})");
    ByteVector image;
    PacketQueue plan = embeddedPlan(image);
    auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
    // The tool's retries: the failed packet goes again until it passes.
    int failures = 0;
    while (const auto failed = sendPlan(*mcu, plan)) {
        ASSERT_LT(++failures, 3);
        plan.erase(plan.begin(), plan.begin() + static_cast<long>(*failed));
    }
    EXPECT_EQ(failures, 2);
    EXPECT_TRUE(landed(image, bench.headset()));
    EXPECT_TRUE(bench.headset().errors().empty()) << firstError(bench.headset());
}

TEST(McuTest, FaultyPlansFailAtTheirPacketAndAreRecorded) {
    struct Case {
        const char* story;
        const char* scenario;
        std::function<void(PacketQueue&)> corrupt;
        std::function<std::size_t(const PacketQueue&)> failing;  // index in the corrupted plan
        const char* error;
    };
    const auto at = [](std::size_t index) { return [index](const PacketQueue&) { return index; }; };
    const auto finish = [](const PacketQueue& plan) { return plan.size() - 2; };
    const auto none = [](const PacketQueue& plan) { return plan.size(); };
    const char* normalModeTakesPlan = R"({"headset": {"mcu": {"patch": 0}}})";
    const Case cases[] = {
        {"a block with a wrong checksum", normalModeTakesPlan,
         [](PacketQueue& plan) { plan[6].m_Request[14] ^= 0x01; }, at(6),
         "data block at 0x0028 refused: checksum"},
        {"blocks before the start command", normalModeTakesPlan,
         [](PacketQueue& plan) { plan.pop_front(); }, at(0), "before the start command"},
        {"blocks out of order", normalModeTakesPlan,
         [](PacketQueue& plan) { std::swap(plan[3], plan[4]); }, finish,
         "data block at 0x0018 out of order, expected 0x0010"},
        {"no image checksum check", normalModeTakesPlan,
         [](PacketQueue& plan) { plan.erase(plan.end() - 3); }, finish,
         "finish refused: no image checksum check"},
        {"the closing command before the finish", normalModeTakesPlan,
         [](PacketQueue& plan) { plan.erase(plan.begin() + 5, plan.end() - 1); }, none,
         "closing command ends an unfinished update"},
        {"the plan sent to an MCU with a patch version, without update mode",
         R"({"headset": {"mcu": {"patch": 12}}})", [](PacketQueue&) {}, at(0),
         "plan command 06 bb 03 02 ignored outside update mode (patch version 12)"},
    };
    ByteVector image;
    const PacketQueue good = embeddedPlan(image);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        SimBench bench(c.scenario);
        PacketQueue plan = good;
        c.corrupt(plan);
        auto mcu = bench.open(DeviceRole::ZeltorHeadsetMCU);
        const auto failed = sendPlan(*mcu, plan);
        EXPECT_EQ(failed.value_or(plan.size()), c.failing(plan));
        EXPECT_TRUE(mentions(bench.headset().errors(), c.error)) << firstError(bench.headset());
    }
}

}  // namespace
}  // namespace zeltor::test
