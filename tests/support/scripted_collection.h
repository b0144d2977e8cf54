#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <iomanip>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/sim_collection.h"
#include "sim/sim_hid_backend.h"
#include "support/posted_work.h"

namespace zeltor::test {

// The reports several collections received, in the order and at the time they came.
struct ReportJournal {
    struct Entry {
        std::string path;
        std::string kind;  // "output", "feature" or "get-feature"
        ByteVector report;
        std::chrono::milliseconds time;
        friend bool operator==(const Entry&, const Entry&) = default;
        friend void PrintTo(const Entry& entry, std::ostream* out) {
            *out << entry.path << ' ' << entry.kind << " at " << entry.time.count() << " ms:";
            for (const std::uint8_t byte : entry.report) {
                *out << ' ' << std::hex << std::setw(2) << std::setfill('0') << int(byte)
                     << std::dec;
            }
        }
    };
    std::vector<Entry> entries;
};

// A collection whose behaviour each test scripts: it records what it receives, refuses on
// request, and answers an output report with input reports after a delay.
class ScriptedCollection final : public SimCollection {
public:
    ScriptedCollection(SimHidBackend& backend, std::string path, HidAttributes attributes,
                       HidCaps caps)
        : backend_(backend), path_(std::move(path)), attributes_(attributes), caps_(caps) {}

    std::string path() const override { return path_; }
    HidAttributes attributes() const override { return attributes_; }
    HidCaps caps() const override { return caps_; }
    bool probeable() const override { return probeable_; }

    HidTransfer onOutputReport(const ByteVector& report) override {
        outputs.push_back(report);
        note("output", report);
        if (refuseOutput != 0) {
            return {false, refuseOutput};
        }
        for (const auto& answer : answers) {
            backend_.scheduler().scheduleAfter(
                answerDelay, [this, answer] { backend_.queueInput(*this, answer); });
        }
        return {true, 0};
    }
    HidTransfer onSetFeature(const ByteVector& report) override {
        features.push_back(report);
        note("feature", report);
        return refuseFeature != 0 ? HidTransfer{false, refuseFeature} : HidTransfer{true, 0};
    }
    bool onGetFeature(ByteVector& report) override {
        note("get-feature", report);
        if (!featureAnswer) {
            return false;
        }
        for (std::size_t i = 1; i < report.size() && i < featureAnswer->size(); ++i) {
            report[i] = (*featureAnswer)[i];
        }
        return true;
    }

    bool probeable_ = true;
    std::uint32_t refuseOutput = 0;
    std::uint32_t refuseFeature = 0;
    std::vector<ByteVector> answers;  // queued after each output report
    std::chrono::milliseconds answerDelay{5};
    std::optional<ByteVector> featureAnswer;
    std::vector<ByteVector> outputs;
    std::vector<ByteVector> features;
    ReportJournal* journal = nullptr;  // where every report and feature read is noted as well

private:
    void note(const char* kind, const ByteVector& report) {
        if (journal != nullptr) {
            journal->entries.push_back({path_, kind, report,
                                        std::chrono::duration_cast<std::chrono::milliseconds>(
                                            backend_.scheduler().now())});
        }
    }

    SimHidBackend& backend_;
    std::string path_;
    HidAttributes attributes_;
    HidCaps caps_;
};

}  // namespace zeltor::test
