#include "bridge_options.h"

#include <string_view>

namespace zeltor::guest {

std::optional<BridgeOptions> parseBridgeOptions(int argc, const char* const* argv,
                                                std::string& error) {
    BridgeOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const auto value = [&argument](std::string_view name) -> std::optional<std::string> {
            if (argument.substr(0, name.size()) != name) {
                return std::nullopt;
            }
            return std::string(argument.substr(name.size()));
        };
        if (const auto file = value("--scenario=")) {
            options.scenarioFile = *file;
        } else if (const auto file = value("--status=")) {
            options.statusFile = *file;
        } else if (const auto count = value("--headset-nodes=")) {
            if (*count != "1" && *count != "2") {
                error = "--headset-nodes takes 1 or 2, not \"" + *count + "\"";
                return std::nullopt;
            }
            options.headsetNodes = *count == "1" ? HeadsetNodes::One : HeadsetNodes::Two;
        } else if (argument == "--shroud") {
            options.shroud = true;
        } else if (argument == "--with-mcu") {
            options.withMcu = true;
        } else if (argument == "--skip-headset") {
            options.skipHeadset = true;
        } else if (argument == "--skip-dongle") {
            options.skipDongle = true;
        } else {
            error = "unknown argument \"" + std::string(argument) + "\"";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace zeltor::guest
