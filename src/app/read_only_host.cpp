#include "app/read_only_host.h"

#include "trace/trace_log.h"

namespace zeltor {
namespace {

// A key opened for reading: its values can be read, never changed.
class ReadOnlyKey final : public RegistryKey {
public:
    ReadOnlyKey(std::unique_ptr<RegistryKey> key, std::string path)
        : key_(std::move(key)), path_(std::move(path)) {}

    std::optional<RegistryValue> query(const std::string& name, std::size_t maxBytes) override {
        return key_->query(name, maxBytes);
    }
    bool set(const std::string& name, const RegistryValue& /*value*/) override {
        Trace("Device check: %s\\%s is left unchanged\n", path_.c_str(), name.c_str());
        return false;
    }
    bool remove(const std::string& name) override {
        Trace("Device check: %s\\%s is not removed\n", path_.c_str(), name.c_str());
        return false;
    }

private:
    std::unique_ptr<RegistryKey> key_;
    std::string path_;
};

}  // namespace

std::unique_ptr<RegistryKey> ReadOnlyHost::openKey(RegistryHive hive, const std::string& path,
                                                   RegistryAccess access) {
    if (access.create) {
        Trace("Device check: %s is not created\n", path.c_str());
        access.create = false;
    }
    access.write = false;
    auto key = host_.openKey(hive, path, access);
    if (!key) {
        return nullptr;
    }
    return std::make_unique<ReadOnlyKey>(std::move(key), path);
}

std::optional<std::vector<ProcessEntry>> ReadOnlyHost::processSnapshot() {
    return host_.processSnapshot();
}

std::unique_ptr<HostProcess> ReadOnlyHost::openProcess(std::uint32_t pid, ProcessRight /*right*/) {
    Trace("Device check: process %u is left alone\n", static_cast<unsigned>(pid));
    return nullptr;
}

bool ReadOnlyHost::signalNamedEvent(const std::string& name) {
    Trace("Device check: event %s is not signalled\n", name.c_str());
    return false;
}

void ReadOnlyHost::launchUnelevated(const std::string& file, const std::string& /*arguments*/,
                                    const std::string& /*directory*/,
                                    const std::string& /*operation*/, int /*show*/) {
    Trace("Device check: %s is not started\n", file.c_str());
}

bool ReadOnlyHost::osVersionAtLeast(unsigned major, unsigned minor, unsigned servicePackMajor) {
    return host_.osVersionAtLeast(major, minor, servicePackMajor);
}

std::uint32_t ReadOnlyHost::tickCount() {
    return host_.tickCount();
}

std::optional<std::string> ReadOnlyHost::documentsFolder() {
    return host_.documentsFolder();
}

void ReadOnlyHost::holdOffSleep(bool hold) {
    if (hold) {
        Trace("Device check: sleep is not held off\n");
    }
}

}  // namespace zeltor
