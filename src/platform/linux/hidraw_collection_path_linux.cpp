#include "platform/linux/hidraw_collection_path_linux.h"

#include <cstdio>

namespace zeltor {
namespace {

constexpr char kSuffix[] = "#col";
// A descriptor of at most 4096 bytes cannot hold 100000 collections.
constexpr std::size_t kMaxDigits = 5;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string hidrawCollectionPath(const std::string& node, std::size_t collection,
                                 std::size_t count) {
    if (count <= 1) {
        return node;
    }
    char number[8];
    std::snprintf(number, sizeof number, "%02zu", collection);
    return node + kSuffix + number;
}

std::optional<HidrawCollectionPath> parseHidrawCollectionPath(const std::string& path) {
    const std::size_t at = path.rfind(kSuffix);
    if (at == std::string::npos) {
        if (path.empty() || path.find('#') != std::string::npos) {
            return std::nullopt;
        }
        return HidrawCollectionPath{path, 0};
    }
    const std::string digits = path.substr(at + sizeof kSuffix - 1);
    if (at == 0 || digits.size() < 2 || digits.size() > kMaxDigits) {
        return std::nullopt;
    }
    std::size_t collection = 0;
    for (const char c : digits) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        collection = collection * 10 + static_cast<std::size_t>(c - '0');
    }
    HidrawCollectionPath parsed{path.substr(0, at), collection};
    // Only the spelling this backend gives out names a collection: "#col1" or "#col007" do not.
    if (collection == 0 || hidrawCollectionPath(parsed.node, collection, 2) != path ||
        parsed.node.find('#') != std::string::npos) {
        return std::nullopt;
    }
    return parsed;
}

const ReportCollection* namedCollection(const ReportDescriptor& descriptor,
                                        std::size_t collection) {
    const auto& collections = descriptor.collections;
    if (collection == 0) {
        return collections.size() == 1 ? &collections.front() : nullptr;
    }
    return collection <= collections.size() ? &collections[collection - 1] : nullptr;
}

}  // namespace zeltor
