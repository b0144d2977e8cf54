#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "firmware/image_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zeltor::ByteVector text(data, data + size);
    zeltor::ByteVector image;
    const bool produced = zeltor::parseImageText(text, image);
    // Never more bytes than lines, and the result says whether any came out.
    const auto end = std::find(text.begin(), text.end(), 0);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), end, '\n')) + 1;
    if (produced != !image.empty() || image.size() > lines) {
        __builtin_trap();
    }
    return 0;
}
