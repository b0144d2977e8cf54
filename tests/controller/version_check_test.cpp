// The up-to-date decision when the run is not forced.
#include <gtest/gtest.h>

#include "controller/update_rig.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

struct VersionCase {
    const char* name;
    const char* scenario;
    bool upToDate;
    std::vector<std::string> asked;  // the lines that show which device was asked
};

TEST(VersionCheckTest, DevicesAreAskedInOrderUntilOneIsNotCurrent) {
    const VersionCase cases[] = {
        {"all current",
         R"({"headset": {"version": "T1.01.02", "mcu": {"patch": 3}}, "dongle": {"version": "T1.02.00"}})",
         true,
         {"Brennic: MCU version=3\n"}},
        {"MCU patch 0 stops the questions",
         R"({"headset": {"mcu": {"patch": 0}}})",
         false,
         {"Brennic: MCU version=0\n"}},
        {"headset major 0",
         R"({"headset": {"version": "T1.00.07", "mcu": {"patch": 3}}})",
         false,
         {"Brennic: MCU version=3\n"}},
        {"MCU silent",
         R"({"headset": {"mcu": {"answersVersion": false}}})",
         false,
         {"Brennic: failed to get MCU version (attempt=1)\n",
          "Brennic: failed to get MCU version (attempt=5)\n", "Brennic: failed to get version\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(c.scenario);
        rig.options().m_Force = false;
        rig.start();
        ASSERT_EQ(rig.dlg().state(), DFU_STATE_READY);
        rig.pressStart();
        if (c.upToDate) {
            ASSERT_TRUE(rig.runUntilState(DFU_STATE_UP_TO_DATE, 1min));
            EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text,
                      "Your device has firmware version 112.2.212 or higher. No update is needed.");
            EXPECT_TRUE(rig.control(IDC_CLOSE).visible);
            EXPECT_FALSE(rig.inProgressFlag());
        } else {
            ASSERT_TRUE(rig.runUntilState(DFU_STATE_ENTER_HEADSET_BOOTLOADER, 1min));
        }
        for (const auto& line : c.asked) {
            EXPECT_TRUE(rig.traced(line)) << line;
        }
        EXPECT_TRUE(rig.traced(std::string("isZeltorUpToDate: force=0, failed=0, isUpToDate=") +
                               (c.upToDate ? "1" : "0") + "\n"));
    }
}

TEST(VersionCheckTest, AForcedRunAsksNoDevice) {
    UpdateRig rig;
    rig.start();
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_ENTER_HEADSET_BOOTLOADER, 1min));
    EXPECT_TRUE(rig.traced("isZeltorUpToDate: force=1, failed=0, isUpToDate=0\n"));
    EXPECT_FALSE(rig.traced("Brennic: MCU version=12\n"));
}

}  // namespace
}  // namespace zeltor::test
