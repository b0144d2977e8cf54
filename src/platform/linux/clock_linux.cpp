#include <time.h>

#include <cerrno>

#include "base/clock.h"

namespace zeltor {
namespace {

class LinuxClock final : public Clock {
public:
    std::chrono::nanoseconds now() const override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
    }

    void sleepFor(std::chrono::milliseconds duration) override {
        if (duration.count() <= 0) {
            return;
        }
        timespec request{static_cast<time_t>(duration.count() / 1000),
                         static_cast<long>((duration.count() % 1000) * 1000000)};
        while (nanosleep(&request, &request) != 0 && errno == EINTR) {
        }
    }

    LocalDateTime localDateTime() const override {
        const time_t t = time(nullptr);
        tm local{};
        localtime_r(&t, &local);
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour,        local.tm_min,     local.tm_sec};
    }
};

}  // namespace

Clock& systemClock() {
    static LinuxClock clock;
    return clock;
}

}  // namespace zeltor
