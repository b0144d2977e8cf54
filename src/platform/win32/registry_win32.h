#pragma once

#include <memory>
#include <string>

#include "host/host_services.h"

namespace zeltor {

// A key of the Windows registry. Texts (REG_SZ, REG_EXPAND_SZ) are UTF-16 in the registry and
// UTF-8 in the values handed to the core; everything else passes as stored. A key or value that
// is not there is an answer, not a failure, and leaves no trace line; every other failure does.
std::unique_ptr<RegistryKey> openRegistryKey(RegistryHive hive, const std::string& path,
                                             RegistryAccess access);

}  // namespace zeltor
