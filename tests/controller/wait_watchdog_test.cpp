// Waits for a device to come back end after three minutes: a chip that never returns leaves a
// failure the user can close or retry, never a window that cannot be closed.
#include <gtest/gtest.h>

#include "controller/update_rig.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

struct WaitCase {
    const char* name;
    const char* target;  // the collection whose restart does not end
    const char* prefix;  // the report that starts that restart
    int waitingState;
    bool mcu;
    const char* trace;
};

const WaitCase kWaits[] = {
    {"headset bootloader", "headset", "FF 02 00 0A", DFU_STATE_WAIT_HEADSET_BOOTLOADER, false,
     "Device wait: the headset bootloader did not attach within 180 s\n"},
    {"headset back from its bootloader", "headset-bootloader", "FF 02 00 05",
     DFU_STATE_UPDATE_HEADSET, false,
     "Device wait: the headset did not come back in application mode within 180 s\n"},
    {"dongle bootloader", "dongle", "FF 02 00 0A", DFU_STATE_WAIT_DONGLE_BOOTLOADER, false,
     "Device wait: the dongle bootloader did not attach within 180 s\n"},
    {"dongle back from its bootloader", "dongle-bootloader", "FF 02 00 05", DFU_STATE_UPDATE_DONGLE,
     false, "Device wait: the dongle did not come back in application mode within 180 s\n"},
    {"headset and MCU after the MCU transfer", "mcu", "06 88 02", DFU_STATE_WAIT_REATTACH, true,
     "Device wait: the headset and its MCU did not come back within 180 s\n"},
};

std::string scenario(const WaitCase& c, const std::string& action) {
    return std::string(R"({"faults": [{"target": ")") + c.target + R"(", "prefix": ")" + c.prefix +
           R"(", "action": )" + action + "}]}";
}

SimDevice& deviceOf(UpdateRig& rig, const WaitCase& c) {
    return std::string(c.target).rfind("dongle", 0) == 0 ? rig.world().dongle()
                                                         : rig.world().headset();
}

TEST(WaitWatchdogTest, ADeviceThatNeverComesBackEndsTheWaitInAFailureAfterThreeMinutes) {
    for (const auto& c : kWaits) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(scenario(c, R"("no-return")"));
        rig.options().m_SkipMCU = !c.mcu;
        rig.start();
        rig.pressStart();
        // The device has left by the time its restart starts; from then on only the limit runs.
        ASSERT_TRUE(rig.dialog.runUntil(
            [&] { return rig.dlg().state() == c.waitingState && !deviceOf(rig, c).onBus(); },
            30min));
        const auto leftAt = rig.scheduler.now();
        EXPECT_FALSE(rig.dlg().canClose());
        ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED, 10min));
        const auto waited = rig.scheduler.now() - leftAt;
        EXPECT_GE(waited, 177s);
        EXPECT_LE(waited, 180s);
        EXPECT_TRUE(rig.traced(c.trace));
        EXPECT_EQ(rig.dlg().failedRetries(), 1u);
        EXPECT_TRUE(rig.inProgressFlag());
        // The device is gone, so the run goes back to waiting for it, where closing is allowed.
        ASSERT_TRUE(rig.runUntilState(DFU_STATE_WAIT_DEVICES, 1s));
        EXPECT_TRUE(rig.dlg().canClose());
        rig.runFor(10min);
        EXPECT_EQ(rig.dlg().state(), DFU_STATE_WAIT_DEVICES);

        // The user plugs the device in again: it comes up in the mode it was going to. Its
        // arrival looks like a late return by itself, so the dialog offers Start rather than
        // flashing on its own; pressed, the update runs to its end from there.
        deviceOf(rig, c).unplug();
        deviceOf(rig, c).plug();
        ASSERT_TRUE(rig.runUntilState(DFU_STATE_READY, 1min));
        EXPECT_TRUE(rig.control(IDC_START).visible);
        EXPECT_TRUE(rig.traced(
            "  The last attempt failed and no device was unplugged since: Start is offered "
            "again\n"));
        rig.pressStart();
        ASSERT_TRUE(rig.runUntilState(DFU_STATE_SUCCESS, 30min));
        EXPECT_TRUE(
            memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
        EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
        EXPECT_EQ(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
        EXPECT_FALSE(rig.inProgressFlag());
    }
}

TEST(WaitWatchdogTest, ADeviceThatComesBackJustInsideTheLimitCarriesOn) {
    for (const auto& c : kWaits) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(scenario(c, R"("late-return", "delayMs": 175000)"));
        rig.options().m_SkipMCU = !c.mcu;
        rig.start();
        ASSERT_TRUE(rig.runUpdate());
        EXPECT_GE(rig.scheduler.now(), 175s);
        EXPECT_EQ(rig.dlg().failedRetries(), 0u);
        EXPECT_FALSE(rig.traced("Device wait: "));
        EXPECT_FALSE(rig.dialog.timerRunning(DFU_TIMER_DEVICE_WAIT));
    }
}

TEST(WaitWatchdogTest, EveryWaitStartsItsOwnThreeMinutes) {
    // Each device takes almost the whole limit to come back, every time: the limit of one wait
    // is not carried into the next.
    UpdateRig rig(R"({"faults": [
        {"target": "headset", "prefix": "FF 02 00 0A", "action": "late-return", "delayMs": 170000},
        {"target": "headset-bootloader", "prefix": "FF 02 00 05", "action": "late-return",
         "delayMs": 170000},
        {"target": "dongle", "prefix": "FF 02 00 0A", "action": "late-return", "delayMs": 170000},
        {"target": "dongle-bootloader", "prefix": "FF 02 00 05", "action": "late-return",
         "delayMs": 170000}]})");
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_GE(rig.scheduler.now(), 4 * 170s);
    EXPECT_EQ(rig.dlg().failedRetries(), 0u);
}

}  // namespace
}  // namespace zeltor::test
