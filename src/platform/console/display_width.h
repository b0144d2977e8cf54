#pragma once

#include <cstddef>
#include <string_view>

namespace zeltor {

// Columns a terminal gives the UTF-8 `text`: East Asian wide and fullwidth characters take two,
// every other character one.
std::size_t displayWidth(std::string_view text);

}  // namespace zeltor
