#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

namespace zeltor {

// The largest override file that is read: far more than any image needs (the dongle's image
// text is under 1 MiB, an MCU image at most 64 KiB), little enough to hold in memory at once.
inline constexpr std::uint64_t kMaxImageFileBytes = 16 * 1024 * 1024;

// The base folder named by "/FORCEDIR=": one pair of enclosing double quotes removed. Nothing
// (and a trace line) when the name is too long for the platform's 260-character paths.
std::optional<std::string> overrideFolder(const std::string& directory);

// The names of the entries in `folder`; nothing, with `why` in the platform's words, when it
// cannot be listed.
std::optional<std::vector<std::string>> folderEntryNames(const std::string& folder,
                                                         std::string& why);

// The path of the first of `names` that ends in `extension`, letter case ignored as the Windows
// search matches (the extension alone matches too). "First" is the order the Windows file
// system keeps, letter case ignored and then byte by byte, so that every platform picks the
// same file whatever order the folder lists its entries in.
std::optional<std::string> firstImageFile(const std::string& folder,
                                          const std::vector<std::string>& names,
                                          std::string_view extension);

// Reads a whole override file: a regular file of at most kMaxImageFileBytes, never waited on.
// False, with `bytes` untouched, when it cannot be used; `why` then says what is wrong with it
// in words that follow its name in a trace line ("is empty", "is not a regular file", ...).
bool readFileBytes(const std::string& path, ByteVector& bytes, std::string& why);

// Reads an image text file and parses it into `image`. False, with `why` as above, when the
// file cannot be read (`image` untouched) or holds no image lines (`image` then empty).
bool loadImageTextFile(const std::string& path, ByteVector& image, std::string& why);

}  // namespace zeltor
