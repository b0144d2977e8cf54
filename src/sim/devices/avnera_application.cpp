#include "sim/devices/avnera_application.h"

#include <algorithm>

#include "protocol/avnera_commands.h"
#include "protocol/avnera_plan.h"
#include "sim/devices/avnera_report.h"
#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

constexpr std::size_t kVersionTextOffset = 9;
constexpr std::uint16_t kPairingIdAddress = 0;
constexpr int kPairingIdWidth = 4;

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
    const ByteVector request = avneraVersionRequest();
    ByteVector answer(kVersionTextOffset + version_.size());
    std::copy_n(request.begin(), kVersionTextOffset, answer.begin());
    std::copy(version_.begin(), version_.end(), answer.begin() + kVersionTextOffset);
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
    if (beginsWith(report, avneraVersionRequest())) {
        reaction.answer = versionAnswer();
    } else if (beginsWith(report, avneraBootloaderEntryCommand())) {
        reaction.request = SimRequest::EnterBootloader;
    } else if (beginsWith(report, avneraResetRequest())) {
        reaction.request = SimRequest::Restart;
    } else if (beginsWith(report, avneraPairingConfirmReport())) {
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
