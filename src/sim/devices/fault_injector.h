#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// Counts the reports each fault watches, says when it acts, and keeps a line for each time it
// did, so that a simulated run tells injected faults apart from faults of the tool.
class SimFaultInjector {
public:
    explicit SimFaultInjector(std::vector<SimFault> faults);

    SimFaultEffect onReport(DeviceRole target, const ByteVector& report);
    // The faults due a while after this arrival of `target` (unplug, flood); the device notes
    // each when it acts.
    std::vector<const SimFault*> onArrival(DeviceRole target);
    void noteActed(const SimFault& fault, const std::string& occasion);
    // From now on no fault acts on a report or is armed by an arrival. Faults already armed
    // (a flood, a timed unplug) end when their device next leaves the bus.
    void stop() { stopped_ = true; }

    // "faults[1] drop-answer on the mcu: report 10, 06 bb 03 03 00 48 ..."
    const std::vector<std::string>& acted() const { return acted_; }

private:
    struct Watch {
        SimFault fault;
        std::uint32_t matched = 0;
        std::uint32_t acted = 0;
    };
    static bool due(Watch& watch);

    std::vector<Watch> watches_;
    std::vector<std::string> acted_;
    bool stopped_ = false;
};

// Applies a corrupt-answer fault: one byte, or every byte after the report id, inverted.
void corruptAnswer(ByteVector& answer, std::optional<std::uint16_t> byte);

}  // namespace zeltor
