#pragma once

namespace zeltor {

inline constexpr const char* kProductName = "Zeltor Wireless";
inline constexpr const char* kPackageVersion = "112.2.212";

}  // namespace zeltor
