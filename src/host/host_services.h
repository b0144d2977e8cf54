#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"

namespace zeltor {

// Registry value types (the platform's numbering).
// The Windows headers define these as macros of the same values; either serves.
#ifndef REG_SZ
inline constexpr std::uint32_t REG_SZ = 1;
#endif
#ifndef REG_EXPAND_SZ
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
#endif
#ifndef REG_DWORD
inline constexpr std::uint32_t REG_DWORD = 4;
#endif

struct RegistryValue {
    std::uint32_t type = 0;
    ByteVector data;  // as stored: a REG_DWORD is 4 bytes, little-endian; text is UTF-8

    static RegistryValue dword(std::uint32_t value);
    static RegistryValue text(const std::string& value);
    std::optional<std::uint32_t> asDword() const;
    std::string asText() const;
};

enum class RegistryHive { CurrentUser, LocalMachine };

struct RegistryAccess {
    bool write = false;
    bool create = false;  // create the key when missing
    bool view64 = false;  // the 64-bit view of a 64-bit machine's registry
};

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Nothing when the value is missing or cannot be read; `maxBytes` bounds what is read, as the
    // Windows registry measures it (registryValueBytes in host/user_values.h).
    virtual std::optional<RegistryValue> query(const std::string& name, std::size_t maxBytes) = 0;
    virtual bool set(const std::string& name, const RegistryValue& value) = 0;
    virtual bool remove(const std::string& name) = 0;
};

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::string exeName;
};

enum class ProcessRight { QueryLimitedInformation, Terminate };

class HostProcess {
public:
    virtual ~HostProcess() = default;
    // The full image path in drive-letter form; nothing when it cannot be read.
    virtual std::optional<std::string> imagePath() = 0;
    virtual bool terminate(std::uint32_t exitCode) = 0;
    virtual void waitForExit(std::uint32_t timeoutMs) = 0;
};

// What the core needs of the machine it runs on, beyond HID and windows. Each backend answers
// narrow questions; every rule about when to ask them lives in the core. Implementations:
// Windows (registry, Toolhelp, named events, shell automation), Linux (files under the XDG
// folders, /proc, xdg-open) and the simulation (in memory).
class HostServices {
public:
    virtual ~HostServices() = default;

    // Registry, or what stands in for it.
    virtual std::unique_ptr<RegistryKey> openKey(RegistryHive hive, const std::string& path,
                                                 RegistryAccess access) = 0;

    // Processes. A snapshot that cannot be taken gives nothing; an empty list stands for a
    // snapshot whose first entry cannot be read.
    virtual std::optional<std::vector<ProcessEntry>> processSnapshot() = 0;
    virtual std::unique_ptr<HostProcess> openProcess(std::uint32_t pid, ProcessRight right) = 0;
    // Sets the named event if it exists; false when there is no such event.
    virtual bool signalNamedEvent(const std::string& name) = 0;

    // Hands a program or link to the user's desktop to run without this process's rights.
    // Empty strings stand for arguments, directory or verb not given.
    virtual void launchUnelevated(const std::string& file, const std::string& arguments,
                                  const std::string& directory, const std::string& operation,
                                  int show) = 0;

    // The platform version is at least major.minor with at least the service pack.
    virtual bool osVersionAtLeast(unsigned major, unsigned minor, unsigned servicePackMajor) = 0;

    // Milliseconds since the system started, for seeding the random generator.
    virtual std::uint32_t tickCount() = 0;

    // The user's documents folder (UTF-8), where the log lives; nothing when there is none.
    virtual std::optional<std::string> documentsFolder() = 0;

    // Keeps the machine from going to sleep while `hold` is true: a suspend in the middle of a
    // transfer would leave a chip half written. Where the platform cannot, a trace line says so.
    virtual void holdOffSleep(bool hold) = 0;
};

}  // namespace zeltor
