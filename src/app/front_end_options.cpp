#include "app/front_end_options.h"

#include <string_view>

#include "base/text.h"

namespace zeltor {

FrontEndOptions parseFrontEndOptions(std::uint32_t count, const char* const* arguments) {
    FrontEndOptions options;
    constexpr std::string_view kScenario = "/SIMULATE=";
    for (std::uint32_t i = 0; arguments != nullptr && i < count; ++i) {
        const std::string_view argument = arguments[i] != nullptr ? arguments[i] : "";
        if (equalsIgnoringAsciiCase(argument, "/SIMULATE")) {
            options.simulate = true;
        } else if (argument.size() > kScenario.size() &&
                   equalsIgnoringAsciiCase(argument.substr(0, kScenario.size()), kScenario)) {
            options.simulate = true;
            options.scenarioFile = std::string(argument.substr(kScenario.size()));
        } else if (equalsIgnoringAsciiCase(argument, "/INSTANT")) {
            options.instant = true;
        } else if (equalsIgnoringAsciiCase(argument, "/CONSOLE")) {
            options.console = true;
        } else if (equalsIgnoringAsciiCase(argument, "/CHECK")) {
            options.check = true;
            options.console = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--help" || argument == "-h" || argument == "/?") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument.starts_with("--") && !options.unknownOption) {
            options.unknownOption = std::string(argument);
        }
    }
    return options;
}

}  // namespace zeltor
