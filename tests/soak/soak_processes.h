#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "soak/soak_run.h"

namespace zeltor::soak {

struct SoakResult {
    std::uint32_t seed = 0;
    SoakOutcome outcome;
};

// Runs the scenarios of `count` seeds from `first` on (wrapping past the largest seed) in
// `processes` worker processes, each a copy of this one that runs one world at a time: the run
// options and the clock are process-wide, so threads cannot share them. Each result reaches
// `onResult` in this process as it comes. A worker that dies in a scenario gives that scenario
// as a violation, and a new worker goes on with the rest of its seeds. False, with `error` set,
// when no worker can be started.
bool runInProcesses(std::uint32_t first, std::uint64_t count, unsigned processes,
                    const std::function<void(const SoakResult&)>& onResult, std::string& error);

}  // namespace zeltor::soak
