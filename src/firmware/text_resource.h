#pragma once

#include <cstddef>
#include <cstdint>

namespace zeltor {

// A module whose embedded resources can be searched: the running program's own, or (in tests)
// another table. On Windows this is the module handle.
using ModuleHandle = const void*;

// The running program's module.
ModuleHandle ownModule();

// Finds the "TEXT" resource `id` in `module`. Its bytes stay valid for the life of the process
// and need no release. False when it is missing, cannot be loaded or is empty.
bool LoadTextResource(ModuleHandle module, int id, const std::uint8_t*& data, std::size_t& size);

}  // namespace zeltor
