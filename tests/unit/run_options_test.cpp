#include <gtest/gtest.h>

#include <vector>

#include "app/run_options.h"
#include "support/log_capture.h"

namespace zeltor {
namespace {

RunOptions parse(std::vector<const char*> arguments) {
    RunOptions options;
    parseCommandLine(static_cast<std::uint32_t>(arguments.size()), arguments.data(), &options);
    return options;
}

TEST(RunOptionsTest, DefaultsForceSkipTheMCUAndLog) {
    const RunOptions o;
    EXPECT_TRUE(o.m_Force);
    EXPECT_TRUE(o.m_SkipMCU);
    EXPECT_TRUE(o.m_Log);
    EXPECT_FALSE(o.m_SkipHeadset || o.m_SkipDongle || o.m_TestMCURetry || o.m_RandomFails ||
                 o.m_Verbose || o.m_Tesmoray || o.m_Shroud);
    EXPECT_EQ(o.m_TimerMs, 0);
    EXPECT_TRUE(o.m_ForceDir.empty());
}

struct FlagCase {
    const char* argument;
    bool RunOptions::*field;
};

TEST(RunOptionsTest, FlagSwitchesMatchInAnyLetterCase) {
    const FlagCase cases[] = {
        {"/SKIPHEADSET", &RunOptions::m_SkipHeadset},
        {"/skipdongle", &RunOptions::m_SkipDongle},
        {"/TestMcuRetry", &RunOptions::m_TestMCURetry},
        {"/RANDOMFAILS", &RunOptions::m_RandomFails},
        {"/Verbose", &RunOptions::m_Verbose},
        {"/tesmoray", &RunOptions::m_Tesmoray},
        {"/shroud", &RunOptions::m_Shroud},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_TRUE(parse({c.argument}).*c.field);
    }
}

TEST(RunOptionsTest, FlagsWithExtraCharactersMatchNothing) {
    const RunOptions defaults;
    for (const char* argument : {"/FORCEX", "/LOGX", "/SHROUDS", " /VERBOSE", "VERBOSE", ""}) {
        SCOPED_TRACE(argument);
        const RunOptions o = parse({argument});
        EXPECT_FALSE(o.m_Verbose || o.m_Shroud);
        EXPECT_EQ(o.m_ForceDir, defaults.m_ForceDir);
        EXPECT_EQ(o.m_TimerMs, 0);
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

}  // namespace
}  // namespace zeltor
