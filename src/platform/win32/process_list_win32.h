#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "host/host_services.h"

namespace zeltor {

// The running processes in the order of a Toolhelp snapshot, each named by its executable's
// file name. Nothing when no snapshot can be taken; an empty list when its first entry cannot
// be read.
std::optional<std::vector<ProcessEntry>> listProcesses();

// Nothing when the process has gone or may not be opened with `right`. A process opened to be
// terminated can also be waited for.
std::unique_ptr<HostProcess> openListedProcess(std::uint32_t pid, ProcessRight right);

}  // namespace zeltor
