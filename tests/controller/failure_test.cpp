// Failed packets: counting, the texts the user sees, and how the run starts again.
#include <gtest/gtest.h>

#include <functional>

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

// Runs to the sixth failure. After each of the five before it, once the machine has settled in
// the failure state, `beforeReplug` looks at the failure and the user unplugs the headset and
// plugs it in again, as the dialog asks.
void runToTheSixthFailure(UpdateRig& rig,
                          const std::function<void(std::uint32_t failure)>& beforeReplug = {}) {
    for (std::uint32_t failure = 1; failure <= 6; ++failure) {
        SCOPED_TRACE(failure);
        ASSERT_TRUE(
            rig.dialog.runUntil([&] { return rig.dlg().failedRetries() == failure; }, 30min));
        rig.runFor(1min);
        ASSERT_EQ(rig.dlg().state(), DFU_STATE_FAILED);
        if (failure < 6) {
            if (beforeReplug) {
                beforeReplug(failure);
            }
            rig.replugHeadset();
        }
    }
}

TEST(FailureTest, AFailedPacketWithDevicesPresentAsksForAReplug) {
    UpdateRig rig(kEveryAttemptFails);
    rig.start();
    rig.pressStart();
    ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED));
    EXPECT_EQ(rig.dlg().failedRetries(), 1u);
    EXPECT_TRUE(rig.traced(
        "HidD_SetFeature returned 31 (A device attached to the system is not functioning.)\n"));
    // The third data report, at offset 0x200 of the first block, with the 188 packets left in
    // the headset queue, itself included; no "Response:" line: Avnera packets await no answer.
    EXPECT_EQ(
        rig.failedPacketDumps(),
        std::vector<std::string>{"FAILED PACKET:\n"
                                 "    PacketType: 5\n"
                                 "    PacketsLeft: 188\n"
                                 "    Request: e4 00 02 00 00 00 01 " +
                                 hexDump(embeddedImage(kRegularHeadsetImage), 512, 256) + "\n"});
    EXPECT_TRUE(rig.traced("Entered DFU_STATE_FAILED. Failed retries = 1\n"));
    EXPECT_TRUE(rig.options().m_Force);
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
    EXPECT_EQ(rig.host.launches[0].file, "https://support.halvorix.com/x");
    EXPECT_EQ(rig.host.launches[0].arguments, "");
    EXPECT_EQ(rig.host.launches[0].directory, "");
    EXPECT_EQ(rig.host.launches[0].operation, "open");
    EXPECT_EQ(rig.host.launches[0].show, 1);
}

struct DumpCase {
    const char* name;
    const char* scenario;
    std::string dump;
};

TEST(FailureTest, TheDumpCountsThePacketsLeftInTheQueueBeingPumped) {
    const DumpCase cases[] = {
        {"headset: the first commit trigger, packet 41 of 196",
         R"({"faults": [{"target": "headset-bootloader", "prefix": "FF 07 00 FF 04 00 00 02 03",
             "action": "refuse"}]})",
         "FAILED PACKET:\n"
         "    PacketType: 5\n"
         "    PacketsLeft: 156\n"
         "    Request: ff 07 00 ff 04 00 00 02 03 \n"},
        {"dongle: the first write of R, packet 46 of 630",
         R"({"faults": [{"target": "dongle-bootloader",
             "prefix": "FF 0B 00 FF 04 00 00 06 00 32 C4", "action": "refuse"}]})",
         "FAILED PACKET:\n"
         "    PacketType: 5\n"
         "    PacketsLeft: 585\n"
         "    Request: ff 0b 00 ff 04 00 00 06 00 32 c4 12 d3 \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(c.scenario);
        rig.start();
        rig.pressStart();
        ASSERT_TRUE(rig.runUntilState(DFU_STATE_FAILED));
        EXPECT_EQ(rig.failedPacketDumps(), std::vector<std::string>{c.dump});
    }
}

TEST(FailureTest, TheSixthFailureShowsCustomerCareAndOnlyUnpluggingRetries) {
    UpdateRig rig(kEveryAttemptFails);
    rig.start();
    rig.pressStart();
    runToTheSixthFailure(
        rig, [&](std::uint32_t) { EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text, kReplugText); });
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
    EXPECT_EQ(std::vector<DfuState>(failed, failed + 3),
              (std::vector<DfuState>{DFU_STATE_FAILED, DFU_STATE_WAIT_DEVICES,
                                     DFU_STATE_CHECK_VERSIONS}));
    EXPECT_TRUE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
}

TEST(FailureTest, RandomFailsFailTheHeadsetTransferOnPacketsWithRequestsOnly) {
    UpdateRig rig;
    rig.options().m_RandomFails = true;
    rig.start();
    // Seeded after the constructor, which seeds the generator from the tick count.
    rig.random.seed(7);
    rig.pressStart();
    runToTheSixthFailure(rig);
    // With one packet in twenty of the headset's 110 requests failed on purpose, no attempt
    // gets through its plan. The generator seeded with 7, drawn once per request packet (pauses
    // draw nothing), fails the packets that leave these counts in the queue.
    EXPECT_EQ(rig.countTraced("Generating random (headset) fail.\n"), 6);
    EXPECT_EQ(rig.countTraced("Generating random (dongle) fail.\n"), 0);
    const std::string label = "    PacketsLeft: ";
    std::vector<std::string> packetsLeft;
    for (const auto& dump : rig.failedPacketDumps()) {
        EXPECT_EQ(dump.find("    PacketType: 7\n"), std::string::npos) << dump;
        const auto from = dump.find(label) + label.size();
        packetsLeft.push_back(dump.substr(from, dump.find('\n', from) - from));
    }
    EXPECT_EQ(packetsLeft, (std::vector<std::string>{"174", "176", "172", "150", "144", "157"}));
    // The forced failures hit packets the headset took: it saw nothing wrong.
    EXPECT_TRUE(rig.world().headset().errors().empty());
    EXPECT_EQ(rig.control(IDC_INSTRUCTIONS).text,
              "An error occurred. Please contact Customer Care for further assistance at "
              "https://support.halvorix.com.");
    EXPECT_TRUE(rig.inProgressFlag());
    EXPECT_FALSE(memoryHolds(rig.world().headset().eeprom(), embeddedImage(kRegularHeadsetImage)));
    EXPECT_FALSE(rig.traced("CBrennicDFUDlg::enterAvneraDongleBootloaderMode\n"));
}

}  // namespace
}  // namespace zeltor::test
