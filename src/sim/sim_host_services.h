#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "host/host_services.h"
#include "ui/event_clock.h"

namespace zeltor {

// The host of the simulated world, in memory: a registry, a process list, named events, and a
// record of what was launched.
class SimHostServices final : public HostServices {
public:
    struct Process {
        std::uint32_t pid;
        std::string exeName;
        std::string imagePath;
        bool queryable = true;
        bool terminable = true;
        bool running = true;
    };
    struct Launch {
        std::string file, arguments, directory, operation;
        int show;
    };

    explicit SimHostServices(EventClock& scheduler) : scheduler_(scheduler) {}

    // A few processes every Windows machine runs, none of them the companion program. A real
    // snapshot is never empty; an empty `processes` stands for one whose first entry cannot be
    // read, which the tests of that failure want.
    static std::vector<Process> ordinaryProcesses();

    // Registry contents, by hive and key path (letter case ignored as the registry does).
    void setValue(RegistryHive hive, const std::string& key, const std::string& name,
                  const RegistryValue& value);
    std::optional<RegistryValue> value(RegistryHive hive, const std::string& key,
                                       const std::string& name) const;
    void createKey(RegistryHive hive, const std::string& key);
    bool keyExists(RegistryHive hive, const std::string& key) const;
    // Keys that refuse to open, as without administrator rights.
    void denyKey(RegistryHive hive, const std::string& key);

    std::vector<Process> processes;
    bool snapshotFails = false;
    std::set<std::string> namedEvents;  // events that exist
    std::vector<std::string> signalledEvents;
    std::vector<Launch> launches;
    unsigned osMajor = 10, osMinor = 0, osServicePack = 0;
    std::optional<std::string> documents;
    bool sleepHeldOff = false;
    // Added to the world's time for the tick count, so a simulated program can seed its random
    // numbers from the real machine's ticks, as the product does.
    std::uint32_t tickOffset = 0;
    // The tick count the first reading gives, whenever it comes (the offset is set then): a
    // replay starts its program's random numbers where the recorded run's started.
    std::optional<std::uint32_t> firstTickCount;

    // HostServices
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
    std::optional<std::string> documentsFolder() override { return documents; }
    void holdOffSleep(bool hold) override { sleepHeldOff = hold; }

private:
    using KeyId = std::pair<RegistryHive, std::string>;
    static KeyId keyId(RegistryHive hive, const std::string& key);

    EventClock& scheduler_;
    std::map<KeyId, std::map<std::string, RegistryValue>> registry_;
    std::set<KeyId> denied_;
};

}  // namespace zeltor
