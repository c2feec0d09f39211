#pragma once

#include "import/FlashPageSource.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

class AppSettings;
class PDFDocument;
class PDFToPageConverter;

// The pages of a range of one PDF document, made by a PDFToSWFPageConverter in
// its work folder (deleted with this object). The four passes run in the order
// generatePages, generateThumbPages, generateMobilePages, generateNormalPages on
// one thread; each posts "ImportProgressInfoMSG" after every step, checks
// `stop` before every step and raises Error when the converter fails (the lists
// then hold what was made before).
//
// Numbers of the range outside the document stay in needToImportPages() but
// make no page files and no list entries; their steps still count in the
// progress.
class FlashPageSourcePDF : public FlashPageSource {
public:
    // Opens the document (absent when the file cannot be read) and parses the
    // range against its page count. `dpi` is kept; the converter uses 144.
    // The converter reads `settings` (AppSettings::shareInstance() when null).
    FlashPageSourcePDF(const std::filesystem::path& pdfPath, std::string pageRange, int dpi,
                       int quality, AppSettings* settings = nullptr);
    ~FlashPageSourcePDF() override;

    // Also raises Error, before any page, when the document could not be opened,
    // and after the last page when the range named no page of the document.
    void generatePages() override;
    void generateThumbPages() override;
    void generateMobilePages() override;
    void generateNormalPages() override;

    // The text pass, after the others: the words of every page of the range
    // into "text" in the work folder, which becomes textFolder(). A page whose
    // text cannot be read is logged and has none. Posts progress of type
    // "geneateText" and checks `stop` like the other passes. Raises Error when
    // the document cannot be read or the folder written.
    void generatePageText();

    // The zoom pass: the page converter's zoom image of every page of the
    // range that has none yet, in range order, into zoomedPages. Runs on the
    // thread that owns the source once the import has ended (publishing asks
    // for it, so a book published without zoom images never pays for them).
    // Posts progress of type "geneateZoomPage" and checks `stop` like the other
    // passes; raises Error when a picture cannot be made (the list then holds
    // those made before).
    void generateZoomPages() override;

    FlashPagePtr getPageAtIndex(int position) const override;
    FlashPagePtr getNormalPageAtIndex(int pageIndex) const override;
    FlashPagePtr getThumbPageAtIndex(int pageIndex) const override;
    FlashPagePtr getZoomedPageAtIndex(int pageIndex) const override;

    PDFToPageConverter* toPageConverter() const { return toPageConverter_.get(); }
    const std::shared_ptr<PDFDocument>& PDFDoc() const { return iPDFDoc_; }
    const std::string& pageRange() const { return iPageRange_; }
    int DPI() const { return iDPI_; }
    int quality() const { return iQuality_; }
    const std::vector<int>& needToImportPages() const { return iNeedToImportPages_; }

private:
    using Generate = std::optional<std::filesystem::path> (PDFToPageConverter::*)(int);
    void runPass(Generate generate, FlashPageList& list, const char* type);

    std::shared_ptr<PDFDocument> iPDFDoc_;
    std::string iPageRange_;
    int iDPI_;
    int iQuality_;
    std::unique_ptr<PDFToPageConverter> toPageConverter_;
    std::vector<int> iNeedToImportPages_;
};

} // namespace zarvex
