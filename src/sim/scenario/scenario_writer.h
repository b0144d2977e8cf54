#pragma once

#include <string>

#include "sim/scenario/scenario.h"

namespace zeltor {

// The scenario as JSON that `parseScenario` reads back into the same scenario: only the settings
// that differ from their defaults, each device and each fault on one line, so that a scenario a
// program drew can be saved, read by people and replayed with /SIMULATE=<file>.
std::string writeScenario(const SimScenario& scenario);

}  // namespace zeltor
