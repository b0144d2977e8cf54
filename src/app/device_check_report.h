#pragma once

#include <optional>
#include <string>

#include "app/device_check.h"

namespace zeltor {

// Whether the package would bring new firmware to a part: found, and not current.
bool partNeedsUpdate(const PartCheck& part);

// The check for a person: one line per part (name, mode, version, verdict), then a line that
// sums it up.
std::string deviceCheckText(const DeviceCheck& check);

// The check for a script: one JSON object on one line, keys as the README documents them.
// `logPath` is where the run's log went, nothing when none was written.
std::string deviceCheckJson(const DeviceCheck& check, const std::optional<std::string>& logPath);

// `text` as a JSON string, quotes included: quote, backslash and control characters escaped,
// invalid UTF-8 as U+FFFD.
std::string jsonString(const std::string& text);

}  // namespace zeltor
