#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/run_options.h"
#include "base/bytes.h"
#include "base/c_random.h"
#include "controller/dfu_state.h"
#include "hid/device_change.h"
#include "hid/device_role.h"
#include "hid/device_updater.h"
#include "host/host_services.h"
#include "protocol/dfu_packet.h"
#include "ui/dialog_host.h"

namespace zeltor {

// Set once, when the dialog is constructed, from the persistent "InProgress" flag.
extern bool g_LastUpdateFailed;

// Whether a part that reports `version` (the MCU's patch version, a chip's major version) holds
// this package's firmware or newer; 0 is also what a part that does not answer reads as.
constexpr bool isCurrentVersion(std::uint8_t version) {
    return version >= 1;
}

// One interface notification, queued from the synchronous handler to the asynchronous one.
struct DeviceEventRecord {
    std::uint32_t m_EventType = 0;
    std::string m_DevicePath;
};

// The main dialog and update controller: it finds the devices, offers Start, sends both
// wireless chips into their bootloaders and streams their plans, updates the MCU when asked,
// pairs the devices, retries failures, and closes only when it may. Everything runs on the
// user-interface thread; inputs arrive through the dialog host one at a time.
class CBrennicDFUDlg final : public DeviceChangeSink {
public:
    // `options` are the run's switches, which the controller also changes as the product does
    // (the chooser's answer, a forced retry); every wait and pause goes through `clock`.
    CBrennicDFUDlg(DialogHost& dialog, HidBackend& hid, HostServices& host, CRandom& random,
                   RunOptions& options, Clock& clock);
    ~CBrennicDFUDlg() override;
    CBrennicDFUDlg(const CBrennicDFUDlg&) = delete;
    CBrennicDFUDlg& operator=(const CBrennicDFUDlg&) = delete;

    // --- Lifecycle ---------------------------------------------------------------------------
    bool OnInitDialog();

    // --- Inputs from the window --------------------------------------------------------------
    void OnTimer(std::uint32_t id);
    void OnStartClicked();
    void OnCloseClicked();
    void OnOK();
    void OnCancel();
    void OnStatusLinkClick(const std::string& address);
    void deviceChanged(const DeviceChange& change) override;
    bool OnDeviceChange(std::uint32_t eventType, const DeviceChange* data);
    void OnHidDeviceEvent(std::unique_ptr<DeviceEventRecord> record);

    // --- State machine -----------------------------------------------------------------------
    void SwitchToState(DfuState state);
    void PostSwitchToState(DfuState state);
    bool isZeltorUpToDate();
    void prepareUpdatePlans();
    bool areDevicesAttached() const;
    bool canClose() const;
    void OnStepTimer();

    // --- Device event routing ----------------------------------------------------------------
    void onHidDeviceArrival(const std::string& path);
    void onHidDeviceRemoval(const std::string& path);
    void onHidHandleRemoval(HidHandle handle);
    void checkDevicesAttached();

    // --- Firmware images ---------------------------------------------------------------------
    bool selectFirmwareImages();
    bool loadMCUImage();
    bool loadForceDirImages(const std::string& directory);
    bool buildAvneraHeadsetFirmwareUpdate();
    bool buildAvneraDongleFirmwareUpdate();
    bool buildAvneraFirmwareUpdate(bool dongle, const ByteVector& image, PacketQueue& plan);

    // --- Wireless chip and MCU commands -------------------------------------------------------
    std::uint8_t GetAvneraVersion(cDeviceUpdater& channel, std::uint8_t* minor);
    std::uint8_t GetDongleVersion();
    std::uint8_t GetHeadsetVersion();
    bool IsDongleCurrent();
    bool IsHeadsetCurrent();
    bool enterAvneraHeadsetBootloaderMode();
    bool enterAvneraDongleBootloaderMode();
    void pairDevices();
    // False when either report could not be delivered.
    bool sendPairingId(std::uint32_t id, bool isDongle);
    std::uint32_t MakePairingId();
    std::uint8_t GetMCUPatchVersion(unsigned attempts);
    bool IsMCUCurrent();
    bool enterMCUUpdateMode();

    // --- Transfer pump -----------------------------------------------------------------------
    void StepHeadsetTransfer();
    void StepDongleTransfer();
    void StepMCUTransfer();
    void DumpFailedPacket(const DfuPacket& packet, int packetsLeft);

    // --- Dialog texts ------------------------------------------------------------------------
    void initDialogTexts();
    void setDialogTexts();
    void fillReleaseNotes();
    void setControlText(int controlId, int stringId);
    void showSupportLink();
    void chooseHeadsetType();

    // --- What tests and front ends read ------------------------------------------------------
    DfuState state() const { return m_State; }
    // Failures so far, or the MCU pump's packet retries while it is retrying (see the field).
    std::uint32_t failedRetries() const { return m_FailedRetries; }
    std::uint32_t stepPeriodMs() const { return m_StepPeriodMs; }
    bool startPressed() const { return m_StartPressed; }
    bool mcuRetry() const { return m_MCURetry; }
    const PacketQueue& headsetPlan() const { return m_HeadsetPlan; }
    const PacketQueue& donglePlan() const { return m_DonglePlan; }
    const PacketQueue& mcuPlan() const { return m_MCUPlan; }
    const PacketQueue& headsetQueue() const { return m_HeadsetQueue; }
    const PacketQueue& dongleQueue() const { return m_DongleQueue; }
    const PacketQueue& mcuQueue() const { return m_MCUQueue; }
    const cDeviceUpdater& channel(DeviceRole role) const;
    // The channel to ask through, for a front end that only reads what the devices hold.
    cDeviceUpdater& channel(DeviceRole role) { return channelOf(role); }
    bool qumbitStopped() const { return m_QumbitStopped; }

private:
    // A wireless chip's transfer step; the two differ only in queue, channel and trace text.
    void stepAvneraTransfer(PacketQueue& queue, cDeviceUpdater& channel, const char* failText);
    // Whether a transfer step may take its front packet; otherwise the state has moved on.
    bool readyToStep(const PacketQueue& queue, const cDeviceUpdater& channel);
    void enterFailureState();
    // The limit on waiting for a device to come back in the current state; any state change
    // ends it.
    void armDeviceWait();
    void disarmDeviceWait();
    void onDeviceWaitExpired();
    void enterMCUPreparation();
    bool isAnyPlanMissing() const;
    cDeviceUpdater& channelOf(DeviceRole role);
    // Moves the state machine for a role that has just arrived; false ends the arrival handling.
    bool roleArrived(DeviceRole role);

    DialogHost& m_Dialog;
    HidBackend& m_Hid;
    HostServices& m_Host;
    CRandom& m_Random;
    bool m_SleepHeldOff = false;
    RunOptions& m_Options;
    Clock& m_Clock;

    cDeviceUpdater m_ZeltorMCUUpdater;
    cDeviceUpdater m_ZeltorHeadsetUpdater;
    cDeviceUpdater m_ZeltorDongleUpdater;
    cDeviceUpdater m_AvneraHeadsetUpdater;
    cDeviceUpdater m_AvneraDongleUpdater;
    PacketQueue m_MCUPlan;
    PacketQueue m_HeadsetPlan;
    PacketQueue m_DonglePlan;
    PacketQueue m_MCUQueue;
    PacketQueue m_HeadsetQueue;
    PacketQueue m_DongleQueue;
    ByteVector m_HeadsetImage;
    ByteVector m_DongleImage;
    DfuState m_State = DFU_STATE_WAIT_DEVICES;
    bool m_QumbitStopped = false;
    std::string m_QumbitPath;
    bool m_StartPressed = false;
    // Set by a failure, cleared when a device is taken away or Start is pressed. A device that
    // comes back by itself (late from a restart the tool asked for) is no person asking for
    // another attempt: while this is set, the devices' return offers Start instead of flashing.
    bool m_RetryAwaitsPerson = false;
    bool m_MCURetry = false;
    std::uint32_t m_StepPeriodMs = kDefaultStepPeriodMs;
    // Two counts share this field: the entries into the failure state, and the MCU pump's retries
    // of a refused packet. They draw on one budget of m_MaxRetries: failures before the MCU
    // transfer leave it fewer packet retries, and running out of them resets the field before
    // the failure it ends in, which then counts as the first.
    std::uint32_t m_FailedRetries = 0;
    std::uint32_t m_MaxRetries = kMaxFailedRetries;
    // Set while one plan preparation has taken the MCU plan from an override file.
    bool m_MCUPlanFromOverride = false;
    bool m_DeviceWaitArmed = false;
};

}  // namespace zeltor
