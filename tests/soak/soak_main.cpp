// zeltor-soak: random fault scenarios by the thousand, far more than the tests run, on every
// core. Usage: zeltor-soak [N] [--seed S] [--processes P]
//   N  scenarios (default 100000, at most 2^32: every seed once), of seeds S, S+1, ... (S drawn
//      at random when not given)
//   P  worker processes (default: one per core)
// Exits 0 when every scenario kept the invariant, 1 on any violation, 2 when it cannot run.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "sim/scenario/scenario_writer.h"
#include "soak/soak_processes.h"
#include "soak/soak_progress.h"
#include "soak/soak_tally.h"

namespace zeltor::soak {
namespace {

// Violations shown with their whole scenario; later ones get a line each.
constexpr std::uint64_t kScenariosShown = 10;

struct Arguments {
    std::uint64_t count = 100'000;
    std::uint32_t seed = 0;
    bool seedGiven = false;
    unsigned processes = 0;
};

bool parseNumber(const char* text, std::uint64_t max, std::uint64_t& out) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (text[0] < '0' || text[0] > '9' || *end != '\0' || errno != 0 || value > max) {
        return false;
    }
    out = value;
    return true;
}

bool parseArguments(int argc, char** argv, Arguments& arguments) {
    bool countGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::uint64_t value = 0;
        if ((argument == "--seed" || argument == "--processes") && i + 1 < argc) {
            const bool seed = argument == "--seed";
            if (!parseNumber(argv[++i], seed ? 0xFFFFFFFFu : 256u, value) ||
                (!seed && value == 0)) {
                return false;
            }
            if (seed) {
                arguments.seed = static_cast<std::uint32_t>(value);
                arguments.seedGiven = true;
            } else {
                arguments.processes = static_cast<unsigned>(value);
            }
        } else if (!countGiven && parseNumber(argv[i], 1ull << 32, value) && value > 0) {
            arguments.count = value;
            countGiven = true;
        } else {
            return false;
        }
    }
    return true;
}

// "1 scenario", "2 scenarios", "2 processes".
std::string counted(std::uint64_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun +
           (count == 1 ? "" : (noun.back() == 's' ? "es" : "s"));
}

void reportViolation(const SoakResult& result, std::uint64_t shown) {
    std::printf("VIOLATION at seed %u, %s: %s\n", result.seed,
                violationName(result.outcome.violation), result.outcome.problem.c_str());
    if (shown > kScenariosShown) {
        return;
    }
    std::printf(
        "  Run it again with: scripts/soak 1 --seed %u\n"
        "  The scenario, to replay with /SIMULATE=<file> (the program replugs the headset "
        "whenever\n"
        "  it is asked and never starts afresh, and it cannot be told to send the MCU):\n%s",
        result.seed, writeScenario(drawSoakScenario(result.seed).scenario).c_str());
    if (shown == kScenariosShown) {
        std::printf("  (later violations are shown by their seed only)\n");
    }
}

int run(const Arguments& arguments) {
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    const std::uint32_t first = arguments.seedGiven ? arguments.seed : std::random_device{}();
    const unsigned wanted = arguments.processes > 0
                                ? arguments.processes
                                : std::max(1u, std::thread::hardware_concurrency());
    const auto processes = static_cast<unsigned>(
        std::max<std::uint64_t>(1, std::min<std::uint64_t>(wanted, arguments.count)));
    const std::uint64_t last = first + (arguments.count > 0 ? arguments.count - 1 : 0);
    std::printf("soak: %s of seeds %u to %u, %s\n", counted(arguments.count, "scenario").c_str(),
                first, static_cast<std::uint32_t>(last), counted(processes, "process").c_str());
    std::fflush(stdout);

    SoakTally tally;
    SoakProgress progress(stdout, terminal, arguments.count);
    std::string error;
    const bool ran = runInProcesses(
        first, arguments.count, processes,
        [&](const SoakResult& result) {
            tally.add(drawSoakScenario(result.seed), result.outcome);
            if (!result.outcome.good()) {
                progress.clear();
                reportViolation(result, tally.violations());
            }
            progress.show(tally.scenarios(), tally.violations());
        },
        error);
    progress.clear();
    if (!ran) {
        std::fprintf(stderr, "zeltor-soak: %s\n", error.c_str());
    }
    const double seconds = std::chrono::duration<double>(progress.elapsed()).count();
    std::printf("soak: %s in %s wall time (%.1f s), %s, seeds from %u\n%s\n",
                counted(tally.scenarios(), "scenario").c_str(),
                clockTime(progress.elapsed()).c_str(), seconds,
                counted(processes, "process").c_str(), first, tally.summary().c_str());
    if (!ran) {
        return 2;
    }
    return tally.violations() > 0 ? 1 : 0;
}

}  // namespace
}  // namespace zeltor::soak

int main(int argc, char** argv) {
    zeltor::soak::Arguments arguments;
    if (!zeltor::soak::parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: zeltor-soak [N] [--seed S] [--processes P]\n");
        return 2;
    }
    return zeltor::soak::run(arguments);
}
