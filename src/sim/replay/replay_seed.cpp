#include "sim/replay/replay_seed.h"

#include "protocol/avnera_commands.h"

namespace zeltor {
namespace {

constexpr std::uint32_t kMultiplier = 214013u;
constexpr std::uint32_t kIncrement = 2531011u;

std::uint32_t step(std::uint32_t state) {
    return state * kMultiplier + kIncrement;
}

// The byte a draw gives the pairing id: its value modulo 256, bits 16 to 23 of the state.
std::uint8_t drawnByte(std::uint32_t state) {
    return static_cast<std::uint8_t>(state >> 16);
}

// The id a report carries when it is a pairing-id report, found through the tool's own builder so
// that the replay does not keep a second copy of its layout.
std::optional<std::uint32_t> pairingIdOf(const ByteVector& report) {
    for (const bool isDongle : {true, false}) {
        const ByteVector zero = avneraPairingIdReport(0, isDongle);
        if (zero.size() != report.size()) {
            continue;
        }
        std::uint32_t id = 0;
        for (int byte = 0; byte < 4; ++byte) {
            const ByteVector marked = avneraPairingIdReport(0xFFu << (8 * byte), isDongle);
            for (std::size_t i = 0; i < marked.size(); ++i) {
                if (marked[i] != zero[i]) {
                    id |= static_cast<std::uint32_t>(report[i]) << (8 * byte);
                    break;
                }
            }
        }
        if (avneraPairingIdReport(id, isDongle) == report) {
            return id;
        }
    }
    return std::nullopt;
}

// The multiplier's inverse modulo 2^32 (it is odd), by Newton's iteration.
std::uint32_t inverseMultiplier() {
    std::uint32_t inverse = kMultiplier;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - kMultiplier * inverse;
    }
    return inverse;
}

}  // namespace

std::optional<std::uint32_t> recordedRandomSeed(const ReplayLog& log) {
    std::optional<std::uint32_t> id;
    for (const ReplayItem& item : log.items) {
        if (item.type == ReplayItem::Type::Report && item.kind == ReplayReportKind::SetFeature) {
            if ((id = pairingIdOf(item.bytes))) {
                break;
            }
        }
    }
    if (!id) {
        return std::nullopt;
    }
    // The first draw fixes bits 16 to 23 of the state after it; the other 24 bits are searched.
    const auto wanted = [&](int draw) { return static_cast<std::uint8_t>(*id >> (8 * draw)); };
    for (std::uint32_t free = 0; free < (1u << 24); ++free) {
        const std::uint32_t first =
            (free & 0xFFFFu) | (static_cast<std::uint32_t>(wanted(0)) << 16) | ((free >> 16) << 24);
        std::uint32_t state = first;
        int draw = 1;
        for (; draw < 4; ++draw) {
            state = step(state);
            if (drawnByte(state) != wanted(draw)) {
                break;
            }
        }
        if (draw == 4) {
            return (first - kIncrement) * inverseMultiplier();
        }
    }
    return std::nullopt;
}

}  // namespace zeltor
