#include "base/virtual_clock.h"

#include <chrono>

namespace zeltor {

void VirtualClock::sleepFor(std::chrono::milliseconds duration) {
    if (duration.count() > 0) {
        now_ += duration;
    }
}

void VirtualClock::advance(std::chrono::nanoseconds duration) {
    if (duration.count() > 0) {
        now_ += duration;
    }
}

void VirtualClock::advanceTo(std::chrono::nanoseconds time) {
    if (time > now_) {
        now_ = time;
    }
}

LocalDateTime VirtualClock::localDateTime() const {
    using namespace std::chrono;
    const sys_days startDay =
        year_month_day{year(start_.year), month(static_cast<unsigned>(start_.month)),
                       day(static_cast<unsigned>(start_.day))};
    const auto start =
        startDay + hours(start_.hour) + minutes(start_.minute) + seconds(start_.second);
    const auto t = start + duration_cast<seconds>(now_);
    const auto dayPoint = floor<days>(t);
    const year_month_day ymd(dayPoint);
    const hh_mm_ss time(t - dayPoint);
    return {static_cast<int>(ymd.year()),
            static_cast<int>(unsigned(ymd.month())),
            static_cast<int>(unsigned(ymd.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

}  // namespace zeltor
