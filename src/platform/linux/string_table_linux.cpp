#include "platform/linux/locale_language_linux.h"
#include "platform/linux/string_table_data_linux.h"
#include "ui/product_text.h"

namespace zeltor {

std::uint16_t threadLanguageId() {
    return processLanguageId();
}

std::optional<std::string> findStringResource(std::uint16_t language, std::uint16_t id) {
    for (std::size_t i = 0; i < kStringTableEntryCount; ++i) {
        const auto& entry = kStringTableEntries[i];
        if (entry.language == language && entry.id == id && entry.text[0] != '\0') {
            return std::string(entry.text);
        }
    }
    return std::nullopt;
}

}  // namespace zeltor
