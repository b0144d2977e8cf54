#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "soak/soak_draw.h"
#include "soak/soak_run.h"

namespace zeltor::soak {

// What a soak has run so far: scenarios, the kinds of fault drawn, how the worlds went.
class SoakTally {
public:
    void add(const SoakDraw& draw, const SoakOutcome& outcome);

    std::uint64_t scenarios() const { return scenarios_; }
    std::uint64_t violations() const { return violations_; }
    // "faults drawn: 19987 (refuse 2502, drop-answer 2490, ..., flood 2517)" and the lines after
    // it, without a trailing newline.
    std::string summary() const;

private:
    std::uint64_t scenarios_ = 0;
    std::uint64_t faultsDrawn_ = 0;
    std::map<std::string, std::uint64_t> kinds_;
    std::uint64_t faultsActed_ = 0;
    std::uint64_t withMcu_ = 0;
    std::uint64_t cleanRetries_ = 0;
    std::uint64_t violations_ = 0;
    std::map<SoakViolation, std::uint64_t> byKind_;
};

}  // namespace zeltor::soak
