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
                               CRandom& random)
    : m_Dialog(dialog),
      m_Hid(hid),
      m_Host(host),
      m_Random(random),
      m_ZeltorMCUUpdater(hid, g_RunOptions.m_Verbose),
      m_ZeltorHeadsetUpdater(hid, g_RunOptions.m_Verbose),
      m_ZeltorDongleUpdater(hid, g_RunOptions.m_Verbose),
      m_AvneraHeadsetUpdater(hid, g_RunOptions.m_Verbose),
      m_AvneraDongleUpdater(hid, g_RunOptions.m_Verbose) {
    g_LastUpdateFailed = isUpdateInProgress(m_Host);
    m_StepPeriodMs = effectiveStepPeriodMs(g_RunOptions);
    if (g_RunOptions.m_Log) {
        OpenRunLog(m_Host.documentsFolder());
    }
    m_Random.seed(m_Host.tickCount());
    if (!g_RunOptions.m_Tesmoray) {
        g_RunOptions.m_Tesmoray = detectTesmorayRegion(m_Host);
    }
}

CBrennicDFUDlg::~CBrennicDFUDlg() {
    if (driverGuardApplies(m_Host)) {
        setAutomaticDriverUpdates(m_Host, false);
    }
    m_Hid.registerInterfaceNotifications(nullptr);
}

bool CBrennicDFUDlg::OnInitDialog() {
    m_QumbitStopped = false;
    m_State = DFU_STATE_STARTING;
    m_Hid.registerInterfaceNotifications(this);
    const CompanionState companion = stopQumbit(m_Host);
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
