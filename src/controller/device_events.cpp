// Device arrivals and removals: channels open and close by role, and the state machine moves.
#include "app/run_options.h"
#include "controller/brennic_dfu_dlg.h"
#include "hid/discovery.h"
#include "trace/trace_log.h"
#include "ui/dialog_controls.h"
#include "ui/string_ids.h"

namespace zeltor {
namespace {

struct RoleTexts {
    DeviceRole role;
    const char* attached;
    const char* removedPath;
    const char* removedHandle;
};

// In arrival order, MCU first.
constexpr RoleTexts kRoleTexts[] = {
    {DeviceRole::ZeltorHeadsetMCU, "Zeltor headset (MCU) attached (%s)\n",
     "Zeltor headset (MCU) removed (%s)\n", "Zeltor headset (MCU) removed (0x%x)\n"},
    {DeviceRole::ZeltorHeadset, "Zeltor headset attached (%s)\n", "Zeltor headset removed (%s)\n",
     "Zeltor headset removed (0x%x)\n"},
    {DeviceRole::ZeltorDongle, "Zeltor dongle attached (%s)\n", "Zeltor dongle removed (%s)\n",
     "Zeltor dongle removed (0x%x)\n"},
    {DeviceRole::AvneraHeadsetBootloader, "Avnera headset bootloader attached (%s)\n",
     "Avnera headset bootloader removed (%s)\n", "Avnera headset bootloader removed (0x%x)\n"},
    {DeviceRole::AvneraDongleBootloader, "Avnera dongle bootloader attached (%s)\n",
     "Avnera dongle bootloader removed (%s)\n", "Avnera dongle bootloader removed (0x%x)\n"},
};

// Removals visit the roles in this order.
constexpr std::size_t kRemovalOrder[] = {1, 2, 3, 4, 0};

}  // namespace

cDeviceUpdater& CBrennicDFUDlg::channelOf(DeviceRole role) {
    switch (role) {
        case DeviceRole::ZeltorHeadsetMCU:
            return m_ZeltorMCUUpdater;
        case DeviceRole::ZeltorHeadset:
            return m_ZeltorHeadsetUpdater;
        case DeviceRole::ZeltorDongle:
            return m_ZeltorDongleUpdater;
        case DeviceRole::AvneraHeadsetBootloader:
            return m_AvneraHeadsetUpdater;
        case DeviceRole::AvneraDongleBootloader:
            break;
    }
    return m_AvneraDongleUpdater;
}

const cDeviceUpdater& CBrennicDFUDlg::channel(DeviceRole role) const {
    return const_cast<CBrennicDFUDlg*>(this)->channelOf(role);
}

void CBrennicDFUDlg::deviceChanged(const DeviceChange& change) {
    OnDeviceChange(change.eventType, change.hasHeader ? &change : nullptr);
}

bool CBrennicDFUDlg::OnDeviceChange(std::uint32_t eventType, const DeviceChange* data) {
    Trace("OnDeviceChange (sync): nEventType=0x%x\n", eventType);
    if (eventType != DBT_DEVICEARRIVAL && eventType != DBT_DEVICEREMOVECOMPLETE &&
        eventType != DBT_DEVICEQUERYREMOVE) {
        return true;
    }
    if (data != nullptr && data->deviceType == DBT_DEVTYP_DEVICEINTERFACE) {
        Trace("  dbcc_name = %s\n", data->devicePath.c_str());
        auto record = std::make_unique<DeviceEventRecord>();
        record->m_EventType = eventType;
        record->m_DevicePath = data->devicePath;
        // The record travels with the posted message and is released by its handler.
        std::shared_ptr<DeviceEventRecord> owned(std::move(record));
        m_Dialog.postDeviceEvent([this, owned]() mutable {
            OnHidDeviceEvent(std::make_unique<DeviceEventRecord>(std::move(*owned)));
        });
        if (eventType == DBT_DEVICEREMOVECOMPLETE) {
            onHidDeviceRemoval(data->devicePath);
        }
    }
    if (data != nullptr && data->deviceType == DBT_DEVTYP_HANDLE &&
        eventType == DBT_DEVICEQUERYREMOVE) {
        Trace("  dbch_handle = 0x%x\n", static_cast<unsigned>(data->handle));
        onHidHandleRemoval(data->handle);
    }
    return true;
}

void CBrennicDFUDlg::OnHidDeviceEvent(std::unique_ptr<DeviceEventRecord> record) {
    if (!record) {
        return;
    }
    const char* path = record->m_DevicePath.c_str();
    switch (record->m_EventType) {
        case DBT_DEVICEARRIVAL:
            Trace("HID_DEVICE_ARRIVAL: %s\n", path);
            onHidDeviceArrival(record->m_DevicePath);
            break;
        case DBT_DEVICEREMOVECOMPLETE:
            Trace("HID_DEVICE_REMOVAL: %s\n", path);
            break;
        default:
            Trace("HID_DEVICE_CHANGE_UNKNOWN (async): %s\n", path);
            break;
    }
}

void CBrennicDFUDlg::onHidDeviceArrival(const std::string& path) {
    for (const auto& texts : kRoleTexts) {
        cDeviceUpdater& channel = channelOf(texts.role);
        if (channel.IsOpen() || !IsDeviceRole(m_Hid, texts.role, path)) {
            continue;
        }
        Trace(texts.attached, path.c_str());
        channel.Open(path, this);
        if (!roleArrived(texts.role)) {
            return;
        }
    }
    if (m_State == DFU_STATE_WAIT_DEVICES) {
        checkDevicesAttached();
    } else if (m_State == DFU_STATE_WAIT_REATTACH && m_ZeltorHeadsetUpdater.IsOpen() &&
               m_ZeltorMCUUpdater.IsOpen()) {
        setControlText(IDC_STATUS_LINK, IDS_PAIRING);
        PostSwitchToState(DFU_STATE_PAIR);
    }
}

bool CBrennicDFUDlg::roleArrived(DeviceRole role) {
    switch (role) {
        case DeviceRole::ZeltorHeadset:
            if (m_State == DFU_STATE_UPDATE_HEADSET) {
                SwitchToState(DFU_STATE_ENTER_DONGLE_BOOTLOADER);
                return false;
            }
            if (m_State == DFU_STATE_WAIT_MCU) {
                if (m_Options.m_TestMCURetry) {
                    m_Options.m_TestMCURetry = false;
                    return false;
                }
                m_Dialog.killTimer(DFU_TIMER_WATCHDOG);
                SwitchToState(DFU_STATE_UPDATE_MCU);
            }
            return true;
        case DeviceRole::ZeltorDongle:
            if (m_State == DFU_STATE_UPDATE_DONGLE) {
                Trace("Updating MCU\n");
                SwitchToState(DFU_STATE_PREPARE_MCU);
                return false;
            }
            return true;
        case DeviceRole::AvneraHeadsetBootloader:
            if (m_State == DFU_STATE_WAIT_HEADSET_BOOTLOADER) {
                Trace("Updating Avnera Headset\n");
                SwitchToState(DFU_STATE_UPDATE_HEADSET);
            }
            return true;
        case DeviceRole::AvneraDongleBootloader:
            if (m_State == DFU_STATE_WAIT_DONGLE_BOOTLOADER) {
                Trace("Updating Avnera Dongle\n");
                SwitchToState(DFU_STATE_UPDATE_DONGLE);
            }
            return true;
        case DeviceRole::ZeltorHeadsetMCU:
            return true;
    }
    return true;
}

void CBrennicDFUDlg::onHidDeviceRemoval(const std::string& path) {
    for (const std::size_t index : kRemovalOrder) {
        const RoleTexts& texts = kRoleTexts[index];
        cDeviceUpdater& channel = channelOf(texts.role);
        if (!channel.MatchesPath(path)) {
            continue;
        }
        Trace(texts.removedPath, path.c_str());
        channel.Close();
        m_RetryAwaitsPerson = false;
        bool unexpected = false;
        switch (texts.role) {
            case DeviceRole::ZeltorHeadset:
                unexpected = m_State == DFU_STATE_UPDATE_DONGLE;
                break;
            case DeviceRole::ZeltorDongle:
                unexpected = m_State == DFU_STATE_UPDATE_HEADSET;
                break;
            case DeviceRole::AvneraHeadsetBootloader:
                unexpected = !m_HeadsetQueue.empty();
                break;
            case DeviceRole::AvneraDongleBootloader:
                unexpected = !m_DongleQueue.empty();
                break;
            case DeviceRole::ZeltorHeadsetMCU:
                unexpected = (m_State == DFU_STATE_UPDATE_MCU || m_State == DFU_STATE_FAILED) &&
                             !m_MCUQueue.empty();
                break;
        }
        if (unexpected) {
            Trace("  Unexpected removal\n");
            PostSwitchToState(DFU_STATE_WAIT_DEVICES);
        }
    }
}

void CBrennicDFUDlg::onHidHandleRemoval(HidHandle handle) {
    for (const std::size_t index : kRemovalOrder) {
        const RoleTexts& texts = kRoleTexts[index];
        cDeviceUpdater& channel = channelOf(texts.role);
        if (channel.IsOpen() && channel.HasHandle(handle)) {
            Trace(texts.removedHandle, static_cast<unsigned>(handle));
            channel.Close();
            m_RetryAwaitsPerson = false;
        }
    }
}

void CBrennicDFUDlg::checkDevicesAttached() {
    if (areDevicesAttached()) {
        Trace(
            "  Zeltor headset and dongle are both attached via usb. Checking if devices are up "
            "to date.\n");
        if (m_StartPressed && m_RetryAwaitsPerson) {
            Trace(
                "  The last attempt failed and no device was unplugged since: Start is offered "
                "again\n");
        }
        SwitchToState(m_StartPressed && !m_RetryAwaitsPerson ? DFU_STATE_CHECK_VERSIONS
                                                             : DFU_STATE_READY);
        return;
    }
    if (!m_ZeltorHeadsetUpdater.IsOpen()) {
        Trace("  Waiting on Zeltor headset\n");
    }
    if (!m_ZeltorDongleUpdater.IsOpen()) {
        Trace("  Waiting on Zeltor dongle\n");
    }
    SwitchToState(DFU_STATE_WAIT_DEVICES);
}

}  // namespace zeltor
