#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text helpers of the writers: white space as the template scanner sees it,
// literals for scripts and HTML, text-file decoding and path-name pieces.
namespace zarvex {

// Byte length of the white-space or line-break character (UTF-8) at `pos`, or 0.
// Covers ASCII blanks and line breaks and the Unicode space and line separators.
std::size_t whiteSpaceLength(std::string_view text, std::size_t pos);

// A double-quoted string literal that is valid JSON and valid JavaScript for
// any UTF-8 text: quotes, backslashes, control characters, U+2028, U+2029 and
// "</" (so the literal may stand inside an HTML script element) are escaped.
// Invalid UTF-8 bytes are replaced by U+FFFD.
std::string jsStringLiteral(std::string_view text);

// The text with &, <, > and " replaced by their character references.
std::string htmlEscape(std::string_view text);

// The text after the last "." of the last path component, or "" without one.
std::string pathExtension(std::string_view path);

// The path without the extension of its last component (and its dot).
std::string deletingPathExtension(std::string_view path);

} // namespace zarvex
