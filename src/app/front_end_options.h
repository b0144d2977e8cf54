#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zeltor {

// The switches of this build beyond the product's own: how and where the update runs.
struct FrontEndOptions {
    bool simulate = false;                    // "/SIMULATE": simulated headset and dongle
    std::optional<std::string> scenarioFile;  // "/SIMULATE=<file>": a scenario of its own
    bool instant = false;                     // "/INSTANT": the simulation in virtual time
    bool console = false;                     // "/CONSOLE": the terminal even with a display
    // "/CHECK": report what the devices hold and whether they need this package, then end. It
    // prints for a terminal or a script, so it always takes the terminal front end.
    bool check = false;
    bool json = false;     // "--json": the check's report as one JSON object
    bool help = false;     // "--help", "-h" or "/?": the switches in brief
    bool version = false;  // "--version"
    // The first argument that looks like an option of this build ("--...") but is none.
    std::optional<std::string> unknownOption;
};

// Matched like the product's flag switches: whole arguments, any letter case; the file name
// after "/SIMULATE=" is kept as written. The "--" options match as written. Other arguments are
// left to the product, whose rules ignore what they do not know.
FrontEndOptions parseFrontEndOptions(std::uint32_t count, const char* const* arguments);

}  // namespace zeltor
