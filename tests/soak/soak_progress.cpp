#include "soak/soak_progress.h"

namespace zeltor::soak {

using namespace std::chrono_literals;

std::string clockTime(std::chrono::steady_clock::duration elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    return text;
}

SoakProgress::SoakProgress(std::FILE* out, bool terminal, std::uint64_t total)
    : out_(out), terminal_(terminal), total_(total) {}

void SoakProgress::show(std::uint64_t done, std::uint64_t violations) {
    const auto now = std::chrono::steady_clock::now();
    const std::uint64_t tenths = total_ > 0 ? done * 10 / total_ : 10;
    if (terminal_ ? (now - drawn_ < 200ms && done < total_) : tenths <= tenthsShown_) {
        return;
    }
    drawn_ = now;
    tenthsShown_ = tenths;
    const auto elapsed = now - started_;
    std::string line = "soak: " + std::to_string(done) + " of " + std::to_string(total_) +
                       " scenarios, " + std::to_string(violations) +
                       (violations == 1 ? " violation, " : " violations, ") + clockTime(elapsed) +
                       " so far";
    if (done > 0 && done < total_) {
        const double share = static_cast<double>(total_ - done) / static_cast<double>(done);
        line += ", about " +
                clockTime(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::duration<double>(elapsed) * share)) +
                " left";
    }
    if (terminal_) {
        std::fprintf(out_, "\r\033[K%s", line.c_str());
        onScreen_ = true;
    } else {
        std::fprintf(out_, "%s\n", line.c_str());
    }
    std::fflush(out_);
}

void SoakProgress::clear() {
    if (onScreen_) {
        std::fprintf(out_, "\r\033[K");
        onScreen_ = false;
    }
}

}  // namespace zeltor::soak
