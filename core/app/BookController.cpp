#include "app/BookController.h"

#include "app/PageEditorWindowDelegate.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/HXCUtility.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "base/StringUtil.h"
#include "import/FlashOutline.h"
#include "import/FlashPageSourceImg.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "publish/FlashBookOutput.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/WebText.h"
#include "templates/FlashTemplate.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

namespace zarvex {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 6> kPanoramaImages = {"b.jpg", "d.jpg", "f.jpg",
                                                        "l.jpg", "r.jpg", "u.jpg"};
constexpr const char* kPanoramicTemplate = "Panoramic";
constexpr const char* kPreviewPageName = "index.html";

} // namespace

BookController::BookController()
    : valueChanged_(NotificationCenter::defaultCenter(), "FlashTmplProValueChangedNotification",
                    [this](const Notification&) { tmplPpertyValueChanged(); }) {}

BookController::~BookController() = default;

std::vector<fs::path> BookController::PageSource(const std::string& folderName) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::path folder = resourcePath(folderName);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".jpg" && it->is_regular_file(ec))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.filename().string(), b.filename().string());
    });
    return files;
}

void BookController::loadDemoBook() {
    auto source = std::make_shared<FlashPageSourceImg>();
    for (const auto& file : PageSource("DemoImgs_standard/large"))
        source->addImgPageFromFile(file);
    source->generateNormalPages();
    // The sample pages are JPEG images already: they serve as the mobile
    // version's pages too, which the image source itself does not make.
    source->setMobilePages(source->pages());
    setFlashPageSource(std::move(source));
    setFlashPagesAnnotations(nullptr);
    setFlashOutline(nullptr);
    if (!iFlashTmpl_)
        iFlashTmpl_ = std::make_shared<FlashTemplate>();
}

AppSettings& BookController::appSettings() const {
    return iAppSettings_ ? *iAppSettings_ : AppSettings::shareInstance();
}

std::shared_ptr<FlashPageSource> BookController::flashPageSource() const {
    std::scoped_lock lock(bookMutex_);
    return iFlashPageSource_;
}

void BookController::setFlashPageSource(std::shared_ptr<FlashPageSource> source) {
    std::scoped_lock lock(bookMutex_);
    iFlashPageSource_ = std::move(source);
}

std::shared_ptr<FlashPagesAnnotations> BookController::flashPagesAnnotations() const {
    std::scoped_lock lock(bookMutex_);
    return iFlashPagesAnnotations_;
}

void BookController::setFlashPagesAnnotations(std::shared_ptr<FlashPagesAnnotations> annotations) {
    std::scoped_lock lock(bookMutex_);
    iFlashPagesAnnotations_ = std::move(annotations);
}

std::shared_ptr<FlashOutline> BookController::flashOutline() const {
    std::scoped_lock lock(bookMutex_);
    return iFlashOutline_;
}

void BookController::setFlashOutline(std::shared_ptr<FlashOutline> outline) {
    std::scoped_lock lock(bookMutex_);
    iFlashOutline_ = std::move(outline);
}

fs::path BookController::previewFolderPath() {
    return (applicationSupportPath() / "Drevalis" / "preview").lexically_normal();
}

fs::path BookController::previewFolder() const {
    return iFlashPreviewFolder_.empty() ? previewFolderPath() : iFlashPreviewFolder_;
}

void BookController::makeFlashPreviewFolder() {
    iFlashPreviewFolder_ = previewFolderPath();
    std::error_code ec;
    if (!fs::exists(iFlashPreviewFolder_, ec)) {
        fs::create_directories(iFlashPreviewFolder_, ec);
        if (ec)
            ZLOG_WARN("flash preview folder cannot be crearted[{}]", ec.message());
    }
    HXCUtility::makeDiractoryTrustByFlash(iFlashPreviewFolder_);
}

void BookController::removeFlashPreviewFolder() {
    std::error_code ec;
    const fs::path folder = previewFolder();
    if (fs::exists(folder, ec))
        fs::remove_all(folder, ec);
}

void BookController::InitPageConfig(const std::string& /*basePath*/) {
    try {
        if (iFlashPreviewFolder_.empty())
            makeFlashPreviewFolder();
    } catch (const std::exception& e) {
        ZLOG_ERROR("apply change :{}", e.what());
    }
}

std::optional<fs::path> BookController::applyChange() {
    changePending_ = false;
    if (iFlashPreviewFolder_.empty())
        makeFlashPreviewFolder();
    try {
        if (!iFlashTmpl_)
            throw Error("there is no template");
        auto source = flashPageSource();
        if (!source)
            throw Error("there is no page source");
        auto html = std::make_shared<HTMLConfigInfo>();
        FlashBookOutput writer(source, iFlashTmpl_, iFlashPreviewFolder_, kPreviewPageName);
        writer.setPreviewPath(iFlashPreviewFolder_);
        writer.setAppSettings(iAppSettings_);
        html->setHTMLTitle("Preview");
        writer.setHTMLConfig(html);
        writer.setFlashPagesAnnotations(flashPagesAnnotations());
        writer.setFlashOutline(flashOutline());
        bool complete = writer.ouputTheBook();
        InitPageConfig("");
        applyError_.clear();
        if (!complete) {
            // The preview still shows what could be written; callers that need a
            // complete book look at applyError().
            for (const auto& failure : writer.failures())
                applyError_ += (applyError_.empty() ? "" : "; ") + failure;
            if (applyError_.empty())
                applyError_ = "the preview book is incomplete";
        }
        previewPage_ = writer.outputFileName();
        return previewPage_;
    } catch (const std::exception& e) {
        ZLOG_ERROR("apply change :{}", e.what());
        applyError_ = e.what();
        return std::nullopt;
    }
}

void BookController::tmplPpertyValueChanged() {
    changePending_ = true;
}

void BookController::importWindowDidEnd(int returnCode, ImportedBook book) {
    if (returnCode != 1)
        return;
    acceptImport(std::move(book));
    applyChange();
}

void BookController::acceptImport(ImportedBook book) {
    std::error_code ec;
    const fs::path folder = previewFolder();
    fs::remove(folder / "pages.xml", ec);
    // A size of 0 means the document could not be measured; a zero-sized book is
    // of no use, so the template keeps the size it has.
    if (iFlashTmpl_ && book.pageWidth > 0 && book.pageHeight > 0) {
        iFlashTmpl_->setPropertyValue("pageWidth", std::to_string(book.pageWidth));
        iFlashTmpl_->setPropertyValue("pageHeight", std::to_string(book.pageHeight));
    }
    InitPageConfig("");
    setFlashPageSource(std::move(book.pageSource));
    setFlashPagesAnnotations(std::move(book.annotations));
    setFlashOutline(std::move(book.outline));
}

void BookController::selectTmplWindowDidEnd(int returnCode, const fs::path& selectedStyle) {
    if (returnCode != 1 || !iFlashTmpl_)
        return;
    acceptTemplate(selectedStyle);
    applyChange();
}

void BookController::acceptTemplate(const fs::path& selectedStyle) {
    if (!iFlashTmpl_)
        iFlashTmpl_ = std::make_shared<FlashTemplate>();
    fs::path stylePath = selectedStyle.parent_path();
    std::string tmplName = stylePath.parent_path().filename().string();
    iFlashTmpl_->changeTmplTo(tmplName, stylePath);

    InitPageConfig("");
    fs::path extFiles = iFlashPreviewFolder_ / "files" / "extfiles";
    std::error_code ec;
    if (tmplName == kPanoramicTemplate) {
        // The preview may not have been written yet; the cube faces need their
        // folder either way.
        fs::create_directories(extFiles, ec);
        for (const char* name : kPanoramaImages) {
            fs::path source = stylePath / name;
            if (fs::exists(source, ec) && !fs::exists(extFiles / name, ec))
                fs::copy_file(source, extFiles / name, ec);
        }
    } else {
        for (const char* name : kPanoramaImages)
            fs::remove(extFiles / name, ec);
    }
}

std::optional<fs::path> BookController::OnExportTmplSettings(fs::path file) {
    if (!iFlashTmpl_)
        return std::nullopt;
    if (!file.has_extension())
        file += ".txt";
    if (!iFlashTmpl_->exportPropertiesSettingsTo(file))
        return std::nullopt;
    return file;
}

bool BookController::OnImportTmplSettings(const fs::path& file) {
    if (!iFlashTmpl_)
        return false;
    if (!readFile(file))
        return false;
    if (!iFlashTmpl_->importPropertiesSettingsFrom(file))
        return false;
    applyChange();
    return true;
}

void BookController::ReplaceXMLPath(bool flag) {
    const fs::path folder = previewFolder();
    fs::path file = folder / "pages.xml";
    std::error_code ec;
    if (!fs::exists(file, ec))
        return;
    auto text = readFile(file);
    if (!text)
        return;
    std::string filesPath = htmlEscape(folder.string() + "/files/");
    if (flag)
        replaceAll(*text, "bace=\"\"", "bace=\"" + filesPath + "\"");
    else
        replaceAll(*text, "\"" + filesPath + "\"", "\"\"");
    if (!writeFileAtomically(file, *text))
        ZLOG_WARN("page list {} cannot be rewritten", file.string());
}

std::unique_ptr<PageEditorWindowDelegate> BookController::OnPageEditor() {
    if (iFlashPreviewFolder_.empty() || !fs::exists(iFlashPreviewFolder_ / "pages.xml"))
        applyChange();
    ReplaceXMLPath(true);
    if (flashPagesAnnotations())
        setFlashPagesAnnotations(std::make_shared<FlashPagesAnnotationsPDF>());
    const fs::path folder = previewFolder();
    return std::make_unique<PageEditorWindowDelegate>("", folder, flashPagesAnnotations());
}

void BookController::pageEditorWindowDidEnd(int returnCode) {
    if (returnCode != 1)
        ReplaceXMLPath(false);
    applyChange();
}

void BookController::applicationWillTerminate() {
    HXCUtility::removeWorkFolders("Pellido");
    iFlashTmpl_.reset();
    setFlashPageSource(nullptr);
    removeFlashPreviewFolder();
}

} // namespace zarvex
