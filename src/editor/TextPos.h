// A position in a document: 0-based line and byte column.
#pragma once

#include <compare>
#include <cstddef>

namespace quillon {

struct TextPos {
    std::size_t line = 0;
    std::size_t column = 0;

    auto operator<=>(const TextPos&) const = default;
};

}  // namespace quillon
