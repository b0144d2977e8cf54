#include "trace/trace_log.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "base/virtual_clock.h"
#include "support/log_capture.h"
#include "trace/run_log.h"

namespace zeltor {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Bytes of a text as the log file holds it: UTF-16LE.
ByteVector utf16le(const std::string& text) {
    ByteVector bytes;
    for (const char16_t unit : utf8ToUtf16(text)) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

ByteVector concat(std::initializer_list<ByteVector> parts) {
    ByteVector all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const ByteVector kBom{0xFF, 0xFE};
const ByteVector kCrLf{'\r', 0, '\n', 0};

class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTraceClock(&clock_);
        SetTraceOutputHook(nullptr);
    }
    void TearDown() override {
        SetLogFile(logPath().c_str(), false);
        SetTraceOutputHook(nullptr);
        SetTraceClock(nullptr);
    }
    std::string logPath() const { return (folder_.path() / kLogFileName).string(); }
    ByteVector logBytes() const { return test::readFile(folder_.path() / kLogFileName); }

    VirtualClock clock_{LocalDateTime{2026, 3, 7, 9, 5, 4}};
    test::TempFolder folder_;
};

TEST_F(TraceLogTest, NothingIsWrittenAnywhereBeforeALogIsOpened) {
    EXPECT_FALSE(IsTraceOn());
    Trace("before the log %d\n", 1);
    OpenRunLog(folder_.path().string());
    EXPECT_EQ(logBytes(), concat({kBom, utf16le("00000.000: \n\n[03/07/2026 09:05:04]\n"), kCrLf}));
}

TEST_F(TraceLogTest, RunsAppendToOneFileWithOneByteOrderMark) {
    OpenRunLog(folder_.path().string());
    Trace("first run\n");
    SetLogFile(logPath().c_str(), false);
    clock_.advance(12345ms);
    OpenRunLog(folder_.path().string());
    Trace("second run\n");
    EXPECT_EQ(logBytes(), concat({kBom, utf16le("00000.000: \n\n[03/07/2026 09:05:04]\n"), kCrLf,
                                  utf16le("00000.000: first run"), kCrLf,
                                  utf16le("00012.345: \n\n[03/07/2026 09:05:16]\n"), kCrLf,
                                  utf16le("00012.345: second run"), kCrLf}));
}

TEST_F(TraceLogTest, OnlyAMessagesLastLineFeedBecomesCrLf) {
    SetLogFile(logPath().c_str(), true);
    Trace("a\nb\n");
    Trace("%02x ", 0xAB);
    Trace("no line end");
    Trace("\n");
    EXPECT_EQ(logBytes(),
              concat({kBom, utf16le("00000.000: a\nb"), kCrLf,
                      utf16le("00000.000: ab 00000.000: no line end00000.000: "), kCrLf}));
}

TEST_F(TraceLogTest, TimestampFieldKeepsTheMessageAtPositionEleven) {
    std::vector<std::string> lines;
    SetTraceOutputHook([&lines](std::u16string_view line) { lines.push_back(utf16ToUtf8(line)); });
    clock_.advance(1200us);
    Trace("x\n");
    clock_.advance(99999s);
    Trace("y\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "00000.001: x\n");
    EXPECT_EQ(lines[1], "99999.001: y\n");
    clock_.advance(1s);
    Trace("z\n");
    EXPECT_EQ(lines.back(), "100000.001:z\n");
}

TEST_F(TraceLogTest, OverlongMessagesAreCutAndTheRunGoesOn) {
    std::vector<std::u16string> lines;
    SetTraceOutputHook([&lines](std::u16string_view line) { lines.emplace_back(line); });
    const std::string longText(5000, 'x');
    Trace("%s", longText.c_str());
    // A cut never leaves half a surrogate pair.
    const std::string emoji = std::string(kTraceMessageMaxUnits - 1, 'y') + "\U0001F3A7";
    Trace("%s", emoji.c_str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(),
              static_cast<std::size_t>(kTraceMessageStart + kTraceMessageMaxUnits));
    EXPECT_EQ(lines[1].size(),
              static_cast<std::size_t>(kTraceMessageStart + kTraceMessageMaxUnits - 1));
}

TEST_F(TraceLogTest, ACutMessageKeepsItsLineEnd) {
    SetLogFile(logPath().c_str(), true);
    const std::string longLine(2000, 'x');
    Trace("%s\n", longLine.c_str());
    Trace("next\n");
    EXPECT_EQ(logBytes(), concat({kBom, utf16le("00000.000: " + std::string(1011, 'x')), kCrLf,
                                  utf16le("00000.000: next"), kCrLf}));
}

TEST_F(TraceLogTest, AssertionReportNamesFileLineAndExpression) {
    test::TraceCapture capture;
    EXPECT_FALSE(TraceAssert(true, "x", "file.cpp", 1));
    EXPECT_TRUE(TraceAssert(false, "nBuf >= 0", "TraceLog.cpp", 42));
    SetLogFile(nullptr, true);
    ASSERT_EQ(capture.messages().size(), 2u);
    EXPECT_EQ(capture.messages()[0], "TraceLog.cpp(42): ASSERT FAILURE! Expression: nBuf >= 0\n");
    EXPECT_TRUE(capture.messages()[1].starts_with("trace_log.cpp("));
    EXPECT_TRUE(capture.messages()[1].ends_with("): ASSERT FAILURE! Expression: FALSE\n"));
}

TEST_F(TraceLogTest, AnOutputHookTakesTheFileWritersPlace) {
    SetLogFile(logPath().c_str(), true);
    std::vector<std::string> lines;
    SetTraceOutputHook([&lines](std::u16string_view line) { lines.push_back(utf16ToUtf8(line)); });
    Trace("watched\n");
    EXPECT_EQ(lines, std::vector<std::string>{"00000.000: watched\n"});
    EXPECT_EQ(logBytes(), kBom);
    SetTraceOutputHook(nullptr);
    EXPECT_FALSE(IsTraceOn());
    // Opening a log puts the file writer back.
    SetLogFile(logPath().c_str(), true);
    Trace("written\n");
    EXPECT_EQ(logBytes(), concat({kBom, utf16le("00000.000: written"), kCrLf}));
}

TEST_F(TraceLogTest, ClosingTheFileKeepsTracingOnButWritesNothing) {
    SetLogFile(logPath().c_str(), true);
    Trace("kept\n");
    SetLogFile(logPath().c_str(), false);
    EXPECT_TRUE(IsTraceOn());
    Trace("dropped\n");
    EXPECT_EQ(logBytes(), concat({kBom, utf16le("00000.000: kept"), kCrLf}));
}

TEST_F(TraceLogTest, AFolderThatCannotHoldTheLogLeavesTracingOff) {
    OpenRunLog(std::nullopt);
    const fs::path missing = folder_.path() / "missing" / "deeper";
    OpenRunLog(missing.string());
    EXPECT_FALSE(IsTraceOn());
    Trace("nothing\n");
    // The front end can tell the user why there is no log.
    const LogFileState state = CurrentLogFile();
    EXPECT_EQ(state.path, (missing / kLogFileName).string());
    EXPECT_FALSE(state.open);
    EXPECT_FALSE(state.failure.empty());

    OpenRunLog(folder_.path().string());
    EXPECT_TRUE(CurrentLogFile().open);
    EXPECT_EQ(CurrentLogFile().path, logPath());
    EXPECT_TRUE(CurrentLogFile().failure.empty());
}

TEST(TraceClockTest, ARunsClockStampsTheLogOnlyWhileTheRunLasts) {
    {
        VirtualClock runClock;
        const TraceClockScope scope(runClock);
        EXPECT_EQ(&TraceClock(), &runClock);
    }
    // The run's clock is gone: whatever is traced afterwards takes the platform's.
    EXPECT_EQ(&TraceClock(), &systemClock());
}

TEST(VirtualClockTest, LocalTimeRollsOverDaysMonthsAndYears) {
    VirtualClock clock(LocalDateTime{2026, 12, 31, 23, 59, 58});
    clock.sleepFor(3000ms);
    const LocalDateTime t = clock.localDateTime();
    EXPECT_EQ(t.year, 2027);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.minute, 0);
    EXPECT_EQ(t.second, 1);
}

}  // namespace
}  // namespace zeltor
