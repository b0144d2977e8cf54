#include "host/driver_guard.h"

#include "host/update_flag.h"
#include "host/user_values.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {
constexpr const char* kBanner =
    "*************************************************************************\n";
constexpr const char* kSearchOrderConfig = "SearchOrderConfig";
}  // namespace

bool driverGuardApplies(HostServices& host) {
    return !host.osVersionAtLeast(6, 2, 0);
}

void setAutomaticDriverUpdates(HostServices& host, bool disable) {
    Trace("%s", kBanner);
    Trace("Attempting to set automatic driver updates (disable=%d)\n", disable ? 1 : 0);
    const std::string productKey = getProductRegistryKey();
    auto key = host.openKey(RegistryHive::LocalMachine, kDriverSearchingKey, {true, false, false});
    if (key) {
        const auto current = key->query(kSearchOrderConfig, 4);
        if (current && current->asDword()) {
            Trace("SearchOrderConfig (current)=%d\n", static_cast<int>(*current->asDword()));
            if (disable) {
                Trace("Backing up 'SearchOrderConfig' to %s\n", productKey.c_str());
                setUSValue(host, productKey, kSearchOrderConfig, *current);
            }
        }
        if (disable) {
            Trace("Setting 'SearchOrderConfig' to 0 (Never install drivers from Windows update)\n");
            key->set(kSearchOrderConfig, RegistryValue::dword(0));
        } else {
            Trace("Restoring 'SearchOrderConfig' from %s\n", productKey.c_str());
            // Without a backup there is nothing to restore: writing a default of 0 would
            // leave driver installation off for good.
            const auto backup = getDwordUSValue(host, productKey, kSearchOrderConfig);
            if (backup) {
                Trace("SearchOrderConfig (backed up)=%d\n", static_cast<int>(*backup));
                if (key->set(kSearchOrderConfig, RegistryValue::dword(*backup))) {
                    Trace("SearchOrderConfig (restored)=%d\n", static_cast<int>(*backup));
                } else {
                    Trace("RegSetValueEx value=%s failed\n", kDriverSearchingKey);
                }
            } else {
                Trace("SHRegGetUSValue value=%s failed\n", productKey.c_str());
            }
        }
    }
    Trace("%s", kBanner);
}

}  // namespace zeltor
