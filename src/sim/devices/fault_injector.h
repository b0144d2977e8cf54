#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/scenario/scenario.h"

namespace zeltor {

// What the scenario's faults do to one report the host sends.
struct SimFaultEffect {
    bool unplug = false;  // the device is pulled out as the report comes
    std::optional<std::uint32_t> replugAfterMs;
    std::optional<std::uint32_t> refuse;  // the transfer fails with this error code
    bool dropAnswer = false;
    bool corruptAnswer = false;
    std::optional<std::uint16_t> corruptByte;
    bool noReturn = false;  // a restart the report causes never ends
    std::optional<std::uint32_t> returnDelayMs;
    std::vector<const SimFault*> floods;  // floods that start now
};

// Counts the reports each fault watches and says when it acts.
class SimFaultInjector {
public:
    explicit SimFaultInjector(std::vector<SimFault> faults);

    SimFaultEffect onReport(DeviceRole target, const ByteVector& report);
    // The faults that act a while after this arrival of `target` (unplug, flood).
    std::vector<const SimFault*> onArrival(DeviceRole target);

private:
    struct Watch {
        SimFault fault;
        std::uint32_t matched = 0;
        std::uint32_t acted = 0;
    };
    static bool due(Watch& watch);

    std::vector<Watch> watches_;
};

// Applies a corrupt-answer fault: one byte, or every byte after the report id, inverted.
void corruptAnswer(ByteVector& answer, std::optional<std::uint16_t> byte);

}  // namespace zeltor
