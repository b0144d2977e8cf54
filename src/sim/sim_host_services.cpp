#include "sim/sim_host_services.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include "host/user_values.h"

namespace zeltor {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class SimRegistryKey final : public RegistryKey {
public:
    SimRegistryKey(std::map<std::string, RegistryValue>& values, bool writable)
        : values_(values), writable_(writable) {}

    std::optional<RegistryValue> query(const std::string& name, std::size_t maxBytes) override {
        const auto it = values_.find(lower(name));
        if (it == values_.end() || registryValueBytes(it->second) > maxBytes) {
            return std::nullopt;
        }
        return it->second;
    }
    bool set(const std::string& name, const RegistryValue& value) override {
        if (!writable_) {
            return false;
        }
        values_[lower(name)] = value;
        return true;
    }
    bool remove(const std::string& name) override {
        return writable_ && values_.erase(lower(name)) != 0;
    }

private:
    std::map<std::string, RegistryValue>& values_;
    bool writable_;
};

class SimProcess final : public HostProcess {
public:
    explicit SimProcess(SimHostServices::Process& process) : process_(process) {}
    std::optional<std::string> imagePath() override {
        if (!process_.queryable) {
            return std::nullopt;
        }
        return process_.imagePath;
    }
    bool terminate(std::uint32_t) override {
        if (!process_.terminable) {
            return false;
        }
        process_.running = false;
        return true;
    }
    void waitForExit(std::uint32_t) override {}

private:
    SimHostServices::Process& process_;
};

}  // namespace

std::vector<SimHostServices::Process> SimHostServices::ordinaryProcesses() {
    // The kernel's own entries have no image path to read, as on a real machine.
    return {
        {0, "[System Process]", "", false, false},
        {4, "System", "", false, false},
        {628, "wininit.exe", "C:\\Windows\\System32\\wininit.exe", true, false},
        {1184, "svchost.exe", "C:\\Windows\\System32\\svchost.exe", true, false},
        {4312, "explorer.exe", "C:\\Windows\\explorer.exe"},
    };
}

SimHostServices::KeyId SimHostServices::keyId(RegistryHive hive, const std::string& key) {
    return {hive, lower(key)};
}

void SimHostServices::setValue(RegistryHive hive, const std::string& key, const std::string& name,
                               const RegistryValue& value) {
    registry_[keyId(hive, key)][lower(name)] = value;
}

std::optional<RegistryValue> SimHostServices::value(RegistryHive hive, const std::string& key,
                                                    const std::string& name) const {
    const auto k = registry_.find(keyId(hive, key));
    if (k == registry_.end()) {
        return std::nullopt;
    }
    const auto v = k->second.find(lower(name));
    if (v == k->second.end()) {
        return std::nullopt;
    }
    return v->second;
}

void SimHostServices::createKey(RegistryHive hive, const std::string& key) {
    registry_[keyId(hive, key)];
}

bool SimHostServices::keyExists(RegistryHive hive, const std::string& key) const {
    return registry_.count(keyId(hive, key)) != 0;
}

void SimHostServices::denyKey(RegistryHive hive, const std::string& key) {
    denied_.insert(keyId(hive, key));
}

std::unique_ptr<RegistryKey> SimHostServices::openKey(RegistryHive hive, const std::string& path,
                                                      RegistryAccess access) {
    const KeyId id = keyId(hive, path);
    if (denied_.count(id) != 0) {
        return nullptr;
    }
    auto it = registry_.find(id);
    if (it == registry_.end()) {
        if (!access.create) {
            return nullptr;
        }
        it = registry_.emplace(id, std::map<std::string, RegistryValue>{}).first;
    }
    return std::make_unique<SimRegistryKey>(it->second, access.write);
}

std::optional<std::vector<ProcessEntry>> SimHostServices::processSnapshot() {
    if (snapshotFails) {
        return std::nullopt;
    }
    std::vector<ProcessEntry> entries;
    for (const auto& process : processes) {
        if (process.running) {
            entries.push_back({process.pid, process.exeName});
        }
    }
    return entries;
}

std::unique_ptr<HostProcess> SimHostServices::openProcess(std::uint32_t pid, ProcessRight right) {
    for (auto& process : processes) {
        if (process.pid == pid && process.running) {
            if (right == ProcessRight::Terminate && !process.terminable) {
                return nullptr;
            }
            return std::make_unique<SimProcess>(process);
        }
    }
    return nullptr;
}

bool SimHostServices::signalNamedEvent(const std::string& name) {
    if (namedEvents.count(name) == 0) {
        return false;
    }
    signalledEvents.push_back(name);
    return true;
}

void SimHostServices::launchUnelevated(const std::string& file, const std::string& arguments,
                                       const std::string& directory, const std::string& operation,
                                       int show) {
    launches.push_back({file, arguments, directory, operation, show});
}

bool SimHostServices::osVersionAtLeast(unsigned major, unsigned minor, unsigned servicePackMajor) {
    return std::tie(osMajor, osMinor, osServicePack) >= std::tie(major, minor, servicePackMajor);
}

std::uint32_t SimHostServices::tickCount() {
    const auto elapsed = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(scheduler_.now()).count());
    if (firstTickCount) {
        tickOffset = *firstTickCount - elapsed;
        firstTickCount.reset();
    }
    return tickOffset + elapsed;
}

}  // namespace zeltor
