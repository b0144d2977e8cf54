#include "host/companion.h"

#include <chrono>

#include "base/clock.h"
#include "base/text.h"
#include "host/update_flag.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

constexpr const char* kCompanionPathValue = "QumbitPath";

// The snapshot with its two failure lines, shared by the lookup and the termination.
std::optional<std::vector<ProcessEntry>> takeSnapshot(HostServices& host) {
    auto snapshot = host.processSnapshot();
    if (!snapshot) {
        Trace("Failed to get a snapshot\n");
        return std::nullopt;
    }
    if (snapshot->empty()) {
        Trace("Failed to get first process!\n");
        return std::nullopt;
    }
    return snapshot;
}

}  // namespace

std::string findProcessPath(HostServices& host, const std::string& exeName) {
    const auto snapshot = takeSnapshot(host);
    if (!snapshot) {
        return {};
    }
    for (const auto& entry : *snapshot) {
        if (!equalsIgnoringAsciiCase(entry.exeName, exeName)) {
            continue;
        }
        auto process = host.openProcess(entry.pid, ProcessRight::QueryLimitedInformation);
        if (!process) {
            Trace("Failed to get process handle!\n");
            continue;
        }
        if (auto path = process->imagePath()) {
            return *path;
        }
    }
    return {};
}

bool terminateProcesses(HostServices& host, const std::string& exeName) {
    const auto snapshot = takeSnapshot(host);
    if (!snapshot) {
        return false;
    }
    for (const auto& entry : *snapshot) {
        if (!equalsIgnoringAsciiCase(entry.exeName, exeName)) {
            continue;
        }
        auto process = host.openProcess(entry.pid, ProcessRight::Terminate);
        if (!process) {
            Trace("Failed to get process handle!\n");
            continue;
        }
        Trace("Terminating %s...\n", exeName.c_str());
        if (!process->terminate(0)) {
            Trace("Failed to terminate process %s...\n", exeName.c_str());
        }
        process->waitForExit(1000);
    }
    return true;
}

CompanionState stopQumbit(HostServices& host, Clock& clock) {
    CompanionState state;
    state.path = findProcessPath(host, kCompanionExe);
    if (host.signalNamedEvent(kCompanionShutdownEvent)) {
        Trace("Setting Shutdown Event...\n");
        clock.sleepFor(std::chrono::milliseconds(1000));
        terminateProcesses(host, kCompanionExe);
        state.stopped = true;
    }
    return state;
}

bool saveQumbitPath(HostServices& host, const std::string& path) {
    auto key =
        host.openKey(RegistryHive::CurrentUser, getProductRegistryKey(), {true, true, false});
    if (!key) {
        return false;
    }
    if (!path.empty()) {
        key->set(kCompanionPathValue, RegistryValue::text(path));
    }
    return true;
}

void restartQumbit(HostServices& host, bool stopped, bool closingFromReadyState) {
    if (!stopped || closingFromReadyState) {
        return;
    }
    auto key = host.openKey(RegistryHive::CurrentUser, getProductRegistryKey(), {});
    if (!key) {
        return;
    }
    if (const auto value = key->query(kCompanionPathValue, 520)) {
        host.launchUnelevated(value->asText(), "", "", "", 1);
    }
}

}  // namespace zeltor
