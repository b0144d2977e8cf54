#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace zeltor {

// The placeholders of the product texts, replaced in this order when a text is loaded.
using ProductPlaceholder = std::pair<const char*, const char*>;
extern const ProductPlaceholder ProductPlaceholders[2];

// Replaces every occurrence of each placeholder key, left to right, in table order.
std::string fillPlaceholders(std::string text);

// The text of `id` in `language`, following the string table's fallbacks: a language without a
// table of its own reads the English one; a missing or empty entry reads English (1033); no
// text at all gives the empty text. Placeholders are filled in.
std::string LoadProductStringForLanguage(std::uint16_t id, std::uint16_t language);

// The same in the calling thread's language.
std::string LoadProductString(std::uint16_t id);

// Platform: the calling thread's language id, and the exact lookup of one entry of one
// language's string table (nothing for an absent or empty entry).
std::uint16_t threadLanguageId();
std::optional<std::string> findStringResource(std::uint16_t language, std::uint16_t id);

}  // namespace zeltor
