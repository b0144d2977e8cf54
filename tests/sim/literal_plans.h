#pragma once

#include "base/bytes.h"
#include "protocol/dfu_packet.h"

namespace zeltor::test {

// Update plans written out byte by byte from the report layouts, for small images, so that the
// simulated devices are tested against the layouts themselves rather than against the tool's
// builders.

// The headset's chip and a 4-byte image: M 65536, T 3, G 8, no regions. One block; packets:
// 0 setup, 1 chip byte, 2 Z, 3 M T G, 4 data, 5 pause, 6 E, 7 R, 8 L, 9 reserved, 10 commit,
// 11 and 12 pauses, 13 reset.
extern const ByteVector kLiteralHeadsetImage;
PacketQueue literalHeadsetPlan();

// The dongle's chip and a 4-byte image: M 131072, T 3, G 256, Z 65536. One region pass and one
// block; packets: 0 setup, 1 chip byte, 2 Z, 3 M T G, 4 region address, 5 region length,
// 6 region trigger, 7 pause, 8 data, 9 pause, 10 E, 11 R, 12 L, 13 reserved, 14 commit,
// 15 and 16 pauses, 17 reset.
extern const ByteVector kLiteralDongleImage;
PacketQueue literalDonglePlan();

// The MCU and an 8-byte image: start, one data block, checksum check, finish, closing.
extern const ByteVector kLiteralMcuImage;
PacketQueue literalMcuPlan();

}  // namespace zeltor::test
