#pragma once

namespace zeltor::test {

// Resource ids of the firmware images the build embeds, as the tests know them: written here on
// their own, so a wrong id in the program's table is caught.
inline constexpr int kRegularDongleImage = 131;
inline constexpr int kRegularHeadsetImage = 132;
inline constexpr int kRegularMcuImage = 134;
inline constexpr int kShroudDongleImage = 139;
inline constexpr int kShroudHeadsetImage = 140;
inline constexpr int kShroudMcuImage = 141;

}  // namespace zeltor::test
