#include "sim/devices/sim_device.h"

#include <algorithm>

#include "sim/devices/chip_reports.h"
#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor {
using std::chrono::milliseconds;

SimDevice::SimDevice(const SimDeviceProfile& profile, const SimDeviceConfig& config,
                     SimHidBackend& bus, SimFaultInjector& faults, SimBusRecord& record)
    : profile_(profile),
      config_(config),
      bus_(bus),
      faults_(faults),
      record_(record),
      timers_(bus.scheduler()),
      applicationCollection_(profile.applicationRole, config.applicationLengths, *this),
      bootloaderCollection_(profile.bootloaderRole, config.bootloaderLengths, *this),
      application_(profile.applicationRole, profile.pairingSelector, config.version,
                   config.pairingId.value_or(profile.defaultPairingId), errors_),
      bootloader_(profile.bootloaderRole, *profile.chip, bus.scheduler(), errors_),
      mode_(config.mode) {
    if (profile.hasMcu) {
        SimReportHandler& handler = *this;
        mcuCollection_ = std::make_unique<SimDeviceCollection>(DeviceRole::ZeltorHeadsetMCU,
                                                               config.mcu.lengths, handler);
        mcu_ = std::make_unique<SimMcu>(config.mcu, errors_);
    }
    if (config.plugged) {
        arrive();
    } else if (config.plugAfterMs) {
        timers_.after(milliseconds(*config.plugAfterMs), [this] { plug(); });
    }
}

SimDevice::~SimDevice() {
    if (onBus_) {
        depart();
    }
}

const ByteVector& SimDevice::mcuFlash() const {
    static const ByteVector none;
    return mcu_ ? mcu_->flash() : none;
}

SimDeviceCollection* SimDevice::collection(DeviceRole role) {
    if (role == profile_.applicationRole) {
        return &applicationCollection_;
    }
    if (role == profile_.bootloaderRole) {
        return &bootloaderCollection_;
    }
    return role == DeviceRole::ZeltorHeadsetMCU ? mcuCollection_.get() : nullptr;
}

std::vector<SimDeviceCollection*> SimDevice::collectionsIn(SimDeviceMode mode) {
    if (mode == SimDeviceMode::Bootloader) {
        return {&bootloaderCollection_};
    }
    // The MCU's collection comes first, so the headset is complete when its chip is announced.
    if (mcuCollection_) {
        return {mcuCollection_.get(), &applicationCollection_};
    }
    return {&applicationCollection_};
}

void SimDevice::arrive() {
    onBus_ = true;
    featureAnswer_.clear();
    if (mode_ == SimDeviceMode::Bootloader) {
        bootloader_.powerUp();
    } else {
        application_.powerUp();
        if (mcu_) {
            mcu_->powerUp(mode_ == SimDeviceMode::McuUpdate);
        }
    }
    for (SimDeviceCollection* collection : collectionsIn(mode_)) {
        bus_.attach(*collection);
        armTimedFaults(*collection);
    }
}

void SimDevice::depart() {
    auto collections = collectionsIn(mode_);
    std::reverse(collections.begin(), collections.end());
    for (SimDeviceCollection* collection : collections) {
        bus_.detach(*collection);
    }
    onBus_ = false;
    ++appearance_;
}

void SimDevice::unplug() {
    record_.cable(profile_.applicationRole, false);
    if (returnEvent_) {
        timers_.cancel(*returnEvent_);
        returnEvent_.reset();
    }
    if (onBus_) {
        depart();
    }
}

void SimDevice::plug() {
    if (onBus_) {
        return;
    }
    if (returnEvent_) {
        timers_.cancel(*returnEvent_);
        returnEvent_.reset();
    }
    record_.cable(profile_.applicationRole, true);
    arrive();
}

void SimDevice::unplugFor(std::optional<std::uint32_t> replugAfterMs) {
    unplug();
    if (replugAfterMs) {
        timers_.after(milliseconds(*replugAfterMs), [this] { plug(); });
    }
}

void SimDevice::restart(SimDeviceMode next, std::uint32_t delayMs, const SimFaultEffect& effect) {
    depart();
    mode_ = next;
    if (effect.noReturn) {
        return;
    }
    returnEvent_ = timers_.after(milliseconds(effect.returnDelayMs.value_or(delayMs)), [this] {
        returnEvent_.reset();
        arrive();
    });
}

void SimDevice::carryOut(SimRequest request, const SimFaultEffect& effect) {
    switch (request) {
        case SimRequest::None:
            break;
        case SimRequest::EnterBootloader:
            restart(SimDeviceMode::Bootloader, config_.bootloaderDelayMs, effect);
            break;
        case SimRequest::Restart:
            restart(SimDeviceMode::Application, config_.resetDelayMs, effect);
            break;
        case SimRequest::EnterMcuUpdate:
            restart(SimDeviceMode::McuUpdate, config_.mcu.updateModeDelayMs, effect);
            break;
        case SimRequest::LeaveMcuUpdate:
            restart(SimDeviceMode::Application, config_.mcu.closeDelayMs, effect);
            break;
    }
}

HidTransfer SimDevice::onReport(DeviceRole role, SimReportKind kind, const ByteVector& report) {
    record_.report(role, report);
    const SimFaultEffect effect = faults_.onReport(role, report);
    if (effect.unplug) {
        unplugFor(effect.replugAfterMs);
        return {false, kErrorDeviceNotConnected};
    }
    if (effect.refuse) {
        return {false, *effect.refuse};
    }
    SimDeviceCollection& target = *collection(role);
    for (const SimFault* fault : effect.floods) {
        startFlood(target, *fault);
    }
    SimReaction reaction = dispatch(role, kind, report);
    if (reaction.transfer.accepted) {
        deliver(target, kind, reaction, effect);
    }
    // A chip that restarts at a command may leave the bus before the host's transfer ends.
    carryOut(reaction.request, effect);
    return reaction.transfer;
}

SimReaction SimDevice::dispatch(DeviceRole role, SimReportKind kind, const ByteVector& report) {
    const char* source = simRoleName(role);
    if (role == DeviceRole::ZeltorHeadsetMCU) {
        if (kind == SimReportKind::Output) {
            return mcu_->onOutputReport(report);
        }
        errors_.record(source, "feature report refused: %s", hexBytes(report, 4).c_str());
        return SimReaction::refused(kErrorInvalidFunction);
    }
    if (kind == SimReportKind::Output) {
        errors_.record(source, "output report ignored, the chip takes feature reports: %s",
                       hexBytes(report, 4).c_str());
        return {};
    }
    return role == profile_.bootloaderRole ? bootloader_.onSetFeature(report)
                                           : application_.onSetFeature(report);
}

void SimDevice::deliver(SimDeviceCollection& collection, SimReportKind kind, SimReaction& reaction,
                        const SimFaultEffect& effect) {
    std::optional<ByteVector>& answer = reaction.answer;
    const HidCaps caps = collection.caps();
    const bool feature = kind == SimReportKind::Feature;
    if (answer && !effect.dropAnswer) {
        answer->resize(feature ? caps.FeatureReportByteLength : caps.InputReportByteLength, 0);
        if (effect.corruptAnswer) {
            corruptAnswer(*answer, effect.corruptByte);
        }
    } else {
        answer.reset();
    }
    if (feature) {
        // A feature read returns the answer to the last feature report, nothing after another.
        featureAnswer_ = answer.value_or(ByteVector{});
        featureAnswerReady_ = bus_.scheduler().now() + reaction.answerTime;
    } else if (answer) {
        bus_.queueInput(collection, *answer);
    }
}

bool SimDevice::onGetFeature(DeviceRole role, ByteVector& report) {
    if (role != profile_.applicationRole || report.empty() || report[0] != kChipCommandReportId) {
        errors_.record(simRoleName(role), "feature read refused: report id 0x%02X",
                       report.empty() ? 0 : report[0]);
        return false;
    }
    std::fill(report.begin() + 1, report.end(), 0);
    if (const auto now = bus_.scheduler().now();
        !featureAnswer_.empty() && now < featureAnswerReady_) {
        const auto early = std::chrono::ceil<milliseconds>(featureAnswerReady_ - now);
        errors_.record(simRoleName(role), "feature read %lld ms before its answer was ready",
                       static_cast<long long>(early.count()));
        return true;
    }
    const std::size_t count = std::min(report.size(), featureAnswer_.size());
    if (count > 1) {
        std::copy(featureAnswer_.begin() + 1, featureAnswer_.begin() + count, report.begin() + 1);
    }
    return true;
}

void SimDevice::armTimedFaults(SimDeviceCollection& collection) {
    for (const SimFault* fault : faults_.onArrival(collection.role())) {
        const std::uint64_t appearance = appearance_;
        timers_.after(milliseconds(*fault->afterMs), [this, fault, &collection, appearance] {
            if (appearance != appearance_) {
                return;  // it has left since
            }
            faults_.noteActed(*fault, std::to_string(*fault->afterMs) + " ms after it arrived");
            if (fault->action == SimFault::Action::Unplug) {
                unplugFor(fault->replugAfterMs);
            } else {
                startFlood(collection, *fault);
            }
        });
    }
}

void SimDevice::startFlood(SimDeviceCollection& collection, const SimFault& fault) {
    const auto until = fault.floodForMs ? bus_.scheduler().now() + milliseconds(*fault.floodForMs)
                                        : EventClock::Nanoseconds::max();
    flood(collection, fault, appearance_, until, 0);
}

void SimDevice::flood(SimDeviceCollection& collection, const SimFault& fault,
                      std::uint64_t appearance, EventClock::Nanoseconds until,
                      std::uint8_t sequence) {
    if (appearance != appearance_ || bus_.scheduler().now() >= until) {
        return;
    }
    bus_.queueInput(collection, ByteVector{fault.floodReportId, 0xF1, sequence});
    timers_.after(milliseconds(fault.floodIntervalMs), [this, &collection, &fault, appearance,
                                                        until, sequence] {
        flood(collection, fault, appearance, until, static_cast<std::uint8_t>(sequence + 1));
    });
}

}  // namespace zeltor
