// The fine timer period the dialog's loop holds while it waits for short timeouts: taken once
// for a run of short waits, given back for a long wait or a wait for input only, never left
// held, and a refusal traced.
#include <gtest/gtest.h>
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/timer_resolution_win32.h"
#include "support/log_capture.h"

namespace zeltor {
namespace {

// The period requests as the system would see them.
struct PeriodLog {
    std::vector<std::string> calls;
    UINT beginResult = TIMERR_NOERROR;

    TimerResolutionHold::PeriodCalls periodCalls() {
        return {[this](UINT periodMs) {
                    calls.push_back("begin " + std::to_string(periodMs));
                    return beginResult;
                },
                [this](UINT periodMs) {
                    calls.push_back("end " + std::to_string(periodMs));
                    return static_cast<UINT>(TIMERR_NOERROR);
                }};
    }
};

struct WaitCase {
    const char* name;
    std::vector<DWORD> waits;
    std::vector<std::string> calls;  // after the waits, before the hold ends
    bool heldAfter;
};

class TimerResolutionWaits : public testing::TestWithParam<WaitCase> {};

TEST_P(TimerResolutionWaits, HoldsTheFinePeriodWhileWaitsAreShort) {
    const WaitCase& c = GetParam();
    PeriodLog log;
    {
        TimerResolutionHold hold(log.periodCalls());
        for (const DWORD wait : c.waits) {
            hold.beforeWait(wait);
        }
        EXPECT_EQ(log.calls, c.calls);
        EXPECT_EQ(hold.held(), c.heldAfter);
    }
    // Whatever was taken is given back when the loop ends.
    if (c.heldAfter) {
        EXPECT_EQ(log.calls.back(), "end 1");
    }
    EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "begin 1"),
              std::count(log.calls.begin(), log.calls.end(), "end 1"));
}

INSTANTIATE_TEST_SUITE_P(
    TimerResolution, TimerResolutionWaits,
    testing::Values(WaitCase{"nothing_waited", {}, {}, false},
                    WaitCase{"input_only", {INFINITE}, {}, false},
                    WaitCase{"a_transfer_of_ticks", {10, 9, 10, 0, 10}, {"begin 1"}, true},
                    WaitCase{"the_limit_is_still_short", {1000}, {"begin 1"}, true},
                    WaitCase{"ticks_then_rest", {10, 10, 1001}, {"begin 1", "end 1"}, false},
                    WaitCase{"ticks_rest_ticks_input",
                             {10, 30000, 10, 10, INFINITE},
                             {"begin 1", "end 1", "begin 1", "end 1"},
                             false}),
    [](const testing::TestParamInfo<WaitCase>& info) { return info.param.name; });

TEST(TimerResolution, ARefusedPeriodIsTracedAndAskedForAgainAtTheNextShortWait) {
    test::TraceCapture capture;
    PeriodLog log;
    log.beginResult = TIMERR_NOCANDO;
    {
        TimerResolutionHold hold(log.periodCalls());
        hold.beforeWait(10);
        EXPECT_FALSE(hold.held());
        log.beginResult = TIMERR_NOERROR;
        hold.beforeWait(10);
        EXPECT_TRUE(hold.held());
    }
    EXPECT_EQ(log.calls, (std::vector<std::string>{"begin 1", "begin 1", "end 1"}));
    EXPECT_EQ(capture.messages(),
              std::vector<std::string>{"timeBeginPeriod(1) failed: result=97\n"});
}

TEST(TimerResolution, TheSystemsPeriodCallsAreBalanced) {
    // On the system's own calls: a period taken and given back, twice, without complaint.
    test::TraceCapture capture;
    {
        TimerResolutionHold hold;
        hold.beforeWait(10);
        EXPECT_TRUE(hold.held());
        hold.beforeWait(INFINITE);
        EXPECT_FALSE(hold.held());
        hold.beforeWait(10);
    }
    EXPECT_TRUE(capture.messages().empty());
}

}  // namespace
}  // namespace zeltor
