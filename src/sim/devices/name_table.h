#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace zeltor {

// A fixed table of values and the names people write for them in scenarios and messages.
template <typename Value, std::size_t N>
using NameTable = std::array<std::pair<Value, const char*>, N>;

template <typename Value, std::size_t N>
const char* nameIn(const NameTable<Value, N>& table, Value value) {
    for (const auto& [v, name] : table) {
        if (v == value) {
            return name;
        }
    }
    return "?";
}

template <typename Value, std::size_t N>
std::optional<Value> valueIn(const NameTable<Value, N>& table, std::string_view name) {
    for (const auto& [v, n] : table) {
        if (name == n) {
            return v;
        }
    }
    return std::nullopt;
}

}  // namespace zeltor
