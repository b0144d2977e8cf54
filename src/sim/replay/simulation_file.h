#pragma once

#include <filesystem>
#include <string>

#include "sim/replay/replay_log.h"
#include "sim/scenario/scenario.h"

namespace zeltor {

// What /SIMULATE=<file> names: a scenario of simulated devices, or a user's verbose log whose run
// is replayed. The content tells them apart; every front end loads it through here.
struct SimulationFile {
    enum class Kind { Scenario, Log };

    Kind kind = Kind::Scenario;
    SimScenario scenario;  // the default world when no file is named
    ReplayLog log;         // a log's last run
};

// Reads the file and says which kind it was. On failure `error` says why, naming the file.
bool loadSimulationFile(const std::filesystem::path& path, SimulationFile& file,
                        std::string& error);

}  // namespace zeltor
