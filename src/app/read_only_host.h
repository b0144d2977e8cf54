#pragma once

#include "host/host_services.h"

namespace zeltor {

// The host as a run that only looks sees it: it reads values, the process list, the platform
// version, the clock and the documents folder, and refuses (with a trace line) every write of
// a value, every process it would open, every event it would signal, every program it would
// start and every hold on sleep. The controller's start and end touch the host in places; a
// check runs parts of it and must leave the machine as it found it.
class ReadOnlyHost final : public HostServices {
public:
    explicit ReadOnlyHost(HostServices& host) : host_(host) {}

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
    HostServices& host_;
};

}  // namespace zeltor
