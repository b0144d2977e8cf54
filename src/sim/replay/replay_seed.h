#pragma once

#include <cstdint>
#include <optional>

#include "sim/replay/replay_log.h"

namespace zeltor {

// The tick count the recorded run must have seeded its random generator with, for its first four
// draws to make the pairing id the log shows: a replay that starts from it pairs to the same id
// and sends the same pairing reports. None when the run sent no pairing id.
std::optional<std::uint32_t> recordedRandomSeed(const ReplayLog& log);

}  // namespace zeltor
