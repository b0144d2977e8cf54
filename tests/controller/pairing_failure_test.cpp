// A pairing that cannot reach both devices is a failure the user retries, never one the tool
// retries by itself.
#include <gtest/gtest.h>

#include <algorithm>

#include "controller/update_rig.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

// The dongle refuses its pairing id report every time.
constexpr const char* kDongleRefusesPairing =
    R"({"faults": [{"target": "dongle", "prefix": "FF 0D 00 FF 04 00 00 08 0E", "times": "always",
        "action": "refuse"}]})";

int headsetTransfers(const UpdateRig& rig) {
    const auto states = rig.statesEntered();
    return static_cast<int>(std::count(states.begin(), states.end(), DFU_STATE_UPDATE_HEADSET));
}

TEST(PairingFailureTest, AFailedPairingWaitsForTheUserAndNeverReflashesByItself) {
    UpdateRig rig(kDongleRefusesPairing);
    rig.start();
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED, 10min));
    EXPECT_TRUE(rig.traced(
        "  Pairing id could not be delivered to the dongle; the devices are not reset\n"));
    EXPECT_TRUE(rig.inProgressFlag());
    // The chips were updated and stay as they are: in application mode, not reset, on the bus.
    EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
    EXPECT_TRUE(rig.world().headset().onBus());
    EXPECT_TRUE(rig.world().dongle().onBus());

    // Nobody touches anything: nothing more happens.
    const auto statesBefore = rig.statesEntered().size();
    rig.runFor(30min);
    EXPECT_EQ(rig.statesEntered().size(), statesBefore);
    EXPECT_EQ(headsetTransfers(rig), 1);
    EXPECT_EQ(rig.dlg().state(), DFU_STATE_FAILED);
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text,
              "An error occurred. Please unplug and replug your headset and USB receiver and "
              "retry.");
    EXPECT_TRUE(rig.dlg().canClose());

    // Each replug retries once; from the sixth failure on the text is customer care, and still
    // nothing flashes by itself.
    for (std::uint32_t failure = 2; failure <= 6; ++failure) {
        SCOPED_TRACE(failure);
        rig.replugHeadset();
        ASSERT_TRUE(
            rig.dialog.runUntil([&] { return rig.dlg().failedRetries() == failure; }, 10min));
        const auto settled = rig.statesEntered().size();
        rig.runFor(30min);
        EXPECT_EQ(rig.statesEntered().size(), settled);
        EXPECT_EQ(headsetTransfers(rig), static_cast<int>(failure));
    }
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text,
              "An error occurred. Please contact Customer Care for further assistance at "
              "https://support.halvorix.com.");
    EXPECT_NE(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
    EXPECT_TRUE(rig.dlg().canClose());
}

TEST(PairingFailureTest, OnceThePairingGoesThroughTheRetryEndsInSuccess) {
    // The dongle refuses its pairing id once; the user's replug retries and the pairing holds.
    UpdateRig rig(R"({"faults": [{"target": "dongle", "prefix": "FF 0D 00 FF 04 00 00 08 0E",
                      "action": "refuse"}]})");
    rig.start();
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED, 10min));
    rig.runFor(5min);
    EXPECT_EQ(rig.dlg().state(), DFU_STATE_FAILED);
    rig.replugHeadset();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_SUCCESS, 30min));
    EXPECT_EQ(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
    EXPECT_FALSE(rig.inProgressFlag());
    EXPECT_EQ(headsetTransfers(rig), 2);
}

}  // namespace
}  // namespace zeltor::test
