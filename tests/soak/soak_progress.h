#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zeltor::soak {

// "1:05" for 65 seconds, "1:02:03" past the hour.
std::string clockTime(std::chrono::steady_clock::duration elapsed);

// How far a soak is: "soak: 45210 of 100000 scenarios, 0 violations, 1:02 so far, about 1:15
// left". On a terminal the line is redrawn in place (at most five times a second); elsewhere a
// plain line is written at each tenth of the way.
class SoakProgress {
public:
    SoakProgress(std::FILE* out, bool terminal, std::uint64_t total);

    void show(std::uint64_t done, std::uint64_t violations);
    // Takes the line away on a terminal, so that other output starts on a clean line.
    void clear();
    std::chrono::steady_clock::duration elapsed() const {
        return std::chrono::steady_clock::now() - started_;
    }

private:
    std::FILE* out_;
    bool terminal_;
    std::uint64_t total_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point drawn_{};
    std::uint64_t tenthsShown_ = 0;
    bool onScreen_ = false;
};

}  // namespace zeltor::soak
