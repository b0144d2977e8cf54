#pragma once

#include "base/bytes.h"

namespace zeltor {

// Image text: one line per firmware byte, "7B // 0x0000" with optional annotations. Only the
// first two characters of a line carry information; the n-th line kept gives byte n.
// `text` ends at its first 0 byte (or at its end). Returns true when at least one byte came out.
bool parseImageText(const ByteVector& text, ByteVector& image);

// Parses image text as read from a resource or a file, which carries no terminator.
bool parseImageTextBytes(ByteVector text, ByteVector& image);

}  // namespace zeltor
