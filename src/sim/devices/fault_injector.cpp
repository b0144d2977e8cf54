#include "sim/devices/fault_injector.h"

#include <algorithm>

#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor {

SimFaultInjector::SimFaultInjector(std::vector<SimFault> faults) {
    for (SimFault& fault : faults) {
        watches_.push_back(Watch{std::move(fault)});
    }
}

bool SimFaultInjector::due(Watch& watch) {
    const SimFault& f = watch.fault;
    ++watch.matched;
    if (watch.matched < f.at || (f.times != SimFault::kAlways && watch.acted >= f.times)) {
        return false;
    }
    ++watch.acted;
    return true;
}

SimFaultEffect SimFaultInjector::onReport(DeviceRole target, const ByteVector& report) {
    SimFaultEffect effect;
    if (stopped_) {
        return effect;
    }
    for (Watch& watch : watches_) {
        const SimFault& f = watch.fault;
        if (f.target != target || f.afterMs || !beginsWith(report, f.prefix) || !due(watch)) {
            continue;
        }
        noteActed(f, "report " + std::to_string(watch.matched) + ", " + hexBytes(report, 8));
        switch (f.action) {
            case SimFault::Action::Refuse:
                effect.refuse = f.errorCode;
                break;
            case SimFault::Action::DropAnswer:
                effect.dropAnswer = true;
                break;
            case SimFault::Action::CorruptAnswer:
                effect.corruptAnswer = true;
                effect.corruptByte = f.corruptByte;
                break;
            case SimFault::Action::Unplug:
                effect.unplug = true;
                effect.replugAfterMs = f.replugAfterMs;
                break;
            case SimFault::Action::NoReturn:
                effect.noReturn = true;
                break;
            case SimFault::Action::LateReturn:
                effect.returnDelayMs = f.delayMs;
                break;
            case SimFault::Action::Flood:
                effect.floods.push_back(&f);
                break;
        }
    }
    return effect;
}

std::vector<const SimFault*> SimFaultInjector::onArrival(DeviceRole target) {
    std::vector<const SimFault*> timed;
    if (stopped_) {
        return timed;
    }
    for (Watch& watch : watches_) {
        if (watch.fault.target == target && watch.fault.afterMs && due(watch)) {
            timed.push_back(&watch.fault);
        }
    }
    return timed;
}

void SimFaultInjector::noteActed(const SimFault& fault, const std::string& occasion) {
    const auto it = std::find_if(watches_.begin(), watches_.end(),
                                 [&](const Watch& w) { return &w.fault == &fault; });
    acted_.push_back("faults[" + std::to_string(it - watches_.begin()) + "] " +
                     simActionName(fault.action) + " on the " + simRoleName(fault.target) + ": " +
                     occasion);
}

void corruptAnswer(ByteVector& answer, std::optional<std::uint16_t> byte) {
    if (byte) {
        if (*byte < answer.size()) {
            answer[*byte] ^= 0xFF;
        }
        return;
    }
    for (std::size_t i = 1; i < answer.size(); ++i) {
        answer[i] ^= 0xFF;
    }
}

}  // namespace zeltor
