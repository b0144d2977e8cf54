// Logs come from users' machines, whole or cut short or edited: no bytes may crash the reader,
// a refusal always says why, and the reports it finds are numbered in order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/replay/replay_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zeltor::ReplayLog log;
    std::string error;
    if (!zeltor::parseReplayLog(bytes, log, error)) {
        if (error.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    std::size_t number = 0;
    for (const zeltor::ReplayItem& item : log.items) {
        if (item.type == zeltor::ReplayItem::Type::Report && item.number != ++number) {
            __builtin_trap();
        }
    }
    return 0;
}
