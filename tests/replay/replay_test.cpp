// A user's verbose log replayed as a simulated world: the logs are written by simulated runs of
// the console front end, edited as text where a story needs it, and run again with /SIMULATE.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/front_end_options.h"
#include "app/run_options.h"
#include "program/simulated_console.h"
#include "sim/replay/replay_log.h"
#include "sim/sim_host_services.h"
#include "support/log_capture.h"
#include "ui/event_clock.h"

namespace zeltor::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The log as text: every character of this program's logs is ASCII, one UTF-16LE unit each.
std::string logText(const std::filesystem::path& path) {
    const ByteVector bytes = readFile(path);
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char>(bytes[i]));
    }
    return text;
}

void writeLog(const std::filesystem::path& path, const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char c : text) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    writeFile(path, bytes);
}

struct ConsoleRun {
    int code = -1;
    std::string output;  // what the terminal showed
    std::string log;     // the run's log, as text
};

// One run of the console front end in virtual time, its log in a folder of its own.
ConsoleRun runConsole(const std::optional<std::filesystem::path>& simulationFile,
                      const RunOptions& options) {
    TempFolder documents;
    EventClock hostClock(EventClock::Mode::Virtual);
    SimHostServices realHost(hostClock);
    realHost.documents = documents.path().string();
    g_RunOptions = options;
    FrontEndOptions frontEnd;
    frontEnd.simulate = true;
    frontEnd.instant = true;
    frontEnd.console = true;
    if (simulationFile) {
        frontEnd.scenarioFile = simulationFile->string();
    }
    ConsoleRun run;
    ::testing::internal::CaptureStdout();
    run.code = runSimulatedConsole(frontEnd, realHost);
    run.output = ::testing::internal::GetCapturedStdout();
    run.log = logText(documents.path() / "BrennicFirmwareUpdate.log");
    g_RunOptions = RunOptions{};
    return run;
}

RunOptions verbose() {
    RunOptions options;
    options.m_Verbose = true;
    return options;
}

// The version check and the MCU transfer taken, so that the log holds answers: feature reads of
// the chips' versions, the MCU's input reports.
RunOptions verboseWithAnswers() {
    RunOptions options = verbose();
    options.m_Force = false;
    options.m_SkipMCU = false;
    return options;
}

// What the terminal showed of the update itself: without the first line, which says what world
// it ran in, and the last two, the verdict and the log's place.
std::string dialogPart(const std::string& output) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = output.find('\n', start);
        lines.push_back(output.substr(start, end - start));
        start = end == std::string::npos ? output.size() : end + 1;
    }
    std::string part;
    for (std::size_t i = 1; i + 2 < lines.size(); ++i) {
        part += lines[i] + "\n";
    }
    return part;
}

std::string lastLines(const std::string& output, int count) {
    std::size_t at = output.size();
    for (int i = 0; i <= count && at != std::string::npos && at > 0; ++i) {
        at = output.rfind('\n', at - 1);
    }
    return at == std::string::npos ? output : output.substr(at + 1);
}

// The text of the `n`-th line (from 1) whose message begins with `label`, and where it starts.
std::size_t lineStart(const std::string& log, const std::string& label, int n) {
    std::size_t at = 0;
    for (int seen = 0;;) {
        at = log.find(": " + label, at);
        if (at == std::string::npos) {
            ADD_FAILURE() << "no line " << n << " begins with " << label;
            return std::string::npos;
        }
        const std::size_t start = log.rfind('\n', at) + 1;
        if (at - start == 9 && ++seen == n) {
            return start;
        }
        at += 2;
    }
}

std::size_t lineEnd(const std::string& log, std::size_t start) {
    return log.find('\n', start) + 1;
}

// Byte `k` (from 0) of the dump line at `start`: a stamp per byte, "xx " after each.
void setDumpByte(std::string& log, std::size_t start, const std::string& label, int k,
                 const std::string& hex) {
    log.replace(start + 11 + label.size() + static_cast<std::size_t>(k) * 14 + 11, 2, hex);
}

// The bytes of the dump line at `start`, as "ff 0a 00 ".
std::string dumpOf(const std::string& log, std::size_t start) {
    const std::string line = log.substr(start, lineEnd(log, start) - start);
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::string bytes;
    for (std::size_t at = 0; (at = line.find(": ", at)) != std::string::npos; at += 2) {
        if (at + 4 < line.size() && hex(line[at + 2]) && hex(line[at + 3]) && line[at + 4] == ' ') {
            bytes += line.substr(at + 2, 3);
        }
    }
    return bytes;
}

// The first sent feature report whose bytes begin with `prefix`.
std::string firstReportBeginning(const std::string& log, const std::string& prefix) {
    for (std::size_t at = 0; (at = log.find(": SF: ", at)) != std::string::npos; at += 2) {
        const std::string bytes = dumpOf(log, log.rfind('\n', at) + 1);
        if (bytes.starts_with(prefix)) {
            return bytes;
        }
    }
    return "";
}

// The log with the date and time of its run header blanked.
std::string withoutRunDate(std::string log) {
    const std::size_t open = log.find("\n[");
    if (open != std::string::npos) {
        log.replace(open + 2, log.find(']', open) - open - 2, "date");
    }
    return log;
}

// The log without the lines of the simulated person, who has no part in a replay.
std::string withoutPersonLines(std::string log) {
    for (std::size_t at;
         (at = log.find(": Simulation: the headset is unplugged")) != std::string::npos;) {
        const std::size_t start = log.rfind('\n', at) + 1;
        log.erase(start, log.find('\n', at) + 1 - start);
    }
    return log;
}

// What the terminal showed, kept in the build's screens folder for people to look at.
void keepScreen(const std::string& name, const std::string& output) {
    const std::filesystem::path folder = ZELTOR_SCREENS_DIR;
    std::filesystem::create_directories(folder);
    writeFile(folder / (name + ".txt"), output);
}

class ReplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        recorded_ = new ConsoleRun(runConsole(std::nullopt, verbose()));
        answered_ = new ConsoleRun(runConsole(std::nullopt, verboseWithAnswers()));
    }
    static void TearDownTestSuite() {
        delete recorded_;
        delete answered_;
    }

    ConsoleRun replay(const std::string& log, const RunOptions& options) {
        const auto file = folder_.path() / "user.log";
        writeLog(file, log);
        return runConsole(file, options);
    }

    static ConsoleRun* recorded_;
    static ConsoleRun* answered_;
    TempFolder folder_;
};

ConsoleRun* ReplayTest::recorded_ = nullptr;
ConsoleRun* ReplayTest::answered_ = nullptr;

TEST_F(ReplayTest, RecordedRunsSucceedAndHoldTheirReports) {
    ASSERT_EQ(recorded_->code, 0) << recorded_->output;
    ASSERT_EQ(answered_->code, 0) << answered_->output;
    EXPECT_THAT(recorded_->log, HasSubstr(": SF: "));
    EXPECT_THAT(answered_->log, HasSubstr(": GF: "));
    EXPECT_THAT(answered_->log, HasSubstr(": IN: "));
}

// A log replays to the run it recorded: the same texts in the same order, the same pairing
// reports (the random generator starts where the recorded run's did), every report sent.
TEST_F(ReplayTest, ALogReplaysToTheEndItRecorded) {
    for (const ConsoleRun* run : {recorded_, answered_}) {
        const RunOptions options = run == recorded_ ? verbose() : verboseWithAnswers();
        const ConsoleRun replayed = replay(run->log, options);
        EXPECT_EQ(replayed.code, 0) << replayed.output;
        EXPECT_THAT(replayed.output, HasSubstr("Replaying the run of "));
        EXPECT_THAT(replayed.output, HasSubstr("You have successfully updated the firmware."));
        EXPECT_THAT(replayed.output,
                    HasSubstr("Replay: the tool sent every report of the log as recorded ("));
        EXPECT_EQ(dialogPart(replayed.output), dialogPart(run->output));
        keepScreen(run == recorded_ ? "replay" : "replay-with-answers", replayed.output);
        // Line for line and stamp for stamp, the replay's log is the recorded one: only the run
        // header's date and time differ.
        EXPECT_EQ(withoutRunDate(replayed.log), withoutRunDate(run->log));
        // The replay's own log holds the reports it sent, those of the recorded run.
        const std::string pairing = "ff 0d 00 ff 04 00 00 08 0e ";
        EXPECT_NE(firstReportBeginning(run->log, pairing), "");
        EXPECT_EQ(firstReportBeginning(replayed.log, pairing),
                  firstReportBeginning(run->log, pairing));
    }
}

// The first report the tool sends that the log did not record stops the replay with one line,
// on the terminal and in the log, that names it by its number and its time in the log.
TEST_F(ReplayTest, ADifferentReportIsNamedByItsNumber) {
    struct Case {
        const char* story;
        int report;  // the report that parts: the n-th "SF: " line
        std::function<void(std::string& log, std::size_t reportLine)> edit;
        const char* line;
    };
    const Case cases[] = {
        {"a data report's byte", 3,
         [](std::string& log, std::size_t at) { setDumpByte(log, at, "SF: ", 11, "03"); },
         ") differs: the log has SF: ff 0a 00 ff 04 00 00 05 00 3a b5 03 to the headset's "
         "bootloader; the tool sent SF: ff 0a 00 ff 04 00 00 05 00 3a b5 02 to the headset's "
         "bootloader"},
        {"the bootloader-entry command", 1,
         [](std::string& log, std::size_t at) { setDumpByte(log, at, "SF: ", 3, "0b"); },
         ") differs: the log has SF: ff 02 00 0b to the headset; the tool sent SF: ff 02 00 0a "
         "to the headset"},
        // The headset's channel closed before the command: the log's command went to the dongle.
        {"the same bytes to another device", 1,
         [](std::string& log, std::size_t at) {
             log.insert(at, "00000.000: Zeltor headset removed (0x108)\r\n");
         },
         ") differs: the log has SF: ff 02 00 0a to the dongle; the tool sent SF: ff 02 00 0a to "
         "the headset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        std::string log = recorded_->log;
        const std::size_t start = lineStart(log, "SF: ", c.report);
        const std::string stamp = log.substr(start, 9);
        c.edit(log, start);
        const ConsoleRun replayed = replay(log, verbose());
        EXPECT_NE(replayed.code, 0);
        const std::string expected =
            "Replay: report " + std::to_string(c.report) + " (" + stamp + " in the log" + c.line;
        EXPECT_THAT(lastLines(replayed.output, 2), HasSubstr(expected));
        EXPECT_THAT(replayed.log, HasSubstr(expected));
        EXPECT_THAT(replayed.output, Not(HasSubstr("You have successfully updated")));
        keepScreen(std::string("replay-divergence-") + std::to_string(&c - cases), replayed.output);
    }
}

TEST_F(ReplayTest, ReportsPastTheEndOfTheLogStopTheReplay) {
    struct Case {
        const char* story;
        int reportsKept;
        const char* line;
    };
    const Case cases[] = {
        {"a log cut short", 3,
         "Replay: the log ends after report 3; the tool sent SF: ff 0d 00 ff 04 00 00 08 00 4e b5 "
         "to the headset's bootloader"},
        {"a log without dumps", 0,
         "Replay: the log holds no reports (it was written without /VERBOSE); the tool sent SF: "
         "ff 02 00 0a to the headset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        std::string log = recorded_->log;
        if (c.reportsKept > 0) {
            log.erase(lineEnd(log, lineStart(log, "SF: ", c.reportsKept)));
        } else {
            for (std::size_t at; (at = log.find(": SF: ")) != std::string::npos;) {
                const std::size_t start = log.rfind('\n', at) + 1;
                log.erase(start, lineEnd(log, start) - start);
            }
        }
        const ConsoleRun replayed = replay(log, verbose());
        EXPECT_NE(replayed.code, 0);
        EXPECT_THAT(lastLines(replayed.output, 2), HasSubstr(c.line));
    }
}

// An answer the log recorded wrong fails the packet it answers, as it would have failed the
// recorded run; the tool then sends the packet again, which the log (of a run that went on)
// does not hold, and the replay names the report where the two part.
TEST_F(ReplayTest, ADamagedAnswerReplaysToTheFailure) {
    std::string log = answered_->log;
    // The MCU answers each packet of its plan; the tenth input report answers a plan packet.
    const std::size_t answer = lineStart(log, "IN: ", 10);
    const std::string before = dumpOf(log, answer);
    setDumpByte(log, answer, "IN: ", 1, before.substr(3, 2) == "ee" ? "dd" : "ee");
    const ConsoleRun replayed = replay(log, verboseWithAnswers());
    EXPECT_EQ(replayed.code, 1) << replayed.output;
    const std::size_t failed = replayed.log.find("FAILED PACKET:");
    const std::size_t parted = replayed.log.find("Replay: report ");
    ASSERT_NE(failed, std::string::npos);
    ASSERT_NE(parted, std::string::npos);
    EXPECT_LT(failed, parted);
    EXPECT_THAT(replayed.output, Not(HasSubstr("You have successfully updated")));
    EXPECT_THAT(lastLines(replayed.output, 2), HasSubstr(" differs: the log has OUT: 06 bb "));
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) {
        ++n;
    }
    return n;
}

// A run that failed, recorded: the replay gives the refusal or the damaged answer the devices
// gave, the tool fails the same way at the same packet, and the replay follows the log through
// what came after (a replug the person made, a retry the tool made) to the run's end.
TEST_F(ReplayTest, ARecordedFailureReplaysToTheSameEnd) {
    struct Case {
        const char* story;
        const char* scenario;
        RunOptions options;
        const char* traced;  // what the failure left in the log
    };
    const Case cases[] = {
        {"the headset's bootloader refuses a report",
         R"({"faults": [{"target": "headset-bootloader", "prefix": "E4", "at": 3,
             "action": "refuse"}]})",
         verbose(), "HidD_SetFeature returned 31 ("},
        {"the MCU damages an answer",
         R"({"faults": [{"target": "mcu", "at": 10, "action": "corrupt-answer"}]})",
         verboseWithAnswers(), "FAILED PACKET:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        const auto scenario = folder_.path() / "fault.json";
        writeFile(scenario, c.scenario);
        const ConsoleRun recorded = runConsole(scenario, c.options);
        ASSERT_THAT(recorded.log, HasSubstr(c.traced));
        const ConsoleRun replayed = replay(recorded.log, c.options);
        EXPECT_EQ(replayed.code, recorded.code) << replayed.output;
        const std::string success = "You have successfully updated the firmware.";
        EXPECT_EQ(countOf(replayed.output, success), countOf(recorded.output, success));
        EXPECT_EQ(countOf(replayed.log, c.traced), countOf(recorded.log, c.traced));
        EXPECT_EQ(countOf(replayed.log, "FAILED PACKET:"), countOf(recorded.log, "FAILED PACKET:"));
        EXPECT_THAT(replayed.output,
                    HasSubstr("Replay: the tool sent every report of the log as recorded ("));
        // A replug the person made is the log's: the replay waits for it, it makes none.
        if (recorded.log.find("Simulation: the headset is unplugged") != std::string::npos) {
            EXPECT_THAT(replayed.output,
                        HasSubstr("Waiting for the headset to be unplugged and plugged in again."));
        }
        EXPECT_THAT(replayed.log, Not(HasSubstr("Simulation: the headset is unplugged")));
        EXPECT_EQ(withoutRunDate(replayed.log), withoutRunDate(withoutPersonLines(recorded.log)));
    }
}

// A feature read the log shows no answer for failed in the recorded run, and fails again: the
// headset's version is then taken as 0, which updates it as the old version did.
TEST_F(ReplayTest, AFeatureReadTheLogLacksFails) {
    std::string log = answered_->log;
    const std::size_t first = lineStart(log, "GF: ", 1);
    log.erase(first, lineEnd(log, first) - first);
    const ConsoleRun replayed = replay(log, verboseWithAnswers());
    EXPECT_EQ(replayed.code, 0) << replayed.output;
    EXPECT_THAT(replayed.output,
                HasSubstr("Replay: the tool sent every report of the log as recorded ("));
    EXPECT_EQ(countOf(replayed.log, ": GF: ") + 1, countOf(answered_->log, ": GF: "));
}

}  // namespace
}  // namespace zeltor::test
