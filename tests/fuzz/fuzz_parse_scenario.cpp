// Scenario files come from users: no text may crash the reader, and a refusal always says why.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/scenario/scenario_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zeltor::SimScenario scenario;
    std::string error;
    if (!zeltor::parseScenario(text, "fuzz.json", scenario, error) && error.empty()) {
        __builtin_trap();
    }
    return 0;
}
