#include "sim/devices/avnera_application.h"

#include "protocol/avnera_plan.h"
#include "sim/devices/avnera_report.h"
#include "sim/devices/role_names.h"

namespace zeltor {
namespace {

const ByteVector kVersionRequest{0xFF, 0x0A, 0x00, 0xFD, 0x04, 0x07,
                                 0x00, 0x05, 0x03, 0x05, 0x00, 0x00};
const ByteVector kStorePairingId{0xFF, 0x05, 0x00, 0x39};
constexpr std::size_t kVersionTextOffset = 9;
constexpr std::uint16_t kPairingIdAddress = 0;
constexpr int kPairingIdWidth = 4;

// The bootloader-entry command has the reset command's shape with 0x0A in place of 0x05.
ByteVector bootloaderEntryRequest() {
    ByteVector request = avneraResetRequest();
    request[3] = 0x0A;
    return request;
}

}  // namespace

AvneraApplication::AvneraApplication(DeviceRole role, std::uint8_t pairingSelector,
                                     std::string version, std::uint32_t pairingId,
                                     DeviceErrorLog& errors)
    : role_(role),
      pairingSelector_(pairingSelector),
      version_(std::move(version)),
      pairingId_(pairingId),
      errors_(errors) {}

ByteVector AvneraApplication::versionAnswer() const {
    // The chip echoes the request's header before its version text.
    ByteVector answer(kVersionRequest.begin(), kVersionRequest.begin() + kVersionTextOffset);
    answer.insert(answer.end(), version_.begin(), version_.end());
    return answer;
}

SimReaction AvneraApplication::onSetFeature(const ByteVector& report) {
    const char* source = simRoleName(role_);
    if (report.empty() || report[0] != kAvneraCommandReportId) {
        errors_.record(source, "feature report of unknown id refused: %s",
                       hexBytes(report, 4).c_str());
        return SimReaction::refused(kErrorInvalidParameter);
    }
    SimReaction reaction;
    if (beginsWith(report, kVersionRequest)) {
        reaction.answer = versionAnswer();
    } else if (beginsWith(report, bootloaderEntryRequest())) {
        reaction.request = SimRequest::EnterBootloader;
    } else if (beginsWith(report, avneraResetRequest())) {
        reaction.request = SimRequest::Restart;
    } else if (beginsWith(report, kStorePairingId)) {
        return storePairingId();
    } else if (const auto write = parseAvneraParameterWrite(report);
               write && write->address == kPairingIdAddress &&
               write->value.size() == kPairingIdWidth) {
        return takePairingId(write->byte8, write->value);
    } else {
        errors_.record(source, "unknown command %s", hexBytes(report, 12).c_str());
    }
    return reaction;
}

SimReaction AvneraApplication::takePairingId(std::uint8_t selector, const ByteVector& id) {
    if (selector != pairingSelector_) {
        errors_.record(simRoleName(role_),
                       "pairing id for selector 0x%02X ignored: this chip is selector 0x%02X",
                       selector, pairingSelector_);
        return {};
    }
    pendingPairingId_ = littleEndian(id.data(), kPairingIdWidth);
    return {};
}

SimReaction AvneraApplication::storePairingId() {
    if (!pendingPairingId_) {
        errors_.record(simRoleName(role_), "pairing store command without a pairing id before it");
        return {};
    }
    pairingId_ = *pendingPairingId_;
    pendingPairingId_.reset();
    return {};
}

}  // namespace zeltor
