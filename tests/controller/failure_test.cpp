// Failed packets: counting, the texts the user sees, and how the run starts again.
#include <gtest/gtest.h>

#include "controller/update_rig.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

const std::string kReplugText =
    "An error occurred. Please unplug and replug your headset and USB receiver and retry.";

// The headset bootloader refuses its 10th report of every attempt; nothing else goes wrong.
constexpr const char* kEveryAttemptFails =
    R"({"faults": [{"target": "headset-bootloader", "prefix": "E4", "at": 3, "times": "always",
        "action": "refuse"}]})";

TEST(FailureTest, AFailedPacketWithDevicesPresentAsksForAReplug) {
    UpdateRig rig(kEveryAttemptFails);
    rig.start();
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED));
    EXPECT_EQ(rig.dlg().failedRetries(), 1u);
    EXPECT_TRUE(rig.traced("HidD_SetFeature returned 31\n"));
    EXPECT_TRUE(rig.traced("FAILED PACKET:\n"));
    EXPECT_TRUE(rig.traced("    PacketType: 5\n"));
    EXPECT_TRUE(rig.traced("Entered DFU_STATE_FAILED. Failed retries = 1\n"));
    EXPECT_TRUE(rig.options().m_Force);
    // The dump's request has no "Response:" line: Avnera packets await no answer.
    EXPECT_FALSE(rig.traced("    Response: "));
    rig.runFor(1min);
    // The headset is still in its bootloader, which the forced rule counts as present.
    EXPECT_EQ(rig.dlg().state(), DFU_STATE_FAILED);
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text, kReplugText);
    EXPECT_TRUE(rig.control(IDC_STATUS_LINK).visible);
    EXPECT_EQ(rig.control(IDC_STATUS_LINK).text,
              "<a href=\"https://support.halvorix.com/en_us/article/"
              "Recover-a-non-responsive-Brennic-gaming-headset\">Zeltor Headset Troubleshooting "
              "FAQ</a>");
    EXPECT_FALSE(rig.control(IDC_PROGRESS).visible);
    EXPECT_TRUE(rig.inProgressFlag());
    EXPECT_FALSE(rig.dialog.timerRunning(DFU_TIMER_STEP));

    // The link opens the article through the desktop, without this process's rights.
    rig.dlg().OnStatusLinkClick("https://support.halvorix.com/x");
    ASSERT_EQ(rig.host.launches.size(), 1u);
    EXPECT_EQ(rig.host.launches[0].operation, "open");
}

TEST(FailureTest, TheSixthFailureShowsCustomerCareAndOnlyUnpluggingRetries) {
    UpdateRig rig(kEveryAttemptFails);
    rig.start();
    rig.pressStart();
    for (std::uint32_t failure = 1; failure <= 6; ++failure) {
        SCOPED_TRACE(failure);
        ASSERT_TRUE(
            rig.dialog.runUntil([&] { return rig.dlg().failedRetries() == failure; }, 10min));
        rig.runFor(1min);
        ASSERT_EQ(rig.dlg().state(), DFU_STATE_FAILED);
        if (failure < 6) {
            EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text, kReplugText);
            // The user unplugs the headset (its bootloader) and plugs it in again.
            rig.world().headset().unplug();
            rig.runFor(2s);
            rig.world().headset().plug();
        }
    }
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text,
              "An error occurred. Please contact Customer Care for further assistance at "
              "https://support.halvorix.com.");
    // Even now, the dialog may be closed.
    EXPECT_TRUE(rig.dlg().canClose());
}

TEST(FailureTest, AFailureWithADeviceMissingRetriesOnItsOwn) {
    // The headset bootloader is pulled as its 20th report comes and is plugged in 10 s later.
    UpdateRig rig(R"({"faults": [{"target": "headset-bootloader", "at": 20, "action": "unplug",
                      "replugAfterMs": 10000}]})");
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_EQ(rig.dlg().failedRetries(), 1u);
    const auto states = rig.statesEntered();
    // Failed, waited for the devices, and went straight to the update: Start was pressed.
    const auto failed = std::find(states.begin(), states.end(), DFU_STATE_FAILED);
    ASSERT_NE(failed, states.end());
    EXPECT_EQ(std::vector<int>(failed, failed + 3), (std::vector<int>{18, 1, 2}));
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(132)));
}

TEST(FailureTest, RandomFailsStillEndInACompleteUpdate) {
    UpdateRig rig;
    rig.options().m_RandomFails = true;
    rig.random.seed(7);
    rig.start();
    rig.pressStart();
    // Each failure is followed by the user's replug, as the dialog asks.
    for (int round = 0; round < 20 && rig.dlg().state() != DFU_STATE_SUCCESS; ++round) {
        rig.dialog.runUntil(
            [&] {
                return rig.dlg().state() == DFU_STATE_SUCCESS ||
                       rig.dlg().state() == DFU_STATE_FAILED;
            },
            30min);
        if (rig.dlg().state() == DFU_STATE_FAILED) {
            rig.runFor(1min);
            rig.world().headset().unplug();
            rig.runFor(2s);
            rig.world().headset().plug();
            rig.runFor(5s);
        }
    }
    EXPECT_TRUE(rig.traced("Generating random (headset) fail.\n") ||
                rig.traced("Generating random (dongle) fail.\n"));
    // Past five failures the tool stops retrying by itself; either way it never claims a
    // success it did not reach.
    if (rig.dlg().state() == DFU_STATE_SUCCESS) {
        EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(132)));
        EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(131)));
    }
}

}  // namespace
}  // namespace zeltor::test
