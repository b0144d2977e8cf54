#include "platform/linux/host_services_linux.h"

#include <time.h>

#include <utility>

#include "platform/linux/detached_process_linux.h"
#include "platform/linux/launch_command_linux.h"
#include "platform/linux/process_list_linux.h"
#include "platform/linux/xdg_folders_linux.h"
#include "trace/trace_log.h"

namespace zeltor {

LinuxHostServices::LinuxHostServices(LinuxHostOptions options)
    : user_(std::move(options.user)),
      procRoot_(std::move(options.procRoot)),
      clock_(*options.clock) {
    userValues_.root =
        options.userValuesRoot.empty() ? configHomeFor(user_) : std::move(options.userValuesRoot);
    userValues_.owner = ownerOfFilesFor(user_);
    machineValues_.root = std::move(options.machineValuesRoot);
    machineValues_.writable = false;
    machineValues_.plainTextAccepted = true;
}

// One folder tree serves both views of the registry: there is no 32-bit view to tell apart.
std::unique_ptr<RegistryKey> LinuxHostServices::openKey(RegistryHive hive, const std::string& path,
                                                        RegistryAccess access) {
    return openStoredKey(hive == RegistryHive::CurrentUser ? userValues_ : machineValues_, path,
                         access);
}

std::optional<std::vector<ProcessEntry>> LinuxHostServices::processSnapshot() {
    return listProcesses(procRoot_);
}

std::unique_ptr<HostProcess> LinuxHostServices::openProcess(std::uint32_t pid, ProcessRight right) {
    return openListedProcess(procRoot_, pid, right, clock_);
}

// The companion's shutdown event belongs to its Windows build; nothing here listens for it.
bool LinuxHostServices::signalNamedEvent(const std::string&) {
    return false;
}

// The window state has no meaning for a program started through the desktop, and the only verb
// is opening: nothing here ever asks for more rights.
void LinuxHostServices::launchUnelevated(const std::string& file, const std::string& arguments,
                                         const std::string& directory, const std::string& operation,
                                         int) {
    if (file.empty()) {
        Trace("Nothing to launch\n");
        return;
    }
    if (!operation.empty() && operation != "open") {
        Trace("Launching %s with \"open\" in place of \"%s\"\n", file.c_str(), operation.c_str());
    }
    startDetached(launchCommand(file, arguments), directory,
                  actsForOtherUser(user_) ? &user_ : nullptr);
}

// The platform versions the core asks about are Windows ones, all older than this system.
bool LinuxHostServices::osVersionAtLeast(unsigned, unsigned, unsigned) {
    return true;
}

std::uint32_t LinuxHostServices::tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Wraps after 49.7 days, as the tick count it stands for does.
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000);
}

std::optional<std::string> LinuxHostServices::documentsFolder() {
    return documentsFolderFor(user_);
}

void LinuxHostServices::holdOffSleep(bool hold) {
    if (hold) {
        sleep_.take();
    } else {
        sleep_.release();
    }
}

}  // namespace zeltor
