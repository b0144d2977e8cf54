#pragma once

#include "base/bytes.h"

namespace zeltor {

// Empties `bytes`, then copies the program's own "TEXT" resource `id` into it. False, with
// `bytes` left empty, when the resource cannot be read.
bool loadResourceBytes(int id, ByteVector& bytes);

// Parses resource `id` as image text into `image`; false without touching `image` when the
// resource cannot be read.
bool loadImageTextResource(int id, ByteVector& image);

}  // namespace zeltor
