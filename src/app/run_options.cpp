#include "app/run_options.h"

#include <cctype>
#include <climits>
#include <string_view>

#include "base/text.h"
#include "trace/trace_log.h"

namespace zeltor {

RunOptions g_RunOptions;

namespace {

struct FlagSwitch {
    const char* text;
    bool RunOptions::*field;
};

// Matched in this order; the first equal one wins.
constexpr FlagSwitch kFlagSwitches[] = {
    {"/FORCE", &RunOptions::m_Force},
    {"/SKIPHEADSET", &RunOptions::m_SkipHeadset},
    {"/SKIPDONGLE", &RunOptions::m_SkipDongle},
    {"/SKIPMCU", &RunOptions::m_SkipMCU},
    {"/LOG", &RunOptions::m_Log},
    {"/TESTMCURETRY", &RunOptions::m_TestMCURetry},
    {"/RANDOMFAILS", &RunOptions::m_RandomFails},
    {"/VERBOSE", &RunOptions::m_Verbose},
    {"/TESMORAY", &RunOptions::m_Tesmoray},
    {"/SHROUD", &RunOptions::m_Shroud},
};

constexpr std::string_view kForceDirSwitch = "/FORCEDIR=";
constexpr std::string_view kTimerSwitch = "/TIMER=";

// The C library's string-to-integer reading (white space, sign, digits up to the first
// non-digit, 0 without digits), saturating at the 32-bit range on every platform.
std::int32_t readDecimal(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isCSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1) {
            value = static_cast<long long>(INT32_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(value < INT32_MIN ? INT32_MIN : value);
}

void parseArgument(std::string_view argument, RunOptions& options) {
    for (const auto& flag : kFlagSwitches) {
        if (equalsIgnoringAsciiCase(argument, flag.text)) {
            options.*flag.field = true;
            return;
        }
    }
    if (const auto at = argument.find(kForceDirSwitch); at != std::string_view::npos) {
        const auto rest = argument.substr(at + kForceDirSwitch.size());
        if (rest.empty()) {
            return;
        }
        options.m_ForceDir = std::string(rest);
        options.m_Force = true;
    }
    if (const auto at = argument.find(kTimerSwitch); at != std::string_view::npos) {
        const auto rest = argument.substr(at + kTimerSwitch.size());
        if (!rest.empty()) {
            options.m_TimerMs = readDecimal(rest);
        }
    }
}

}  // namespace

std::uint32_t effectiveStepPeriodMs(const RunOptions& options) {
    return options.m_TimerMs > 0 ? static_cast<std::uint32_t>(options.m_TimerMs)
                                 : kDefaultStepPeriodMs;
}

bool parseCommandLine(std::uint32_t count, const char* const* arguments, RunOptions* options) {
    if (count == 0 || arguments == nullptr || options == nullptr) {
        return false;
    }
    Trace("Command Line:\n");
    for (std::uint32_t i = 0; i < count; ++i) {
        const char* argument = arguments[i] != nullptr ? arguments[i] : "";
        Trace("  [%d]: %s\n", static_cast<int>(i), argument);
        parseArgument(argument, *options);
    }
    return true;
}

}  // namespace zeltor
