#pragma once

#include <optional>
#include <string>

#include "platform/linux/invoking_user_linux.h"

namespace zeltor {

// The user's configuration folder: XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config. Root working for someone else ignores XDG_CONFIG_HOME: what sudo leaves of the
// environment describes root's session or none, not the user's.
std::string configHomeFor(const InvokingUser& user);

// The user's documents folder as xdg-user-dirs records it, else ~/Documents; made when missing
// and, when root works for someone else, handed to them.
std::optional<std::string> documentsFolderFor(const InvokingUser& user);

}  // namespace zeltor
