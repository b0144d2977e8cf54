#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/devices/avnera_application.h"
#include "sim/devices/avnera_bootloader.h"
#include "sim/devices/bus_record.h"
#include "sim/devices/device_error_log.h"
#include "sim/devices/fault_injector.h"
#include "sim/devices/sim_avnera_chip.h"
#include "sim/devices/sim_device_collection.h"
#include "sim/devices/sim_mcu.h"
#include "sim/devices/sim_timers.h"
#include "sim/sim_hid_backend.h"

namespace zeltor {

// What tells the dongle and the headset apart.
struct SimDeviceProfile {
    const char* name;
    DeviceRole applicationRole;
    DeviceRole bootloaderRole;
    bool hasMcu;
    const SimAvneraChip* chip;
    std::uint8_t pairingSelector;
    std::uint32_t defaultPairingId;  // not paired with the other device's default
};

inline constexpr SimDeviceProfile kSimDongleProfile{
    "dongle",  DeviceRole::ZeltorDongle, DeviceRole::AvneraDongleBootloader,
    false,     &kSimDongleChip,          0x0E,
    0x0D0D1001};
inline constexpr SimDeviceProfile kSimHeadsetProfile{
    "headset", DeviceRole::ZeltorHeadset, DeviceRole::AvneraHeadsetBootloader,
    true,      &kSimHeadsetChip,          0x0F,
    0x4EAD1002};

// A simulated dongle or headset on the simulated HID bus: its wireless chip in application mode
// or in its bootloader, and for the headset the audio MCU beside the chip. Commands that make the
// real device re-enumerate take its collections off the bus and bring those of the next mode
// back after the configured delay, on the world's agenda. The scenario's faults act on the
// reports it is sent.
class SimDevice final : private SimReportHandler {
public:
    SimDevice(const SimDeviceProfile& profile, const SimDeviceConfig& config, SimHidBackend& bus,
              SimFaultInjector& faults, SimBusRecord& record);
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    const char* name() const { return profile_.name; }
    // The mode it runs, or, while it is away, the mode it comes back in.
    SimDeviceMode mode() const { return mode_; }
    bool onBus() const { return onBus_; }
    const ByteVector& eeprom() const { return bootloader_.eeprom(); }
    // Empty for the dongle, which has no MCU.
    const ByteVector& mcuFlash() const;
    std::uint32_t pairingId() const { return application_.pairingId(); }
    const std::vector<std::string>& errors() const { return errors_.entries(); }
    // The device's collection of `role`, on the bus or not; null when the device has none.
    SimDeviceCollection* collection(DeviceRole role);

    // The user pulls the cable; a restart under way is abandoned.
    void unplug();
    // The user plugs it in again: it comes up in the mode it was in.
    void plug();

private:
    HidTransfer onReport(DeviceRole role, SimReportKind kind, const ByteVector& report) override;
    bool onGetFeature(DeviceRole role, ByteVector& report) override;

    SimReaction dispatch(DeviceRole role, SimReportKind kind, const ByteVector& report);
    void deliver(SimDeviceCollection& collection, SimReportKind kind, SimReaction& reaction,
                 const SimFaultEffect& effect);
    void carryOut(SimRequest request, const SimFaultEffect& effect);
    void restart(SimDeviceMode next, std::uint32_t delayMs, const SimFaultEffect& effect);
    void arrive();
    void depart();
    void unplugFor(std::optional<std::uint32_t> replugAfterMs);
    void armTimedFaults(SimDeviceCollection& collection);
    // Input reports of another id at the fault's rate, while this appearance lasts.
    void startFlood(SimDeviceCollection& collection, const SimFault& fault);
    void flood(SimDeviceCollection& collection, const SimFault& fault, std::uint64_t appearance,
               EventClock::Nanoseconds until, std::uint8_t sequence);
    std::vector<SimDeviceCollection*> collectionsIn(SimDeviceMode mode);

    const SimDeviceProfile& profile_;
    SimDeviceConfig config_;
    SimHidBackend& bus_;
    SimFaultInjector& faults_;
    SimBusRecord& record_;
    SimTimers timers_;
    DeviceErrorLog errors_;
    SimDeviceCollection applicationCollection_;
    SimDeviceCollection bootloaderCollection_;
    std::unique_ptr<SimDeviceCollection> mcuCollection_;
    AvneraApplication application_;
    AvneraBootloader bootloader_;
    std::unique_ptr<SimMcu> mcu_;
    ByteVector featureAnswer_;  // what the next feature read of the chip returns
    EventClock::Nanoseconds featureAnswerReady_{0};
    SimDeviceMode mode_;
    bool onBus_ = false;
    std::uint64_t appearance_ = 0;  // timed faults and floods end when the device leaves
    std::optional<SimTimers::Token> returnEvent_;
};

}  // namespace zeltor
