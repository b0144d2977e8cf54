#pragma once

#include <string_view>

namespace zeltor {

// The file name without its folders, so that assertion reports name the source file the same
// way whatever folder the build ran in.
constexpr const char* sourceFileName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') {
            name = p + 1;
        }
    }
    return name;
}

}  // namespace zeltor

#define ZELTOR_SOURCE_NAME (::zeltor::sourceFileName(__FILE__))
