// The MCU's patch version and its update-mode command.
#include <chrono>

#include "base/clock.h"
#include "controller/brennic_dfu_dlg.h"
#include "protocol/mcu_commands.h"
#include "protocol/mcu_plan.h"
#include "trace/trace_log.h"

namespace zeltor {

std::uint8_t CBrennicDFUDlg::GetMCUPatchVersion(unsigned attempts) {
    if (!m_ZeltorMCUUpdater.IsOpen()) {
        Trace("GetMCUPatchVersion: m_ZeltorMCUUpdater is not valid\n");
        return 0;
    }
    for (unsigned attempt = 1; attempt <= attempts; ++attempt) {
        const ByteVector answer =
            m_ZeltorMCUUpdater.WriteReadReport(mcuVersionRequest(), kMCUReportId, 100);
        if (const auto version = parseMCUVersion(answer)) {
            Trace("Brennic: MCU version=%d\n", *version);
            return *version;
        }
        Trace("Brennic: failed to get MCU version (attempt=%d)\n", static_cast<int>(attempt));
        m_Clock.sleepFor(std::chrono::milliseconds(10));
    }
    Trace("Brennic: failed to get version\n");
    return 0;
}

bool CBrennicDFUDlg::IsMCUCurrent() {
    return isCurrentVersion(GetMCUPatchVersion(5));
}

bool CBrennicDFUDlg::enterMCUUpdateMode() {
    if (!m_ZeltorMCUUpdater.IsOpen()) {
        return false;
    }
    return m_ZeltorMCUUpdater.WriteReport(mcuUpdateModeCommand());
}

}  // namespace zeltor
