// When the dialog may close, and what closing does with the companion program.
#include <gtest/gtest.h>

#include "controller/update_rig.h"
#include "host/companion.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

void runCompanion(UpdateRig& rig) {
    rig.host.processes = {{42, "Qumbit.exe", "C:\\Program Files\\Halvorix\\Qumbit.exe"}};
    rig.host.namedEvents.insert(kCompanionShutdownEvent);
}

TEST(ClosingTest, CloseIsRefusedWhileAnUpdateStepIsUnderWay) {
    UpdateRig rig;
    runCompanion(rig);
    rig.start();
    EXPECT_TRUE(rig.dlg().qumbitStopped());
    rig.pressStart();
    // Entering the dongle bootloader and pairing pass straight on within one step.
    for (const DfuState state :
         {DFU_STATE_CHECK_VERSIONS, DFU_STATE_ENTER_HEADSET_BOOTLOADER,
          DFU_STATE_WAIT_HEADSET_BOOTLOADER, DFU_STATE_UPDATE_HEADSET,
          DFU_STATE_WAIT_DONGLE_BOOTLOADER, DFU_STATE_UPDATE_DONGLE, DFU_STATE_PREPARE_MCU}) {
        ASSERT_TRUE(rig.runUntilState(state, 10min)) << dfuStateName(state);
        rig.dlg().OnCancel();
        rig.dlg().OnOK();
        EXPECT_FALSE(rig.dialog.ended()) << dfuStateName(state);
    }
    for (const DfuState state : {DFU_STATE_STARTING, DFU_STATE_WAIT_MCU, DFU_STATE_UPDATE_MCU,
                                 DFU_STATE_WAIT_REATTACH, DFU_STATE_RESERVED}) {
        rig.dlg().SwitchToState(state);
        EXPECT_FALSE(rig.dlg().canClose()) << dfuStateName(state);
    }
    EXPECT_TRUE(rig.host.launches.empty());
}

struct CloseCase {
    DfuState state;
    bool restarted;
};

TEST(ClosingTest, CloseIsHonouredInTheClosableStatesAndRestartsTheCompanion) {
    const CloseCase cases[] = {{DFU_STATE_WAIT_DEVICES, true},
                               {DFU_STATE_READY, false},
                               {DFU_STATE_SUCCESS, true},
                               {DFU_STATE_UP_TO_DATE, true},
                               {DFU_STATE_FAILED, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(dfuStateName(c.state));
        UpdateRig rig;
        runCompanion(rig);
        rig.start();
        rig.dlg().SwitchToState(c.state);
        rig.dlg().OnCancel();
        EXPECT_TRUE(rig.dialog.ended());
        EXPECT_EQ(rig.dialog.endResult(), IDCANCEL);
        ASSERT_EQ(rig.host.launches.size(), c.restarted ? 1u : 0u);
        if (c.restarted) {
            // Through the desktop, without this process's rights, with the shell's default verb.
            EXPECT_EQ(rig.host.launches[0].file, "C:\\Program Files\\Halvorix\\Qumbit.exe");
            EXPECT_EQ(rig.host.launches[0].arguments, "");
            EXPECT_EQ(rig.host.launches[0].directory, "");
            EXPECT_EQ(rig.host.launches[0].operation, "");
            EXPECT_EQ(rig.host.launches[0].show, 1);
        }
    }
}

TEST(ClosingTest, ACompanionThatWasNotRunningIsNotStarted) {
    UpdateRig rig;
    rig.start();
    EXPECT_FALSE(rig.dlg().qumbitStopped());
    rig.dlg().SwitchToState(DFU_STATE_SUCCESS);
    rig.dlg().OnOK();
    EXPECT_TRUE(rig.dialog.ended());
    EXPECT_TRUE(rig.host.launches.empty());
}

TEST(ClosingTest, UnknownAndReservedStatesAreOnlyRecorded) {
    UpdateRig rig;
    rig.start();
    const auto before = rig.control(IDC_INSTRUCTIONS).text;
    for (const DfuState state :
         {DFU_STATE_RESERVED, static_cast<DfuState>(19), static_cast<DfuState>(-1)}) {
        rig.dlg().SwitchToState(state);
        EXPECT_EQ(rig.dlg().state(), state);
        EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text, before);
    }
    // A step tick in a state that does not pump does nothing.
    rig.dlg().OnTimer(DFU_TIMER_STEP);
    EXPECT_EQ(rig.dlg().state(), -1);
}

TEST(ClosingTest, TheDriverGuardRunsOnOldPlatformsOnly) {
    for (const auto& [minor, guarded] : {std::pair{1u, true}, {2u, false}}) {
        UpdateRig rig;
        rig.host.osMajor = 6;
        rig.host.osMinor = minor;
        rig.start();
        EXPECT_EQ(rig.traced("Attempting to set automatic driver updates (disable=1)\n"), guarded);
        rig.stopProgram();
        EXPECT_EQ(rig.traced("Attempting to set automatic driver updates (disable=0)\n"), guarded);
    }
}

}  // namespace
}  // namespace zeltor::test
