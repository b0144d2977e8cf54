// The audio MCU's part of the run, taken when the options do not skip it.
#include <gtest/gtest.h>

#include "controller/update_rig.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

struct McuCase {
    const char* name;
    const char* scenario;
    std::vector<int> tail;  // the states from the dongle's return on
    bool updateModeSent;
};

TEST(McuPathTest, TheMcuIsUpdatedWithOrWithoutItsUpdateMode) {
    const McuCase cases[] = {
        {"patch version 3",
         R"({"headset": {"mcu": {"patch": 3}}})",
         {10, 11, 12, 13, 14, 16},
         true},
        {"patch version 0", R"({"headset": {"mcu": {"patch": 0}}})", {10, 12, 13, 14, 16}, false},
        {"no answer",
         R"({"headset": {"mcu": {"answersVersion": false}}})",
         {10, 12, 13, 14, 16},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(c.scenario);
        rig.options().m_SkipMCU = false;
        rig.start();
        EXPECT_EQ(rig.dialog.progressMaximum(), 196u + 630u + 900u);
        ASSERT_TRUE(rig.runUpdate());
        const auto states = rig.statesEntered();
        ASSERT_GE(states.size(), c.tail.size());
        EXPECT_EQ(std::vector<int>(states.end() - static_cast<long>(c.tail.size()), states.end()),
                  c.tail);
        EXPECT_EQ(rig.dialog.progressPosition(), 196 + 630 + 900);
        EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(134)));
        EXPECT_TRUE(rig.world().headset().errors().empty())
            << rig.world().headset().errors().front();
        EXPECT_EQ(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
    }
}

TEST(McuPathTest, TheTestSwitchLetsTheWatchdogFireAndTheRetrySendsUpdateModeAgain) {
    UpdateRig rig(R"({"headset": {"mcu": {"patch": 0}}})");
    rig.options().m_SkipMCU = false;
    rig.options().m_TestMCURetry = true;
    rig.start();
    rig.pressStart();
    // Version 0 goes straight to the transfer: state 11, where the switch acts, is never entered.
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_SUCCESS, 30min));
    EXPECT_TRUE(rig.options().m_TestMCURetry);

    UpdateRig retry(R"({"headset": {"mcu": {"patch": 5}}})");
    retry.options().m_SkipMCU = false;
    retry.options().m_TestMCURetry = true;
    retry.start();
    retry.pressStart();
    ASSERT_TRUE(retry.runUntilState(DFU_STATE_WAIT_MCU, 30min));
    ASSERT_TRUE(retry.runUntilState(DFU_STATE_FAILED, 31s));
    EXPECT_FALSE(retry.options().m_TestMCURetry);
    EXPECT_EQ(retry.dlg().failedRetries(), 1u);
    // The headset is back and present: the user replugs it, and the run goes on to success.
    retry.world().headset().unplug();
    retry.runFor(2s);
    retry.world().headset().plug();
    ASSERT_TRUE(retry.runUntilState(DFU_STATE_SUCCESS, 30min));
    EXPECT_TRUE(memoryHolds(retry.world().headset().mcuFlash(), embeddedImage(134)));
}

TEST(McuPathTest, AFailedMcuPacketIsRetriedAfterASecondUntilTheLimit) {
    // The 10th data block's answer is lost twice: two retries, then success.
    UpdateRig rig(R"({"headset": {"mcu": {"patch": 0}},
                      "faults": [{"target": "mcu", "prefix": "06 BB 03 03", "at": 10, "times": 2,
                                  "action": "drop-answer"}]})");
    rig.options().m_SkipMCU = false;
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_EQ(rig.dlg().failedRetries(), 2u);
    EXPECT_EQ(rig.countTraced("FAILED PACKET:\n"), 2);
    EXPECT_TRUE(rig.traced("    Response: "));
    EXPECT_FALSE(rig.dlg().mcuRetry());
    EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(134)));

    // Every answer lost: five retries, then the failure state with the MCU retry flag set.
    UpdateRig limit(R"({"headset": {"mcu": {"patch": 0}},
                        "faults": [{"target": "mcu", "prefix": "06 BB 03 03", "at": 10,
                                    "times": "always", "action": "drop-answer"}]})");
    limit.options().m_SkipMCU = false;
    limit.start();
    limit.pressStart();
    ASSERT_TRUE(limit.runUntilState(DFU_STATE_FAILED, 30min));
    EXPECT_TRUE(limit.traced("Retrying MCU firmware update\n"));
    EXPECT_TRUE(limit.dlg().mcuRetry());
    EXPECT_EQ(limit.dlg().failedRetries(), 1u);
    EXPECT_EQ(limit.countTraced("FAILED PACKET:\n"), 5);
}

TEST(McuPathTest, AnMcuAnswerWithABadChecksumDoesNotMatch) {
    UpdateRig rig(R"({"headset": {"mcu": {"patch": 0}},
                      "faults": [{"target": "mcu", "prefix": "06 BB 03 03", "at": 4,
                                  "action": "corrupt-answer", "byte": 3}]})");
    rig.options().m_SkipMCU = false;
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_EQ(rig.countTraced("FAILED PACKET:\n"), 1);
}

}  // namespace
}  // namespace zeltor::test
