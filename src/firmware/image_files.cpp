#include "firmware/image_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "base/text.h"
#include "firmware/image_text.h"
#include "trace/trace_log.h"

namespace zeltor {
namespace {

constexpr std::size_t kMaxPathCharacters = 259;

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool endsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           equalsIgnoringAsciiCase(std::string_view(text).substr(text.size() - suffix.size()),
                                   suffix);
}

}  // namespace

std::optional<std::string> overrideFolder(const std::string& directory) {
    std::string folder = directory;
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') {
        folder = folder.substr(1, folder.size() - 2);
    }
    if (utf8ToUtf16(folder).size() > kMaxPathCharacters) {
        Trace("  Firmware folder name is longer than %d characters, not used: %s\n",
              static_cast<int>(kMaxPathCharacters), folder.c_str());
        return std::nullopt;
    }
    return folder;
}

std::optional<std::string> findFirstImageFile(const std::string& folder,
                                              const std::string& extension) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(pathOf(folder), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = utf8Of(it->path().filename());
        if (endsWithIgnoringCase(name, extension) && name.size() > extension.size()) {
            names.push_back(name);
        }
    }
    if (names.empty()) {
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return utf8Of(pathOf(folder) / pathOf(names.front()));
}

bool readFileBytes(const std::string& path, ByteVector& bytes) {
    std::ifstream file(pathOf(path), std::ios::binary);
    if (!file) {
        return false;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size <= 0) {
        return false;
    }
    file.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) {
        bytes.clear();
        return false;
    }
    return true;
}

bool loadImageTextFile(const std::string& path, ByteVector& image) {
    ByteVector text;
    if (!readFileBytes(path, text)) {
        return false;
    }
    return parseImageTextBytes(std::move(text), image);
}

}  // namespace zeltor
