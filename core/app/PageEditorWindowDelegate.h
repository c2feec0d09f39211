#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zarvex {

class FlashPagesAnnotations;

// The page editor's native side without its windows. The editor page
// ("PageEditor.html", shipped with "PageEditor.swf") runs next to the preview
// book and edits its "pages.xml"; this object places the editor files there,
// copies the media the user picks into the book's "files/editor" folder, deletes
// files the page no longer needs and writes the edited page list back. The
// front end shows the page, publishes the operations to its scripts under the
// name "myconnector" and hands the answers of its functions to the calls below.
//
// Paths given to and answered to the page are relative to the book's "files"
// folder ("editor/071226153012.png").
//
// Threads: one thread (the front end's main thread) calls everything.
class PageEditorWindowDelegate {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // Set-up: fresh copies of the editor's resources in `baseFolder` (copy
    // failures are logged; the page then cannot show). `bookXMLStr` and
    // `annotations` are kept as given; the editor works on the page list alone.
    PageEditorWindowDelegate(std::string bookXMLStr, std::filesystem::path baseFolder,
                             std::shared_ptr<FlashPagesAnnotations> annotations);

    const std::filesystem::path& baseFolder() const { return baseFolder_; }
    // baseFolder / "PageEditor.html".
    const std::filesystem::path& htmlPath() const { return htmlPath_; }
    // The book's "files" folder in the preview.
    std::filesystem::path filesFolder() const { return baseFolder_ / "files"; }

    // The local date and time as "ddMMyyHHmmss", two digits each.
    static std::string FormatDate(std::chrono::system_clock::time_point when);
    // The clock of the date stamps (tests set a fixed one).
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // Copies `source` to "editor/<date stamp>.<extension>" and answers that path.
    // A second copy in the same second gets "<date stamp>-2" and so on, rather
    // than replacing the first. Failures are logged; the path is answered all the
    // same, as the page cannot do anything else with a failure.
    std::string CopytoAttachment(const std::filesystem::path& source);
    // Copies `source` under its own name into "editor/<stamp>/" and answers
    // "editor/<stamp>/<name>"; a different file of that name there already makes
    // the copy "<name>-2.<ext>" and so on.
    std::string CopytoAttachmentNoRename(const std::filesystem::path& source,
                                         const std::string& stamp);
    // The picked files copied as the several-pictures operation does: each with
    // renaming when `rename`, else under one date stamp folder; the answers
    // joined by "|". Empty when nothing was picked.
    std::string copyPicked(const std::vector<std::filesystem::path>& picked, bool rename);

    // Deletes the regular file at `relative` inside the book's "files" folder.
    // Refused and logged: the empty path, absolute paths, ".." components, paths
    // through or to a symbolic link, and anything but a regular file. True when
    // a file was deleted.
    bool OnDeleteFile(const std::string& relative);

    // Writes the page's answer to "GetPageConfig()" as the preview's "pages.xml"
    // with the preview's files path made relative again (every occurrence of the
    // absolute "files/" path removed). An empty answer, or one that is not a page
    // list ("Pages" root), is refused and logged and the file stays as it was.
    // True when written.
    bool OnSave(const std::string& pageConfig);

private:
    std::string stamp() const;
    std::filesystem::path editorFolder() const { return filesFolder() / "editor"; }

    std::string bookXMLStr_;
    std::filesystem::path baseFolder_;
    std::filesystem::path htmlPath_;
    std::shared_ptr<FlashPagesAnnotations> iFlashPagesAnnotations_;
    Clock clock_;
};

} // namespace zarvex
