// Version query, bootloader entry and pairing of the wireless chips in application mode.
#include <chrono>

#include "base/clock.h"
#include "controller/brennic_dfu_dlg.h"
#include "host/update_flag.h"
#include "protocol/avnera_commands.h"
#include "protocol/avnera_plan.h"
#include "trace/trace_log.h"

namespace zeltor {

std::uint8_t CBrennicDFUDlg::GetAvneraVersion(cDeviceUpdater& channel, std::uint8_t* minor) {
    if (!channel.SetFeature(avneraVersionRequest())) {
        return 0;
    }
    m_Clock.sleepFor(std::chrono::milliseconds(kAvneraVersionWaitMs));
    ByteVector answer(1);
    if (!channel.GetFeature(kAvneraCommandReportId, answer)) {
        return 0;
    }
    const auto version = parseAvneraVersion(answer);
    if (!version) {
        return 0;
    }
    if (minor != nullptr) {
        *minor = version->minor;
    }
    return version->major;
}

std::uint8_t CBrennicDFUDlg::GetDongleVersion() {
    std::uint8_t minor = 0;
    const std::uint8_t major = GetAvneraVersion(m_ZeltorDongleUpdater, &minor);
    DebugPrint("Brennic: Dongle version=%d.%d\n", major, minor);
    return major;
}

std::uint8_t CBrennicDFUDlg::GetHeadsetVersion() {
    std::uint8_t minor = 0;
    const std::uint8_t major = GetAvneraVersion(m_ZeltorHeadsetUpdater, &minor);
    DebugPrint("Brennic: Headset version=%d.%d\n", major, minor);
    return major;
}

bool CBrennicDFUDlg::IsDongleCurrent() {
    return isCurrentVersion(GetDongleVersion());
}

bool CBrennicDFUDlg::IsHeadsetCurrent() {
    return isCurrentVersion(GetHeadsetVersion());
}

bool CBrennicDFUDlg::enterAvneraHeadsetBootloaderMode() {
    Trace("CBrennicDFUDlg::enterAvneraHeadsetBootloaderMode\n");
    m_ZeltorHeadsetUpdater.SetFeature(avneraBootloaderEntryCommand());
    return true;
}

bool CBrennicDFUDlg::enterAvneraDongleBootloaderMode() {
    Trace("CBrennicDFUDlg::enterAvneraDongleBootloaderMode\n");
    if (!buildAvneraDongleFirmwareUpdate()) {
        return false;
    }
    return m_ZeltorDongleUpdater.SetFeature(avneraBootloaderEntryCommand());
}

std::uint32_t CBrennicDFUDlg::MakePairingId() {
    std::uint32_t id = 0;
    for (int i = 0; i < 4; ++i) {
        id |= static_cast<std::uint32_t>(m_Random.next() % 256) << (8 * i);
    }
    return id;
}

bool CBrennicDFUDlg::sendPairingId(std::uint32_t id, bool isDongle) {
    cDeviceUpdater& channel = isDongle ? m_ZeltorDongleUpdater : m_ZeltorHeadsetUpdater;
    const bool idSent = channel.SetFeature(avneraPairingIdReport(id, isDongle));
    m_Clock.sleepFor(std::chrono::milliseconds(kAvneraPairingPauseMs));
    const bool confirmed = channel.SetFeature(avneraPairingConfirmReport());
    m_Clock.sleepFor(std::chrono::milliseconds(kAvneraPairingPauseMs));
    return idSent && confirmed;
}

void CBrennicDFUDlg::pairDevices() {
    const std::uint32_t id = MakePairingId();
    const bool dongleOk = sendPairingId(id, true);
    const bool headsetOk = sendPairingId(id, false);
    if (!dongleOk || !headsetOk) {
        // Devices that did not both take the id are not paired: never report that as success.
        // Nor reset them: a reset makes the headset leave and come back, and its MCU leaving in
        // the failure state is what a user's replug looks like, so the tool would start the
        // whole update again by itself, over and over, with nobody touching anything.
        Trace("  Pairing id could not be delivered to the %s; the devices are not reset\n",
              !dongleOk && !headsetOk ? "dongle and the headset"
                                      : (!dongleOk ? "dongle" : "headset"));
        SwitchToState(DFU_STATE_FAILED);
        return;
    }
    const ByteVector reset = avneraResetRequest();
    m_ZeltorHeadsetUpdater.SetFeatureBytes(reset.data(), reset.size());
    m_ZeltorDongleUpdater.SetFeatureBytes(reset.data(), reset.size());
    DebugPrint("Brennic: Pairing devices to id 0x%x\n", id);
    SwitchToState(DFU_STATE_SUCCESS);
    setUpdateInProgress(m_Host, false);
}

}  // namespace zeltor
