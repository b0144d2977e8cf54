// Updates that are interrupted, and how the next attempt picks them up.
#include <gtest/gtest.h>

#include "controller/update_rig.h"
#include "host/update_flag.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

TEST(RecoveryTest, AHeadsetLeftInItsBootloaderIsAcceptedAndUpdated) {
    UpdateRig rig(R"({"headset": {"mode": "bootloader"}})");
    setUpdateInProgress(rig.host, true);  // the earlier run never finished
    rig.options().m_Force = false;
    rig.start();
    EXPECT_TRUE(g_LastUpdateFailed);
    ASSERT_EQ(rig.dlg().state(), DFU_STATE_READY);
    ASSERT_TRUE(rig.runUpdate());
    // State 4 found the bootloader already there: no bootloader command was needed.
    EXPECT_EQ(rig.statesEntered(), kUpdateStatesWithoutMcu);
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
    EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
    EXPECT_FALSE(rig.inProgressFlag());
}

TEST(RecoveryTest, WithoutTheFlagABootloaderIsNotEnoughToStart) {
    UpdateRig rig(R"({"headset": {"mode": "bootloader"}})");
    rig.options().m_Force = false;
    rig.start();
    EXPECT_EQ(rig.dlg().state(), DFU_STATE_WAIT_DEVICES);
    EXPECT_TRUE(rig.traced("  Waiting on Zeltor headset\n"));
    EXPECT_FALSE(rig.traced("  Waiting on Zeltor dongle\n"));
}

TEST(RecoveryTest, TheFlagOfAFailedRunForcesTheNextRun) {
    // The first run loses the headset bootloader for good in the middle of its transfer.
    UpdateRig rig(
        R"({"faults": [{"target": "headset-bootloader", "at": 50, "action": "unplug"}]})");
    rig.options().m_Force = false;
    rig.start();
    rig.options().m_Force = true;  // the product's default for the first run
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_WAIT_DEVICES));
    rig.runFor(1min);
    EXPECT_TRUE(rig.inProgressFlag());
    rig.stopProgram();

    // The user plugs the headset in again and starts the tool once more, without /FORCE.
    rig.world().headset().plug();
    rig.options() = RunOptions{};
    rig.options().m_Force = false;
    rig.start();
    EXPECT_TRUE(g_LastUpdateFailed);
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_TRUE(rig.traced("isZeltorUpToDate: force=0, failed=1, isUpToDate=0\n"));
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
    EXPECT_FALSE(rig.inProgressFlag());
}

struct RemovalCase {
    const char* name;
    const char* scenario;
};

// Each device leaves once between two packets while the run needs it; the user plugs it in again
// after 5 s.
TEST(RecoveryTest, UnexpectedRemovalsResumeFromTheFirstPacketAndSucceed) {
    const RemovalCase cases[] = {
        {"dongle unplugged during the headset transfer",
         R"({"faults": [{"target": "dongle", "afterMs": 5000, "action": "unplug",
             "replugAfterMs": 5000}]})"},
        {"headset unplugged during the dongle transfer",
         R"({"faults": [{"target": "headset", "afterMs": 10000, "at": 2, "action": "unplug",
             "replugAfterMs": 5000}]})"},
        {"headset bootloader unplugged with packets left",
         R"({"faults": [{"target": "headset-bootloader", "afterMs": 3000, "action": "unplug",
             "replugAfterMs": 5000}]})"},
        {"dongle bootloader unplugged with packets left",
         R"({"faults": [{"target": "dongle-bootloader", "afterMs": 10000, "action": "unplug",
             "replugAfterMs": 5000}]})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(c.scenario);
        rig.start();
        ASSERT_TRUE(rig.runUpdate()) << ::testing::PrintToString(rig.statesEntered());
        EXPECT_TRUE(rig.traced("  Unexpected removal\n"));
        EXPECT_EQ(rig.dlg().failedRetries(), 0u);
        EXPECT_TRUE(
            memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
        EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
        EXPECT_EQ(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
        // The run went back to waiting and started again from state 2.
        const auto states = rig.statesEntered();
        EXPECT_GE(std::count(states.begin(), states.end(), DFU_STATE_CHECK_VERSIONS), 2);
    }
}

}  // namespace
}  // namespace zeltor::test
