#pragma once

#include <cstdint>

namespace zeltor {

// The C library's pseudo-random generator as the product has always used it: one process-wide
// sequence, seeded once, 0..32767 per draw. Kept as an object so tests can seed or replace it.
class CRandom {
public:
    static constexpr int kMax = 0x7FFF;

    void seed(std::uint32_t seed) { state_ = seed; }
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & kMax);
    }

private:
    std::uint32_t state_ = 1;
};

}  // namespace zeltor
