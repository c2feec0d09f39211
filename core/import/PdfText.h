#pragma once

// The strings of a PDF file as the system's texts. A PDF string is bytes: a
// text string (a bookmark title) is UTF-16 or UTF-8 behind a byte-order mark,
// or PDFDocEncoding without one; a URI is meant to be 7-bit ASCII but files
// carry anything.

#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

// A text string as valid UTF-8 for a one-line caption: tabs and line breaks
// become blanks; other control characters (C0, DEL, C1), the language marks of
// UTF-16 strings and codes PDFDocEncoding leaves undefined are dropped;
// malformed UTF-16 or UTF-8 becomes U+FFFD.
std::string pdfTextString(std::string_view bytes);

// A URI as printable ASCII: a byte-order mark is decoded as in a text string,
// control characters are dropped, surrounding blanks trimmed, and every byte
// beyond ASCII is percent-encoded (UTF-8 addresses become their usual %XX form).
std::string pdfUriString(std::string_view bytes);

// The scheme of an address ("https" of "HTTPS://x"), in lower case; absent for
// a relative address.
std::optional<std::string> uriScheme(std::string_view uri);

} // namespace zarvex
