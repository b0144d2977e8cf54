#pragma once

#include "host/host_services.h"

namespace zeltor {

inline constexpr const char* kDriverSearchingKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSearching";

// Suspends (true) or restores (false) the platform's automatic driver installation while the
// devices come and go, keeping a backup of the setting in the per-product key.
void setAutomaticDriverUpdates(HostServices& host, bool disable);

// The guard applies to platforms older than 6.2 only.
bool driverGuardApplies(HostServices& host);

}  // namespace zeltor
