#include "ui/product_text.h"

#include <algorithm>
#include <string_view>

#include "ui/product_identity.h"
#include "ui/string_ids.h"
#include "ui/string_languages.h"

namespace zeltor {

const ProductPlaceholder ProductPlaceholders[2] = {
    {"%%DFU_PRODUCT_NAME%%", kProductName},
    {"%%DFU_PACKAGE_VERSION%%", kPackageVersion},
};

namespace {

// The table that answers a request for `language`: its own when present, else English.
std::uint16_t tableLanguage(std::uint16_t language) {
    const auto& present = kStringTableLanguages;
    if (std::find(std::begin(present), std::end(present), language) != std::end(present)) {
        return language;
    }
    return kLanguageEnglishNeutral;
}

}  // namespace

std::string fillPlaceholders(std::string text) {
    for (const auto& [key, value] : ProductPlaceholders) {
        const std::string_view k(key);
        const std::string_view v(value);
        for (auto at = text.find(k); at != std::string::npos; at = text.find(k, at + v.size())) {
            text.replace(at, k.size(), v);
        }
    }
    return text;
}

std::string LoadProductStringForLanguage(std::uint16_t id, std::uint16_t language) {
    auto text = findStringResource(tableLanguage(language), id);
    if (!text) {
        text = findStringResource(tableLanguage(kLanguageEnglishUS), id);
    }
    return text ? fillPlaceholders(std::move(*text)) : std::string();
}

std::string LoadProductString(std::uint16_t id) {
    return LoadProductStringForLanguage(id, threadLanguageId());
}

}  // namespace zeltor
