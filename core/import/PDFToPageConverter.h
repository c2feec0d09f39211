#pragma once

#include <filesystem>
#include <memory>
#include <optional>

namespace zarvex {

class PDFDocument;

// Turns single pages of one PDF document into page files inside a private work
// folder ("/tmp/Pellido/temp.XXXXXX", HXCUtility::forceTmpDiractory), which the
// converter creates and deletes with everything in it when it is destroyed.
// Creation raises Error when no work folder can be made.
//
// Each generate call takes a 1-based page number and answers the path of the
// file it wrote (or found), or absent when it has no file for that number: the
// base never has one; an implementation has none for a number outside the
// document. Failures to make a file raise Error, so a returned path always
// names a complete file.
//
// Threads: one converter is used by one thread at a time.
class PDFToPageConverter {
public:
    PDFToPageConverter(std::filesystem::path pdfPath, std::shared_ptr<PDFDocument> pdfDoc,
                       int quality);
    virtual ~PDFToPageConverter();
    PDFToPageConverter(const PDFToPageConverter&) = delete;
    PDFToPageConverter& operator=(const PDFToPageConverter&) = delete;

    virtual std::optional<std::filesystem::path> generateMobilePage(int pageIndex);
    virtual std::optional<std::filesystem::path> generateThumbPage(int pageIndex);
    virtual std::optional<std::filesystem::path> generatePage(int pageIndex);
    // The page's high-resolution picture for zooming, twice the main page's
    // pixels each way.
    virtual std::optional<std::filesystem::path> generateZoomPage(int pageIndex);

    // Deletes the work folder and every file in it, when it exists.
    void removeWorkFolder();

    int quality() const { return quality_; }
    void setQuality(int quality) { quality_ = quality; }
    const std::filesystem::path& PDFPath() const { return PDFPath_; }
    const std::filesystem::path& converterWorkFolder() const { return converterWorkFolder_; }
    // The zoom handed to pdf2swf: 144 whatever the page source was given.
    int DPI() const { return DPI_; }
    // The open document shared with the page source; nullptr when the file could
    // not be opened.
    const std::shared_ptr<PDFDocument>& PDFDoc() const { return PDFDoc_; }

private:
    int quality_;
    std::filesystem::path PDFPath_;
    std::filesystem::path converterWorkFolder_;
    int DPI_ = 144;
    std::shared_ptr<PDFDocument> PDFDoc_;
};

} // namespace zarvex
