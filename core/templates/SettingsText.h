#pragma once

// The encoding rules of the settings text (style presets, settings export and
// import): how a value survives one line, and how a file's bytes become text.
#include <string>
#include <string_view>

namespace zarvex::settings {

// A value on one line: "\" becomes "\\", LF "\n" and CR "\r". Values without
// those three characters are written unchanged.
std::string escapeValue(std::string_view value);

// The inverse of escapeValue. A backslash followed by anything else, or ending
// the text, is kept as it stands, so hand-written files with plain backslashes
// read as written.
std::string unescapeValue(std::string_view text);

// A settings file's bytes as UTF-8 text: a UTF-8 byte-order mark is dropped,
// UTF-16 with a byte-order mark (either order) is converted, valid UTF-8 is kept,
// and anything else is read as ISO 8859-1.
std::string decodeText(std::string_view bytes);

} // namespace zarvex::settings
