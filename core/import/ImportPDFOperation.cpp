#include "import/ImportPDFOperation.h"

#include "base/Error.h"
#include "base/Log.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFDocument.h"
#include "import/PDFToPageConverter.h"

#include <exception>

namespace zarvex {

namespace {

// The description of the exception being handled.
std::string describeCurrentError() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

ImportPDFOperation::ImportPDFOperation(std::filesystem::path pdfPath, std::string pageRange,
                                       int dpi, int quality)
    : iDPI_(dpi), iQuality_(quality), iPDFPath_(std::move(pdfPath)),
      iPageRange_(std::move(pageRange)) {}

ImportPDFOperation::~ImportPDFOperation() {
    {
        // A finished operation has handed its page source over; stopping it now
        // would make the source's lookups answer no page for the new owner.
        std::scoped_lock lock(sourceMutex_);
        if (!finished_) {
            if (flashPageSource_)
                flashPageSource_->setStop(true);
            cancelled_ = true;
        }
    }
    if (!worker_.joinable())
        return;
    if (worker_.get_id() == std::this_thread::get_id())
        worker_.detach(); // dropped from its own completion callback; nothing runs after it
    else
        worker_.join();
}

void ImportPDFOperation::start(Completion completion) {
    if (worker_.joinable() || finished_)
        throw Error("an import operation runs only once");
    worker_ = std::jthread([this, completion = std::move(completion)] {
        main();
        if (completion)
            completion(*this);
    });
}

void ImportPDFOperation::cancel() {
    std::scoped_lock lock(sourceMutex_);
    if (flashPageSource_)
        flashPageSource_->setStop(true);
    cancelled_ = true;
}

void ImportPDFOperation::waitUntilFinished() const {
    finished_.wait(false);
}

void ImportPDFOperation::main() {
    struct Finish {
        std::atomic<bool>& finished;
        std::mutex& mutex;
        ~Finish() {
            {
                std::scoped_lock lock(mutex);
                finished = true;
            }
            finished.notify_all();
        }
    } finish{finished_, sourceMutex_};

    if (isCancelled())
        return;

    try {
        auto source = std::make_shared<FlashPageSourcePDF>(iPDFPath_, iPageRange_, iDPI_, iQuality_,
                                                           appSettings_);
        {
            std::scoped_lock lock(sourceMutex_);
            flashPageSource_ = source;
            if (cancelled_)
                source->setStop(true);
        }
        ZLOG_DEBUG("before generate pages");
        source->generatePages();
        ZLOG_DEBUG("after generate pages");
        ZLOG_DEBUG("before generate Thumbnail");
        source->generateThumbPages();
        ZLOG_DEBUG("after generate Thumbnail");
        source->generateMobilePages();
        ZLOG_DEBUG("before generateNormalPages");
        source->generateNormalPages();
        ZLOG_DEBUG("after generateNormalPages");
    } catch (...) {
        pagesError_ = describeCurrentError();
        ZLOG_ERROR("Run Import PDF Operation error,import pages:{}", pagesError_);
        std::shared_ptr<FlashPageSourcePDF> discarded;
        std::scoped_lock lock(sourceMutex_);
        discarded = std::move(flashPageSource_);
    }

    std::shared_ptr<PDFDocument> document;
    if (flashPageSource_)
        document = flashPageSource_->toPageConverter()->PDFDoc();

    if (!isCancelled() && importLinks_) {
        try {
            flashPagesAnnotation_ = std::make_shared<FlashPagesAnnotationsPDF>();
            flashPagesAnnotation_->loadLinksFromPDF(document, iPageRange_);
        } catch (...) {
            ZLOG_ERROR("Run Import PDF Operation error,import links:{}", describeCurrentError());
            flashPagesAnnotation_.reset();
        }
    }

    if (!isCancelled() && importBookmarks_) {
        try {
            flashOutline_ = std::make_shared<FlashOutlinePDF>();
            flashOutline_->loadOutlineFromPDF(document.get());
        } catch (...) {
            ZLOG_ERROR("Run Import PDF Operation error,import outline:{}", describeCurrentError());
            flashOutline_.reset();
        }
    }

    if (!isCancelled() && importText_ && flashPageSource_) {
        try {
            flashPageSource_->generatePageText();
        } catch (...) {
            ZLOG_ERROR("Run Import PDF Operation error,import text:{}", describeCurrentError());
        }
    }

    document.reset();
    if (isCancelled()) {
        ZLOG_DEBUG("import pdf is cancelled");
        std::shared_ptr<FlashPageSourcePDF> discarded;
        {
            std::scoped_lock lock(sourceMutex_);
            discarded = std::move(flashPageSource_);
        }
        discarded.reset(); // removes the work folder before the operation reports its end
        flashPagesAnnotation_.reset();
        flashOutline_.reset();
    }
}

} // namespace zarvex
