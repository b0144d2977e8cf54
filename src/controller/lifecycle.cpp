// Construction, initialisation and destruction of the main dialog.
#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "hid/discovery.h"
#include "host/companion.h"
#include "host/driver_guard.h"
#include "host/update_flag.h"
#include "trace/run_log.h"
#include "trace/trace_log.h"

namespace zeltor {

CBrennicDFUDlg::CBrennicDFUDlg(DialogHost& dialog, HidBackend& hid, HostServices& host,
                               CRandom& random, RunOptions& options, Clock& clock)
    : m_Dialog(dialog),
      m_Hid(hid),
      m_Host(host),
      m_Random(random),
      m_Options(options),
      m_Clock(clock),
      m_ZeltorMCUUpdater(hid, clock, options.m_Verbose),
      m_ZeltorHeadsetUpdater(hid, clock, options.m_Verbose),
      m_ZeltorDongleUpdater(hid, clock, options.m_Verbose),
      m_AvneraHeadsetUpdater(hid, clock, options.m_Verbose),
      m_AvneraDongleUpdater(hid, clock, options.m_Verbose) {
    g_LastUpdateFailed = isUpdateInProgress(m_Host);
    m_StepPeriodMs = effectiveStepPeriodMs(m_Options);
    if (m_Options.m_Log) {
        OpenRunLog(m_Host.documentsFolder());
    }
    m_Random.seed(m_Host.tickCount());
    if (!m_Options.m_Tesmoray) {
        m_Options.m_Tesmoray = detectTesmorayRegion(m_Host);
    }
}

CBrennicDFUDlg::~CBrennicDFUDlg() {
    if (m_SleepHeldOff) {
        m_Host.holdOffSleep(false);
    }
    if (driverGuardApplies(m_Host)) {
        setAutomaticDriverUpdates(m_Host, false);
    }
    m_Hid.registerInterfaceNotifications(nullptr);
}

bool CBrennicDFUDlg::OnInitDialog() {
    m_QumbitStopped = false;
    m_State = DFU_STATE_STARTING;
    m_Hid.registerInterfaceNotifications(this);
    const CompanionState companion = stopQumbit(m_Host, m_Clock);
    m_QumbitPath = companion.path;
    m_QumbitStopped = companion.stopped;
    saveQumbitPath(m_Host, m_QumbitPath);
    initDialogTexts();
    EnumerateHidDevices(m_Hid, [this](const std::string& path) { onHidDeviceArrival(path); });
    chooseHeadsetType();
    if (driverGuardApplies(m_Host)) {
        setAutomaticDriverUpdates(m_Host, true);
    }
    return true;
}

}  // namespace zeltor
