// Reading scenarios: the documented example, and refusals that say where and why. Writing them:
// what is written reads back as the same scenario.
#include "sim/scenario/scenario_json.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sim/scenario/scenario_writer.h"
#include "support/log_capture.h"

namespace zeltor::test {
namespace {

using Action = SimFault::Action;

// The first JSON block of the scenario documentation.
std::string documentedExample() {
    std::ifstream in(ZELTOR_SCENARIO_DOC, std::ios::binary);
    const std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string open = "```json\n";
    const auto start = doc.find(open);
    const auto end = doc.find("```", start + open.size());
    if (start == std::string::npos || end == std::string::npos) {
        return "";
    }
    return doc.substr(start + open.size(), end - start - open.size());
}

TEST(ScenarioJsonTest, DocumentedExampleReadsAsItSays) {
    const std::string example = documentedExample();
    ASSERT_FALSE(example.empty()) << "no JSON example in " << ZELTOR_SCENARIO_DOC;
    SimScenario s;
    std::string error;
    ASSERT_TRUE(parseScenario(example, "scenarios.md", s, error)) << error;

    EXPECT_EQ(s.headset.mode, SimDeviceMode::Bootloader);
    EXPECT_EQ(s.headset.version, "T1.00.07");
    EXPECT_EQ(s.headset.mcu.patch, 0);
    EXPECT_EQ(s.headset.mcu.closeDelayMs, 5000u);
    EXPECT_FALSE(s.dongle.plugged);
    EXPECT_EQ(s.dongle.plugAfterMs, 8000u);
    EXPECT_EQ(s.dongle.bootloaderDelayMs, 2000u);
    ASSERT_EQ(s.faults.size(), 4u);
    EXPECT_EQ(s.faults[0].target, DeviceRole::AvneraDongleBootloader);
    EXPECT_EQ(s.faults[0].action, Action::Refuse);
    EXPECT_EQ(s.faults[0].at, 100u);
    EXPECT_EQ(s.faults[0].errorCode, 31u);
    EXPECT_EQ(s.faults[1].prefix, (ByteVector{0x06, 0xBB, 0x03, 0x03}));
    EXPECT_EQ(s.faults[1].action, Action::DropAnswer);
    EXPECT_EQ(s.faults[2].action, Action::LateReturn);
    EXPECT_EQ(s.faults[2].delayMs, 45000u);
    EXPECT_EQ(s.faults[3].action, Action::Flood);
    EXPECT_EQ(s.faults[3].afterMs, 0u);
    EXPECT_EQ(s.faults[3].floodIntervalMs, 2u);
    EXPECT_EQ(s.faults[3].floodForMs, 10000u);
}

TEST(ScenarioJsonTest, BadScenariosAreRefusedSayingWhereAndWhy) {
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"", "s.json:1:1: syntax error while parsing value - unexpected end of input"},
        {"{\n  \"dongle\": {\n    \"mode\": \"bootloader\",\n  }\n}", "s.json:4:3: syntax error"},
        {"{} x", "s.json:1:4: syntax error"},
        {std::string("{\"description\": \"\xff\"}"),
         "s.json:1:18: syntax error while parsing value - invalid string: ill-formed UTF-8"},
        {std::string(100000, '['), "s.json:1:100001: syntax error"},
        {"[]", "s.json: expected an object, found array"},
        {R"({"dongel": {}})", "s.json: unknown key \"dongel\""},
        {R"({"dongle": {"mcu": {}}})", "s.json: dongle: unknown key \"mcu\""},
        {R"({"dongle": {"mode": "sleeping"}})",
         "s.json: dongle.mode: expected \"application\" or \"bootloader\""},
        {R"({"dongle": {"mode": "mcu-update"}})", "s.json: dongle.mode: expected"},
        {R"({"dongle": {"bootloaderDelayMs": -5}})",
         "s.json: dongle.bootloaderDelayMs: expected a whole number from 0 to 3600000"},
        {R"({"dongle": {"resetDelayMs": 1.5}})", "s.json: dongle.resetDelayMs: expected a whole"},
        {R"({"dongle": {"resetDelayMs": "1500"}})",
         "s.json: dongle.resetDelayMs: expected a whole"},
        {R"({"dongle": {"plugAfterMs": 100}})",
         "s.json: dongle.plugAfterMs: only a device with \"plugged\": false"},
        {R"({"headset": {"reportLengths": {"application": {"feature": 70000}}}})",
         "s.json: headset.reportLengths.application.feature: expected a whole number from 0 to "
         "4096"},
        {R"({"headset": {"reportLengths": {"application": {"feature": 12}}}})",
         "s.json: headset: the version text does not fit a feature report of 12 bytes"},
        {R"({"headset": {"version": "T1\u00e9"}})", "s.json: headset.version: expected up to 64"},
        {R"({"headset": {"mcu": {"patch": 100}}})", "s.json: headset.mcu.patch: expected a whole"},
        {R"({"faults": {}})", "s.json: faults: expected an array, found object"},
        {R"({"faults": [[[[1]]]]})", "s.json: faults[0]: expected an object, found array"},
        {R"({"faults": [{"action": "refuse"}]})", "s.json: faults[0]: missing \"target\""},
        {R"({"faults": [{"target": "toaster", "action": "refuse"}]})",
         "s.json: faults[0].target: expected \"mcu\", \"headset\""},
        {R"({"faults": [{"target": "mcu", "action": "explode"}]})",
         "s.json: faults[0].action: expected \"refuse\""},
        {R"({"faults": [{"target": "mcu", "action": "refuse", "prefix": "06 8"}]})",
         "s.json: faults[0].prefix: odd number of hexadecimal digits"},
        {R"({"faults": [{"target": "mcu", "action": "refuse", "prefix": "zz"}]})",
         "s.json: faults[0].prefix: expected hexadecimal bytes"},
        {R"({"faults": [{"target": "mcu", "action": "refuse", "at": 0}]})",
         "s.json: faults[0].at: expected a whole number from 1"},
        {R"({"faults": [{"target": "mcu", "action": "refuse", "times": "sometimes"}]})",
         "s.json: faults[0].times: expected a whole number from 1 to 100000000 or \"always\""},
        {R"({"faults": [{"target": "mcu", "action": "refuse", "delayMs": 5}]})",
         "s.json: faults[0]: unknown key \"delayMs\" for a \"refuse\" fault"},
        {R"({"faults": [{"target": "mcu", "action": "refuse", "afterMs": 5}]})",
         "s.json: faults[0].afterMs: only \"unplug\" and \"flood\" act on a timer"},
        {R"({"faults": [{"target": "mcu", "action": "flood", "afterMs": 5, "prefix": "06"}]})",
         "s.json: faults[0].prefix: a fault acting on a timer matches no report"},
        {R"({"faults": [{"target": "mcu", "action": "late-return"}]})",
         "s.json: faults[0]: a late return needs \"delayMs\""},
        {R"({"faults": [{"target": "mcu", "action": "flood", "intervalMs": 0}]})",
         "s.json: faults[0].intervalMs: expected a whole number from 1"},
        {R"({"faults": [{"target": "dongle-bootloader", "action": "drop-answer"}]})",
         "s.json: faults[0].target: the dongle-bootloader sends no answers"},
        {R"({"faults": [{"target": "mcu", "action": "corrupt-answer", "byte": 64}]})",
         "s.json: faults[0].byte: beyond the answer of 64 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        SimScenario scenario;
        scenario.description = "untouched";
        std::string error;
        EXPECT_FALSE(parseScenario(c.text, "s.json", scenario, error));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
        EXPECT_EQ(scenario.description, "untouched");
    }
}

TEST(ScenarioJsonTest, FilesAreReadAndNamedInMessages) {
    TempFolder folder;
    SimScenario scenario;
    std::string error;
    EXPECT_FALSE(loadScenarioFile(folder.path() / "missing.json", scenario, error));
    EXPECT_NE(error.find("missing.json: cannot open the scenario file"), std::string::npos);

    writeFile(folder.path() / "late.json",
              "// a dongle that comes back late\n"
              R"({"faults": [{"target": "dongle", "action": "late-return", "delayMs": 9000}]})");
    ASSERT_TRUE(loadScenarioFile(folder.path() / "late.json", scenario, error)) << error;
    ASSERT_EQ(scenario.faults.size(), 1u);
    EXPECT_EQ(scenario.faults[0].delayMs, 9000u);

    writeFile(folder.path() / "bad.json", R"({"faults": [{"target": "dongle"}]})");
    EXPECT_FALSE(loadScenarioFile(folder.path() / "bad.json", scenario, error));
    EXPECT_NE(error.find("bad.json: faults[0]: missing \"action\""), std::string::npos) << error;
}

// Reads `text`, failing the test when it cannot.
SimScenario read(const std::string& text) {
    SimScenario scenario;
    std::string error;
    EXPECT_TRUE(parseScenario(text, "written.json", scenario, error)) << error << "\n" << text;
    return scenario;
}

TEST(ScenarioJsonTest, WrittenScenarioShowsOnlyWhatDiffersFromTheDefaults) {
    EXPECT_EQ(writeScenario(SimScenario{}), "{}\n");

    SimScenario s;
    s.description = "a \"late\" dongle";
    s.dongle.bootloaderDelayMs = 200;
    s.headset.mcu.patch = 7;
    SimFault unplug;
    unplug.target = DeviceRole::AvneraDongleBootloader;
    unplug.action = Action::Unplug;
    unplug.at = 40;
    unplug.replugAfterMs = 900;
    SimFault late;
    late.target = DeviceRole::ZeltorHeadset;
    late.action = Action::LateReturn;
    late.prefix = {0xFF, 0x02, 0x00, 0x05};
    late.times = SimFault::kAlways;
    late.delayMs = 0;
    s.faults = {unplug, late};
    EXPECT_EQ(writeScenario(s),
              "{\n"
              "  \"description\": \"a \\\"late\\\" dongle\",\n"
              "  \"dongle\": {\"bootloaderDelayMs\": 200},\n"
              "  \"headset\": {\"mcu\": {\"patch\": 7}},\n"
              "  \"faults\": [\n"
              "    {\"target\": \"dongle-bootloader\", \"action\": \"unplug\", \"at\": 40, "
              "\"replugAfterMs\": 900},\n"
              "    {\"target\": \"headset\", \"action\": \"late-return\", \"prefix\": \"FF 02 00 "
              "05\", \"times\": \"always\", \"delayMs\": 0}\n"
              "  ]\n"
              "}\n");
}

TEST(ScenarioJsonTest, WrittenScenariosReadBackAsTheSame) {
    const char* const texts[] = {
        "{}",
        R"({"description": "Grüße, \"quoted\"\nand a second line"})",
        R"({"dongle": {"plugged": false, "plugAfterMs": 8000, "mode": "bootloader",
            "version": "T9.87.65", "pairingId": 4294967295, "bootloaderDelayMs": 0,
            "resetDelayMs": 3600000,
            "reportLengths": {"application": {"input": 0, "output": 65, "feature": 300},
                              "bootloader": {"input": 1, "output": 2, "feature": 4096}}}})",
        R"({"headset": {"mode": "mcu-update", "mcu": {"patch": 0, "answersVersion": false,
            "updateModeDelayMs": 1, "closeDelayMs": 2,
            "reportLengths": {"input": 33, "output": 34, "feature": 35}}}})",
        R"({"faults": [
            {"target": "mcu", "action": "refuse", "at": 3, "times": 2, "errorCode": 0},
            {"target": "mcu", "action": "refuse", "prefix": "06", "times": "always"},
            {"target": "dongle", "action": "drop-answer", "times": 100000000},
            {"target": "headset", "action": "corrupt-answer", "byte": 0},
            {"target": "mcu", "action": "corrupt-answer"},
            {"target": "headset", "action": "unplug", "afterMs": 0, "replugAfterMs": 0},
            {"target": "dongle-bootloader", "action": "unplug"},
            {"target": "headset-bootloader", "action": "no-return", "at": 120},
            {"target": "dongle", "action": "late-return", "delayMs": 60000},
            {"target": "mcu", "action": "flood", "afterMs": 20000, "reportId": 0,
             "intervalMs": 1, "forMs": 1},
            {"target": "mcu", "action": "flood", "prefix": "06 BB"}]})",
    };
    std::vector<std::string> all(std::begin(texts), std::end(texts));
    all.push_back(documentedExample());
    for (const std::string& text : all) {
        SCOPED_TRACE(text);
        const SimScenario scenario = read(text);
        const std::string written = writeScenario(scenario);
        EXPECT_TRUE(read(written) == scenario) << written;
    }
}

TEST(ScenarioJsonTest, DescriptionThatIsNotUtf8IsWrittenWithReplacements) {
    SimScenario s;
    s.description = "bad \xff byte";
    EXPECT_EQ(read(writeScenario(s)).description, "bad \xef\xbf\xbd byte");
}

}  // namespace
}  // namespace zeltor::test
