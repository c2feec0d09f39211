#include "base/HXCUtility.h"

#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "base/TextEncoding.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

// UTF-16 with a byte-order mark to UTF-8; absent when the bytes are not such
// text (no mark, odd length, a lone surrogate). An empty file is empty text.
std::optional<std::string> decodeUtf16(std::string_view bytes) {
    if (bytes.empty())
        return std::string();
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return std::nullopt;
    if (bytes.starts_with("\xFF\xFE"))
        return text::utf16ToUtf8(bytes.substr(2), false, true);
    if (bytes.starts_with("\xFE\xFF"))
        return text::utf16ToUtf8(bytes.substr(2), true, true);
    return std::nullopt;
}

// UTF-8 to UTF-16LE with a byte-order mark; malformed sequences become U+FFFD.
std::string encodeUtf16(std::string_view utf8) {
    std::string out("\xFF\xFE", 2);
    auto put = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto decoded = text::decodeUtf8At(utf8, i);
        if (!decoded) {
            put(text::kReplacementCharacter);
            ++i;
            continue;
        }
        char32_t cp = decoded->first;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
        i += decoded->second;
    }
    return out;
}

void walkFolders(const fs::path& root, const fs::path& folder, std::vector<fs::path>& out) {
    std::error_code ec;
    std::vector<fs::path> subfolders;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        // Links to folders are not followed, as the folder enumerator never did.
        if (it->symlink_status(ec).type() == fs::file_type::directory)
            subfolders.push_back(it->path());
    }
    // Sorted, so the template and style lists read the same on every file system.
    std::sort(subfolders.begin(), subfolders.end());
    for (const auto& sub : subfolders) {
        out.push_back(root / sub.lexically_relative(root));
        walkFolders(root, sub, out);
    }
}

fs::path workBase() {
    if (const char* base = std::getenv("ZARVEX_WORK_BASE"); base && *base)
        return base;
    return "/tmp";
}

// A real folder (not a link) that belongs to this user.
bool isOwnFolder(const fs::path& folder, struct stat* info = nullptr) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if (info)
        *info = st;
    return true;
}

std::string whyNotOwn(const fs::path& folder, int mkdirError) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return std::strerror(mkdirError);
    if (S_ISLNK(st.st_mode))
        return "it is a symbolic link";
    if (!S_ISDIR(st.st_mode))
        return "it is not a folder";
    return "it belongs to user " + std::to_string(st.st_uid);
}

// The private folders used instead of a shared folder that is not ours, by
// the shared folder's path; made once per process.
std::mutex gFallbackMutex;
std::map<fs::path, fs::path> gFallbacks;
// The work folders this process made, by the shared folder's path.
std::map<fs::path, std::vector<fs::path>> gMade;

// The folder that receives the work folders of `name`: the shared one when it
// is a private folder of ours (made so when missing), otherwise our fallback.
fs::path workBaseFor(const std::string& name) {
    const fs::path shared = workBase() / name;
    if (::mkdir(shared.c_str(), 0700) == 0)
        return shared;
    const int error = errno;
    struct stat st {};
    if (error == EEXIST && isOwnFolder(shared, &st)) {
        // Sticky "/tmp" keeps others from renaming it; its mode keeps them out.
        if ((st.st_mode & 077) != 0 && ::chmod(shared.c_str(), 0700) != 0)
            ZLOG_WARN("cannot make {} private: {}", shared.string(), std::strerror(errno));
        else
            return shared;
    }

    std::scoped_lock lock(gFallbackMutex);
    if (auto known = gFallbacks.find(shared);
        known != gFallbacks.end() && isOwnFolder(known->second))
        return known->second;
    std::string pattern = shared.string() + ".XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw Error("cannot create a work folder in " + shared.parent_path().string() + ": " +
                    std::strerror(errno));
    ZLOG_WARN("{} is not a private folder of this user ({}); working in {}", shared.string(),
              whyNotOwn(shared, error), pattern);
    gFallbacks[shared] = pattern;
    return pattern;
}

} // namespace

fs::path HXCUtility::forceTmpDiractory(const std::string& name) {
    std::string pattern = (workBaseFor(name) / "temp.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw Error("cannot create a work folder in " + fs::path(pattern).parent_path().string() +
                    ": " + std::strerror(errno));
    std::scoped_lock lock(gFallbackMutex);
    gMade[workBase() / name].push_back(pattern);
    return pattern;
}

void HXCUtility::removeWorkFolders(const std::string& name) {
    const fs::path shared = workBase() / name;
    std::error_code ec;
    std::scoped_lock lock(gFallbackMutex);
    // Only what this process made: another running copy may be converting in
    // the shared folder right now. The shared folder goes once it is empty.
    if (auto made = gMade.find(shared); made != gMade.end()) {
        for (const auto& folder : made->second)
            if (isOwnFolder(folder) && (fs::remove_all(folder, ec), ec))
                ZLOG_WARN("cannot remove the work folder {}: {}", folder.string(), ec.message());
        gMade.erase(made);
    }
    if (isOwnFolder(shared) && ::rmdir(shared.c_str()) != 0 && errno != ENOTEMPTY &&
        errno != EEXIST)
        ZLOG_WARN("cannot remove the work folder {}: {}", shared.string(), std::strerror(errno));
    const auto own = gFallbacks.find(shared);
    if (own == gFallbacks.end())
        return;
    if (isOwnFolder(own->second))
        fs::remove_all(own->second, ec);
    if (ec)
        ZLOG_WARN("cannot remove the work folder {}: {}", own->second.string(), ec.message());
    gFallbacks.erase(own);
}

std::vector<fs::path> HXCUtility::subFolderOfFolder(const fs::path& folder) {
    std::vector<fs::path> out;
    walkFolders(folder, folder, out);
    return out;
}

fs::path HXCUtility::flashTrustFile() {
    if (const char* dir = std::getenv("ZARVEX_FLASH_TRUST_DIR"); dir && *dir)
        return fs::path(dir) / "PT.cfg";
    return homePath() / ".macromedia" / "Flash_Player" / "#Security" / "FlashPlayerTrust" /
           "PT.cfg";
}

void HXCUtility::makeDiractoryTrustByFlash(const fs::path& folder) {
    const fs::path trustFile = flashTrustFile();
    std::error_code ec;
    fs::create_directories(trustFile.parent_path(), ec);
    ZLOG_DEBUG("trust folder is:{}", trustFile.string());

    const std::string entry = folder.string();
    std::string text;
    if (fs::exists(trustFile, ec)) {
        const auto bytes = readFile(trustFile);
        const auto old = bytes ? decodeUtf16(*bytes) : std::nullopt;
        if (!old) {
            // Rewriting a file we cannot read would lose the player's other entries.
            ZLOG_WARN("trust file {} is not UTF-16 text; left unchanged", trustFile.string());
            return;
        }
        std::size_t start = 0;
        while (start <= old->size()) {
            const auto end = std::min(old->find('\n', start), old->size());
            if (std::string_view(*old).substr(start, end - start) == entry)
                return;
            start = end + 1;
        }
        text = old->empty() ? entry : *old + "\n" + entry;
    } else {
        text = entry;
    }
    if (!writeFileAtomically(trustFile, encodeUtf16(text)))
        ZLOG_WARN("trust file {} cannot be written", trustFile.string());
    if (fs::exists(trustFile, ec))
        ZLOG_DEBUG("file is exits!!");
    else
        ZLOG_DEBUG("file doest not exits!!!!!!!!!");
}

} // namespace zarvex
