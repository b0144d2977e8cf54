#include "firmware/image_files.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>
#include <tuple>

#include "base/text.h"
#include "firmware/image_text.h"
#include "firmware/whole_file.h"
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

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           equalsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

// NTFS keeps names in the order of their UTF-16 units with letters upper-cased.
std::u16string windowsOrderKey(const std::string& name) {
    std::u16string key = utf8ToUtf16(name);
    for (char16_t& unit : key) {
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - u'a' + u'A');
        }
    }
    return key;
}

// ".bin": a name that is nothing but its extension (on Linux, a hidden file).
bool hasNoStem(const std::string& path) {
    const std::string name = utf8Of(pathOf(path).filename());
    return name.size() > 1 && name.front() == '.' && name.find('.', 1) == std::string::npos;
}

std::string megabytes(std::uint64_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
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

std::optional<std::vector<std::string>> folderEntryNames(const std::string& folder,
                                                         std::string& why) {
    std::vector<std::string> names;
    std::error_code error;
    try {
        for (std::filesystem::directory_iterator it(pathOf(folder), error), end;
             !error && it != end; it.increment(error)) {
            names.push_back(utf8Of(it->path().filename()));
        }
    } catch (const std::bad_alloc&) {
        why = "not enough memory";
        return std::nullopt;
    }
    if (error) {
        why = error.message();
        return std::nullopt;
    }
    return names;
}

std::optional<std::string> firstImageFile(const std::string& folder,
                                          const std::vector<std::string>& names,
                                          std::string_view extension) {
    const std::string* first = nullptr;
    std::u16string firstKey;
    for (const std::string& name : names) {
        if (!endsWithIgnoringCase(name, extension)) {
            continue;
        }
        std::u16string key = windowsOrderKey(name);
        if (first == nullptr || std::tie(key, name) < std::tie(firstKey, *first)) {
            first = &name;
            firstKey = std::move(key);
        }
    }
    if (first == nullptr) {
        return std::nullopt;
    }
    return utf8Of(pathOf(folder) / pathOf(*first));
}

bool readFileBytes(const std::string& path, ByteVector& bytes, std::string& why) {
    if (hasNoStem(path)) {
        why = "has no name before its extension";
        return false;
    }
    ByteVector content;
    const WholeFileResult result = readWholeFile(path, kMaxImageFileBytes, content);
    switch (result.status) {
        case WholeFileStatus::Read:
            if (content.empty()) {
                why = "is empty";
                return false;
            }
            bytes = std::move(content);
            return true;
        case WholeFileStatus::NotRegular:
            why = "is not a regular file";
            return false;
        case WholeFileStatus::TooLarge:
            why = "is larger than " + megabytes(kMaxImageFileBytes);
            return false;
        case WholeFileStatus::Missing:
        case WholeFileStatus::Unreadable:
            break;
    }
    why = "cannot be read (" + result.reason + ")";
    return false;
}

bool loadImageTextFile(const std::string& path, ByteVector& image, std::string& why) {
    ByteVector text;
    if (!readFileBytes(path, text, why)) {
        return false;
    }
    try {
        if (parseImageTextBytes(std::move(text), image)) {
            return true;
        }
        why = "holds no image lines";
    } catch (const std::bad_alloc&) {
        image.clear();
        why = "cannot be read (not enough memory)";
    }
    return false;
}

}  // namespace zeltor
