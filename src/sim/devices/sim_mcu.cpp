#include "sim/devices/sim_mcu.h"

#include "sim/devices/report_bytes.h"
#include "sim/devices/sim_names.h"

namespace zeltor {
namespace {

// The MCU's output and input reports, as its firmware reads and writes them.
constexpr std::uint8_t kReportId = 0x06;
const ByteVector kVersionRequest{kReportId, 0x88, 0x07, 0x00};
const ByteVector kUpdateModeCommand{kReportId, 0x88, 0x01};
const ByteVector kCloseCommand{kReportId, 0x88, 0x02};
const ByteVector kPlanPrefix{kReportId, 0xBB, 0x03};
constexpr std::uint8_t kStart = 0x02;
constexpr std::uint8_t kData = 0x03;
constexpr std::uint8_t kChecksum = 0x04;
constexpr std::uint8_t kFinish = 0x05;
// A refusal names a sub-command no packet expects, so no awaited answer can begin with it.
constexpr std::uint8_t kRefusal = 0xEE;
constexpr std::size_t kDataBlockReport = 15;  // 06 BB 03 03 aH aL d0..d7 cs
constexpr std::size_t kBlockBytes = 8;
constexpr std::size_t kFlashSize = 0x10000;

const char* source() {
    return simRoleName(DeviceRole::ZeltorHeadsetMCU);
}

ByteVector planAnswer(std::uint8_t command, std::initializer_list<std::uint8_t> tail) {
    ByteVector answer = kPlanPrefix;
    answer.push_back(command);
    answer.insert(answer.end(), tail);
    return answer;
}

SimReaction answering(ByteVector answer) {
    SimReaction reaction;
    reaction.answer = std::move(answer);
    return reaction;
}

std::uint8_t bcd(std::uint8_t value) {
    return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

}  // namespace

SimMcu::SimMcu(const SimMcuConfig& config, DeviceErrorLog& errors)
    : config_(config), flash_(oldFirmwarePattern(kFlashSize, 0x3C)), errors_(errors) {}

void SimMcu::powerUp(bool updateMode) {
    updateMode_ = updateMode;
    transfer_ = {};
}

bool SimMcu::takesPlan() const {
    return updateMode_ || config_.patch == 0 || !config_.answersVersion;
}

SimReaction SimMcu::onOutputReport(const ByteVector& report) {
    if (report.empty() || report[0] != kReportId) {
        errors_.record(source(), "output report of unknown id refused: %s",
                       hexBytes(report, 4).c_str());
        return SimReaction::refused(kErrorInvalidParameter);
    }
    if (beginsWith(report, kPlanPrefix) && report.size() > kPlanPrefix.size()) {
        return planCommand(report);
    }
    SimReaction reaction;
    if (beginsWith(report, kVersionRequest)) {
        // The update loader does not know the version request and stays silent.
        if (!updateMode_ && config_.answersVersion) {
            reaction.answer = kVersionRequest;
            reaction.answer->push_back(bcd(config_.patch));
        }
    } else if (beginsWith(report, kUpdateModeCommand)) {
        reaction.request = SimRequest::EnterMcuUpdate;
    } else if (beginsWith(report, kCloseCommand)) {
        return close();
    } else {
        errors_.record(source(), "unknown command %s", hexBytes(report, 8).c_str());
    }
    return reaction;
}

SimReaction SimMcu::planCommand(const ByteVector& report) {
    const std::uint8_t command = report[kPlanPrefix.size()];
    if (!takesPlan()) {
        errors_.record(source(), "plan command %s ignored outside update mode (patch version %u)",
                       hexBytes(report, 4).c_str(), config_.patch);
        return {};
    }
    switch (command) {
        case kStart:
            transfer_ = {};
            transfer_.started = true;
            return answering(planAnswer(kStart, {0x00}));
        case kData:
            return dataBlock(report);
        case kChecksum:
            transfer_.checked = true;
            return answering(planAnswer(kChecksum, {transfer_.sum}));
        case kFinish:
            return finish();
        default:
            errors_.record(source(), "unknown plan command %s", hexBytes(report, 4).c_str());
            return answering(planAnswer(kRefusal, {command}));
    }
}

SimReaction SimMcu::dataBlock(const ByteVector& report) {
    const ByteVector refusal = planAnswer(kRefusal, {kData});
    if (report.size() < kDataBlockReport) {
        errors_.record(source(), "data block report of %zu bytes is cut short", report.size());
        return answering(refusal);
    }
    const std::uint32_t address = (report[4] << 8) | report[5];
    std::uint8_t sum = 0;
    for (std::size_t i = 1; i < kDataBlockReport - 1; ++i) {
        sum = static_cast<std::uint8_t>(sum + report[i]);
    }
    const std::uint8_t checksum = report[kDataBlockReport - 1];
    if (!transfer_.started) {
        errors_.record(source(), "data block at 0x%04X before the start command", address);
        return answering(refusal);
    }
    if (sum != checksum) {
        errors_.record(source(), "data block at 0x%04X refused: checksum 0x%02X, computed 0x%02X",
                       address, checksum, sum);
        return answering(refusal);
    }
    if (address + kBlockBytes > flash_.size()) {
        errors_.record(source(), "data block at 0x%04X runs past the flash", address);
        return answering(refusal);
    }
    // The tool sends a block again when its answer was lost: it replaces the block it repeats.
    const bool repeat = address == transfer_.lastAddress;
    if (address != transfer_.nextAddress && !repeat) {
        errors_.record(source(), "data block at 0x%04X out of order, expected 0x%04X", address,
                       transfer_.nextAddress);
        transfer_.inconsistent = true;
    }
    std::uint8_t blockSum = 0;
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        flash_[address + i] = report[6 + i];
        blockSum = static_cast<std::uint8_t>(blockSum + report[6 + i]);
    }
    transfer_.sum =
        static_cast<std::uint8_t>(transfer_.sum + blockSum - (repeat ? transfer_.lastBlockSum : 0));
    if (!repeat) {
        transfer_.nextAddress = address + kBlockBytes;
    }
    transfer_.lastAddress = address;
    transfer_.lastBlockSum = blockSum;
    return answering(planAnswer(kData, {0x00}));
}

SimReaction SimMcu::finish() {
    const char* problem = nullptr;
    if (!transfer_.started || transfer_.nextAddress == 0) {
        problem = "no data blocks since the start command";
    } else if (transfer_.inconsistent) {
        problem = "data blocks out of order";
    } else if (!transfer_.checked) {
        problem = "no image checksum check";
    }
    if (problem != nullptr) {
        errors_.record(source(), "finish refused: %s", problem);
        return answering(planAnswer(kFinish, {0x01}));
    }
    transfer_.finished = true;
    return answering(planAnswer(kFinish, {0x00}));
}

SimReaction SimMcu::close() {
    if (!transfer_.finished) {
        errors_.record(source(), transfer_.started ? "closing command ends an unfinished update"
                                                   : "closing command without an update");
    }
    SimReaction reaction;
    reaction.request = SimRequest::LeaveMcuUpdate;
    return reaction;
}

}  // namespace zeltor
