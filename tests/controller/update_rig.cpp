#include "controller/update_rig.h"

#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

#include "firmware/resource_images.h"
#include "host/update_flag.h"
#include "sim/scenario/scenario_json.h"
#include "sim/sim_person.h"

namespace zeltor::test {

namespace {

SimScenario parsed(const std::string& json) {
    SimScenario scenario;
    std::string error;
    if (!parseScenario(json, "test", scenario, error)) {
        ADD_FAILURE() << error;
    }
    return scenario;
}

}  // namespace

UpdateRig::UpdateRig(const std::string& scenarioJson) : UpdateRig(parsed(scenarioJson), true) {}

UpdateRig::UpdateRig(const SimScenario& scenario, bool captureTrace)
    : trace_(captureTrace ? std::make_unique<TraceCapture>(&scheduler) : nullptr),
      world_(std::make_unique<SimWorld>(bus, scenario)) {}

UpdateRig::~UpdateRig() = default;

void UpdateRig::start() {
    dlg_ = std::make_unique<CBrennicDFUDlg>(dialog, bus, host, random, options_, scheduler);
    dialog.setTimerHandler([this](std::uint32_t id) { dlg_->OnTimer(id); });
    dlg_->OnInitDialog();
}

void UpdateRig::stopProgram() {
    dlg_.reset();
    dialog.setTimerHandler({});
}

bool UpdateRig::runUntilState(DfuState state, std::chrono::milliseconds limit) {
    return dialog.runUntil([this, state] { return dlg_->state() == state; }, limit);
}

void UpdateRig::runFor(std::chrono::milliseconds limit) {
    dialog.runUntil([] { return false; }, limit);
}

void UpdateRig::replugHeadset() {
    SimPerson(*world_, scheduler).replugHeadset();
    runFor(SimPerson::kReplugPause);
}

void UpdateRig::pressStart() {
    dlg_->OnStartClicked();
}

bool UpdateRig::runUpdate(std::chrono::milliseconds limit) {
    if (!runUntilState(DFU_STATE_READY, limit)) {
        return false;
    }
    pressStart();
    return dialog.runUntil(
        [this] {
            return dlg_->state() == DFU_STATE_SUCCESS || dlg_->state() == DFU_STATE_UP_TO_DATE;
        },
        limit);
}

std::vector<DfuState> UpdateRig::statesEntered() const {
    std::vector<DfuState> states;
    for (const auto& line : trace_->messages()) {
        int from = 0;
        int to = 0;
        if (std::sscanf(line.c_str(), "CBrennicDFUDlg::SwitchToState() called from %d to %d", &from,
                        &to) == 2) {
            states.push_back(static_cast<DfuState>(to));
        }
    }
    return states;
}

int UpdateRig::countTraced(const std::string& line) const {
    return static_cast<int>(std::count(trace_->messages().begin(), trace_->messages().end(), line));
}

std::vector<std::string> UpdateRig::failedPacketDumps() const {
    std::vector<std::string> lines{""};
    for (const auto& message : trace_->messages()) {
        lines.back() += message;
        if (message.ends_with("\n")) {
            lines.emplace_back();
        }
    }
    std::vector<std::string> dumps;
    bool inDump = false;
    for (const auto& line : lines) {
        if (line == "FAILED PACKET:\n") {
            dumps.push_back(line);
            inDump = true;
        } else if (inDump && line.starts_with("    ")) {
            dumps.back() += line;
        } else {
            inDump = false;
        }
    }
    return dumps;
}

bool UpdateRig::inProgressFlag() const {
    return const_cast<SimHostServices&>(host)
        .value(RegistryHive::CurrentUser, getProductRegistryKey(), "InProgress")
        .has_value();
}

ByteVector embeddedImage(int id) {
    ByteVector image;
    if (id == 134 || id == 141) {
        loadResourceBytes(id, image);
    } else {
        loadImageTextResource(id, image);
    }
    return image;
}

bool memoryHolds(const ByteVector& memory, const ByteVector& image) {
    return !image.empty() && memory.size() >= image.size() &&
           std::equal(image.begin(), image.end(), memory.begin());
}

std::string hexDump(const ByteVector& bytes, std::size_t from, std::size_t count) {
    std::string text;
    for (std::size_t i = from; i < from + count && i < bytes.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x ", bytes[i]);
        text += byte;
    }
    return text;
}

}  // namespace zeltor::test
