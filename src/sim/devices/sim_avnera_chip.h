#pragma once

#include <cstddef>
#include <cstdint>

namespace zeltor {

// What a wireless chip's bootloader knows about itself: where its parameter block and RAM
// buffer lie in its 16-bit data space, which chip it is, the setup value that opens a
// programming session, and the size of its EEPROM. These are the chip's own values, written out
// here, so that a wrong value on the tool's side shows as a report the chip refuses.
struct SimAvneraChip {
    std::uint16_t parameterBlock;
    std::uint16_t ramBuffer;
    std::uint16_t ramSize;  // the RAM buffer ends 0x100 bytes below 0xEFFF
    std::uint8_t chipByte;
    std::uint8_t setupWidth;  // bytes of the setup value written to 0xF0E1
    std::uint16_t setupValue;
    // The dongle's chip: its EEPROM is erased region by region before it is programmed, and its
    // image header names the region size and a wider range of G.
    bool regionPasses;
    std::size_t eepromSize;
};

inline constexpr SimAvneraChip kSimHeadsetChip{0xB53A, 0xBB5C, 13219, 2, 1, 0xA0, false, 65536};
inline constexpr SimAvneraChip kSimDongleChip{0xC42D, 0xD312, 7149, 1, 2, 0x0550, true, 131072};

}  // namespace zeltor
