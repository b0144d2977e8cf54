// The default run, told from start to success, and what the dialog shows on the way.
#include <gtest/gtest.h>

#include "controller/update_rig.h"
#include "ui/dialog_controls.h"
#include "ui/product_text.h"
#include "ui/string_ids.h"

namespace zeltor::test {
namespace {

TEST(DefaultRunTest, BothChipsAreUpdatedPairedAndTheFlagIsClearedAtTheEnd) {
    UpdateRig rig;
    rig.start();
    // Start-up: the texts are set, both devices found, Start offered.
    ASSERT_EQ(rig.dlg().state(), DFU_STATE_READY);
    EXPECT_EQ(rig.control(IDC_DIALOG).text, "Halvorix Zeltor Wireless Update Tool 112.2.212");
    EXPECT_EQ(rig.control(IDC_RELEASE_NOTES).lines,
              std::vector<std::string>{"* " + LoadProductStringForLanguage(2000, 1033)});
    EXPECT_EQ(rig.control(IDC_CLOSE).text, "Close");
    EXPECT_FALSE(rig.control(IDC_CLOSE).visible);
    EXPECT_TRUE(rig.control(IDC_START).visible);
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text, "");
    EXPECT_TRUE(rig.control(IDC_INSTRUCTIONS).bold);
    EXPECT_FALSE(rig.control(IDC_STATUS_LINK).visible);
    EXPECT_EQ(rig.control(IDC_DEVICE_ICON).picture, IDI_REGULAR_HEADSET);
    EXPECT_EQ(rig.dialog.chooserRuns(), 1);
    EXPECT_EQ(rig.dialog.progressMaximum(), 196u + 630u);

    rig.pressStart();
    EXPECT_FALSE(rig.control(IDC_START).visible);
    EXPECT_TRUE(rig.control(IDC_PROGRESS).visible);
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text,
              "Updating firmware. Do not unplug your Zeltor Wireless.");

    ASSERT_TRUE(rig.runUntilState(DFU_STATE_UPDATE_HEADSET));
    EXPECT_TRUE(rig.inProgressFlag());
    EXPECT_EQ(rig.control(IDC_STATUS_LINK).text, "Updating USB headset (wireless)");
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_UPDATE_DONGLE));
    EXPECT_EQ(rig.dialog.progressPosition(), 196);
    EXPECT_EQ(rig.control(IDC_STATUS_LINK).text, "Updating USB receiver (wireless)");
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_SUCCESS));

    EXPECT_EQ(rig.statesEntered(), kUpdateStatesWithoutMcu);
    EXPECT_EQ(rig.dialog.progressPosition(), 826);
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text, "You have successfully updated the firmware.");
    EXPECT_TRUE(rig.control(IDC_CLOSE).visible);
    EXPECT_TRUE(rig.control(IDC_CLOSE).enabled);
    EXPECT_FALSE(rig.control(IDC_PROGRESS).visible);
    EXPECT_FALSE(rig.control(IDC_STATUS_LINK).visible);
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
    EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
    EXPECT_EQ(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
    EXPECT_TRUE(rig.world().headset().errors().empty());
    EXPECT_TRUE(rig.world().dongle().errors().empty());
    EXPECT_FALSE(rig.inProgressFlag());
    EXPECT_EQ(rig.dlg().failedRetries(), 0u);

    // The devices come back from their resets; nothing moves any more.
    rig.runFor(10s);
    EXPECT_EQ(rig.dlg().state(), DFU_STATE_SUCCESS);
    rig.dlg().OnCloseClicked();
    EXPECT_TRUE(rig.dialog.ended());
    EXPECT_EQ(rig.dialog.endResult(), IDOK);
}

TEST(DefaultRunTest, TheShroudPictureChoosesTheShroudImages) {
    UpdateRig rig;
    rig.dialog.setChooserAnswer(ChooserResult::Shroud);
    rig.start();
    EXPECT_TRUE(rig.options().m_Shroud);
    EXPECT_EQ(rig.control(IDC_DEVICE_ICON).picture, IDI_SHROUD_HEADSET);
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kShroudHeadsetImage)));
    EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kShroudDongleImage)));
}

TEST(DefaultRunTest, ShroudSwitchHoldsWhateverTheChooserSays) {
    for (const auto answer : {ChooserResult::Regular, ChooserResult::Closed}) {
        UpdateRig rig;
        rig.options().m_Shroud = true;
        rig.dialog.setChooserAnswer(answer);
        rig.start();
        EXPECT_TRUE(rig.options().m_Shroud);
        EXPECT_EQ(rig.control(IDC_DEVICE_ICON).picture, IDI_SHROUD_HEADSET);
    }
    UpdateRig rig;
    rig.dialog.setChooserAnswer(ChooserResult::Closed);
    rig.start();
    EXPECT_FALSE(rig.options().m_Shroud);
}

struct SkipCase {
    const char* name;
    bool RunOptions::*skip;
    std::uint32_t progress;
    std::vector<DfuState> states;
    bool headsetUpdated;
    bool dongleUpdated;
};

TEST(DefaultRunTest, SkippedPartsAreLeftAloneAndOutOfTheProgress) {
    const SkipCase cases[] = {
        {"skip headset",
         &RunOptions::m_SkipHeadset,
         630,
         {DFU_STATE_READY, DFU_STATE_CHECK_VERSIONS, DFU_STATE_ENTER_HEADSET_BOOTLOADER,
          DFU_STATE_ENTER_DONGLE_BOOTLOADER, DFU_STATE_WAIT_DONGLE_BOOTLOADER,
          DFU_STATE_UPDATE_DONGLE, DFU_STATE_PREPARE_MCU, DFU_STATE_PAIR, DFU_STATE_SUCCESS},
         false,
         true},
        {"skip dongle",
         &RunOptions::m_SkipDongle,
         196,
         {DFU_STATE_READY, DFU_STATE_CHECK_VERSIONS, DFU_STATE_ENTER_HEADSET_BOOTLOADER,
          DFU_STATE_WAIT_HEADSET_BOOTLOADER, DFU_STATE_UPDATE_HEADSET,
          DFU_STATE_ENTER_DONGLE_BOOTLOADER, DFU_STATE_PREPARE_MCU, DFU_STATE_PAIR,
          DFU_STATE_SUCCESS},
         true,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig;
        rig.options().*c.skip = true;
        rig.start();
        EXPECT_EQ(rig.dialog.progressMaximum(), c.progress);
        ASSERT_TRUE(rig.runUpdate());
        EXPECT_EQ(rig.statesEntered(), c.states);
        EXPECT_EQ(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)),
                  c.headsetUpdated);
        EXPECT_EQ(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)),
                  c.dongleUpdated);
        EXPECT_EQ(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
    }
}

TEST(DefaultRunTest, ANegativeTimerKeepsTheDefaultStepPeriod) {
    for (const auto& [timer, period] : {std::pair{0, 10}, {50, 50}, {-20, 10}}) {
        SCOPED_TRACE(timer);
        UpdateRig rig;
        rig.options().m_TimerMs = timer;
        rig.start();
        EXPECT_EQ(rig.dlg().stepPeriodMs(), static_cast<std::uint32_t>(period));
        // The period the step timer is armed with: the headset plan opens with four setup
        // writes, which take no time, so the fourth goes out four periods after state 6.
        rig.pressStart();
        ASSERT_TRUE(rig.runUntilState(DFU_STATE_UPDATE_HEADSET));
        const auto entered = rig.scheduler.now();
        ASSERT_TRUE(rig.dialog.runUntil([&] { return rig.dialog.progressPosition() == 4; }, 1s));
        EXPECT_EQ(rig.scheduler.now() - entered, 4 * std::chrono::milliseconds(period));
    }
}

TEST(DefaultRunTest, SleepIsHeldOffFromTheVersionCheckToThePairingOnly) {
    UpdateRig rig;
    rig.start();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_READY));
    EXPECT_TRUE(rig.host.sleepHeldOff) << "the version check holds it, and Ready is state 3";
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_UPDATE_DONGLE));
    EXPECT_TRUE(rig.host.sleepHeldOff);
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_SUCCESS));
    EXPECT_FALSE(rig.host.sleepHeldOff);

    // A failure lets the machine sleep again while it waits for the person.
    UpdateRig failing(R"({"faults": [{"target": "headset-bootloader", "prefix": "E4", "at": 3,
                          "action": "refuse"}]})");
    failing.start();
    ASSERT_TRUE(failing.runUntilState(DFU_STATE_READY));
    failing.pressStart();
    ASSERT_TRUE(failing.runUntilState(DFU_STATE_FAILED));
    EXPECT_FALSE(failing.host.sleepHeldOff);
}

TEST(DefaultRunTest, RegionalImagesAreMissingSoNoDeviceIsTouched) {
    UpdateRig rig;
    rig.options().m_Tesmoray = true;
    rig.start();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_READY));
    EXPECT_TRUE(rig.dlg().headsetPlan().empty());
    EXPECT_TRUE(rig.dlg().donglePlan().empty());
    EXPECT_TRUE(rig.dlg().mcuPlan().empty());
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED));
    rig.runFor(1min);
    EXPECT_TRUE(rig.traced("  No usable headset firmware image: the update cannot start\n"));
    EXPECT_TRUE(rig.traced("  No usable dongle firmware image: the update cannot start\n"));
    EXPECT_FALSE(rig.traced("CBrennicDFUDlg::enterAvneraHeadsetBootloaderMode\n"));
    // Both devices stay in their application firmware, untouched.
    EXPECT_EQ(rig.world().headset().mode(), SimDeviceMode::Application);
    EXPECT_EQ(rig.world().dongle().mode(), SimDeviceMode::Application);
    EXPECT_TRUE(rig.world().headset().onBus());
    EXPECT_FALSE(rig.inProgressFlag());
    EXPECT_EQ(
        rig.control(IDC_INSTRUCTIONS).text,
        "An error occurred. Please unplug and replug your headset and USB receiver and retry.");
}

}  // namespace
}  // namespace zeltor::test
