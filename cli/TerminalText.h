#pragma once

// Text that reaches the terminal from outside (file names, arguments, a PDF's
// links and bookmarks) passes through here first.
#include <string>
#include <string_view>

namespace zarvex::cli {

// `text` with every control character shown as an escape: C0 controls other
// than LF and TAB, DEL and C1 controls as \xHH (C1 written in UTF-8 as \u00HH),
// and every byte that is not part of valid UTF-8 as \xHH. So a name or a link
// address cannot move the cursor, retitle the window or hide what follows.
std::string printable(std::string_view text);

// printable() for a one-line message: LF and CR become spaces first.
std::string printableLine(std::string_view text);

} // namespace zarvex::cli
