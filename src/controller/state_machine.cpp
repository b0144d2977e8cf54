// The update state machine: entry actions, timers, buttons and closing.
#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "host/companion.h"
#include "host/update_flag.h"
#include "trace/trace_log.h"
#include "ui/dialog_controls.h"
#include "ui/string_ids.h"

namespace zeltor {

bool g_LastUpdateFailed = false;

void CBrennicDFUDlg::PostSwitchToState(DfuState state) {
    m_Dialog.postSwitchState(state, [this, state] { SwitchToState(state); });
}

void CBrennicDFUDlg::SwitchToState(DfuState state) {
    Trace("CBrennicDFUDlg::SwitchToState() called from %d to %d\n", static_cast<int>(m_State),
          static_cast<int>(state));
    m_State = state;
    disarmDeviceWait();
    // From the version check to the pairing the devices may be part-way through a change.
    const bool stepUnderWay = state >= DFU_STATE_CHECK_VERSIONS && state <= DFU_STATE_PAIR;
    if (stepUnderWay != m_SleepHeldOff) {
        m_SleepHeldOff = stepUnderWay;
        m_Host.holdOffSleep(stepUnderWay);
    }
    switch (state) {
        case DFU_STATE_WAIT_DEVICES:
            m_Dialog.showControl(IDC_PROGRESS, false);
            m_Dialog.showControl(IDC_CLOSE, false);
            m_Dialog.enableControl(IDC_CLOSE, false);
            m_Dialog.showControl(IDC_STATUS_LINK, false);
            m_Dialog.showControl(IDC_START, false);
            setControlText(IDC_INSTRUCTIONS, IDS_CONNECT_DEVICES);
            m_Dialog.killTimer(DFU_TIMER_STEP);
            break;
        case DFU_STATE_CHECK_VERSIONS:
            m_Dialog.setProgressPosition(0);
            if (isZeltorUpToDate()) {
                PostSwitchToState(DFU_STATE_UP_TO_DATE);
                break;
            }
            prepareUpdatePlans();
            if (isAnyPlanMissing()) {
                // Nothing may be sent into a bootloader that would then have nothing to flash.
                SwitchToState(DFU_STATE_FAILED);
                break;
            }
            m_Dialog.showControl(IDC_PROGRESS, true);
            setControlText(IDC_INSTRUCTIONS, IDS_UPDATING);
            setUpdateInProgress(m_Host, true);
            PostSwitchToState(DFU_STATE_ENTER_HEADSET_BOOTLOADER);
            break;
        case DFU_STATE_READY:
            prepareUpdatePlans();
            setControlText(IDC_INSTRUCTIONS, 0);
            m_Dialog.showControl(IDC_CLOSE, false);
            m_Dialog.enableControl(IDC_CLOSE, false);
            m_Dialog.showControl(IDC_START, true);
            m_Dialog.showControl(IDC_STATUS_LINK, false);
            break;
        case DFU_STATE_ENTER_HEADSET_BOOTLOADER:
            if (m_Options.m_SkipHeadset) {
                PostSwitchToState(DFU_STATE_ENTER_DONGLE_BOOTLOADER);
                break;
            }
            enterAvneraHeadsetBootloaderMode();
            PostSwitchToState(DFU_STATE_WAIT_HEADSET_BOOTLOADER);
            m_Dialog.showControl(IDC_STATUS_LINK, true);
            setControlText(IDC_STATUS_LINK, IDS_RESETTING_HEADSET);
            break;
        case DFU_STATE_WAIT_HEADSET_BOOTLOADER:
            armDeviceWait();
            if (m_AvneraHeadsetUpdater.IsOpen()) {
                PostSwitchToState(DFU_STATE_UPDATE_HEADSET);
            }
            break;
        case DFU_STATE_UPDATE_HEADSET:
            m_Dialog.showControl(IDC_STATUS_LINK, true);
            setControlText(IDC_STATUS_LINK, IDS_UPDATING_HEADSET);
            m_Dialog.setTimer(DFU_TIMER_STEP, m_StepPeriodMs);
            break;
        case DFU_STATE_ENTER_DONGLE_BOOTLOADER:
            if (m_Options.m_SkipDongle) {
                PostSwitchToState(DFU_STATE_PREPARE_MCU);
                break;
            }
            enterAvneraDongleBootloaderMode();
            SwitchToState(DFU_STATE_WAIT_DONGLE_BOOTLOADER);
            break;
        case DFU_STATE_WAIT_DONGLE_BOOTLOADER:
            armDeviceWait();
            if (m_AvneraDongleUpdater.IsOpen()) {
                PostSwitchToState(DFU_STATE_UPDATE_DONGLE);
            }
            m_Dialog.showControl(IDC_STATUS_LINK, true);
            setControlText(IDC_STATUS_LINK, IDS_RESETTING_DONGLE);
            break;
        case DFU_STATE_UPDATE_DONGLE:
            m_Dialog.showControl(IDC_STATUS_LINK, true);
            setControlText(IDC_STATUS_LINK, IDS_UPDATING_DONGLE);
            m_Dialog.setTimer(DFU_TIMER_STEP, m_StepPeriodMs);
            break;
        case DFU_STATE_PREPARE_MCU:
            enterMCUPreparation();
            break;
        case DFU_STATE_UPDATE_MCU:
            m_Dialog.showControl(IDC_STATUS_LINK, true);
            setControlText(IDC_STATUS_LINK, IDS_UPDATING_MCU);
            m_Dialog.setTimer(DFU_TIMER_STEP, m_StepPeriodMs);
            break;
        case DFU_STATE_WAIT_REATTACH:
            armDeviceWait();
            break;
        case DFU_STATE_PAIR:
            pairDevices();
            break;
        case DFU_STATE_SUCCESS:
            setControlText(IDC_INSTRUCTIONS, IDS_SUCCESS);
            m_Dialog.showControl(IDC_CLOSE, true);
            m_Dialog.enableControl(IDC_CLOSE, true);
            m_Dialog.showControl(IDC_STATUS_LINK, false);
            m_Dialog.showControl(IDC_PROGRESS, false);
            break;
        case DFU_STATE_UP_TO_DATE:
            setControlText(IDC_INSTRUCTIONS, IDS_UP_TO_DATE);
            m_Dialog.showControl(IDC_CLOSE, true);
            m_Dialog.showControl(IDC_STATUS_LINK, false);
            m_Dialog.enableControl(IDC_CLOSE, true);
            m_Dialog.showControl(IDC_PROGRESS, false);
            break;
        case DFU_STATE_FAILED:
            enterFailureState();
            break;
        default:
            // 0, 11, the reserved 15 and unknown numbers: only recorded.
            break;
    }
}

void CBrennicDFUDlg::enterMCUPreparation() {
    if (m_Options.m_SkipMCU) {
        PostSwitchToState(DFU_STATE_PAIR);
        return;
    }
    if (GetMCUPatchVersion(1) != 0 || m_MCURetry) {
        enterMCUUpdateMode();
        SwitchToState(DFU_STATE_WAIT_MCU);
        m_Dialog.setTimer(DFU_TIMER_WATCHDOG, kWatchdogPeriodMs);
    } else {
        PostSwitchToState(DFU_STATE_UPDATE_MCU);
    }
}

void CBrennicDFUDlg::enterFailureState() {
    m_Options.m_Force = true;
    m_RetryAwaitsPerson = true;
    showSupportLink();
    ++m_FailedRetries;
    Trace("Entered DFU_STATE_FAILED. Failed retries = %d\n", static_cast<int>(m_FailedRetries));
    m_Dialog.showControl(IDC_PROGRESS, false);
    if (m_FailedRetries > m_MaxRetries) {
        setControlText(IDC_INSTRUCTIONS, IDS_CUSTOMER_CARE);
    } else if (areDevicesAttached()) {
        setControlText(IDC_INSTRUCTIONS, IDS_REPLUG);
        m_Dialog.killTimer(DFU_TIMER_STEP);
    } else {
        PostSwitchToState(DFU_STATE_WAIT_DEVICES);
    }
}

bool CBrennicDFUDlg::isZeltorUpToDate() {
    const bool forced = m_Options.m_Force || g_LastUpdateFailed;
    if (m_Options.m_Force) {
        DebugPrint("Brennic: /FORCE enabled. Forcing the DFU\n");
    }
    if (g_LastUpdateFailed) {
        DebugPrint("Brennic: Last update failed. Forcing the DFU\n");
    }
    const bool upToDate = !forced && IsMCUCurrent() && IsHeadsetCurrent() && IsDongleCurrent();
    Trace("isZeltorUpToDate: force=%d, failed=%d, isUpToDate=%d\n", m_Options.m_Force ? 1 : 0,
          g_LastUpdateFailed ? 1 : 0, upToDate ? 1 : 0);
    return upToDate;
}

void CBrennicDFUDlg::prepareUpdatePlans() {
    m_MCUPlanFromOverride = false;
    if (m_MCUPlan.empty() || m_DongleQueue.empty() || m_HeadsetQueue.empty()) {
        if (!m_Options.m_ForceDir.empty()) {
            loadForceDirImages(m_Options.m_ForceDir);
        }
        selectFirmwareImages();
        buildAvneraHeadsetFirmwareUpdate();
        buildAvneraDongleFirmwareUpdate();
    }
    m_MCUQueue = m_MCUPlan;
    m_HeadsetQueue = m_HeadsetPlan;
    m_DongleQueue = m_DonglePlan;
    std::uint32_t total = 0;
    if (!m_Options.m_SkipHeadset) {
        total += static_cast<std::uint32_t>(m_HeadsetQueue.size());
    }
    if (!m_Options.m_SkipDongle) {
        total += static_cast<std::uint32_t>(m_DongleQueue.size());
    }
    if (!m_Options.m_SkipMCU) {
        total += static_cast<std::uint32_t>(m_MCUQueue.size());
    }
    m_Dialog.setProgressRange(total);
    m_Dialog.setProgressStep(1);
}

bool CBrennicDFUDlg::isAnyPlanMissing() const {
    bool missing = false;
    const auto check = [&missing](bool skipped, const PacketQueue& plan, const char* image) {
        if (!skipped && plan.empty()) {
            Trace("  No usable %s firmware image: the update cannot start\n", image);
            missing = true;
        }
    };
    check(m_Options.m_SkipHeadset, m_HeadsetPlan, "headset");
    check(m_Options.m_SkipDongle, m_DonglePlan, "dongle");
    check(m_Options.m_SkipMCU, m_MCUPlan, "MCU");
    return missing;
}

bool CBrennicDFUDlg::areDevicesAttached() const {
    const bool normal = !g_LastUpdateFailed && m_ZeltorHeadsetUpdater.IsOpen() &&
                        m_ZeltorDongleUpdater.IsOpen() && m_ZeltorMCUUpdater.IsOpen();
    const bool forced = (m_Options.m_Force || g_LastUpdateFailed) &&
                        (m_ZeltorHeadsetUpdater.IsOpen() || m_AvneraHeadsetUpdater.IsOpen()) &&
                        (m_ZeltorDongleUpdater.IsOpen() || m_AvneraDongleUpdater.IsOpen());
    return normal || forced;
}

bool CBrennicDFUDlg::canClose() const {
    switch (m_State) {
        case DFU_STATE_WAIT_DEVICES:
        case DFU_STATE_READY:
        case DFU_STATE_SUCCESS:
        case DFU_STATE_UP_TO_DATE:
        case DFU_STATE_FAILED:
            return true;
        default:
            return false;
    }
}

void CBrennicDFUDlg::OnTimer(std::uint32_t id) {
    m_Dialog.killTimer(id);
    if (id == DFU_TIMER_WATCHDOG) {
        DebugPrint("Brennic: Failed to detect device transition. Restarting.\n");
        SwitchToState(DFU_STATE_FAILED);
    } else if (id == DFU_TIMER_STEP) {
        OnStepTimer();
    } else if (id == DFU_TIMER_DEVICE_WAIT) {
        onDeviceWaitExpired();
    }
}

void CBrennicDFUDlg::armDeviceWait() {
    m_Dialog.setTimer(DFU_TIMER_DEVICE_WAIT, kDeviceWaitLimitMs);
    m_DeviceWaitArmed = true;
}

void CBrennicDFUDlg::disarmDeviceWait() {
    if (m_DeviceWaitArmed) {
        m_Dialog.killTimer(DFU_TIMER_DEVICE_WAIT);
        m_DeviceWaitArmed = false;
    }
}

void CBrennicDFUDlg::onDeviceWaitExpired() {
    m_DeviceWaitArmed = false;
    const char* missing = nullptr;
    switch (m_State) {
        case DFU_STATE_WAIT_HEADSET_BOOTLOADER:
            missing = "the headset bootloader did not attach";
            break;
        case DFU_STATE_UPDATE_HEADSET:
            missing = "the headset did not come back in application mode";
            break;
        case DFU_STATE_WAIT_DONGLE_BOOTLOADER:
            missing = "the dongle bootloader did not attach";
            break;
        case DFU_STATE_UPDATE_DONGLE:
            missing = "the dongle did not come back in application mode";
            break;
        case DFU_STATE_WAIT_REATTACH:
            missing = m_ZeltorHeadsetUpdater.IsOpen() ? "the headset MCU did not come back"
                      : m_ZeltorMCUUpdater.IsOpen()   ? "the headset did not come back"
                                                      : "the headset and its MCU did not come back";
            break;
        default:
            // Every state change disarms the wait; a late tick has nothing to end.
            return;
    }
    Trace("Device wait: %s within %u s\n", missing, kDeviceWaitLimitMs / 1000);
    SwitchToState(DFU_STATE_FAILED);
}

void CBrennicDFUDlg::OnStepTimer() {
    switch (m_State) {
        case DFU_STATE_UPDATE_HEADSET:
            StepHeadsetTransfer();
            break;
        case DFU_STATE_UPDATE_DONGLE:
            StepDongleTransfer();
            break;
        case DFU_STATE_UPDATE_MCU:
            StepMCUTransfer();
            break;
        default:
            // A tick that arrives after its state has moved on.
            break;
    }
}

void CBrennicDFUDlg::OnStartClicked() {
    m_Dialog.showControl(IDC_PROGRESS, true);
    setControlText(IDC_INSTRUCTIONS, IDS_UPDATING);
    PostSwitchToState(DFU_STATE_CHECK_VERSIONS);
    m_Dialog.showControl(IDC_START, false);
    m_StartPressed = true;
    m_RetryAwaitsPerson = false;
}

void CBrennicDFUDlg::OnCloseClicked() {
    OnOK();
}

void CBrennicDFUDlg::OnOK() {
    if (!canClose()) {
        return;
    }
    restartQumbit(m_Host, m_QumbitStopped, m_State == DFU_STATE_READY);
    m_Dialog.endDialog(IDOK);
}

void CBrennicDFUDlg::OnCancel() {
    if (!canClose()) {
        return;
    }
    restartQumbit(m_Host, m_QumbitStopped, m_State == DFU_STATE_READY);
    m_Dialog.endDialog(IDCANCEL);
}

}  // namespace zeltor
