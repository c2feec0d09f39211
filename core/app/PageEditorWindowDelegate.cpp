#include "app/PageEditorWindowDelegate.h"

#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "base/StringUtil.h"
#include "base/Xml.h"
#include "import/FlashPagesAnnotations.h"
#include "publish/WebText.h"

#include <ctime>

namespace zarvex {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEditorFiles[] = {"PageEditor.html", "PageEditor.swf"};

void replaceWithResource(const fs::path& folder, const char* name) {
    std::error_code ec;
    fs::remove(folder / name, ec);
    try {
        fs::copy_file(resourcePath(name), folder / name, ec);
        if (ec)
            ZLOG_WARN("page editor: cannot copy {} to {}: {}", name, folder.string(), ec.message());
    } catch (const std::exception& e) {
        ZLOG_WARN("page editor: no {} to copy: {}", name, e.what());
    }
}

// `wanted`, or the first free "<stem>-N<extension>" beside it.
fs::path freeName(const fs::path& wanted) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(wanted, ec)))
        return wanted;
    for (int n = 2;; ++n) {
        fs::path candidate =
            wanted.parent_path() /
            (wanted.stem().string() + "-" + std::to_string(n) + wanted.extension().string());
        if (!fs::exists(fs::symlink_status(candidate, ec)))
            return candidate;
    }
}

void copyLogged(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    fs::copy_file(source, target, ec);
    if (ec)
        ZLOG_WARN("page editor: cannot copy {} to {}: {}", source.string(), target.string(),
                  ec.message());
}

} // namespace

PageEditorWindowDelegate::PageEditorWindowDelegate(
    std::string bookXMLStr, fs::path baseFolder, std::shared_ptr<FlashPagesAnnotations> annotations)
    : bookXMLStr_(std::move(bookXMLStr)), baseFolder_(std::move(baseFolder)),
      htmlPath_(baseFolder_ / "PageEditor.html"), iFlashPagesAnnotations_(std::move(annotations)),
      clock_([] { return std::chrono::system_clock::now(); }) {
    for (const char* name : kEditorFiles)
        replaceWithResource(baseFolder_, name);
}

std::string PageEditorWindowDelegate::FormatDate(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    // The calendar year: a week-based year would stamp the last days of December
    // with the coming year.
    char text[16];
    std::strftime(text, sizeof text, "%d%m%y%H%M%S", &local);
    return text;
}

std::string PageEditorWindowDelegate::stamp() const {
    return FormatDate(clock_());
}

std::string PageEditorWindowDelegate::CopytoAttachment(const fs::path& source) {
    const fs::path target =
        freeName(editorFolder() / (stamp() + "." + pathExtension(source.string())));
    copyLogged(source, target);
    return "editor/" + target.filename().string();
}

std::string PageEditorWindowDelegate::CopytoAttachmentNoRename(const fs::path& source,
                                                               const std::string& stamp) {
    const fs::path wanted = editorFolder() / stamp / source.filename();
    std::error_code ec;
    // The same file picked again keeps its one copy.
    if (fs::exists(wanted, ec) && fs::equivalent(wanted, source, ec))
        return "editor/" + stamp + "/" + wanted.filename().string();
    const fs::path target = freeName(wanted);
    copyLogged(source, target);
    return "editor/" + stamp + "/" + target.filename().string();
}

std::string PageEditorWindowDelegate::copyPicked(const std::vector<fs::path>& picked, bool rename) {
    const std::string folderStamp = stamp();
    std::string answer;
    for (const fs::path& file : picked) {
        if (!answer.empty())
            answer += '|';
        answer += rename ? CopytoAttachment(file) : CopytoAttachmentNoRename(file, folderStamp);
    }
    return answer;
}

bool PageEditorWindowDelegate::OnDeleteFile(const std::string& relative) {
    const fs::path path(relative);
    const auto refuse = [&](const char* why) {
        ZLOG_WARN("page editor: not deleting \"{}\": {}", relative, why);
        return false;
    };
    if (relative.empty())
        return false;
    if (path.is_absolute() || path.has_root_name() || path.has_root_directory())
        return refuse("not inside the book's files");
    fs::path walk = filesFolder();
    std::error_code ec;
    for (const fs::path& part : path) {
        if (part == ".." || part == ".")
            return refuse("not inside the book's files");
        if (part.empty())
            continue;
        walk /= part;
        if (fs::is_symlink(fs::symlink_status(walk, ec)))
            return refuse("a symbolic link");
    }
    if (!fs::exists(walk, ec))
        return false;
    if (!fs::is_regular_file(fs::symlink_status(walk, ec)))
        return refuse("not a file");
    if (!fs::remove(walk, ec)) {
        ZLOG_WARN("page editor: cannot delete {}: {}", walk.string(), ec.message());
        return false;
    }
    return true;
}

bool PageEditorWindowDelegate::OnSave(const std::string& pageConfig) {
    const fs::path file = baseFolder_ / "pages.xml";
    if (pageConfig.empty()) {
        ZLOG_WARN("page editor: the page answered no page list; {} unchanged", file.string());
        return false;
    }
    std::string text = pageConfig;
    const std::string filesPath = filesFolder().string() + "/";
    replaceAll(text, htmlEscape(filesPath), "");
    replaceAll(text, filesPath, "");
    std::string error;
    const auto document = xml::Document::parse(text, xml::ParseMode::Strict, &error);
    if (!document || document->root().name() != "Pages") {
        ZLOG_WARN("page editor: the page's answer is not a page list ({}); {} unchanged",
                  document ? "root " + document->root().name() : error, file.string());
        return false;
    }
    if (!writeFileAtomically(file, text)) {
        ZLOG_ERROR("page editor: cannot write {}", file.string());
        return false;
    }
    return true;
}

} // namespace zarvex
