#pragma once

#include <cstdint>

namespace zeltor {

// One embedded "TEXT" resource; the table ends with an entry of id 0.
struct EmbeddedResource {
    std::int64_t id;
    const std::uint8_t* begin;
    const std::uint8_t* end;
};

extern "C" const EmbeddedResource zeltor_embedded_resources[];

}  // namespace zeltor
