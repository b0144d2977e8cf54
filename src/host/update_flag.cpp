#include "host/update_flag.h"

#include "base/text.h"
#include "host/user_values.h"
#include "trace/trace_log.h"
#include "ui/product_identity.h"

namespace zeltor {

std::string getProductRegistryKey() {
    return std::string(kProductKeyPrefix) + "\\" + kProductName + " v" + kPackageVersion;
}

bool isUpdateInProgress(HostServices& host) {
    return getBoolUSValue(host, getProductRegistryKey(), "InProgress", false);
}

void setUpdateInProgress(HostServices& host, bool inProgress) {
    // The run goes on either way; the trace tells why a later run was or was not forced.
    if (inProgress) {
        if (!setUSValue(host, getProductRegistryKey(), "InProgress", RegistryValue::dword(1))) {
            Trace("  The update could not be marked as in progress\n");
        }
    } else if (!deleteUserValue(host, getProductRegistryKey(), "InProgress")) {
        Trace("  The in-progress mark could not be removed\n");
    }
}

bool detectTesmorayRegion(HostServices& host) {
    auto key = host.openKey(RegistryHive::LocalMachine, kRegionKey, {false, false, true});
    if (!key) {
        return false;
    }
    // 260 wide characters; a longer value does not fit and counts as a failed read.
    const auto value = key->query("Region", 520);
    if (!value || value->type != REG_SZ) {
        return false;
    }
    return equalsIgnoringAsciiCase(value->asText(), "tesmoray");
}

}  // namespace zeltor
