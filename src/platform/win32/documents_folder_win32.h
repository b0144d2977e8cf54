#pragma once

#include <optional>
#include <string>

namespace zeltor {

// The user's Documents folder (UTF-8), where the log lives; nothing when the shell has none.
std::optional<std::string> documentsFolder();

}  // namespace zeltor
