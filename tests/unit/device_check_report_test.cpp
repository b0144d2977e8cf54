// The device check's two renderings: lines for a person, one JSON object for a script.
#include <gtest/gtest.h>

#include "app/device_check.h"
#include "app/device_check_report.h"

namespace zeltor {
namespace {

PartCheck part(CheckedPart which, PartMode mode, bool answered, int major, int minor,
               bool current) {
    return {
        which,  mode, answered, static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor),
        current};
}

DeviceCheck mixed() {
    DeviceCheck check;
    check.parts = {part(CheckedPart::MCU, PartMode::Application, false, 0, 0, false),
                   part(CheckedPart::Headset, PartMode::Bootloader, false, 0, 0, false),
                   part(CheckedPart::Dongle, PartMode::Application, true, 2, 5, true)};
    check.anyFound = true;
    check.upToDate = false;
    check.exitCode = 1;
    return check;
}

TEST(DeviceCheckReportTest, TextHasOneLinePerPartAndASummary) {
    EXPECT_EQ(deviceCheckText(mixed()),
              "Headset audio MCU           application  no answer      update needed\n"
              "Headset wireless chip       bootloader   -              update needed\n"
              "USB receiver wireless chip  application  version 2.05   current\n"
              "An update is needed: run the tool without /CHECK.\n");
}

TEST(DeviceCheckReportTest, SummaryFollowsTheOutcome) {
    DeviceCheck none;
    none.parts = {part(CheckedPart::MCU, PartMode::Absent, false, 0, 0, false),
                  part(CheckedPart::Headset, PartMode::Absent, false, 0, 0, false),
                  part(CheckedPart::Dongle, PartMode::Absent, false, 0, 0, false)};
    none.exitCode = 2;
    DeviceCheck current;
    current.parts = {part(CheckedPart::MCU, PartMode::Application, true, 12, 0, true),
                     part(CheckedPart::Headset, PartMode::Application, true, 1, 2, true),
                     part(CheckedPart::Dongle, PartMode::Application, true, 1, 0, true)};
    current.anyFound = true;
    current.upToDate = true;
    DeviceCheck dongleOnly = none;
    dongleOnly.parts[2] = part(CheckedPart::Dongle, PartMode::Application, true, 3, 0, true);
    dongleOnly.anyFound = true;
    const std::pair<DeviceCheck, const char*> cases[] = {
        {none, "No Zeltor headset or USB receiver found.\n"},
        {current, "Up to date: this package has nothing to bring.\n"},
        {dongleOnly,
         "Not every part was found: connect the headset's USB cable and the receiver.\n"},
    };
    for (const auto& [check, summary] : cases) {
        const std::string text = deviceCheckText(check);
        EXPECT_TRUE(text.ends_with(summary)) << text;
    }
    EXPECT_NE(deviceCheckText(none).find(
                  "Headset audio MCU           absent       -              not found\n"),
              std::string::npos);
    EXPECT_NE(deviceCheckText(current).find("Headset audio MCU           application  version 12 "),
              std::string::npos);
}

TEST(DeviceCheckReportTest, JsonKeysAndValues) {
    EXPECT_EQ(
        deviceCheckJson(mixed(), std::string("/home/ann/Documents/BrennicFirmwareUpdate.log")),
        R"({"package":"112.2.212","parts":[)"
        R"({"part":"mcu","mode":"application","version":null,"current":false,"update":true},)"
        R"({"part":"headset","mode":"bootloader","version":null,"current":false,"update":true},)"
        R"({"part":"dongle","mode":"application","version":"2.05","current":true,"update":false}],)"
        R"("found":true,"upToDate":false,"exitCode":1,"log":"/home/ann/Documents/BrennicFirmwareUpdate.log"})"
        "\n");
    DeviceCheck none;
    none.exitCode = 2;
    const std::string json = deviceCheckJson(none, std::nullopt);
    EXPECT_NE(
        json.find(
            R"({"part":"mcu","mode":"absent","version":null,"current":false,"update":false})"),
        std::string::npos);
    EXPECT_TRUE(json.ends_with(R"("found":false,"upToDate":false,"exitCode":2,"log":null})"
                               "\n"));
}

TEST(DeviceCheckReportTest, JsonStringsAreEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", R"("plain")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\Users\\ann", R"("C:\\Users\\ann")"},
        {"two\nlines\r\tend", R"("two\nlines\r\tend")"},
        {std::string("bell\x07 nul", 9) + std::string(1, '\0') + "x", R"("bell\u0007 nul\u0000x")"},
        {"del\x7f", R"("del\u007f")"},
        {"Dokumente/M\xc3\xbcller", "\"Dokumente/M\xc3\xbcller\""},
        {"stray \xff byte", "\"stray \xef\xbf\xbd byte\""},
    };
    for (const auto& [text, json] : cases) {
        EXPECT_EQ(jsonString(text), json) << text;
    }
}

}  // namespace
}  // namespace zeltor
