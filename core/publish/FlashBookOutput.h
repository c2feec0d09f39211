#pragma once

#include "base/Xml.h"
#include "publish/PublishProgress.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

class AppSettings;
class FlashOutline;
class FlashPage;
class FlashPageSource;
class FlashPagesAnnotations;
class FlashTemplate;
class FlashTemplateProperty;
class HTMLConfigInfo;

// Writes one book: the scrambled book configuration (files/config.xml and its
// script twin files/config.js), the page list (pages.xml) and the complete book
// folder with its HTML page, player files, pages, thumbnails and extension files.
//
// The writer holds the objects it is given for its lifetime and owns nothing on
// disk. Configure it with the setters, call ouputTheBook() once, release it.
// One thread at a time; nothing is locked.
//
// Failures: every file that cannot be written, copied or removed is logged and
// recorded in failures(); ouputTheBook() then returns false, so a half-written
// book never looks complete. A configuration that cannot be built (no readable
// page list in the preview folder, a number property whose value is no number)
// raises zarvex::Error; the number check comes before anything is written.
class FlashBookOutput {
public:
    FlashBookOutput(std::shared_ptr<FlashPageSource> pageSource,
                    std::shared_ptr<FlashTemplate> flashTemplate,
                    std::filesystem::path saveToFolder, std::string toName);
    virtual ~FlashBookOutput();
    FlashBookOutput(const FlashBookOutput&) = delete;
    FlashBookOutput& operator=(const FlashBookOutput&) = delete;

    // --- Fields -------------------------------------------------------------------
    const std::shared_ptr<FlashTemplate>& flashTemplate() const { return iFlashTemplate; }
    void setFlashTemplate(std::shared_ptr<FlashTemplate> value);
    const std::shared_ptr<FlashPageSource>& flashPageSource() const { return iFlashPageSource; }
    void setFlashPageSource(std::shared_ptr<FlashPageSource> value);
    const std::filesystem::path& saveToFolder() const { return iSaveToFolder; }
    void setSaveToFolder(std::filesystem::path value) { iSaveToFolder = std::move(value); }
    const std::string& saveToFileName() const { return iSaveToFileName; }
    void setSaveToFileName(std::string value) { iSaveToFileName = std::move(value); }
    const std::shared_ptr<HTMLConfigInfo>& HTMLConfig() const { return iHTMLConfig; }
    void setHTMLConfig(std::shared_ptr<HTMLConfigInfo> value);
    const std::shared_ptr<FlashPagesAnnotations>& flashPagesAnnotations() const {
        return iFlashPagesAnnotations;
    }
    void setFlashPagesAnnotations(std::shared_ptr<FlashPagesAnnotations> value);
    const std::shared_ptr<FlashOutline>& flashOutline() const { return iFlashOutline; }
    void setFlashOutline(std::shared_ptr<FlashOutline> value);

    // The page list's base attribute ("" for the preview and for publishing).
    void SetBasePath(std::string basePath) { iBasePath = std::move(basePath); }
    // True while the page editor has never saved edits; the page list is
    // generated only then.
    void SetNeverEditor(bool neverEditor) { iNeverEditor = neverEditor; }

    // The settings that give the page size; AppSettings::shareInstance() unless set.
    void setAppSettings(AppSettings* settings) { iAppSettings = settings; }
    // Reports the steps of ouputTheBook(); none by default.
    void setProgress(PublishProgress progress) { iProgress = std::move(progress); }
    // Whether the book also gets the pages' high-resolution zoom images
    // (prepaireZoomendPage); false by default, as for the preview.
    bool zoomPages() const { return iZoomPages; }
    void setZoomPages(bool value) { iZoomPages = value; }

    // --- Preview folder -----------------------------------------------------------
    // The per-user preview folder: the Application Support folder joined with
    // "Drevalis/preview".
    static std::filesystem::path defaultPreviewPath();
    // The preview folder this writer reads the page list, the cube faces and the
    // editor files from: the folder given to setPreviewPath(), else
    // defaultPreviewPath(). Stored in ThePreviewPath().
    std::filesystem::path GetPreviewPath();
    // Front ends that keep a working copy of their own (the command line) set it
    // here so the desktop application's preview is never touched.
    void setPreviewPath(std::optional<std::filesystem::path> folder) {
        iPreviewOverride = std::move(folder);
    }
    const std::optional<std::filesystem::path>& ThePreviewPath() const { return ThePreviewPath_; }

    // --- Book configuration ---------------------------------------------------------
    // The configuration document, root FlipBook3D, with the preview folder's page
    // list merged in as its last child. Raises Error when that page list is
    // missing or unreadable.
    xml::Document bookXML();
    // Writes the envelope <data><![CDATA[base64]]></data> to `file` and the same
    // text as a script beside it ("config.js"), which also lists the optional
    // scripts already in the folder (outline, text and zoom indexes) as
    // ZARVEX_BOOK_FILES, so the viewer asks for no missing file. Raises Error as
    // bookXML(); false (logged, recorded) when a file cannot be written.
    bool ouputBookXML(const std::filesystem::path& file);
    // Writes the bookmark tree into `folder` as "outline.xml" (the `ols` element)
    // and the same text as a script beside it ("outline.js"), when the tree has
    // bookmarks; otherwise removes both, so no tree of an earlier book stays.
    // False (recorded) when a file cannot be written.
    bool outputOutline(const std::filesystem::path& folder);
    // The hidden-button list: each hidden button's key and ",", then ",Content".
    std::string GetVisibleButtons() const;
    static std::int32_t colorWithHexString(std::string_view text);
    // Appends <name>value</name> to `parent` and returns it.
    static xml::Node AddChildToParent(const std::string& name, const std::string& value,
                                      xml::Node parent);
    // Appends a copy of the root element of the XML file to `element`. Raises
    // Error when the file cannot be read or parsed.
    static void MergeXML(xml::Node element, const std::filesystem::path& file);

    // --- Page list ------------------------------------------------------------------
    // With isEditor true, writes the page list to saveToFolder()/pages.xml and
    // returns that path; absent with isEditor false, or (logged, recorded) when
    // the file cannot be written.
    std::optional<std::filesystem::path> BookPageConfig(const std::string& base, bool isEditor);
    // The page list as text (pretty-printed, no declaration).
    std::string pageListText(const std::string& base) const;
    // The normal page file of the first page of the page list that the configuration
    // takes ("page/1.swf"); empty when that list has no page or cannot be read.
    std::string firstPageFile();
    static std::string getNormalPageURL(const FlashPage& page);
    static std::string getZoomedPageURL(const FlashPage& page);
    static std::string getThumbPageURL(const FlashPage& page);

    // --- Book folder ----------------------------------------------------------------
    // Fills the existing output folder with the whole book. True when every file
    // was written; false (with failures() saying why) otherwise, including when
    // the output folder does not exist (nothing is written then). Raises Error
    // when the configuration cannot be built.
    virtual bool ouputTheBook();
    // saveToFolder() joined with saveToFileName(), or "index.html" without a name.
    virtual std::filesystem::path outputHTMLFileName() const;
    // The file that stands for the book (opened after publishing): the HTML page.
    virtual std::filesystem::path outputFileName() const;

    // The preparation steps. `folder` selects the output folder; the empty path
    // means saveToFolder().
    void removeExtFile(const std::filesystem::path& folder);
    void prepaireNomalPage(const std::filesystem::path& folder);
    // With zoomPages(), has the page source make its zoom images
    // (FlashPageSource::generateZoomPages, which reports its own progress) and
    // copies them to files/zoom/<n>.jpg with a manifest of the pages that have
    // one: index.json {"v":1,"scale":2,"pages":[n,...]} and its script twin
    // index.js (window.ZARVEX_ZOOM_INDEX). Otherwise, and when no page has a
    // zoom image, files/zoom is removed. The page list is not changed: its
    // zoomed pages stay the normal pages.
    void prepaireZoomendPage(const std::filesystem::path& folder);
    void prepaireThumbPage(const std::filesystem::path& folder);
    // Copies the text files of the book's pages (FlashPageSource::textFolder)
    // into files/text with an index of them; removes files/text when the
    // pages have no text.
    void prepaireTextFiles(const std::filesystem::path& folder);
    void prepaireExtFiles(const std::filesystem::path& folder);
    void prepaireExtFiles(const std::filesystem::path& folder, const FlashTemplateProperty& node,
                          bool topLevel);
    void PrepareAnnotationFiles(const std::filesystem::path& folder);
    void prepaireThemeFile(const std::filesystem::path& folder);

    // What went wrong in the last ouputTheBook() (or since creation), one line each.
    const std::vector<std::string>& failures() const { return iFailures; }

    // Sub-folder names below the output folder.
    const std::string& resourceFolder() const { return iResourceFolder; }
    const std::string& normalPageFolder() const { return iNormalPageFolder; }
    const std::string& thumbPageFolder() const { return iThumbPageFolder; }
    const std::string& exterFilesFolder() const { return iExterFilesFolder; }
    const std::string& annotationFilesFolder() const { return iAnnotationFilesFolder; }

protected:
    // Hands the HTML page the book's text version (files/text) and description.
    void prepareTextVersion();
    // Runs steps 0 to 15 of the assembly into saveToFolder().
    bool assembleBook();
    // Logs the failure and records it.
    void fail(std::string what);
    void report(const std::string& step, int index, int count) const;
    std::string value(const std::string& key, const std::string& defaultValue) const;
    std::filesystem::path outputFolder(const std::filesystem::path& folder) const;
    std::filesystem::path resourcePath(const std::filesystem::path& folder) const;
    // Removes `path` (file or folder) when it exists; records a failure otherwise.
    bool removeIfExists(const std::filesystem::path& path);
    bool createFolder(const std::filesystem::path& folder);
    AppSettings& settings() const;

    std::shared_ptr<FlashTemplate> iFlashTemplate;
    std::shared_ptr<FlashPageSource> iFlashPageSource;
    std::shared_ptr<FlashPagesAnnotations> iFlashPagesAnnotations;
    std::shared_ptr<FlashOutline> iFlashOutline;
    std::filesystem::path iSaveToFolder;
    std::string iSaveToFileName;
    std::shared_ptr<HTMLConfigInfo> iHTMLConfig;
    std::optional<std::filesystem::path> ThePreviewPath_;
    std::string iBasePath;
    bool iNeverEditor = true;
    const std::string iResourceFolder = "files";
    const std::string iNormalPageFolder = "page";
    const std::string iThumbPageFolder = "thumb";
    const std::string iExterFilesFolder = "extfiles";
    const std::string iAnnotationFilesFolder = "pageConfig";
    const std::string iTextFolder = "text";
    const std::string iZoomPageFolder = "zoom";

    std::optional<std::filesystem::path> iPreviewOverride;
    AppSettings* iAppSettings = nullptr;
    PublishProgress iProgress;
    bool iZoomPages = false;
    std::vector<std::string> iFailures;
};

} // namespace zarvex
