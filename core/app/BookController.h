#pragma once

#include "base/NotificationCenter.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

class AppSettings;
class FlashOutline;
class FlashPageSource;
class FlashPagesAnnotations;
class FlashTemplate;
class PageEditorWindowDelegate;

// What an accepted import hands to the controller: the three results and the
// size in points of the first imported page as displayed (0 when unknown).
struct ImportedBook {
    std::shared_ptr<FlashPageSource> pageSource;
    std::shared_ptr<FlashPagesAnnotations> annotations;
    std::shared_ptr<FlashOutline> outline;
    int pageWidth = 0;
    int pageHeight = 0;
};

// The application controller without its windows: it owns the book being
// edited (page source, link annotations, bookmark outline, template) and keeps
// the live preview, a complete book written into the per-user preview folder
// (applicationSupportPath()/Drevalis/preview). Front ends call the commands and
// sheet ends below and draw the results.
//
// Threads: one thread (the front end's main thread) calls everything except the
// three book accessors, which may be used from any thread.
class BookController {
public:
    BookController();
    ~BookController();
    BookController(const BookController&) = delete;
    BookController& operator=(const BookController&) = delete;

    // The ".jpg" files of the resource folder `folderName`, in natural name order
    // (2.jpg before 10.jpg). Empty when the folder is missing.
    static std::vector<std::filesystem::path> PageSource(const std::string& folderName);

    // The start-up book: an image page source over "DemoImgs_standard/large", no
    // links, no bookmarks, and the template "float" unless one is set already.
    // Raises Error when no resource folder exists.
    void loadDemoBook();

    // --- The book -------------------------------------------------------------------
    std::shared_ptr<FlashPageSource> flashPageSource() const;
    void setFlashPageSource(std::shared_ptr<FlashPageSource> source);
    std::shared_ptr<FlashPagesAnnotations> flashPagesAnnotations() const;
    void setFlashPagesAnnotations(std::shared_ptr<FlashPagesAnnotations> annotations);
    std::shared_ptr<FlashOutline> flashOutline() const;
    void setFlashOutline(std::shared_ptr<FlashOutline> outline);
    // Null until loadDemoBook() or setFlashTmpl().
    const std::shared_ptr<FlashTemplate>& flashTmpl() const { return iFlashTmpl_; }
    void setFlashTmpl(std::shared_ptr<FlashTemplate> tmpl) { iFlashTmpl_ = std::move(tmpl); }

    // The settings that give the preview's page size; AppSettings::shareInstance()
    // unless set.
    void setAppSettings(AppSettings* settings) { iAppSettings_ = settings; }
    AppSettings& appSettings() const;

    // --- The preview ----------------------------------------------------------------
    // The preview folder's path; empty until it has been set up.
    const std::filesystem::path& flashPreviewFolder() const { return iFlashPreviewFolder_; }
    // The preview folder as computed from the per-user folders, set up or not.
    static std::filesystem::path previewFolderPath();
    // Sets the path, creates the folder (a failure is logged and ignored) and
    // lists it in the Flash Player's trust file.
    void makeFlashPreviewFolder();
    // Deletes the preview folder with its contents when it exists.
    void removeFlashPreviewFolder();
    // Makes sure the preview folder is set up; writes nothing else.
    void InitPageConfig(const std::string& basePath);
    // Rebuilds the preview book ("index.html", titled "Preview"). Failures are
    // logged as "apply change :..." and leave the previous preview in place.
    // Returns the written HTML page, absent on failure.
    std::optional<std::filesystem::path> applyChange();
    // Why the last applyChange() failed; empty after a success.
    const std::string& applyError() const { return applyError_; }
    // The HTML page of the last successful applyChange().
    const std::optional<std::filesystem::path>& previewPage() const { return previewPage_; }
    // True between a property change ("FlashTmplProValueChangedNotification")
    // and the next applyChange().
    bool changePending() const { return changePending_.load(); }

    // --- Sheet ends and commands ----------------------------------------------------
    // The import sheet ended: with code 1, acceptImport() and applyChange().
    void importWindowDidEnd(int returnCode, ImportedBook book);
    // The preview's pages.xml is dropped (the next build makes one for the new
    // pages), the template's "pageWidth"/"pageHeight" take the first page's size
    // when it is known, and the results become the current book.
    void acceptImport(ImportedBook book);
    // The template chooser ended: with code 1, acceptTemplate() and applyChange().
    void selectTmplWindowDidEnd(int returnCode, const std::filesystem::path& selectedStyle);
    // `selectedStyle` is a file inside the chosen style folder, whose parent
    // folder names the template. The template and style change (page size and
    // language kept) and the preview's panorama images follow: copied from the
    // style for "Panoramic", removed for any other template.
    void acceptTemplate(const std::filesystem::path& selectedStyle);
    // Settings export to `file` (".txt" is added when it has no extension).
    // Returns the file written, absent without a template or when writing fails.
    std::optional<std::filesystem::path> OnExportTmplSettings(std::filesystem::path file);
    // Settings import from `file`, then the preview is rebuilt. False without a
    // template or when the file cannot be read (nothing changes then).
    bool OnImportTmplSettings(const std::filesystem::path& file);
    // With `flag` true, gives the preview's page list absolute base paths for the
    // page editor; with false, turns them back. Nothing happens without a list.
    void ReplaceXMLPath(bool flag);
    // The page editor opens: the preview's page list (built first when missing)
    // gets absolute base paths, imported links give way to an empty set (the page
    // list carries them from now on) and the editor's native side is set up in
    // the preview folder. The front end shows it and ends with
    // pageEditorWindowDidEnd().
    std::unique_ptr<PageEditorWindowDelegate> OnPageEditor();
    // The page editor ended: its changes are undone unless code is 1; the preview
    // is rebuilt in any case.
    void pageEditorWindowDidEnd(int returnCode);
    // Quit: removes the page converters' work folders of this process (and
    // "/tmp/Pellido" once nothing else works in it), lets go of the book and
    // deletes the preview folder.
    void applicationWillTerminate();

private:
    void tmplPpertyValueChanged();
    // The preview folder as set up, else where it will be.
    std::filesystem::path previewFolder() const;

    mutable std::mutex bookMutex_; // guards the three book references
    std::shared_ptr<FlashPageSource> iFlashPageSource_;
    std::shared_ptr<FlashPagesAnnotations> iFlashPagesAnnotations_;
    std::shared_ptr<FlashOutline> iFlashOutline_;
    std::shared_ptr<FlashTemplate> iFlashTmpl_;
    AppSettings* iAppSettings_ = nullptr;
    std::filesystem::path iFlashPreviewFolder_;
    std::optional<std::filesystem::path> previewPage_;
    std::string applyError_;
    std::atomic<bool> changePending_{false};
    ScopedObserver valueChanged_;
};

} // namespace zarvex
