#include "app/HXCUtility.h"

#include "app/FileUtil.h"
#include "app/Log.h"
#include "app/Resources.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 with a byte-order mark to UTF-8; absent when the bytes are not such
// text (no mark, odd length, a lone surrogate). An empty file is empty text.
std::optional<std::string> decodeUtf16(std::string_view bytes) {
    if (bytes.empty())
        return std::string();
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return std::nullopt;
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    bool little;
    if (b0 == 0xFF && b1 == 0xFE)
        little = true;
    else if (b0 == 0xFE && b1 == 0xFF)
        little = false;
    else
        return std::nullopt;
    auto unit = [&](std::size_t i) -> char32_t {
        const auto lo = static_cast<unsigned char>(bytes[i]);
        const auto hi = static_cast<unsigned char>(bytes[i + 1]);
        return little ? (char32_t(hi) << 8 | lo) : (char32_t(lo) << 8 | hi);
    };
    std::string out;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 2 >= bytes.size())
                return std::nullopt;
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return std::nullopt;
        }
        appendUtf8(out, u);
    }
    return out;
}

// UTF-8 to UTF-16LE with a byte-order mark; malformed sequences become U+FFFD.
std::string encodeUtf16(std::string_view text) {
    std::string out("\xFF\xFE", 2);
    auto put = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = len > 0 && i + len <= text.size();
        for (int k = 1; ok && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            ok = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            put(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
        i += len;
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

} // namespace

fs::path HXCUtility::forceTmpDiractory(const std::string& name) {
    const fs::path base = fs::path("/tmp") / name;
    std::error_code ec;
    fs::create_directories(base, ec);
    std::string pattern = (base / "temp.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ZLOG_ERROR("work folder cannot be created under {}", base.string());
        fs::create_directories(pattern, ec);
    }
    return pattern;
}

std::vector<fs::path> HXCUtility::subFolderOfFolder(const fs::path& folder) {
    std::vector<fs::path> out;
    walkFolders(folder, folder, out);
    return out;
}

fs::path HXCUtility::flashTrustFile() {
    if (const char* dir = std::getenv("ZARVEX_FLASH_TRUST_DIR"); dir && *dir)
        return fs::path(dir) / "PT.cfg";
    return homePath() / ".macromedia" / "Flash_Player" / "#Security" / "FlashPlayerTrust" / "PT.cfg";
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
