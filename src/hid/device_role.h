#pragma once

#include <array>
#include <cstdint>

namespace zeltor {

// The five kinds of HID collection the tool talks to, in the order a collection is tested.
enum class DeviceRole {
    ZeltorHeadsetMCU,
    ZeltorHeadset,
    ZeltorDongle,
    AvneraHeadsetBootloader,
    AvneraDongleBootloader,
};

struct DeviceRoleIdentity {
    DeviceRole role;
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint16_t usagePage;
    std::uint16_t usage;
};

inline constexpr std::uint16_t kZeltorVendorId = 0x2F5A;
inline constexpr std::uint16_t kZeltorHeadsetProductId = 0x5C1B;
inline constexpr std::uint16_t kZeltorDongleProductId = 0x5C1A;
inline constexpr std::uint16_t kAvneraVendorId = 0x170D;
inline constexpr std::uint16_t kAvneraHeadsetBootloaderProductId = 0x0101;
inline constexpr std::uint16_t kAvneraDongleBootloaderProductId = 0x0100;
inline constexpr std::uint16_t kVendorUsagePage = 0xFF00;
inline constexpr std::uint16_t kMCUUsagePage = 0xFF42;
inline constexpr std::uint16_t kRoleUsage = 1;

inline constexpr std::array<DeviceRoleIdentity, 5> kDeviceRoles = {{
    {DeviceRole::ZeltorHeadsetMCU, kZeltorVendorId, kZeltorHeadsetProductId, kMCUUsagePage,
     kRoleUsage},
    {DeviceRole::ZeltorHeadset, kZeltorVendorId, kZeltorHeadsetProductId, kVendorUsagePage,
     kRoleUsage},
    {DeviceRole::ZeltorDongle, kZeltorVendorId, kZeltorDongleProductId, kVendorUsagePage,
     kRoleUsage},
    {DeviceRole::AvneraHeadsetBootloader, kAvneraVendorId, kAvneraHeadsetBootloaderProductId,
     kVendorUsagePage, kRoleUsage},
    {DeviceRole::AvneraDongleBootloader, kAvneraVendorId, kAvneraDongleBootloaderProductId,
     kVendorUsagePage, kRoleUsage},
}};

const DeviceRoleIdentity& identityOf(DeviceRole role);

}  // namespace zeltor
