#pragma once

#include <cstdint>
#include <string>

namespace zeltor {

// The command-line switches. Every switch only ever sets its field; nothing on the command line
// clears one, so the defaults below (forced, MCU skipped, logged) hold for a plain start.
struct RunOptions {
    bool m_Force = true;
    std::string m_ForceDir;  // UTF-8
    bool m_SkipHeadset = false;
    bool m_SkipDongle = false;
    bool m_SkipMCU = true;
    std::int32_t m_TimerMs = 0;
    bool m_Log = true;
    bool m_TestMCURetry = false;
    bool m_RandomFails = false;
    bool m_Verbose = false;
    bool m_Tesmoray = false;
    bool m_Shroud = false;
};

extern RunOptions g_RunOptions;

// The step timer's period when /TIMER= gives none.
inline constexpr std::uint32_t kDefaultStepPeriodMs = 10;

// The step timer's period the options ask for. A period of zero or below falls back to the
// default: a negative one would reach the timer as weeks and stall a device in its bootloader.
std::uint32_t effectiveStepPeriodMs(const RunOptions& options);

// Examines every argument (UTF-8) and fills `options`; false, with nothing traced or changed,
// when there is nothing to examine.
bool parseCommandLine(std::uint32_t count, const char* const* arguments, RunOptions* options);

}  // namespace zeltor
