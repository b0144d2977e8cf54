#pragma once

#include <string>

namespace zeltor {

// Hands `file` to the desktop shell's own execute operation, so that what it starts runs with
// the user's ordinary rights rather than this elevated process's. Empty strings stand for
// arguments, directory and verb not given. Silent: when the desktop has no shell window, view
// or shell object, nothing is started and nothing is said, and the shell reports its own errors.
void launchThroughDesktopShell(const std::string& file, const std::string& arguments,
                               const std::string& directory, const std::string& operation,
                               int show);

}  // namespace zeltor
