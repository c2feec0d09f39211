#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zarvex {

// The folder a run publishes into. The book is written into a hidden sibling
// folder first and moved into place by commit() only when it is complete, so a
// failed or interrupted run leaves the chosen folder as it was and nothing that
// looks like a finished book.
class OutputFolder {
public:
    struct Rules {
        bool overwrite = false;
        // Folders that are never replaced, nor any folder that holds one:
        // "/", the home folder.
        std::vector<std::filesystem::path> neverReplaced;
        // Folders that are never replaced, nor written inside: the resources,
        // the preview folders.
        std::vector<std::filesystem::path> neverTouched;
        // Files the run reads; a folder that holds one is never replaced.
        std::vector<std::filesystem::path> inputs;
        // The application bundle the run writes ("index.app"): a folder that
        // holds it is an earlier book.
        std::string bundleName;
    };

    // The rules every front end publishes by: "/" and the home folder are never
    // replaced; the resources (with the folders their links lead to), the
    // per-user preview folder and `protectedFolders` are never written; a folder
    // holding the application bundle `bundleName` counts as an earlier book.
    static Rules publishingRules(bool overwrite, const std::string& bundleName,
                                 const std::vector<std::filesystem::path>& protectedFolders = {});

    // Checks `chosen` against the rules without creating anything; returns the
    // absolute target. A symbolic link is never the target (links among its
    // parents are followed); an existing, non-empty folder is replaced only
    // with `overwrite` and only when it is an earlier book (whyNotReplaceable).
    // Raises Error with a one-line message naming the folder.
    static std::filesystem::path check(const std::filesystem::path& chosen, const Rules& rules);

    // check(), then creates the target's missing parents and the staging folder.
    OutputFolder(const std::filesystem::path& chosen, const Rules& rules);
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;
    // Removes the staging folder unless it was committed.
    ~OutputFolder();

    // The folder as the user will find it (absolute).
    const std::filesystem::path& target() const { return target_; }
    // Where the book is written before commit().
    const std::filesystem::path& staging() const { return staging_; }

    // More files the run reads (known once the settings are applied); checks
    // the target again with them. Raises Error as check().
    void addInputs(const std::vector<std::filesystem::path>& files);

    // Checks the target again, since it may have changed while the book was
    // written, then puts the staging folder in its place; the old content of
    // the target is removed afterwards. Raises Error and leaves the target as
    // it was when the check refuses it or the move fails.
    void commit();

private:
    std::filesystem::path chosen_;
    Rules rules_;
    std::filesystem::path target_;
    std::filesystem::path staging_;
    bool committed_ = false;
};

// True when `inner` is `outer` or lies inside it (both absolute and normalised).
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer);

// The absolute, symlink-resolved form of a path that may not exist yet.
std::filesystem::path resolvedPath(const std::filesystem::path& path);

} // namespace zarvex
