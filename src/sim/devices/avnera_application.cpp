#include "sim/devices/avnera_application.h"

#include <algorithm>
#include <chrono>

#include "sim/devices/chip_reports.h"
#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

constexpr std::size_t kVersionTextOffset = 9;
// The chip fetches its version text before it can answer; the host waits half a second.
constexpr std::chrono::milliseconds kVersionAnswerTime{375};
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

ByteVector AvneraApplication::versionAnswer(const ByteVector& request) const {
    // The chip echoes the request's header before its version text.
    ByteVector answer(kVersionTextOffset + version_.size());
    std::copy_n(request.begin(), kVersionTextOffset, answer.begin());
    std::copy(version_.begin(), version_.end(), answer.begin() + kVersionTextOffset);
    return answer;
}

SimReaction AvneraApplication::onSetFeature(const ByteVector& report) {
    const char* source = simRoleName(role_);
    if (report.empty() || report[0] != kChipCommandReportId) {
        errors_.record(source, "feature report of unknown id refused: %s",
                       hexBytes(report, 4).c_str());
        return SimReaction::refused(kErrorInvalidParameter);
    }
    SimReaction reaction;
    const auto command = chipCommandOf(report);
    if (command == ChipCommand::VersionRequest) {
        reaction.answer = versionAnswer(report);
        reaction.answerTime = kVersionAnswerTime;
    } else if (command == ChipCommand::BootloaderEntry) {
        reaction.request = SimRequest::EnterBootloader;
    } else if (command == ChipCommand::Reset) {
        reaction.request = SimRequest::Restart;
    } else if (command == ChipCommand::PairingStore) {
        return storePairingId();
    } else if (const auto write = chipParameterWriteOf(report);
               write && write->address == kPairingIdAddress &&
               write->value.size() == kPairingIdWidth) {
        return takePairingId(write->target, write->value);
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
