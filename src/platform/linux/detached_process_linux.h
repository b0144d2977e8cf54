#pragma once

#include <string>
#include <vector>

#include "platform/linux/invoking_user_linux.h"

namespace zeltor {

// Starts `command` (the program, looked up on PATH when its name has no slash, then its
// arguments) detached from this process: in a session of its own, with its standard streams on
// /dev/null, and reaped at once so that no zombie of ours is left. It runs in `directory` when
// one is given. With `runAs` it runs with that user's rights only: their groups, group and user
// id, and their HOME, USER, LOGNAME and XDG_RUNTIME_DIR. False, and traced, when it could not be
// started; what the program does afterwards is its own affair.
bool startDetached(const std::vector<std::string>& command, const std::string& directory,
                   const InvokingUser* runAs);

}  // namespace zeltor
