#pragma once

#include <optional>
#include <string>

#include "base/bytes.h"

namespace zeltor {

// The base folder named by "/FORCEDIR=": one pair of enclosing double quotes removed. Nothing
// (and a trace line) when the name is too long for the platform's 260-character paths.
std::optional<std::string> overrideFolder(const std::string& directory);

// The first file in `folder` whose name ends in `extension` (letter case ignored, as the
// Windows search does); "first" is by name, so every platform picks the same file.
std::optional<std::string> findFirstImageFile(const std::string& folder,
                                              const std::string& extension);

// Reads a whole file. False, with `bytes` untouched, when it cannot be opened or is empty;
// false with `bytes` empty when it cannot be read completely.
bool readFileBytes(const std::string& path, ByteVector& bytes);

// Reads an image text file and parses it into `image`; false, with `image` untouched, when the
// file cannot be read.
bool loadImageTextFile(const std::string& path, ByteVector& image);

}  // namespace zeltor
