// The reports the tool sends outside the update plans, byte for byte as the devices receive
// them: padded with zeros to the collection's report length, in order, with the pauses between.
#include <gtest/gtest.h>

#include <functional>

#include "controller/update_rig.h"
#include "support/scripted_collection.h"

namespace zeltor::test {
namespace {

constexpr const char* kNoSimulatedDevices =
    R"({"headset": {"plugged": false}, "dongle": {"plugged": false}})";
constexpr std::size_t kChipFeatureLength = 20;
constexpr std::size_t kMcuReportLength = 8;

ByteVector padded(ByteVector bytes, std::size_t length) {
    bytes.resize(length, 0);
    return bytes;
}

ByteVector chipReport(ByteVector bytes) {
    return padded(std::move(bytes), kChipFeatureLength);
}

ByteVector mcuReport(ByteVector bytes) {
    return padded(std::move(bytes), kMcuReportLength);
}

// A chip's version answer with `text` from byte 9 on.
ByteVector chipVersionAnswer(const std::string& text) {
    ByteVector answer = chipReport({0xFF});
    std::copy(text.begin(), text.end(), answer.begin() + 9);
    return answer;
}

// The controller against three scripted collections (the MCU, the headset's and the dongle's
// chips in application mode) that note every report they get in one journal.
struct ScriptedDevices {
    ScriptedDevices() {
        for (ScriptedCollection* collection : {&mcu, &headset, &dongle}) {
            collection->journal = &journal;
            rig.bus.attach(*collection);
        }
        rig.start();
    }
    // What the devices received from now on, with times counted from now.
    std::vector<ReportJournal::Entry> receivedDuring(const std::function<void()>& action) {
        journal.entries.clear();
        const auto start =
            std::chrono::duration_cast<std::chrono::milliseconds>(rig.scheduler.now());
        action();
        auto entries = journal.entries;
        for (auto& entry : entries) {
            entry.time -= start;
        }
        return entries;
    }

    UpdateRig rig{kNoSimulatedDevices};
    ReportJournal journal;
    ScriptedCollection mcu{rig.bus,
                           "mcu",
                           {12, 0x2F5A, 0x5C1B, 1},
                           {1, 0xFF42, kMcuReportLength, kMcuReportLength, 0}};
    ScriptedCollection headset{
        rig.bus, "headset", {12, 0x2F5A, 0x5C1B, 1}, {1, 0xFF00, 64, 64, kChipFeatureLength}};
    ScriptedCollection dongle{
        rig.bus, "dongle", {12, 0x2F5A, 0x5C1A, 1}, {1, 0xFF00, 64, 64, kChipFeatureLength}};
};

using Entry = ReportJournal::Entry;
using std::chrono::milliseconds;

struct CommandCase {
    const char* name;
    std::function<void(CBrennicDFUDlg&)> send;
    std::vector<Entry> received;
};

TEST(CommandReportsTest, EachCommandReachesItsDeviceAsTheProtocolHasIt) {
    const ByteVector versionRequest{0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07,
                                    0x00, 0x05, 0x03, 0x05, 0x00, 0x00};
    const CommandCase cases[] = {
        {"headset chip version",
         [](CBrennicDFUDlg& dlg) { dlg.GetHeadsetVersion(); },
         {{"headset", "feature", chipReport(versionRequest), milliseconds(0)},
          {"headset", "get-feature", chipReport({0xFF}), milliseconds(500)}}},
        {"dongle chip version",
         [](CBrennicDFUDlg& dlg) { dlg.GetDongleVersion(); },
         {{"dongle", "feature", chipReport(versionRequest), milliseconds(0)},
          {"dongle", "get-feature", chipReport({0xFF}), milliseconds(500)}}},
        {"headset bootloader entry",
         [](CBrennicDFUDlg& dlg) { dlg.enterAvneraHeadsetBootloaderMode(); },
         {{"headset", "feature", chipReport({0xFF, 0x02, 0x00, 0x0A}), milliseconds(0)}}},
        {"dongle bootloader entry",
         [](CBrennicDFUDlg& dlg) { dlg.enterAvneraDongleBootloaderMode(); },
         {{"dongle", "feature", chipReport({0xFF, 0x02, 0x00, 0x0A}), milliseconds(0)}}},
        {"MCU version, one attempt without an answer",
         [](CBrennicDFUDlg& dlg) { dlg.GetMCUPatchVersion(1); },
         {{"mcu", "output", mcuReport({0x06, 0x88, 0x07, 0x00}), milliseconds(0)}}},
        {"MCU update mode",
         [](CBrennicDFUDlg& dlg) { dlg.enterMCUUpdateMode(); },
         {{"mcu", "output", mcuReport({0x06, 0x88, 0x01}), milliseconds(0)}}},
        // The C library's generator seeded with 1 draws 41, 18467, 6334, 26500: modulo 256 the
        // id bytes 29 23 BE 84, the first draw least significant. The dongle takes the id first;
        // the headset is reset first.
        {"pairing",
         [](CBrennicDFUDlg& dlg) { dlg.pairDevices(); },
         {{"dongle", "feature",
           chipReport({0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08, 0x0E, 0x00, 0x00, 0x29, 0x23,
                       0xBE, 0x84}),
           milliseconds(0)},
          {"dongle", "feature", chipReport({0xFF, 0x05, 0x00, 0x39}), milliseconds(100)},
          {"headset", "feature",
           chipReport({0xFF, 0x0D, 0x00, 0xFF, 0x04, 0x00, 0x00, 0x08, 0x0F, 0x00, 0x00, 0x29, 0x23,
                       0xBE, 0x84}),
           milliseconds(200)},
          {"headset", "feature", chipReport({0xFF, 0x05, 0x00, 0x39}), milliseconds(300)},
          {"headset", "feature", chipReport({0xFF, 0x02, 0x00, 0x05}), milliseconds(400)},
          {"dongle", "feature", chipReport({0xFF, 0x02, 0x00, 0x05}), milliseconds(400)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDevices devices;
        ASSERT_EQ(devices.rig.dlg().state(), DFU_STATE_READY);
        devices.rig.random.seed(1);
        EXPECT_EQ(devices.receivedDuring([&] { c.send(devices.rig.dlg()); }), c.received);
    }
}

TEST(CommandReportsTest, VersionsAreReadFromTheirAnswers) {
    ScriptedDevices devices;
    devices.headset.featureAnswer = chipVersionAnswer("T1.23.45");
    devices.dongle.featureAnswer = chipVersionAnswer("T2.07.01");
    devices.mcu.answers = {{0x06, 0x88, 0x07, 0x00, 0x42}};
    EXPECT_EQ(devices.rig.dlg().GetHeadsetVersion(), 23);
    EXPECT_EQ(devices.rig.dlg().GetDongleVersion(), 7);
    EXPECT_EQ(devices.rig.dlg().GetMCUPatchVersion(1), 42);
    EXPECT_TRUE(devices.rig.traced("Brennic: MCU version=42\n"));
}

struct VersionCheckCase {
    const char* name;
    bool force;
    bool lastUpdateFailed;
    std::vector<ByteVector> mcuAnswers;
    const char* headsetVersion;
    bool upToDate;
    std::vector<std::string> asked;  // the collections that received anything, in order
};

TEST(CommandReportsTest, TheVersionCheckAsksNoDeviceWhenForcedNorAfterOneNotCurrent) {
    const ByteVector patch3{0x06, 0x88, 0x07, 0x00, 0x03};
    const VersionCheckCase cases[] = {
        {"MCU patch 0", false, false, {{0x06, 0x88, 0x07, 0x00, 0x00}}, "T1.01.00", false, {"mcu"}},
        {"MCU silent", false, false, {}, "T1.01.00", false, {"mcu", "mcu", "mcu", "mcu", "mcu"}},
        {"headset major 0",
         false,
         false,
         {patch3},
         "T1.00.07",
         false,
         {"mcu", "headset", "headset"}},
        {"all current",
         false,
         false,
         {patch3},
         "T1.01.00",
         true,
         {"mcu", "headset", "headset", "dongle", "dongle"}},
        {"forced run", true, false, {patch3}, "T1.01.00", false, {}},
        {"last update failed", false, true, {patch3}, "T1.01.00", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDevices devices;
        devices.rig.options().m_Force = c.force;
        g_LastUpdateFailed = c.lastUpdateFailed;
        devices.mcu.answers = c.mcuAnswers;
        devices.headset.featureAnswer = chipVersionAnswer(c.headsetVersion);
        devices.dongle.featureAnswer = chipVersionAnswer("T1.02.00");
        bool upToDate = !c.upToDate;
        std::vector<std::string> asked;
        for (const auto& entry :
             devices.receivedDuring([&] { upToDate = devices.rig.dlg().isZeltorUpToDate(); })) {
            asked.push_back(entry.path);
        }
        EXPECT_EQ(upToDate, c.upToDate);
        EXPECT_EQ(asked, c.asked);
    }
}

}  // namespace
}  // namespace zeltor::test
