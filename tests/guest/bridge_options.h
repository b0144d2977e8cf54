#pragma once

#include <optional>
#include <string>

#include "sim_uhid_bridge.h"

namespace zeltor::guest {

// The bridge's command line:
//   uhid_bridge [--scenario=FILE] [--headset-nodes=1|2] [--status=FILE] [--shroud]
//               [--with-mcu] [--skip-headset] [--skip-dongle]
struct BridgeOptions {
    std::string scenarioFile;  // empty: both devices plugged in, no fault
    HeadsetNodes headsetNodes = HeadsetNodes::One;
    std::string statusFile;  // where the verdict goes at the end; empty: standard output only
    // What the verdict expects, as the program was run: the images of the headset type, and
    // the parts it updated (by default the MCU is skipped, as the program skips it).
    bool shroud = false;
    bool withMcu = false;
    bool skipHeadset = false;
    bool skipDongle = false;
};

inline constexpr char kBridgeUsage[] =
    "usage: uhid_bridge [--scenario=FILE] [--headset-nodes=1|2] [--status=FILE] [--shroud]\n"
    "                   [--with-mcu] [--skip-headset] [--skip-dongle]\n";

// Nothing, with `error` saying why, for a command line it does not know.
std::optional<BridgeOptions> parseBridgeOptions(int argc, const char* const* argv,
                                                std::string& error);

}  // namespace zeltor::guest
