#pragma once

#include <filesystem>
#include <system_error>

namespace zarvex {

// Gives `to` the content of the regular file `from` as cheaply as the file
// system allows: a reflink (shared extents, copy-on-write), else a hard link,
// else a byte copy. The result reads the same in every case. Writers that use it
// replace their files by removing and recreating them, never by writing into
// them, so a shared inode is never modified. `to` must not exist. False with
// `error` set on failure; a partly written `to` is removed.
bool fastCopyFile(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::error_code& error);

// Copies a file or a whole folder to `to`, which must not exist. Files inside
// folders are byte copies. False with `error` set on failure.
bool copyItem(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& error);

} // namespace zarvex
