#include <gtest/gtest.h>

#include <vector>

#include "app/application.h"
#include "app/run_options.h"
#include "support/log_capture.h"

namespace zeltor {
namespace {

// Every flag cleared, so that a switch that sets a field shows even where the default is true.
RunOptions cleared() {
    RunOptions options;
    options.m_Force = false;
    options.m_SkipMCU = false;
    options.m_Log = false;
    return options;
}

RunOptions parse(std::vector<const char*> arguments) {
    RunOptions options = cleared();
    parseCommandLine(static_cast<std::uint32_t>(arguments.size()), arguments.data(), &options);
    return options;
}

// Compares every field, so that a switch that sets the wrong field, or one too many, shows.
void expectSameOptions(const RunOptions& actual, const RunOptions& expected) {
    EXPECT_EQ(actual.m_Force, expected.m_Force);
    EXPECT_EQ(actual.m_ForceDir, expected.m_ForceDir);
    EXPECT_EQ(actual.m_SkipHeadset, expected.m_SkipHeadset);
    EXPECT_EQ(actual.m_SkipDongle, expected.m_SkipDongle);
    EXPECT_EQ(actual.m_SkipMCU, expected.m_SkipMCU);
    EXPECT_EQ(actual.m_TimerMs, expected.m_TimerMs);
    EXPECT_EQ(actual.m_Log, expected.m_Log);
    EXPECT_EQ(actual.m_TestMCURetry, expected.m_TestMCURetry);
    EXPECT_EQ(actual.m_RandomFails, expected.m_RandomFails);
    EXPECT_EQ(actual.m_Verbose, expected.m_Verbose);
    EXPECT_EQ(actual.m_Tesmoray, expected.m_Tesmoray);
    EXPECT_EQ(actual.m_Shroud, expected.m_Shroud);
}

TEST(RunOptionsTest, DefaultsForceSkipTheMCUAndLog) {
    RunOptions expected = cleared();
    expected.m_Force = true;
    expected.m_SkipMCU = true;
    expected.m_Log = true;
    expectSameOptions(RunOptions{}, expected);
}

struct FlagCase {
    const char* argument;
    bool RunOptions::*field;
};

TEST(RunOptionsTest, FlagSwitchesMatchInAnyLetterCaseAndSetOnlyTheirField) {
    const FlagCase cases[] = {
        {"/force", &RunOptions::m_Force},
        {"/SKIPHEADSET", &RunOptions::m_SkipHeadset},
        {"/skipdongle", &RunOptions::m_SkipDongle},
        {"/Skipmcu", &RunOptions::m_SkipMCU},
        {"/Log", &RunOptions::m_Log},
        {"/TestMcuRetry", &RunOptions::m_TestMCURetry},
        {"/RANDOMFAILS", &RunOptions::m_RandomFails},
        {"/Verbose", &RunOptions::m_Verbose},
        {"/tesmoray", &RunOptions::m_Tesmoray},
        {"/shroud", &RunOptions::m_Shroud},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        RunOptions expected = cleared();
        expected.*c.field = true;
        expectSameOptions(parse({c.argument}), expected);
    }
}

TEST(RunOptionsTest, FlagsWithExtraCharactersMatchNothing) {
    for (const char* argument :
         {"/FORCEX", "/LOGX", "/SHROUDS", " /VERBOSE", "VERBOSE", "/FORCEDIR", "/TIMER", ""}) {
        SCOPED_TRACE(argument);
        expectSameOptions(parse({argument}), cleared());
    }
}

struct ValueCase {
    std::vector<const char*> arguments;
    std::string forceDir;
    std::int32_t timerMs;
};

TEST(RunOptionsTest, ValueSwitchesAreCaseSensitiveAndFoundAnywhere) {
    const ValueCase cases[] = {
        {{"/FORCEDIR=C:\\fw"}, "C:\\fw", 0},
        {{"/forcedir=C:\\fw"}, "", 0},
        {{"/FORCEDIR=\"C:\\my fw\""}, "\"C:\\my fw\"", 0},
        {{"/FORCEDIR="}, "", 0},
        {{"/FORCEDIR=/TIMER=5"}, "/TIMER=5", 5},
        {{"/FORCEDIR=C:\\fw/TIMER=5"}, "C:\\fw/TIMER=5", 5},
        {{"/TIMER=50"}, "", 50},
        {{"x/TIMER=5"}, "", 5},
        {{"/timer=5"}, "", 0},
        {{"/TIMER=abc"}, "", 0},
        {{"/TIMER=  -20ms"}, "", -20},
        {{"/TIMER=+7"}, "", 7},
        {{"/TIMER="}, "", 0},
        {{"/TIMER=99999999999"}, "", 2147483647},
        {{"/TIMER=-99999999999"}, "", -2147483647 - 1},
        {{"/FORCEDIR=a", "/FORCEDIR=b", "/TIMER=1", "/TIMER=2"}, "b", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const RunOptions o = parse(c.arguments);
        EXPECT_EQ(o.m_ForceDir, c.forceDir);
        EXPECT_EQ(o.m_TimerMs, c.timerMs);
    }
}

TEST(RunOptionsTest, ForceDirectoryAlsoForcesTheRun) {
    RunOptions options;
    options.m_Force = false;
    const char* arguments[] = {"/FORCEDIR=D:\\images"};
    parseCommandLine(1, arguments, &options);
    EXPECT_TRUE(options.m_Force);
}

TEST(RunOptionsTest, NothingOnTheCommandLineClearsAField) {
    RunOptions options;
    options.m_Force = false;
    options.m_SkipMCU = false;
    options.m_Shroud = true;
    const char* arguments[] = {"/SKIPDONGLE", "/SKIPDONGLE", "C:\\Program Files\\tool.exe"};
    parseCommandLine(3, arguments, &options);
    EXPECT_FALSE(options.m_Force);
    EXPECT_FALSE(options.m_SkipMCU);
    EXPECT_TRUE(options.m_Shroud);
    EXPECT_TRUE(options.m_SkipDongle);
}

TEST(RunOptionsTest, EmptyInputIsRefusedWithoutTracing) {
    test::TraceCapture capture;
    RunOptions options;
    const char* arguments[] = {"/VERBOSE"};
    EXPECT_FALSE(parseCommandLine(0, arguments, &options));
    EXPECT_FALSE(parseCommandLine(1, nullptr, &options));
    EXPECT_FALSE(options.m_Verbose);
    EXPECT_TRUE(capture.messages().empty());
}

TEST(RunOptionsTest, EveryArgumentIsTracedInOrder) {
    test::TraceCapture capture;
    RunOptions options;
    const char* arguments[] = {"/SHROUD", "Grüße"};
    EXPECT_TRUE(parseCommandLine(2, arguments, &options));
    const std::vector<std::string> expected = {"Command Line:\n", "  [0]: /SHROUD\n",
                                               "  [1]: Grüße\n"};
    EXPECT_EQ(capture.messages(), expected);
}

// The summary names the period the step timer is armed with, not the switch's raw value.
TEST(RunOptionsTest, TheSummaryShowsTheStepPeriodInEffect) {
    for (const auto& [timer, line] : {std::pair{0, "  step period: 10 ms\n"},
                                      {50, "  step period: 50 ms\n"},
                                      {-20, "  step period: 10 ms\n"}}) {
        SCOPED_TRACE(timer);
        RunOptions options;
        options.m_TimerMs = timer;
        EXPECT_NE(describeRunOptions(options).find(line), std::string::npos);
    }
}

}  // namespace
}  // namespace zeltor
