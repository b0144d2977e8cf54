#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace zeltor {

// Makes `path` and its missing parents with `mode`. True when `path` is a folder afterwards.
bool makeFolders(const std::string& path, mode_t mode);

// Replaces the file at `path` whole: a temporary file beside it is written, flushed to the disk
// and renamed over it, so that a crash leaves either the old content or the new one. The
// temporary file never outlives the call.
bool replaceFileAtomically(const std::string& path, std::string_view content, mode_t mode);

}  // namespace zeltor
