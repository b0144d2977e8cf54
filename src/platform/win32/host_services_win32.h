#pragma once

#include "host/host_services.h"

namespace zeltor {

// The host on Windows: the registry, Toolhelp snapshots, named events, the desktop shell's
// automation objects, and the platform's own version, clock and folders. Used on the UI thread
// only, as the sleep hold is the calling thread's.
class Win32HostServices final : public HostServices {
public:
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
};

}  // namespace zeltor
