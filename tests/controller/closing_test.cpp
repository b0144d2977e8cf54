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
    // 7 and 14 pass straight on to 8 and 16 within one step.
    for (const int state : {2, 4, 5, 6, 8, 9, 10}) {
        ASSERT_TRUE(rig.runUntilState(state, 10min)) << state;
        rig.dlg().OnCancel();
        rig.dlg().OnOK();
        EXPECT_FALSE(rig.dialog.ended()) << state;
    }
    for (const int state : {0, 11, 12, 13, 15}) {
        rig.dlg().SwitchToState(state);
        EXPECT_FALSE(rig.dlg().canClose()) << state;
    }
    EXPECT_TRUE(rig.host.launches.empty());
}

struct CloseCase {
    int state;
    bool restarted;
};

TEST(ClosingTest, CloseIsHonouredInTheClosableStatesAndRestartsTheCompanion) {
    const CloseCase cases[] = {{1, true}, {3, false}, {16, true}, {17, true}, {18, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
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
    for (const int state : {15, 19, -1}) {
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
