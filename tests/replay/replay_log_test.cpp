// Reading a verbose log as the trace writer lays it out: a timestamp field before every trace
// call, so a hex dump has one before each byte, and several runs in one file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "sim/replay/replay_log.h"

namespace zeltor::test {
namespace {

using ::testing::ElementsAre;

// The file's bytes: the byte-order mark, then UTF-16LE (every character here is ASCII).
std::string logFile(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char c : text) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

const std::string kHeader = "00000.012: \n\n[12/11/2026 09:10:28]\n\r\n";

ReplayLog parsed(const std::string& text) {
    ReplayLog log;
    std::string error;
    EXPECT_TRUE(parseReplayLog(logFile(text), log, error)) << error;
    return log;
}

TEST(ReplayLogTest, HexDumpsAreReadWithTheStampBeforeEachByte) {
    struct Case {
        const char* story;
        std::string line;
        ReplayReportKind kind;
        ByteVector bytes;
        long long timeMs;
    };
    const Case cases[] = {
        {"a feature report sent",
         "00001.234: SF: 00001.234: ff 00001.235: 0a 00001.236: \r\n",
         ReplayReportKind::SetFeature,
         {0xFF, 0x0A},
         1234},
        {"an output report",
         "00002.000: OUT: 00002.000: 06 00002.000: 88 00002.001: \r\n",
         ReplayReportKind::Output,
         {0x06, 0x88},
         2000},
        {"an input report, upper-case digits",
         "00003.000: IN: 00003.000: 06 00003.000: BB 00003.000: \r\n",
         ReplayReportKind::Input,
         {0x06, 0xBB},
         3000},
        {"a feature report read",
         "00004.500: GF: 00004.500: ff 00004.500: \r\n",
         ReplayReportKind::GetFeature,
         {0xFF},
         4500},
        // Past 99999.999 seconds the field is one character longer and the message starts
        // where its blank was.
        {"after more than a day",
         "100000.000:SF: 100000.000:ff 100000.001:02 100000.001:\r\n",
         ReplayReportKind::SetFeature,
         {0xFF, 0x02},
         100000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        const ReplayLog log = parsed(kHeader + c.line);
        ASSERT_EQ(log.items.size(), 1u);
        const ReplayItem& item = log.items[0];
        EXPECT_EQ(item.type, ReplayItem::Type::Report);
        EXPECT_EQ(item.kind, c.kind);
        EXPECT_EQ(item.bytes, c.bytes);
        EXPECT_EQ(item.time.count(), c.timeMs);
        EXPECT_EQ(item.number, 1u);
    }
}

TEST(ReplayLogTest, LinesThatOnlyLookLikeDumpsAreNotReports) {
    const std::string lines[] = {
        "00001.000: SF: the label and then words\r\n",
        "00001.000: SF: 00001.000: ff 00001.000: 0\r\n",
        "00001.000: SF: 00001.000: fg 00001.000: \r\n",
        "0001.000: SF: 00001.000: ff 00001.000: \r\n",
        "SF: 00001.000: ff 00001.000: \r\n",
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(parsed(kHeader + line).items.empty());
    }
}

TEST(ReplayLogTest, ARefusalBelongsToTheReportDumpedBeforeIt) {
    const ReplayLog log =
        parsed(kHeader +
               "00001.000: SF: 00001.000: e4 00001.000: \r\n"
               "00001.000: HidD_SetFeature returned 31 (A device attached to the system is not "
               "functioning.)\r\n"
               "00002.000: OUT: 00002.000: 06 00002.000: \r\n"
               "00002.000: WriteFile returned 1167 (The device is not connected.)\r\n"
               "00003.000: SF: 00003.000: ff 00003.000: \r\n"
               "00003.000: WriteFile returned 1167 (The device is not connected.)\r\n");
    ASSERT_EQ(log.items.size(), 3u);
    ASSERT_TRUE(log.items[0].refusal);
    EXPECT_EQ(log.items[0].refusal->errorCode, 31u);
    EXPECT_EQ(log.items[0].refusal->errorText,
              "A device attached to the system is not functioning.");
    ASSERT_TRUE(log.items[1].refusal);
    EXPECT_EQ(log.items[1].refusal->errorCode, 1167u);
    // A write error after a feature report is not that report's.
    EXPECT_FALSE(log.items[2].refusal);
}

TEST(ReplayLogTest, TheLastRunOfTheFileIsRead) {
    const ReplayLog log = parsed(kHeader + "00001.000: SF: 00001.000: 01 00001.000: \r\n" +
                                 "00000.020: \n\n[12/12/2026 10:00:00]\n\r\n" +
                                 "00000.500: SF: 00000.500: 02 00000.500: \r\n");
    EXPECT_EQ(log.runStarted, "12/12/2026 10:00:00");
    EXPECT_EQ(log.startTime.count(), 20);
    ASSERT_EQ(log.items.size(), 1u);
    EXPECT_EQ(log.items[0].bytes, ByteVector{0x02});
    EXPECT_EQ(log.reportCount, 1u);
}

// The devices of a run: those the start-up walk found, then arrivals and removals as the
// system announced them; a report sent names the channels of its kind open at the time.
TEST(ReplayLogTest, DevicesComeFromTheRoleAndNotificationLines) {
    const std::string dongle = R"(\\?\hid#vid_2f5a&pid_5c1a#1)";
    const std::string headset = R"(\\?\hid#vid_2f5a&pid_5c1b&col01#1)";
    const std::string boot = R"(\\?\hid#vid_170d&pid_0101#1)";
    const std::string keyboard = R"(\\?\hid#vid_046d&pid_c31c#1)";
    const ReplayLog log = parsed(
        kHeader + "00000.013: Zeltor dongle attached (" + dongle + ")\r\n" +
        "00000.013: Zeltor headset attached (" + headset + ")\r\n" +
        "00001.000: SF: 00001.000: ff 00001.000: 02 00001.000: \r\n" +
        "00001.000: OnDeviceChange (sync): nEventType=0x8001\r\n" +
        "00001.000:   dbch_handle = 0x108\r\n" + "00001.000: Zeltor headset removed (0x108)\r\n" +
        "00001.000: OnDeviceChange (sync): nEventType=0x8004\r\n" + "00001.000:   dbcc_name = " +
        headset + "\r\n" + "00001.000: CBrennicDFUDlg::SwitchToState() called from 4 to 5\r\n" +
        "00002.500: OnDeviceChange (sync): nEventType=0x8000\r\n" +
        "00002.500:   dbcc_name = " + boot + "\r\n" + "00002.500: HID_DEVICE_ARRIVAL: " + boot +
        "\r\n" + "00002.500: Avnera headset bootloader attached (" + boot + ")\r\n" +
        "00002.600: OnDeviceChange (sync): nEventType=0x8000\r\n" +
        "00002.600:   dbcc_name = " + keyboard + "\r\n" + "00002.600: Failed to get HID info for " +
        keyboard + "\r\n" + "00003.000: SF: 00003.000: e4 00003.000: \r\n");
    ASSERT_EQ(log.collections.size(), 4u);
    EXPECT_EQ(log.collections[0].path, dongle);
    EXPECT_EQ(log.collections[0].role, DeviceRole::ZeltorDongle);
    EXPECT_TRUE(log.collections[0].presentAtStart);
    EXPECT_TRUE(log.collections[1].presentAtStart);
    EXPECT_EQ(log.collections[2].role, DeviceRole::AvneraHeadsetBootloader);
    EXPECT_FALSE(log.collections[2].presentAtStart);
    EXPECT_EQ(log.collections[3].role, std::nullopt);
    EXPECT_FALSE(log.collections[3].probeable);

    ASSERT_EQ(log.items.size(), 5u);
    EXPECT_THAT(log.items[0].openRoles,
                ElementsAre(DeviceRole::ZeltorHeadset, DeviceRole::ZeltorDongle));
    const ReplayItem& removal = log.items[1];
    EXPECT_EQ(removal.type, ReplayItem::Type::Removal);
    EXPECT_EQ(removal.path, headset);
    EXPECT_TRUE(removal.orderly);
    EXPECT_TRUE(removal.withReport);
    const ReplayItem& arrival = log.items[2];
    EXPECT_EQ(arrival.type, ReplayItem::Type::Arrival);
    EXPECT_EQ(arrival.path, boot);
    EXPECT_FALSE(arrival.withReport);
    EXPECT_EQ(arrival.time.count(), 2500);
    EXPECT_EQ(log.items[3].type, ReplayItem::Type::Arrival);
    EXPECT_THAT(log.items[4].openRoles,
                ElementsAre(DeviceRole::ZeltorDongle, DeviceRole::AvneraHeadsetBootloader));
    EXPECT_EQ(log.items[4].number, 2u);
    EXPECT_EQ(log.items[4].logTime, "00003.000");
}

TEST(ReplayLogTest, WhatIsNoLogIsSaidSo) {
    EXPECT_FALSE(looksLikeLogFile(R"({"faults": []})"));
    EXPECT_FALSE(looksLikeLogFile(""));
    EXPECT_TRUE(looksLikeLogFile(logFile("")));
    ReplayLog log;
    std::string error;
    EXPECT_FALSE(parseReplayLog(logFile("00000.001: Zeltor headset attached (x)\r\n"), log, error));
    EXPECT_THAT(error, ::testing::HasSubstr("no run"));
    EXPECT_FALSE(parseReplayLog("{}", log, error));
}

}  // namespace
}  // namespace zeltor::test
