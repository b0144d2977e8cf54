#include <windows.h>

#include "base/clock.h"

namespace zeltor {
namespace {

class Win32Clock final : public Clock {
public:
    Win32Clock() {
        LARGE_INTEGER frequency{};
        if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
            frequency_ = frequency.QuadPart;
        }
    }

    std::chrono::nanoseconds now() const override {
        if (frequency_ == 0) {
            return std::chrono::nanoseconds(0);
        }
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        const long long seconds = counter.QuadPart / frequency_;
        const long long rest = counter.QuadPart % frequency_;
        return std::chrono::seconds(seconds) +
               std::chrono::nanoseconds(rest * 1000000000LL / frequency_);
    }

    void sleepFor(std::chrono::milliseconds duration) override {
        if (duration.count() > 0) {
            Sleep(static_cast<DWORD>(duration.count()));
        }
    }

    LocalDateTime localDateTime() const override {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }

private:
    // 0 when the counter's frequency cannot be read: every timestamp then reads 0.
    long long frequency_ = 0;
};

}  // namespace

Clock& systemClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace zeltor
