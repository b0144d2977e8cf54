#pragma once

#include <string>

#include "base/clock.h"
#include "host/host_services.h"

namespace zeltor {

inline constexpr const char* kCompanionExe = "Qumbit.exe";
inline constexpr const char* kCompanionShutdownEvent = "Global\\Qumbit_1.00_GlobalShutdown";

// The maker's companion program stays stopped while the tool runs and is started again, without
// this process's rights, when the dialog closes.
std::string findProcessPath(HostServices& host, const std::string& exeName);
bool terminateProcesses(HostServices& host, const std::string& exeName);

struct CompanionState {
    std::string path;      // where the running companion was found; empty when none
    bool stopped = false;  // its shutdown event existed and was set
};

CompanionState stopQumbit(HostServices& host, Clock& clock);
bool saveQumbitPath(HostServices& host, const std::string& path);
// Does nothing unless the companion was stopped and the dialog closes outside the ready state.
void restartQumbit(HostServices& host, bool stopped, bool closingFromReadyState);

}  // namespace zeltor
