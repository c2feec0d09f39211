#include "app/ImportWindowDelegate.h"

#include "app/PublishInputs.h"
#include "base/AppSettings.h"
#include "base/Log.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/ImportPDFOperation.h"
#include "import/PDFDocument.h"
#include "import/PDFToPageConverter.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace zarvex {

namespace fs = std::filesystem;

int qualityForLevel(int level) {
    return level >= 0 && level < static_cast<int>(kImportQualities.size())
               ? kImportQualities[static_cast<std::size_t>(level)]
               : kImportQualities[0];
}

ImportChoices ImportChoices::fromSettings(const AppSettings& settings) {
    ImportChoices choices;
    choices.file = settings.lastImportedFile();
    choices.pageRangeType = settings.importPageRangeType();
    choices.pageRange = settings.importPageRange();
    choices.qualityLevel = settings.importQualityLevel();
    choices.links = settings.importLinks() == 1;
    choices.bookmarks = settings.importBookmark() == 1;
    choices.text = settings.importText() == 1;
    choices.importType = settings.ImportType();
    return choices;
}

void ImportChoices::writeTo(AppSettings& settings) const {
    settings.setLastImportedFile(file);
    settings.setImportPageRangeType(pageRangeType);
    settings.setImportQualityLevel(qualityLevel);
    settings.setImportPageRange(pageRange);
    settings.setImportBookmark(bookmarks ? 1 : 0);
    settings.setImportLinks(links ? 1 : 0);
    settings.setImportText(text ? 1 : 0);
    settings.setImportType(importType);
}

std::string ImportChoices::rangeText() const {
    return pageRangeType == 1 ? pageRange : "ALL";
}

const char* ImportProgress::passName(int pass) {
    static constexpr const char* kNames[kPasses + 1] = {"Importing pages", "Making thumbnails",
                                                        "Making mobile images", "Collecting pages",
                                                        "Reading the text"};
    return kNames[std::clamp(pass, 0, kPasses)];
}

void ImportProgress::note(int pageIndex, int totalPage) {
    if (pass_ < 0 || pageIndex <= pageIndex_)
        pass_ = std::min(pass_ + 1, passes_ - 1);
    pageIndex_ = pageIndex;
    totalPage_ = totalPage;
}

std::string ImportProgress::text() const {
    return "Importing:" + std::to_string(pageIndex_) + " of " + std::to_string(totalPage_) +
           " Pages";
}

std::string ImportProgress::passText() const {
    if (pass_ < 0)
        return {};
    return std::string(passName(pass_)) + " (pass " + std::to_string(pass_ + 1) + " of " +
           std::to_string(passes_) + ")";
}

int ImportProgress::permille() const {
    if (pass_ < 0 || totalPage_ <= 0)
        return 0;
    const long long done =
        static_cast<long long>(pass_) * totalPage_ + std::clamp(pageIndex_, 0, totalPage_);
    return static_cast<int>(done * 1000 / (static_cast<long long>(passes_) * totalPage_));
}

std::string importFailureReason(const fs::path& pdf, const std::string& range,
                                const std::string& pagesError) {
    try {
        const auto document = openImportablePdf(pdf);
        selectedPages(range, *document, pdf);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "the import of " + quoted(pdf) +
           " failed: " + (pagesError.empty() ? std::string("no page was made") : pagesError);
}

// One operation with what its worker found out after the work. The worker
// writes `failure` and the page size before it announces the end; the main
// thread reads them after.
struct ImportWindowDelegate::Running {
    std::uint64_t id = 0;
    std::string failure;
    int pageWidth = 0;
    int pageHeight = 0;
    std::unique_ptr<ImportPDFOperation> operation; // last: destroyed (and joined) first
};

ImportWindowDelegate::ImportWindowDelegate(EndNotice endNotice, AppSettings* settings)
    : settings_(settings), endNotice_(std::move(endNotice)) {}

ImportWindowDelegate::~ImportWindowDelegate() {
    shutDown();
}

AppSettings& ImportWindowDelegate::settings() const {
    return settings_ ? *settings_ : AppSettings::shareInstance();
}

std::optional<std::string> ImportWindowDelegate::onImportAction(const ImportChoices& choices) {
    std::error_code ec;
    if (choices.file.empty() || !fs::exists(choices.file, ec))
        return kMissingFileMessage;
    isImporting_ = true;
    choices.writeTo(settings());
    settings().saveSettings();
    flashPageSource_.reset();
    flashPagesAnnotations_.reset();
    flashOutline_.reset();
    failureReason_.clear();
    ZLOG_DEBUG("start to import pdf now...");
    startImport(choices);
    return std::nullopt;
}

void ImportWindowDelegate::startImport(const ImportChoices& choices) {
    pageWidth_ = 0;
    pageHeight_ = 0;
    cancelImports();
    const std::string range = choices.rangeText();
    ZLOG_DEBUG("page range is:{}", range);
    AppSettings& store = settings();

    auto running = std::make_unique<Running>();
    running->id = ++current_;
    running->operation = std::make_unique<ImportPDFOperation>(
        choices.file, range, kImportDPI, qualityForLevel(store.importQualityLevel()));
    ImportPDFOperation& operation = *running->operation;
    operation.setAppSettings(&store);
    operation.setImportLinks(store.importLinks() == 1);
    operation.setImportBookmarks(store.importBookmark() == 1);
    operation.setImportText(store.importText() == 1);

    Running* run = running.get();
    operations_.push_back(std::move(running));
    ZLOG_DEBUG("before add operation");
    operation.start([this, run](ImportPDFOperation& finished) {
        // On the worker: what needs the document is done here, where the
        // document was used all along.
        if (const auto& source = finished.flashPageSource()) {
            const auto& document = source->toPageConverter()->PDFDoc();
            const int first = source->pages().empty() ? 1 : source->pages().front()->pageIndex();
            try {
                if (document) {
                    const PDFSize size = document->pageAt(first - 1).displaySize();
                    run->pageWidth = static_cast<int>(size.width);
                    run->pageHeight = static_cast<int>(size.height);
                }
            } catch (const std::exception& e) {
                ZLOG_WARN("the size of page {} cannot be read: {}", first, e.what());
            }
        } else if (!finished.isCancelled()) {
            run->failure = importFailureReason(finished.PDFPath(), finished.pageRange(),
                                               finished.pagesError());
        }
        std::scoped_lock lock(noticeMutex_);
        if (endNotice_)
            endNotice_(run->id);
    });
    ZLOG_DEBUG("after add operation");
}

bool ImportWindowDelegate::cancelImports() {
    for (const auto& running : operations_)
        running->operation->cancel();
    return !operations_.empty();
}

ImportWindowDelegate::End ImportWindowDelegate::operationDidEnd(std::uint64_t operation) {
    const auto it = std::find_if(operations_.begin(), operations_.end(),
                                 [operation](const auto& r) { return r->id == operation; });
    if (it == operations_.end())
        return End::Ignored;
    // Destroying it joins a worker that has nothing left to do but return.
    const std::unique_ptr<Running> running = std::move(*it);
    operations_.erase(it);
    if (operation != current_)
        return End::Ignored; // cancelled by a newer import, whose end is the one that counts

    ZLOG_DEBUG("import pdf isFinished.");
    const ImportPDFOperation& finished = *running->operation;
    flashPageSource_ = finished.flashPageSource();
    flashPagesAnnotations_ = finished.flashPagesAnnotation();
    flashOutline_ = finished.flashOutline();
    isImporting_ = false;
    if (flashPageSource_) {
        ZLOG_DEBUG("import pdf ok...");
        pageWidth_ = running->pageWidth;
        pageHeight_ = running->pageHeight;
        if (settings().ImportType() == 1 && pageWidth_ > 0 && pageHeight_ > 0) {
            // Image pages are JPEGs rendered at twice the page's points.
            settings().setPageWidth(pageWidth_ * 2);
            settings().setPageHeight(pageHeight_ * 2);
            settings().saveSettings();
        }
        return End::Succeeded;
    }
    ZLOG_WARN("import pdf failed...");
    if (finished.isCancelled())
        return End::Cancelled;
    failureReason_ = running->failure;
    return End::Failed;
}

void ImportWindowDelegate::shutDown() {
    {
        std::scoped_lock lock(noticeMutex_);
        endNotice_ = nullptr;
    }
    cancelImports();
    operations_.clear();
    isImporting_ = false;
}

ImportedBook ImportWindowDelegate::importedBook() const {
    return ImportedBook{flashPageSource_, flashPagesAnnotations_, flashOutline_, pageWidth_,
                        pageHeight_};
}

} // namespace zarvex
