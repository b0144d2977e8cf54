#include "base/clock.h"

namespace zeltor {
namespace {
Clock* g_activeClock = nullptr;
}  // namespace

Clock& activeClock() {
    return g_activeClock != nullptr ? *g_activeClock : systemClock();
}

void setActiveClock(Clock* clock) {
    g_activeClock = clock;
}

}  // namespace zeltor
