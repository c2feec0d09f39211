#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zarvex {

class AppSettings;
class FlashPageSourcePDF;
class FlashPagesAnnotationsPDF;
class FlashOutlinePDF;

// Imports one PDF on a worker thread: the page source with its four passes,
// then, when asked, the links and the bookmarks. Progress comes as the page
// source's "ImportProgressInfoMSG" messages, posted on the worker thread.
//
// Each of the three steps is guarded: an error is logged ("Run Import PDF
// Operation error,import pages:..." / "...import links:..." / "...import
// outline:...") and drops that step's result; the operation goes on. A
// cancelled operation ends with no result and, since the page source takes
// its work folder with it, no files.
//
// Threads: create, configure and start on one thread; cancel() from any
// thread; read the results once isFinished() is true (or from the completion
// callback). Destroying a running operation cancels it and waits for it; a
// finished one leaves its results alone, so they outlive it unchanged.
class ImportPDFOperation {
public:
    // Runs on the worker thread after the work; the results are final then.
    using Completion = std::function<void(ImportPDFOperation&)>;

    ImportPDFOperation(std::filesystem::path pdfPath, std::string pageRange, int dpi, int quality);
    ~ImportPDFOperation();
    ImportPDFOperation(const ImportPDFOperation&) = delete;
    ImportPDFOperation& operator=(const ImportPDFOperation&) = delete;

    bool importLinks() const { return importLinks_; }
    void setImportLinks(bool value) { importLinks_ = value; }
    bool importBookmarks() const { return importBookmarks_; }
    void setImportBookmarks(bool value) { importBookmarks_ = value; }
    // The text pass of the page source (FlashPageSourcePDF::generatePageText)
    // after the other steps; a failure leaves the pages without text.
    bool importText() const { return importText_; }
    void setImportText(bool value) { importText_ = value; }

    // The settings the page converter reads (Flash or image pages, the
    // measured page size); AppSettings::shareInstance() unless set.
    void setAppSettings(AppSettings* settings) { appSettings_ = settings; }

    // Runs main() and then `completion` on a new worker thread. Once only.
    void start(Completion completion = {});
    // Stops the page source before its next page and skips the later steps;
    // the operation then ends with no results. Any thread, any time.
    void cancel();
    bool isCancelled() const { return cancelled_.load(); }
    bool isFinished() const { return finished_.load(); }
    // Blocks until the work has ended (not from the completion callback).
    void waitUntilFinished() const;

    // The work itself, on the calling thread; start() runs it on the worker.
    void main();

    // Results, valid once finished; each is nullptr when absent.
    const std::shared_ptr<FlashPageSourcePDF>& flashPageSource() const { return flashPageSource_; }
    const std::shared_ptr<FlashPagesAnnotationsPDF>& flashPagesAnnotation() const {
        return flashPagesAnnotation_;
    }
    const std::shared_ptr<FlashOutlinePDF>& flashOutline() const { return flashOutline_; }
    // Why the pages step failed (the error's description), valid once finished;
    // empty when it did not fail.
    const std::string& pagesError() const { return pagesError_; }

    const std::filesystem::path& PDFPath() const { return iPDFPath_; }
    const std::string& pageRange() const { return iPageRange_; }
    int DPI() const { return iDPI_; }
    int quality() const { return iQuality_; }

private:
    std::shared_ptr<FlashPageSourcePDF> flashPageSource_;
    std::shared_ptr<FlashPagesAnnotationsPDF> flashPagesAnnotation_;
    std::shared_ptr<FlashOutlinePDF> flashOutline_;
    int iDPI_;
    int iQuality_;
    std::filesystem::path iPDFPath_;
    std::string iPageRange_;
    bool importBookmarks_ = false;
    bool importLinks_ = false;
    bool importText_ = false;
    AppSettings* appSettings_ = nullptr;
    std::string pagesError_;

    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::mutex sourceMutex_; // between cancel(), the end of main() and the page source
    std::jthread worker_;
};

} // namespace zarvex
