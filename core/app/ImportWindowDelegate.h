#pragma once

#include "app/BookController.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

class AppSettings;
class FlashOutlinePDF;
class FlashPageSourcePDF;
class FlashPagesAnnotationsPDF;

// The resolution every import renders at.
inline constexpr int kImportDPI = 144;
// JPEG quality of the import's quality levels 0 to 4.
inline constexpr std::array<int, 5> kImportQualities = {100, 85, 65, 45, 25};
// The quality of `level`; 100 for a level outside 0 to 4.
int qualityForLevel(int level);

// The choices of the import sheet, as the settings keep them.
struct ImportChoices {
    std::string file{};
    int pageRangeType = 0; // 1: the range text applies; anything else: all pages
    std::string pageRange{};
    int qualityLevel = 0;
    bool links = false;
    bool bookmarks = false;
    int importType = 0; // 0 Flash pages, 1 image pages
    bool text = false;  // the pages' words extracted

    static ImportChoices fromSettings(const AppSettings& settings);
    void writeTo(AppSettings& settings) const;
    // What the import is given: the range text, unchanged and even empty,
    // under the range choice; "ALL" otherwise.
    std::string rangeText() const;
};

// Follows the progress messages of one import. The page source counts from 1
// to the number of pages once per pass, so a count that does not go up starts
// the next pass: the four page passes, then the text pass when text is read.
class ImportProgress {
public:
    static constexpr int kPasses = 4;
    explicit ImportProgress(bool readsText = false) : passes_(readsText ? kPasses + 1 : kPasses) {}
    // The user's name of pass 0 to 4 (4 reads the text).
    static const char* passName(int pass);

    // One "ImportProgressInfoMSG".
    void note(int pageIndex, int totalPage);
    // -1 before the first message.
    int pass() const { return pass_; }
    int pageIndex() const { return pageIndex_; }
    int totalPage() const { return totalPage_; }
    // "Importing:%d of %d Pages".
    std::string text() const;
    // "Making thumbnails (pass 2 of 4)"; empty before the first message.
    std::string passText() const;
    // How far the whole import is, 0 to 1000 over all its passes.
    int permille() const;

private:
    int passes_;
    int pass_ = -1;
    int pageIndex_ = 0;
    int totalPage_ = 0;
};

// The one-line reason an import of `pdf` with the page range `range` failed,
// as the command line words it: the check that refuses the file or the range,
// or else the pages step's own error (`pagesError`).
std::string importFailureReason(const std::filesystem::path& pdf, const std::string& range,
                                const std::string& pagesError);

// The import sheet without its widgets: checks the file, keeps the choices in
// the settings, runs one ImportPDFOperation at a time on its worker thread and
// takes the results of the current one when it ends. The front end shows the
// progress ("ImportProgressInfoMSG", posted on the worker) and the states.
//
// Threads: everything is called on the front end's main thread. The end of an
// operation is announced on its worker through `endNotice`; the front end moves
// it to the main thread and calls operationDidEnd() there.
class ImportWindowDelegate {
public:
    using EndNotice = std::function<void(std::uint64_t operation)>;
    enum class End { Ignored, Succeeded, Failed, Cancelled };

    static constexpr const char* kMissingFileMessage = "Import PDF file does not exist.";

    // `settings`: AppSettings::shareInstance() when null.
    explicit ImportWindowDelegate(EndNotice endNotice, AppSettings* settings = nullptr);
    // Cancels every operation and waits for them (see shutDown()).
    ~ImportWindowDelegate();
    ImportWindowDelegate(const ImportWindowDelegate&) = delete;
    ImportWindowDelegate& operator=(const ImportWindowDelegate&) = delete;

    AppSettings& settings() const;

    // OK: with no file at `choices.file`, returns kMissingFileMessage and
    // changes nothing. Otherwise writes and saves the choices, drops the last
    // results, cancels any earlier operation and starts a new one.
    std::optional<std::string> onImportAction(const ImportChoices& choices);
    // Cancels every operation that has not reported its end; false when there
    // is none (Cancel then closes the sheet).
    bool cancelImports();
    // The end of `operation`. Only the current operation's end counts: its
    // results are taken over and, on success, the first page's size measured
    // (twice that size becomes the settings' page size for image pages).
    End operationDidEnd(std::uint64_t operation);
    // Quit: cancels every operation and waits for it to end, so that no work
    // folder outlives the program; no end is announced any more.
    void shutDown();

    bool isImporting() const { return isImporting_; }
    // The operation started last; 0 before the first.
    std::uint64_t currentOperation() const { return current_; }
    // Why the last import failed; empty unless operationDidEnd() said Failed.
    const std::string& failureReason() const { return failureReason_; }
    // The size in points of the first imported page as displayed; 0 when unknown.
    int pageWidth() const { return pageWidth_; }
    int pageHeight() const { return pageHeight_; }
    const std::shared_ptr<FlashPageSourcePDF>& flashPageSource() const { return flashPageSource_; }
    const std::shared_ptr<FlashPagesAnnotationsPDF>& flashPagesAnnotations() const {
        return flashPagesAnnotations_;
    }
    const std::shared_ptr<FlashOutlinePDF>& flashOutline() const { return flashOutline_; }
    // The results as BookController::importWindowDidEnd takes them.
    ImportedBook importedBook() const;

private:
    struct Running;
    void startImport(const ImportChoices& choices);

    AppSettings* settings_;
    std::mutex noticeMutex_; // between the workers' end announcements and shutDown()
    EndNotice endNotice_;
    std::vector<std::unique_ptr<Running>> operations_;
    std::uint64_t current_ = 0;
    bool isImporting_ = false;
    std::string failureReason_;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
    std::shared_ptr<FlashPageSourcePDF> flashPageSource_;
    std::shared_ptr<FlashPagesAnnotationsPDF> flashPagesAnnotations_;
    std::shared_ptr<FlashOutlinePDF> flashOutline_;
};

} // namespace zarvex
