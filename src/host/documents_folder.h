#pragma once

#include <optional>
#include <string>

namespace zeltor {

// The user's documents folder (UTF-8), where the log lives; nothing when the platform has none.
std::optional<std::string> documentsFolder();

}  // namespace zeltor
