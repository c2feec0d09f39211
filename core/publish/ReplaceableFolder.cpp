#include "publish/ReplaceableFolder.h"

#include "templates/FlashTemplate.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace zarvex {

namespace {

constexpr const char* kConfig = "files/config.xml";

std::string inQuotes(const fs::path& path) {
    return "'" + path.string() + "'";
}

bool isFolder(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::directory;
}

bool isFile(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

// An application bundle that the application writer made.
bool isBookBundle(const fs::path& bundle) {
    return bundle.extension() == ".app" && isFolder(bundle) &&
           isFile(bundle / "Contents/Resources" / kConfig);
}

// What a book writer leaves directly in its folder.
bool isBookEntry(const fs::path& entry) {
    const std::string name = entry.filename().string();
    if (name == "files" || name == "mobile")
        return isFolder(entry);
    if (name == "pages.xml" || entry.extension() == ".html")
        return isFile(entry);
    return isBookBundle(entry);
}

// The absolute form of `path` with every link resolved, as far as it exists.
fs::path resolved(const fs::path& path) {
    std::error_code ec;
    fs::path out = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path.lexically_normal() : out;
}

bool isInside(const fs::path& file, const fs::path& folder) {
    const fs::path relative = resolved(file).lexically_relative(resolved(folder));
    return !relative.empty() && *relative.begin() != "..";
}

// The entries of `folder` that no book writer makes, sorted.
std::vector<std::string> foreignEntries(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!isBookEntry(it->path()))
            names.push_back(it->path().filename().string());
    }
    if (ec)
        names.push_back("(unreadable)");
    std::sort(names.begin(), names.end());
    return names;
}

bool holdsBook(const fs::path& folder, const std::string& bundleName) {
    return isFile(folder / kConfig) || (!bundleName.empty() && isBookBundle(folder / bundleName));
}

} // namespace

bool isEarlierBook(const fs::path& folder, const std::string& bundleName) {
    return holdsBook(folder, bundleName) && foreignEntries(folder).empty();
}

std::optional<std::string> whyNotReplaceable(const fs::path& folder, const std::string& bundleName,
                                             const std::vector<fs::path>& inputs) {
    for (const auto& input : inputs) {
        if (!input.empty() && isInside(input, folder))
            return "holds the input " + inQuotes(input) + " and is not replaced";
    }
    if (const auto foreign = foreignEntries(folder); !foreign.empty())
        return "holds " + inQuotes(foreign.front()) + ", which is not part of a book, and is not " +
               "replaced";
    if (!holdsBook(folder, bundleName))
        return std::string("holds no earlier book (no ") + kConfig +
               (bundleName.empty() ? "" : " nor " + bundleName) + ") and is not replaced";
    return std::nullopt;
}

std::vector<fs::path> propertyFiles(const FlashTemplate& tmpl) {
    std::vector<fs::path> files;
    for (const auto* property : tmpl.allProperties()) {
        if (property && property->propertyType() == pt_file && property->value() &&
            !property->value()->empty())
            files.emplace_back(*property->value());
    }
    return files;
}

} // namespace zarvex
