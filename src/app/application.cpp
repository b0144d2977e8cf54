#include "app/application.h"

#include <cstdio>
#include <functional>
#include <optional>

#include "trace/run_log.h"
#include "trace/trace_log.h"

namespace zeltor {

std::string describeRunOptions(const RunOptions& o) {
    const auto flag = [](bool value) { return value ? "on" : "off"; };
    std::string text;
    const auto line = [&text](const char* name, const std::string& value) {
        text += "  ";
        text += name;
        text += ": ";
        text += value;
        text += '\n';
    };
    line("force", flag(o.m_Force));
    line("firmware folder", o.m_ForceDir.empty() ? "(embedded images)" : o.m_ForceDir);
    line("skip headset", flag(o.m_SkipHeadset));
    line("skip dongle", flag(o.m_SkipDongle));
    line("skip MCU", flag(o.m_SkipMCU));
    line("step period", std::to_string(effectiveStepPeriodMs(o)) + " ms");
    line("log", flag(o.m_Log));
    line("test MCU retry", flag(o.m_TestMCURetry));
    line("random fails", flag(o.m_RandomFails));
    line("verbose", flag(o.m_Verbose));
    line("Tesmoray images", flag(o.m_Tesmoray));
    line("shroud type", flag(o.m_Shroud));
    return text;
}

int runApplication(std::uint32_t count, const char* const* arguments,
                   const std::function<std::optional<std::string>()>& documentsFolder) {
    parseCommandLine(count, arguments, &g_RunOptions);
    if (g_RunOptions.m_Log) {
        OpenRunLog(documentsFolder());
    }
    const std::string summary = describeRunOptions(g_RunOptions);
    Trace("Run options:\n%s", summary.c_str());
    std::printf("Run options:\n%s", summary.c_str());
    return 0;
}

}  // namespace zeltor
