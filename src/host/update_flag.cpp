#include "host/update_flag.h"

#include "base/text.h"
#include "host/user_values.h"
#include "ui/product_identity.h"

namespace zeltor {

std::string getProductRegistryKey() {
    return std::string(kProductKeyPrefix) + "\\" + kProductName + " v" + kPackageVersion;
}

bool isUpdateInProgress(HostServices& host) {
    return getBoolUSValue(host, getProductRegistryKey(), "InProgress", false);
}

void setUpdateInProgress(HostServices& host, bool inProgress) {
    if (inProgress) {
        setUSValue(host, getProductRegistryKey(), "InProgress", RegistryValue::dword(1));
    } else {
        deleteUserValue(host, getProductRegistryKey(), "InProgress");
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
