#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/devices/bus_record.h"

namespace zeltor::soak {

// Watches, from the devices' own record, whether the tool flashes when nobody asked it to. A
// flash is what the devices recognise by its bytes: a chip's bootloader-entry command, any report
// to a chip's bootloader, the MCU's update-mode command or one of its plan packets. A person's
// action is a Start press, a start of the program, or a cable plugged in (a replug the scenario
// arms stands for the user too); a chip restarting by itself is none. A person's action allows
// each chip one plan.
class FlashWatch {
public:
    explicit FlashWatch(const SimBusRecord& record) : record_(record) {}

    // The tool has just entered its failure state for the `count`-th time.
    void noteFailure(std::uint32_t count);
    // A person started the program, or pressed Start (`allowsAPlan`: a program just started
    // flashes nothing before Start).
    void notePersonActed(bool allowsAPlan);

    // What broke the rules, one line; empty while nothing did. After a failure nothing may
    // flash until a person acts; and no chip may start more plans than people acted.
    std::string selfStartedFlash() const;
    std::string excessPlans() const;

private:
    struct Mark {
        std::size_t at;       // the number of events the devices had recorded then
        std::uint32_t count;  // the failure's count; 0 for a person's action
        bool allowsAPlan;
    };

    const SimBusRecord& record_;
    std::vector<Mark> marks_;
};

}  // namespace zeltor::soak
