#pragma once

#include <string>
#include <vector>

namespace zeltor {

// The command that hands `file` to the desktop, first the program, then its arguments:
// - ZELTOR_LAUNCHER, when set, is a program that receives the file and the arguments (a hook for
//   tests and for packagers with a launcher of their own);
// - an executable file runs itself, with `arguments` split on blanks (no quoting);
// - a link ("scheme://...") and anything else, documents and folders among them, goes to
//   xdg-open, which takes no arguments for it.
std::vector<std::string> launchCommand(const std::string& file, const std::string& arguments);

}  // namespace zeltor
