#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hid/device_role.h"
#include "sim/devices/device_error_log.h"
#include "sim/devices/sim_reaction.h"

namespace zeltor {

// The wireless chip's application firmware as the tool sees it through feature reports: the
// version query, the bootloader-entry and reset commands, and the two pairing reports.
class AvneraApplication {
public:
    AvneraApplication(DeviceRole role, std::uint8_t pairingSelector, std::string version,
                      std::uint32_t pairingId, DeviceErrorLog& errors);

    // A restart forgets a pairing id that was sent but not yet stored.
    void powerUp() { pendingPairingId_.reset(); }
    SimReaction onSetFeature(const ByteVector& report);
    std::uint32_t pairingId() const { return pairingId_; }

private:
    ByteVector versionAnswer(const ByteVector& request) const;
    SimReaction takePairingId(std::uint8_t selector, const ByteVector& id);
    SimReaction storePairingId();

    DeviceRole role_;
    std::uint8_t pairingSelector_;
    std::string version_;
    std::uint32_t pairingId_;
    std::optional<std::uint32_t> pendingPairingId_;
    DeviceErrorLog& errors_;
};

}  // namespace zeltor
