#include "host/host_services.h"

namespace zeltor {

RegistryValue RegistryValue::dword(std::uint32_t value) {
    return {REG_DWORD,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

RegistryValue RegistryValue::text(const std::string& value) {
    return {REG_SZ, ByteVector(value.begin(), value.end())};
}

std::optional<std::uint32_t> RegistryValue::asDword() const {
    if (type != REG_DWORD || data.size() != 4) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16)) |
           (static_cast<std::uint32_t>(data[3]) << 24);
}

std::string RegistryValue::asText() const {
    std::string text(data.begin(), data.end());
    // Stored text may carry its terminator.
    if (const auto nul = text.find('\0'); nul != std::string::npos) {
        text.resize(nul);
    }
    return text;
}

}  // namespace zeltor
