#include "soak/flash_watch.h"

#include <array>

#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor::soak {
namespace {

// The bytes as the devices read them, written out here so that the check shares nothing with
// the tool's builders.
const ByteVector kBootloaderEntry{0xFF, 0x02, 0x00, 0x0A};
const ByteVector kMcuUpdateMode{0x06, 0x88, 0x01};
const ByteVector kMcuPlanPacket{0x06, 0xBB, 0x03};
const ByteVector kMcuPlanStart{0x06, 0xBB, 0x03, 0x02};

bool isChip(DeviceRole role) {
    return role == DeviceRole::ZeltorHeadset || role == DeviceRole::ZeltorDongle;
}

bool isBootloader(DeviceRole role) {
    return role == DeviceRole::AvneraHeadsetBootloader ||
           role == DeviceRole::AvneraDongleBootloader;
}

bool isFlash(const SimBusEvent& event) {
    if (event.kind != SimBusEvent::Kind::Report) {
        return false;
    }
    if (event.role == DeviceRole::ZeltorHeadsetMCU) {
        return beginsWith(event.bytes, kMcuUpdateMode) || beginsWith(event.bytes, kMcuPlanPacket);
    }
    return isBootloader(event.role) ||
           (isChip(event.role) && beginsWith(event.bytes, kBootloaderEntry));
}

std::string describe(const SimBusEvent& event) {
    return std::string("the ") + simRoleName(event.role) + " received " + hexBytes(event.bytes, 8);
}

// The chip whose plan `event` starts, 0 to 2 (headset, dongle, MCU), or -1. A start the MCU is
// sent again at once is the same packet retried.
int planStarted(const SimBusEvent& event, const ByteVector*& lastMcuPlanPacket) {
    if (event.kind != SimBusEvent::Kind::Report) {
        return -1;
    }
    if (event.role == DeviceRole::ZeltorHeadsetMCU) {
        if (!beginsWith(event.bytes, kMcuPlanPacket)) {
            return -1;
        }
        const bool retried = lastMcuPlanPacket && beginsWith(*lastMcuPlanPacket, kMcuPlanStart);
        lastMcuPlanPacket = &event.bytes;
        return beginsWith(event.bytes, kMcuPlanStart) && !retried ? 2 : -1;
    }
    if (!beginsWith(event.bytes, kBootloaderEntry)) {
        return -1;
    }
    return event.role == DeviceRole::ZeltorHeadset  ? 0
           : event.role == DeviceRole::ZeltorDongle ? 1
                                                    : -1;
}

// Whether a cable went in after the last report the devices received before `end`: a person
// replugged a device while the tool was still busy with the step that then failed, and the
// tool, seeing the device arrive, may go on.
bool replugAnswered(const std::vector<SimBusEvent>& events, std::size_t end) {
    for (std::size_t i = end; i-- > 0 && events[i].kind != SimBusEvent::Kind::Report;) {
        if (events[i].kind == SimBusEvent::Kind::Plugged) {
            return true;
        }
    }
    return false;
}

}  // namespace

void FlashWatch::noteFailure(std::uint32_t count) {
    marks_.push_back({record_.events().size(), count, false});
}

void FlashWatch::notePersonActed(bool allowsAPlan) {
    marks_.push_back({record_.events().size(), 0, allowsAPlan});
}

std::string FlashWatch::selfStartedFlash() const {
    const std::vector<SimBusEvent>& events = record_.events();
    std::uint32_t failed = 0;  // the failure left alone since, 0 when a person has acted
    auto mark = marks_.begin();
    for (std::size_t i = 0; i < events.size(); ++i) {
        for (; mark != marks_.end() && mark->at <= i; ++mark) {
            failed = mark->count != 0 && replugAnswered(events, mark->at) ? 0 : mark->count;
        }
        if (events[i].kind == SimBusEvent::Kind::Plugged) {
            failed = 0;
        } else if (failed != 0 && isFlash(events[i])) {
            return "after failure " + std::to_string(failed) + ", with nobody touching anything, " +
                   describe(events[i]);
        }
    }
    return "";
}

std::string FlashWatch::excessPlans() const {
    static constexpr std::array<const char*, 3> kChips{"the headset chip", "the dongle chip",
                                                       "the MCU"};
    const std::vector<SimBusEvent>& events = record_.events();
    std::array<std::uint32_t, 3> plans{};
    std::uint32_t actions = 0;
    const ByteVector* lastMcuPlanPacket = nullptr;
    auto mark = marks_.begin();
    for (std::size_t i = 0; i < events.size(); ++i) {
        for (; mark != marks_.end() && mark->at <= i; ++mark) {
            actions += mark->allowsAPlan ? 1 : 0;
        }
        actions += events[i].kind == SimBusEvent::Kind::Plugged ? 1 : 0;
        const int chip = planStarted(events[i], lastMcuPlanPacket);
        if (chip >= 0 && ++plans[static_cast<std::size_t>(chip)] > actions) {
            return std::string(kChips[static_cast<std::size_t>(chip)]) + " started plan " +
                   std::to_string(plans[static_cast<std::size_t>(chip)]) + " after " +
                   std::to_string(actions) + " actions of a person";
        }
    }
    return "";
}

}  // namespace zeltor::soak
