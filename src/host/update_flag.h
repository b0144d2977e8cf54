#pragma once

#include <string>

#include "host/host_services.h"

namespace zeltor {

inline constexpr const char* kProductKeyPrefix = "Software\\Halvorix\\Korvendesk\\Firmware Update";
inline constexpr const char* kRegionKey = "Software\\Halvorix\\Korvendesk\\ConfigMgr";

// "Software\...\Firmware Update\Zeltor Wireless v112.2.212": a new package version starts with
// a fresh key.
std::string getProductRegistryKey();

// The "InProgress" flag: set when an update begins, removed after pairing, so that an update
// that was interrupted is forced on the next run.
bool isUpdateInProgress(HostServices& host);
void setUpdateInProgress(HostServices& host, bool inProgress);

// The regional variant recorded by the maker's desktop suite ("Region" = "tesmoray").
bool detectTesmorayRegion(HostServices& host);

}  // namespace zeltor
