#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

// Whole-file helpers shared by the core. None of them throws.

// The file's bytes, or absent when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& file);

// Writes `bytes` to a temporary file beside `file`, then renames it over `file`,
// so readers see the old or the new content, never a part. False on failure
// (the temporary file is removed).
bool writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace zarvex
