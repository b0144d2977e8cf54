#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "host/host_services.h"

namespace zeltor {

// Running processes as the proc file system under `procRoot` shows them. A process is named by
// the file name of its executable, or by its command name when the executable cannot be read
// (another user's process, a kernel thread).
std::optional<std::vector<ProcessEntry>> listProcesses(const std::string& procRoot);

// Nothing when the process has gone or, for `Terminate`, may not be signalled by this one. Waits
// for its exit go through `clock`.
std::unique_ptr<HostProcess> openListedProcess(const std::string& procRoot, std::uint32_t pid,
                                               ProcessRight right, Clock& clock);

}  // namespace zeltor
