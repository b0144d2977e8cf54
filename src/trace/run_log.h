#pragma once

#include <optional>
#include <string>

namespace zeltor {

inline constexpr const char* kLogFileName = "BrennicFirmwareUpdate.log";

// Opens the log in `documentsFolder` (nothing happens without one) and traces the run header.
// Called once per run, while the main dialog is being constructed.
void OpenRunLog(const std::optional<std::string>& documentsFolder);

}  // namespace zeltor
