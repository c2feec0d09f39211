#pragma once

#include "import/PDFToPageConverter.h"

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

class AppSettings;
class PDFRenderer;
class PageLookahead;
class SerialQueue;
struct PDFSize;

// The page converter: Flash pages through the outside tool pdf2swf, JPEG pages,
// thumbnails and mobile images through the PDF renderer.
//
// Files in the work folder, for page number p:
//   "p.swf"         main page, Flash mode (settings ImportType 0); made anew on every call
//   "p.jpg"         main page, image mode (any other ImportType); kept once made
//   "p_mobile.jpg"  mobile image; kept once made
//   "<stamp>p.jpg"  thumbnail, stamp "ddMMYYHHmmss" of the local time; a new file each call
//   "p_zoom.jpg"    zoom image, made only when asked for; kept once made
// Main and mobile images are the page at 144 pixels per inch (twice its size
// in points, cut to whole pixels); thumbnails fit 180 x 180 pixels; zoom
// images have twice the main image's pixels each way (288 pixels per inch),
// rendered from the PDF rather than scaled up. No page is
// drawn twice: as soon as a main page is made, its thumbnail and mobile image
// are scaled from its JPEG (or the JPEG inside its SWF), the thumbnail kept
// under a hidden name until its own call names it. "Exists" always means
// written by this converter: a file found in the work folder that it did not
// write is replaced.
//
// When told the coming pages (planPages), the converter works on two threads
// within the main pages pass and within the zoom images pass: the calling
// thread and a worker each make pages (a render, or a pdf2swf process, and the
// scaled copies) side by side.
// Results, file names and the order of the calls' answers are those of a
// one-thread run.
class PDFToSWFPageConverter : public PDFToPageConverter {
public:
    PDFToSWFPageConverter(std::filesystem::path pdfPath, std::shared_ptr<PDFDocument> pdfDoc,
                          int quality);
    ~PDFToSWFPageConverter() override;

    std::optional<std::filesystem::path> generateMobilePage(int pageIndex) override;
    std::optional<std::filesystem::path> generateThumbPage(int pageIndex) override;
    std::optional<std::filesystem::path> generatePage(int pageIndex) override;
    // "p_zoom.jpg", in Flash mode as well (pdf2swf is not involved).
    std::optional<std::filesystem::path> generateZoomPage(int pageIndex) override;

    // The settings that choose Flash or image pages and take the measured page
    // size; AppSettings::shareInstance() unless set.
    void setAppSettings(AppSettings* settings) { iAppSettings_ = settings; }

    // The page numbers the coming passes will ask for, in order, and the page
    // source's stop flag; numbers outside the document are ignored.
    void planPages(const std::vector<int>& pages, std::function<bool()> stopped);

    // Runs pdf2swf for page p into `path`; for the first page this converter
    // converts (whatever its number, so an import that leaves page 1 out is
    // measured too) then measures the SWF. Raises Error when the tool cannot
    // be started or makes no file.
    void generatePageToSwf(int pageIndex, const std::filesystem::path& path);
    // The pdf2swf run alone; may run on any thread.
    void runPdf2swf(int pageIndex, const std::filesystem::path& path) const;
    // Runs getswfSize on an SWF and stores the answer as the settings' page
    // width and height (not saved). Raises Error when the answer has no "|".
    void getFileWandH(const std::filesystem::path& swfFile);
    // The 1-based position of the first "|" among the first `length` characters
    // of `text`, or 0.
    static int CheckString(int length, std::string_view text);
    // resources/lib/pdf2swf.
    static std::filesystem::path getPDF2swfLibPath();
    static std::filesystem::path getswfSizeLibPath();

    // The ten pdf2swf arguments for page p into `path`.
    std::vector<std::string> pdf2swfArguments(int pageIndex,
                                              const std::filesystem::path& path) const;

    // Pixel size of a main page and of a thumbnail for a page size in points.
    struct PixelSize {
        int width = 0;
        int height = 0;
        friend bool operator==(const PixelSize&, const PixelSize&) = default;
    };
    static PixelSize pageImageSize(double widthPoints, double heightPoints);
    static PixelSize thumbImageSize(double widthPoints, double heightPoints);
    // Exactly twice pageImageSize each way, so the pixel cap of main pages
    // holds four times scaled; a side beyond what a render accepts
    // (kMaxRenderSide) shrinks the whole picture, its shape kept.
    static PixelSize zoomImageSize(double widthPoints, double heightPoints);

private:
    enum class Ahead { None, MainImages, FlashPages, ZoomImages };

    AppSettings& settings() const;
    bool inDocument(int pageIndex) const { return pageIndex >= 1 && pageIndex <= pageCount_; }
    // The size probe on the first converted SWF only.
    void measureOnce(const std::filesystem::path& swfFile);
    PDFRenderer& renderer();
    // Starts rendering `kind` ahead, replacing another kind; no-op without a plan.
    void lookAhead(Ahead kind);
    std::string renderPageJpeg(int pageIndex, PDFRenderer& renderer) const;
    // Page p's picture at `size`: scaled from the main page's JPEG when this
    // converter wrote the page, else drawn.
    std::string scaledOrDrawn(int pageIndex, PixelSize size, PDFRenderer& renderer) const;
    std::string ensureMainImage(int pageIndex, PDFRenderer& renderer) const;
    std::string ensureZoomImage(int pageIndex, PDFRenderer& renderer) const;
    // pdf2swf for page p, then the scaled copies of its JPEG; any thread.
    void makeFlashPage(int pageIndex, PDFRenderer& renderer) const;
    // Writes page p's thumbnail (under its hidden name) and, unless written
    // before, its mobile image, both scaled from the main page's JPEG; any thread.
    void makeScaledCopies(int pageIndex, std::string_view mainJpeg, const PDFSize& points) const;
    // The main page's JPEG when this converter wrote the page; absent otherwise.
    std::optional<std::string> writtenMainJpeg(int pageIndex) const;
    std::filesystem::path swfPath(int pageIndex) const;
    std::filesystem::path thumbPath(int pageIndex) const;
    std::filesystem::path pendingThumbPath(int pageIndex) const;
    std::filesystem::path zoomPath(int pageIndex) const;
    // The page files this converter wrote; any thread.
    void markWritten(const std::filesystem::path& file) const;
    bool hasWritten(const std::filesystem::path& file) const;
    // Forgets a file this converter wrote; true when it had written it.
    bool takeWritten(const std::filesystem::path& file) const;

    AppSettings* iAppSettings_ = nullptr;
    int pageCount_ = 0;
    bool measured_ = false;
    std::unique_ptr<PDFRenderer> iPDFRep_;
    std::unique_ptr<PDFRenderer> workerRenderer_;
    std::vector<int> plan_;
    std::function<bool()> stopped_;
    Ahead aheadKind_ = Ahead::None;
    mutable std::mutex writtenMutex_;
    mutable std::set<std::filesystem::path> written_;
    // Scales the Flash pages' copies while the lanes run the next pdf2swf; the
    // thumbnail and mobile passes wait for it. Before lookahead_, so the lanes
    // stop posting first.
    std::unique_ptr<SerialQueue> copies_;
    std::unique_ptr<PageLookahead> lookahead_; // after workerRenderer_: stops before it goes
};

} // namespace zarvex
