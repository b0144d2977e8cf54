// The audio MCU's part of the run, taken when the options do not skip it.
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

#include "controller/update_rig.h"
#include "ui/dialog_controls.h"

namespace zeltor::test {
namespace {

struct McuCase {
    const char* name;
    const char* scenario;
    std::vector<DfuState> tail;  // the states from the dongle's return on
    bool updateModeSent;
};

TEST(McuPathTest, TheMcuIsUpdatedWithOrWithoutItsUpdateMode) {
    const McuCase cases[] = {
        {"patch version 3",
         R"({"headset": {"mcu": {"patch": 3}}})",
         {DFU_STATE_PREPARE_MCU, DFU_STATE_WAIT_MCU, DFU_STATE_UPDATE_MCU, DFU_STATE_WAIT_REATTACH,
          DFU_STATE_PAIR, DFU_STATE_SUCCESS},
         true},
        {"patch version 0",
         R"({"headset": {"mcu": {"patch": 0}}})",
         {DFU_STATE_PREPARE_MCU, DFU_STATE_UPDATE_MCU, DFU_STATE_WAIT_REATTACH, DFU_STATE_PAIR,
          DFU_STATE_SUCCESS},
         false},
        {"no answer",
         R"({"headset": {"mcu": {"answersVersion": false}}})",
         {DFU_STATE_PREPARE_MCU, DFU_STATE_UPDATE_MCU, DFU_STATE_WAIT_REATTACH, DFU_STATE_PAIR,
          DFU_STATE_SUCCESS},
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
        EXPECT_EQ(
            std::vector<DfuState>(states.end() - static_cast<long>(c.tail.size()), states.end()),
            c.tail);
        EXPECT_EQ(rig.dialog.progressPosition(), 196 + 630 + 900);
        EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(kRegularMcuImage)));
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
    // The watchdog is armed as state 11 is entered and fires 30 s later to the millisecond,
    // although the headset came back after 3 s: the switch ignored its arrival.
    const auto armed = retry.scheduler.now();
    ASSERT_TRUE(retry.runUntilState(DFU_STATE_FAILED, 31s));
    EXPECT_EQ(retry.scheduler.now() - armed, 30s);
    EXPECT_FALSE(retry.options().m_TestMCURetry);
    EXPECT_EQ(retry.dlg().failedRetries(), 1u);
    // The headset is back and present: the user replugs it, and the run goes on to success.
    retry.replugHeadset();
    ASSERT_TRUE(retry.runUntilState(DFU_STATE_SUCCESS, 30min));
    EXPECT_TRUE(memoryHolds(retry.world().headset().mcuFlash(), embeddedImage(kRegularMcuImage)));
}

TEST(McuPathTest, AHeadsetBackFromUpdateModeAfterTheWatchdogGetsStartOfferedNotAFlash) {
    // The headset takes 45 s to come back from the MCU's update mode; the watchdog gives up at
    // 30 s, with the headset still away.
    UpdateRig rig(R"({"headset": {"mcu": {"patch": 3}},
                      "faults": [{"target": "mcu", "prefix": "06 88 01", "action": "late-return",
                                  "delayMs": 45000}]})");
    rig.options().m_SkipMCU = false;
    rig.start();
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED, 30min));
    const std::size_t atFailure = rig.world().record().events().size();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_WAIT_DEVICES, 1s));

    // Nobody touches anything. The headset comes back by itself, which is no request for another
    // attempt: the dialog offers Start, and the devices receive nothing meanwhile.
    rig.runFor(10min);
    EXPECT_EQ(rig.dlg().state(), DFU_STATE_READY);
    EXPECT_TRUE(rig.control(IDC_START).visible);
    EXPECT_TRUE(rig.traced(
        "  The last attempt failed and no device was unplugged since: Start is offered again\n"));
    EXPECT_EQ(rig.world().record().events().size(), atFailure);
    EXPECT_TRUE(rig.inProgressFlag());

    // The person presses Start: a forced update of all three from the start, to success.
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_SUCCESS, 30min));
    EXPECT_EQ(rig.dlg().failedRetries(), 1u);
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
    EXPECT_TRUE(memoryHolds(rig.world().dongle().eeprom(), embeddedImage(kRegularDongleImage)));
    EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(kRegularMcuImage)));
    EXPECT_EQ(rig.world().headset().pairingId(), rig.world().dongle().pairingId());
    EXPECT_FALSE(rig.inProgressFlag());
}

TEST(McuPathTest, AFailedMcuPacketIsRetriedAfterASecondUntilTheLimit) {
    // The 10th data block's answer is lost twice: two retries, then success.
    UpdateRig rig(R"({"headset": {"mcu": {"patch": 0}},
                      "faults": [{"target": "mcu", "prefix": "06 BB 03 03", "at": 10, "times": 2,
                                  "action": "drop-answer"}]})");
    rig.options().m_SkipMCU = false;
    rig.start();
    rig.pressStart();
    // The retried block moves the progress bar once, when it finally goes through.
    const int beforeBlock = 196 + 630 + 10;
    ASSERT_TRUE(rig.dialog.runUntil([&] { return rig.dlg().failedRetries() == 2; }, 30min));
    EXPECT_EQ(rig.dialog.progressPosition(), beforeBlock);
    ASSERT_TRUE(
        rig.dialog.runUntil([&] { return rig.dialog.progressPosition() != beforeBlock; }, 2s));
    EXPECT_EQ(rig.dialog.progressPosition(), beforeBlock + 1);
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_SUCCESS, 30min));
    EXPECT_EQ(rig.dialog.progressPosition(), 196 + 630 + 900);
    EXPECT_EQ(rig.dlg().failedRetries(), 2u);
    // Both dumps name the block at 0x0048 with the 890 packets left, itself included, and the
    // answer it awaited.
    const auto dumps = rig.failedPacketDumps();
    ASSERT_EQ(dumps.size(), 2u);
    for (const auto& dump : dumps) {
        EXPECT_TRUE(
            dump.starts_with("FAILED PACKET:\n"
                             "    PacketType: 2\n"
                             "    PacketsLeft: 890\n"
                             "    Request: 06 bb 03 03 00 48 " +
                             hexDump(embeddedImage(kRegularMcuImage), 72, 8)))
            << dump;
        EXPECT_TRUE(dump.ends_with("\n    Response: 06 bb 03 03 \n")) << dump;
    }
    EXPECT_FALSE(rig.dlg().mcuRetry());
    EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), embeddedImage(kRegularMcuImage)));

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

    // The answers come through again and the user replugs the headset. Its MCU, at patch 0,
    // would take the plan without the update-mode command; the retry flag sends it all the same
    // on the next state 10, and the MCU restarts into its update mode.
    limit.world().stopFaults();
    limit.replugHeadset();
    ASSERT_TRUE(limit.runUntilState(DFU_STATE_WAIT_MCU, 30min));
    const auto states = limit.statesEntered();
    EXPECT_EQ(std::vector<DfuState>(states.end() - 2, states.end()),
              (std::vector<DfuState>{DFU_STATE_PREPARE_MCU, DFU_STATE_WAIT_MCU}));
    EXPECT_TRUE(limit.traced("Brennic: MCU version=0\n"));
    EXPECT_EQ(limit.world().headset().mode(), SimDeviceMode::McuUpdate);
    ASSERT_TRUE(limit.runUntilState(DFU_STATE_SUCCESS, 30min));
    EXPECT_TRUE(memoryHolds(limit.world().headset().mcuFlash(), embeddedImage(kRegularMcuImage)));
}

struct BadAnswerCase {
    const char* name;
    const char* fault;
    std::string dumpStart;
    std::string dumpEnd;
};

// An answer that differs from the one awaited fails its packet once; the retry succeeds.
TEST(McuPathTest, AnMcuAnswerThatDiffersFromTheAwaitedOneFailsItsPacket) {
    const ByteVector image = embeddedImage(kRegularMcuImage);
    char imageChecksum[4];
    std::snprintf(imageChecksum, sizeof imageChecksum, "%02x",
                  std::accumulate(image.begin(), image.end(), 0u) & 0xFF);
    const BadAnswerCase cases[] = {
        {"the 4th data block answered 06 BB 03 FC",
         R"({"target": "mcu", "prefix": "06 BB 03 03", "at": 4, "action": "corrupt-answer",
             "byte": 3})",
         "FAILED PACKET:\n"
         "    PacketType: 2\n"
         "    PacketsLeft: 896\n"
         "    Request: 06 bb 03 03 00 18 " +
             hexDump(image, 24, 8),
         "\n    Response: 06 bb 03 03 \n"},
        {"the image checksum answered with another sum",
         R"({"target": "mcu", "prefix": "06 BB 03 04", "action": "corrupt-answer", "byte": 4})",
         "FAILED PACKET:\n"
         "    PacketType: 2\n"
         "    PacketsLeft: 3\n"
         "    Request: 06 bb 03 04 \n"
         "    Response: 06 bb 03 04 " +
             std::string(imageChecksum) + " \n",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(std::string(R"({"headset": {"mcu": {"patch": 0}}, "faults": [)") + c.fault +
                      "]}");
        rig.options().m_SkipMCU = false;
        rig.start();
        ASSERT_TRUE(rig.runUpdate());
        const auto dumps = rig.failedPacketDumps();
        ASSERT_EQ(dumps.size(), 1u);
        EXPECT_TRUE(dumps[0].starts_with(c.dumpStart)) << dumps[0];
        EXPECT_TRUE(dumps[0].ends_with(c.dumpEnd)) << dumps[0];
        EXPECT_EQ(rig.dialog.progressPosition(), 196 + 630 + 900);
        EXPECT_TRUE(memoryHolds(rig.world().headset().mcuFlash(), image));
    }
}

}  // namespace
}  // namespace zeltor::test
