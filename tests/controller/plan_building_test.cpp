// The controller builds each chip's plan once per run and says so in the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controller/update_rig.h"

namespace zeltor::test {
namespace {

// Whether `lines` holds `wanted` one right after the other.
bool holdsInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    return std::search(lines.begin(), lines.end(), wanted.begin(), wanted.end()) != lines.end();
}

TEST(PlanBuildingTest, EachPlanIsBuiltOnceAndTheLogNamesTheBuild) {
    UpdateRig rig;
    rig.start();
    ASSERT_TRUE(rig.runUpdate());
    EXPECT_TRUE(holdsInOrder(rig.traceLines(),
                             {"CBrennicDFUDlg::buildAvneraHeadsetFirmwareUpdate\n",
                              "CBrennicDFUDlg::buildAvneraFirmwareUpdate\n",
                              "  Available RAM for download is 13219. DFU file is 20396 bytes\n"}));
    EXPECT_TRUE(holdsInOrder(rig.traceLines(), {"CBrennicDFUDlg::buildAvneraDongleFirmwareUpdate\n",
                                                "CBrennicDFUDlg::buildAvneraFirmwareUpdate\n"}));

    // A plan built earlier in the run is kept, and nothing is planned again.
    const PacketQueue headset = rig.dlg().headsetPlan();
    const PacketQueue dongle = rig.dlg().donglePlan();
    const auto lines = rig.traceLines().size();
    EXPECT_TRUE(rig.dlg().buildAvneraHeadsetFirmwareUpdate());
    EXPECT_TRUE(rig.dlg().buildAvneraDongleFirmwareUpdate());
    EXPECT_EQ(rig.dlg().headsetPlan(), headset);
    EXPECT_EQ(rig.dlg().donglePlan(), dongle);
    const std::vector<std::string> again(rig.traceLines().begin() + lines, rig.traceLines().end());
    EXPECT_EQ(again, (std::vector<std::string>{"CBrennicDFUDlg::buildAvneraHeadsetFirmwareUpdate\n",
                                               "CBrennicDFUDlg::buildAvneraFirmwareUpdate\n",
                                               "CBrennicDFUDlg::buildAvneraDongleFirmwareUpdate\n",
                                               "CBrennicDFUDlg::buildAvneraFirmwareUpdate\n"}));
}

TEST(PlanBuildingTest, AMissingImageIsAnAssertionAndNoPlan) {
    // The regional variant carries no built-in images.
    UpdateRig rig;
    rig.options().m_Tesmoray = true;
    rig.start();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_READY));
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED));
    EXPECT_TRUE(
        holdsInOrder(rig.traceLines(), {"CBrennicDFUDlg::buildAvneraHeadsetFirmwareUpdate\n",
                                        "CBrennicDFUDlg::buildAvneraFirmwareUpdate\n"}));
    const auto asserted = std::count_if(
        rig.traceLines().begin(), rig.traceLines().end(), [](const std::string& line) {
            return line.ends_with("): ASSERT FAILURE! Expression: false\n");
        });
    EXPECT_GE(asserted, 2);
    EXPECT_TRUE(rig.dlg().headsetPlan().empty());
    EXPECT_TRUE(rig.dlg().donglePlan().empty());
}

}  // namespace
}  // namespace zeltor::test
