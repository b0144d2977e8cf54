#pragma once

#include <string>

#include "base/clock.h"
#include "host/host_services.h"
#include "platform/linux/invoking_user_linux.h"
#include "platform/linux/sleep_inhibitor_linux.h"
#include "platform/linux/value_store_linux.h"

namespace zeltor {

struct LinuxHostOptions {
    // Whose values, documents and desktop these are.
    InvokingUser user = invokingUser();
    // The user's values; empty stands for their XDG configuration folder.
    std::string userValuesRoot;
    // The machine's values, which an administrator keeps.
    std::string machineValuesRoot = "/etc";
    std::string procRoot = "/proc";
    // The clock that waits for a process's exit go through.
    Clock* clock = &systemClock();
};

// The host on Linux. The registry's per-user hive is files under the user's configuration
// folder, the machine's hive is files under /etc that the tool only reads (value_store_linux.h
// has the layout); processes come from /proc and the desktop opens things through xdg-open.
// There are no named events, and no platform version is too old.
class LinuxHostServices final : public HostServices {
public:
    explicit LinuxHostServices(LinuxHostOptions options = {});

    std::unique_ptr<RegistryKey> openKey(RegistryHive hive, const std::string& path,
                                         RegistryAccess access) override;
    std::optional<std::vector<ProcessEntry>> processSnapshot() override;
    std::unique_ptr<HostProcess> openProcess(std::uint32_t pid, ProcessRight right) override;
    bool signalNamedEvent(const std::string& name) override;
    void launchUnelevated(const std::string& file, const std::string& arguments,
                          const std::string& directory, const std::string& operation,
                          int show) override;
    bool osVersionAtLeast(unsigned major, unsigned minor, unsigned servicePackMajor) override;
    std::uint32_t tickCount() override;
    std::optional<std::string> documentsFolder() override;
    void holdOffSleep(bool hold) override;

private:
    InvokingUser user_;
    std::string procRoot_;
    Clock& clock_;
    ValueStore userValues_;
    ValueStore machineValues_;
    SleepInhibitor sleep_;
};

}  // namespace zeltor
