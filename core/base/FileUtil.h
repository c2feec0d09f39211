#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

// Whole-file helpers shared by the core. None of them throws.

// The file's bytes, or absent when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& file);

// Whether a written file must reach the disk before it takes its name.
enum class Durability {
    // Flushed first: after a crash the file holds the old or the new content.
    Flushed,
    // Not flushed: for scratch files that do not outlive a crash anyway (a
    // work folder's pages). A flush per page would cost more than the page.
    Scratch,
};

// Writes `bytes` to a temporary file beside `file`, then renames it over `file`,
// so readers see the old or the new content, never a part. False on failure
// (the temporary file is removed).
bool writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         Durability durability = Durability::Flushed);

namespace detail {

// The two calls that commit an atomic write (::fsync and ::rename). Tests swap
// them for failing ones to check that a failure there loses nothing; nothing
// else changes them.
struct AtomicWriteCalls {
    int (*flush)(int fd);
    int (*rename)(const char* from, const char* to);
};
AtomicWriteCalls& atomicWriteCalls();

} // namespace detail

} // namespace zarvex
