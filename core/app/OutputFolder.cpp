#include "app/OutputFolder.h"
#include "app/BookController.h"
#include "app/PublishInputs.h"

#include "base/Error.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "publish/ReplaceableFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace zarvex {

namespace fs = std::filesystem;

namespace {

// A fresh, empty hidden folder beside `target`.
fs::path makeSibling(const fs::path& target, const char* tag) {
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + tag + "XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw Error("cannot write beside the output folder " + quoted(target) + ": " +
                    std::strerror(errno));
    return pattern;
}

bool isEmptyFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_empty(folder, ec) && !ec;
}

} // namespace

bool isWithin(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty() && std::next(o) == outer.end())
            break; // trailing separator
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

fs::path resolvedPath(const fs::path& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec)
        return path.lexically_normal();
    fs::path resolved = fs::weakly_canonical(absolute, ec);
    if (ec)
        resolved = absolute;
    resolved = resolved.lexically_normal();
    // "/a/b/" and "/a/b" are the same folder.
    if (resolved.has_relative_path() && resolved.filename().empty())
        resolved = resolved.parent_path();
    return resolved;
}

namespace {

// The chosen folder, absolute, with its parents resolved but its own name kept,
// so that a link named as the folder is seen as one. ".." goes back by name.
fs::path namedPath(const fs::path& chosen) {
    std::error_code ec;
    fs::path named = fs::absolute(chosen, ec);
    if (ec)
        named = chosen;
    named = named.lexically_normal();
    if (named.has_relative_path() && named.filename().empty())
        named = named.parent_path();
    if (!named.has_relative_path())
        return named;
    return resolvedPath(named.parent_path()) / named.filename();
}

} // namespace

OutputFolder::Rules OutputFolder::publishingRules(bool overwrite, const std::string& bundleName,
                                                  const std::vector<fs::path>& protectedFolders) {
    const fs::path resources = resourcesPath();
    Rules rules;
    rules.overwrite = overwrite;
    rules.neverReplaced = {"/", homePath()};
    // The resource folder may be a farm of links into the shipped data: the
    // folders the links lead to are protected as well.
    rules.neverTouched = {resources, resources / "AppFiles", resources / "DemoImgs_standard"};
    rules.neverTouched.insert(rules.neverTouched.end(), protectedFolders.begin(),
                              protectedFolders.end());
    rules.neverTouched.push_back(BookController::previewFolderPath());
    rules.bundleName = bundleName;
    return rules;
}

fs::path OutputFolder::check(const fs::path& chosen, const Rules& rules) {
    fs::path target_ = namedPath(chosen);
    if (!target_.has_relative_path())
        throw Error("the output folder cannot be the root folder '/'");
    for (const auto& folder : rules.neverReplaced) {
        if (folder.empty())
            continue;
        const fs::path resolved = resolvedPath(folder);
        if (!isWithin(resolved, target_))
            continue;
        if (resolved == target_)
            throw Error("the output folder " + quoted(target_) +
                        " is never replaced; choose a new folder inside it");
        throw Error("the output folder " + quoted(target_) + " holds " + quoted(folder) +
                    " and is never replaced");
    }
    for (const auto& folder : rules.neverTouched) {
        fs::path resolved = resolvedPath(folder);
        if (folder.empty())
            continue;
        if (isWithin(resolved, target_) || isWithin(target_, resolved))
            throw Error("the output folder " + quoted(target_) + " overlaps " + quoted(resolved) +
                        ", which is never written");
    }

    std::error_code ec;
    const auto status = fs::symlink_status(target_, ec);
    if (fs::is_symlink(status))
        throw Error("the output folder " + quoted(target_) +
                    " is a symbolic link; give the folder it leads to");
    const bool exists = fs::exists(status);
    if (exists && !fs::is_directory(status))
        throw Error("the output path " + quoted(target_) + " exists and is not a folder");
    if (exists && !isEmptyFolder(target_)) {
        if (!rules.overwrite)
            throw Error("the output folder " + quoted(target_) +
                        " is not empty; use --overwrite to replace it");
        if (const auto why = whyNotReplaceable(target_, rules.bundleName, rules.inputs))
            throw Error("the output folder " + quoted(target_) + " " + *why);
    }

    return target_;
}

OutputFolder::OutputFolder(const fs::path& chosen, const Rules& rules)
    : chosen_(chosen), rules_(rules), target_(check(chosen, rules)) {
    std::error_code ec;
    fs::create_directories(target_.parent_path(), ec);
    if (ec)
        throw Error("cannot create the output folder " + quoted(target_) + ": " + ec.message());
    staging_ = makeSibling(target_, ".zarvex-part.");
}

OutputFolder::~OutputFolder() {
    if (committed_ || staging_.empty())
        return;
    std::error_code ec;
    fs::remove_all(staging_, ec);
}

void OutputFolder::addInputs(const std::vector<fs::path>& files) {
    rules_.inputs.insert(rules_.inputs.end(), files.begin(), files.end());
    check(chosen_, rules_);
}

void OutputFolder::commit() {
    // Whatever appeared in the target's place meanwhile is judged as if it had
    // been there from the start.
    if (check(chosen_, rules_) != target_)
        throw Error("the output folder " + quoted(target_) +
                    " moved while the book was written; nothing was published");
    std::error_code ec;
    fs::path old;
    if (fs::exists(target_, ec)) {
        if (isEmptyFolder(target_)) {
            fs::remove(target_, ec);
        } else {
            old = makeSibling(target_, ".zarvex-old.");
            fs::rename(target_, old, ec); // replaces the empty placeholder
            if (ec)
                throw Error("cannot replace the output folder " + quoted(target_) + ": " +
                            ec.message());
        }
    }
    fs::rename(staging_, target_, ec);
    if (ec) {
        std::error_code restore;
        if (!old.empty())
            fs::rename(old, target_, restore);
        throw Error("cannot move the book into " + quoted(target_) + ": " + ec.message());
    }
    committed_ = true;
    // Staging folders are made private by mkdtemp; a book is for sharing.
    fs::permissions(target_,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec,
                    ec);
    if (!old.empty()) {
        fs::remove_all(old, ec);
        if (ec)
            ZLOG_WARN("old output folder {} could not be removed: {}", old.string(), ec.message());
    }
}

} // namespace zarvex
