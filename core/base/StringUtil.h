#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarvex {

// Replaces every occurrence of `from` in `text` by `to`, scanning left to right
// and never inside text already replaced. Returns how many were replaced; an
// empty `from` replaces nothing.
std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to);

// Name order in which digit runs compare by value ("2.jpg" before "10.jpg",
// leading zeros ignored); other characters compare bytewise.
bool naturalLess(std::string_view a, std::string_view b);

// `text` with the ASCII letters in upper case; other bytes unchanged.
std::string upperAscii(std::string_view text);

// `text` as one word for a POSIX shell: in single quotes, each ' written as '\''.
std::string shellQuoted(std::string_view text);

} // namespace zarvex
