// Arguments are the input split at 0 bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/run_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    std::vector<const char*> pointers;
    for (const auto& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    zeltor::RunOptions options;
    zeltor::parseCommandLine(static_cast<std::uint32_t>(pointers.size()), pointers.data(),
                             &options);
    // Only what followed a switch can land in the directory.
    if (options.m_ForceDir.size() > size) {
        __builtin_trap();
    }
    return 0;
}
