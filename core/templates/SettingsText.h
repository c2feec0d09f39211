#pragma once

// The encoding rules of the settings text (style presets, settings export and
// import): how a value survives one line, and how a file's bytes become text.
#include <string>
#include <string_view>

namespace zarvex::settings {

// A value on one line. Each line break (LF, CR, CR LF or LF CR) is written as
// "|||", the mark the settings text uses for its own line separator; a value
// without line breaks is written unchanged, backslashes included.
std::string encodeValue(std::string_view value);

// The inverse of encodeValue: every "|||" becomes LF, so a value comes back
// with LF line breaks, whichever kind it had. The mark has no escape: a value's
// own "|||" reads back as a line break, and a "|" beside a line break may come
// back on its other side.
std::string decodeValue(std::string_view text);

// Whether `text` reads as written by the earlier export that escaped values
// with backslashes ("\\" for a backslash, "\n" for LF, "\r" for CR): it holds a
// doubled backslash, and every backslash in it starts one of those three pairs.
// A hand-written file rarely doubles a backslash, and almost always has another
// backslash pair besides ("C:\new\bg.jpg" has "\b").
bool hasBackslashEscapes(std::string_view text);

// Undoes the earlier export's escapes; any other backslash is kept as it stands.
std::string unescapeBackslashes(std::string_view text);

// The line an export puts first when its text would otherwise pass
// hasBackslashEscapes(): having no "=", it is skipped by every reader, and its
// lone backslash tells the import that the backslashes are plain characters.
inline constexpr std::string_view kPlainBackslashesLine = "# backslashes are plain text: \\";

} // namespace zarvex::settings
