#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "host/host_services.h"

namespace zeltor {

// The size of `value` as the Windows registry counts it: a text in UTF-16 code units with its
// terminator, two bytes each; anything else as stored. Every backend measures a query's
// `maxBytes` this way, so that a text fits or not whatever the platform keeps it in.
std::size_t registryValueBytes(const RegistryValue& value);

// Per-user values as the shell's registry helpers treat them: reads look in the current user's
// hive, then the machine's; writes always go to the current user's hive, creating the key.
bool getBoolUSValue(HostServices& host, const std::string& key, const std::string& name,
                    bool defaultValue);
std::optional<std::uint32_t> getDwordUSValue(HostServices& host, const std::string& key,
                                             const std::string& name);
bool setUSValue(HostServices& host, const std::string& key, const std::string& name,
                const RegistryValue& value);
bool deleteUserValue(HostServices& host, const std::string& key, const std::string& name);

}  // namespace zeltor
