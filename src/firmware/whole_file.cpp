#include "firmware/whole_file.h"

#include <new>

namespace zeltor {

WholeFileResult readMeasuredFile(std::uint64_t size, std::uint64_t limit, const ReadSome& readSome,
                                 ByteVector& bytes) {
    if (size > limit) {
        return {WholeFileStatus::TooLarge, {}};
    }
    try {
        // One byte past the measured size tells a file that grew while it was read.
        ByteVector buffer(static_cast<std::size_t>(size) + 1);
        std::size_t length = 0;
        while (length < buffer.size()) {
            std::size_t got = 0;
            WholeFileResult step = readSome(buffer.data() + length, buffer.size() - length, got);
            if (step.status != WholeFileStatus::Read) {
                return step;
            }
            if (got == 0) {
                break;
            }
            length += got;
        }
        if (length > size) {
            return {WholeFileStatus::Unreadable, "it grew while it was read"};
        }
        buffer.resize(length);
        bytes = std::move(buffer);
        return {WholeFileStatus::Read, {}};
    } catch (const std::bad_alloc&) {
        return {WholeFileStatus::Unreadable, "not enough memory"};
    }
}

}  // namespace zeltor
