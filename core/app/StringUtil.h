#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarvex {

// Replaces every occurrence of `from` in `text` by `to`, scanning left to right
// and never inside text already replaced. Returns how many were replaced; an
// empty `from` replaces nothing.
std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to);

} // namespace zarvex
