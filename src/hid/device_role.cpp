#include "hid/device_role.h"

namespace zeltor {

const DeviceRoleIdentity& identityOf(DeviceRole role) {
    return kDeviceRoles[static_cast<std::size_t>(role)];
}

}  // namespace zeltor
