#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/bytes.h"

namespace zeltor {

// How reading a whole file ended.
enum class WholeFileStatus {
    Read,        // `bytes` holds the file (possibly nothing, for an empty file)
    Missing,     // nothing by that name (a dangling link included)
    Unreadable,  // it could not be opened or read; the reason says why
    NotRegular,  // a folder, pipe, socket or device stands in its place
    TooLarge,    // it holds more than the limit
};

struct WholeFileResult {
    WholeFileStatus status = WholeFileStatus::Unreadable;
    std::string reason;  // the platform's own words, for Missing and Unreadable
};

// Reads the regular file at the UTF-8 `path` into `bytes` when it holds at most `limit` bytes.
// The file is opened without waiting (a pipe or device in its place is refused, never waited
// on) and measured before anything is allocated for it. `bytes` is changed only on success.
WholeFileResult readWholeFile(const std::string& path, std::uint64_t limit, ByteVector& bytes);

// What the platforms share once a regular file is open and measured at `size` bytes: the limit,
// one allocation, and a file that grows while it is read. `readSome` reads at most `room`
// bytes into `into` and sets `got` (0 at the end of the file); a status other than Read stops.
using ReadSome =
    std::function<WholeFileResult(std::uint8_t* into, std::size_t room, std::size_t& got)>;
WholeFileResult readMeasuredFile(std::uint64_t size, std::uint64_t limit, const ReadSome& readSome,
                                 ByteVector& bytes);

}  // namespace zeltor
