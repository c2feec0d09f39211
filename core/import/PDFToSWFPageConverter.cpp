#include "import/PDFToSWFPageConverter.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/Process.h"
#include "base/Resources.h"
#include "base/SerialQueue.h"
#include "import/JpegScaler.h"
#include "import/PDFDocument.h"
#include "import/PDFRenderer.h"
#include "import/PageLookahead.h"
#include "import/SwfFile.h"
#include "import/TextNumber.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace fs = std::filesystem;

namespace zarvex {

namespace {

constexpr int kThumbBox = 180;
// How far the two threads may run ahead of the pass: main pages are files and
// cost little memory but are wasted work after a cancel.
constexpr std::size_t kMainPagesAhead = 4;
constexpr std::size_t kFlashPagesAhead = 2;
constexpr std::size_t kZoomImagesAhead = 2;

std::string firstLine(const std::string& text) {
    const auto end = text.find('\n');
    return text.substr(0, end);
}

void writeOrRaise(const fs::path& file, std::string_view bytes) {
    if (!writeFileAtomically(file, bytes, Durability::Scratch))
        throw Error("cannot write " + file.string());
}

// The thumbnail file name's stamp: "ddMMYYHHmmss" of the local time, where YY is
// the two-digit week-based year.
std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d%m%g%H%M%S", &local);
    return text;
}

} // namespace

PDFToSWFPageConverter::PDFToSWFPageConverter(fs::path pdfPath, std::shared_ptr<PDFDocument> pdfDoc,
                                             int quality)
    : PDFToPageConverter(std::move(pdfPath), std::move(pdfDoc), quality),
      pageCount_(PDFDoc() ? PDFDoc()->pageCount() : 0), stopped_([] { return false; }) {}

PDFToSWFPageConverter::~PDFToSWFPageConverter() {
    lookahead_.reset();
    copies_.reset();
}

void PDFToSWFPageConverter::planPages(const std::vector<int>& pages,
                                      std::function<bool()> stopped) {
    lookahead_.reset();
    aheadKind_ = Ahead::None;
    plan_.clear();
    std::copy_if(pages.begin(), pages.end(), std::back_inserter(plan_),
                 [&](int p) { return inDocument(p); });
    stopped_ = stopped ? std::move(stopped) : [] { return false; };
}

AppSettings& PDFToSWFPageConverter::settings() const {
    return iAppSettings_ ? *iAppSettings_ : AppSettings::shareInstance();
}

fs::path PDFToSWFPageConverter::getPDF2swfLibPath() {
    return resourcePath("lib/pdf2swf");
}
fs::path PDFToSWFPageConverter::getswfSizeLibPath() {
    return resourcePath("lib/getswfSize");
}

int PDFToSWFPageConverter::CheckString(int length, std::string_view text) {
    const auto n =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), text.size());
    const auto at = text.substr(0, n).find('|');
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

PDFToSWFPageConverter::PixelSize PDFToSWFPageConverter::pageImageSize(double widthPoints,
                                                                      double heightPoints) {
    double w = std::max(widthPoints * 2.0, 1.0);
    double h = std::max(heightPoints * 2.0, 1.0);
    const double shrink = pageImageShrink(w, h);
    w *= shrink;
    h *= shrink;
    return {std::max(static_cast<int>(w), 1), std::max(static_cast<int>(h), 1)};
}

PDFToSWFPageConverter::PixelSize PDFToSWFPageConverter::zoomImageSize(double widthPoints,
                                                                      double heightPoints) {
    const PixelSize page = pageImageSize(widthPoints, heightPoints);
    const long long w = 2LL * page.width;
    const long long h = 2LL * page.height;
    const long long longest = std::max(w, h);
    if (longest <= kMaxRenderSide)
        return {static_cast<int>(w), static_cast<int>(h)};
    // The longest side takes the limit exactly; the other is cut toward zero.
    const auto side = [&](long long length) {
        return std::max(static_cast<int>(length * kMaxRenderSide / longest), 1);
    };
    return {side(w), side(h)};
}

PDFToSWFPageConverter::PixelSize PDFToSWFPageConverter::thumbImageSize(double widthPoints,
                                                                       double heightPoints) {
    const double w = widthPoints * 2.0;
    const double h = heightPoints * 2.0;
    if (!(w > 0) || !(h > 0))
        return {kThumbBox, kThumbBox};
    if (w > h)
        return {kThumbBox, std::max(static_cast<int>(h * kThumbBox / w), 1)};
    return {std::max(static_cast<int>(w * kThumbBox / h), 1), kThumbBox};
}

std::vector<std::string> PDFToSWFPageConverter::pdf2swfArguments(int pageIndex,
                                                                 const fs::path& path) const {
    const auto p = std::to_string(pageIndex);
    return {PDFPath().string(),
            "-o" + path.string(),
            "-p " + p + "-" + p,
            "-s jpegquality=" + std::to_string(quality()),
            "-t",
            "-G",
            "-qq",
            "-s flashversion=8",
            "-s disablelinks",
            "-s zoom=" + std::to_string(DPI())};
}

void PDFToSWFPageConverter::generatePageToSwf(int pageIndex, const fs::path& path) {
    runPdf2swf(pageIndex, path);
    measureOnce(path);
}

void PDFToSWFPageConverter::measureOnce(const fs::path& swfFile) {
    if (measured_)
        return;
    getFileWandH(swfFile);
    measured_ = true;
}

void PDFToSWFPageConverter::runPdf2swf(int pageIndex, const fs::path& path) const {
    // A file left by an earlier call must not pass for this call's result.
    std::error_code ec;
    fs::remove(path, ec);
    const auto result = runProcess(getPDF2swfLibPath(), pdf2swfArguments(pageIndex, path));
    if (!result.succeeded() || !fs::exists(path, ec)) {
        fs::remove(path, ec);
        const auto reason = firstLine(result.errors);
        throw Error("pdf2swf could not convert page " + std::to_string(pageIndex) + " of " +
                    PDFPath().string() + " (exit " + std::to_string(result.exitCode) + ")" +
                    (reason.empty() ? "" : ": " + reason));
    }
    markWritten(path);
}

void PDFToSWFPageConverter::getFileWandH(const fs::path& swfFile) {
    const auto result = runProcess(getswfSizeLibPath(), {swfFile.string()});
    const std::string& text = result.output;
    const int bar = CheckString(static_cast<int>(text.size()), text);
    if (bar == 0)
        throw Error("getswfSize gave no page size for " + swfFile.string() +
                    (result.errors.empty() ? "" : ": " + firstLine(result.errors)));
    const int width = readInt(std::string_view(text).substr(0, static_cast<std::size_t>(bar - 1)));
    const int height = readInt(std::string_view(text).substr(static_cast<std::size_t>(bar)));
    settings().setPageWidth(width);
    settings().setPageHeight(height);
    ZLOG_DEBUG("page size of {}: {}x{}", swfFile.string(), width, height);
}

PDFRenderer& PDFToSWFPageConverter::renderer() {
    if (!iPDFRep_)
        iPDFRep_ = PDFRenderer::fromDocument(*PDFDoc());
    return *iPDFRep_;
}

void PDFToSWFPageConverter::lookAhead(Ahead kind) {
    if (plan_.empty() || aheadKind_ == kind)
        return;
    lookahead_.reset();
    aheadKind_ = kind;
    if (!workerRenderer_)
        workerRenderer_ = std::make_unique<PDFRenderer>(PDFDoc()->data());
    PageLookahead::Job job;
    std::size_t window = kMainPagesAhead;
    if (kind == Ahead::MainImages) {
        job = [this](int p, PDFRenderer& r) { return ensureMainImage(p, r); };
    } else if (kind == Ahead::ZoomImages) {
        job = [this](int p, PDFRenderer& r) { return ensureZoomImage(p, r); };
        window = kZoomImagesAhead;
    } else {
        job = [this](int p, PDFRenderer& r) {
            makeFlashPage(p, r);
            return std::string();
        };
        window = kFlashPagesAhead;
        if (!copies_)
            copies_ = std::make_unique<SerialQueue>();
    }
    lookahead_ =
        std::make_unique<PageLookahead>(plan_, std::move(job), *workerRenderer_, stopped_, window);
}

std::string PDFToSWFPageConverter::renderPageJpeg(int pageIndex, PDFRenderer& r) const {
    const auto points = r.pageSize(pageIndex - 1);
    const auto size = pageImageSize(points.width, points.height);
    return r.renderJpeg(pageIndex - 1, size.width, size.height, quality() / 100.0);
}

std::string PDFToSWFPageConverter::scaledOrDrawn(int pageIndex, PixelSize size,
                                                 PDFRenderer& r) const {
    if (const auto main = writtenMainJpeg(pageIndex))
        return JpegScaler().scaled(*main, {size.width, size.height}, quality());
    return r.renderJpeg(pageIndex - 1, size.width, size.height, quality() / 100.0);
}

std::string PDFToSWFPageConverter::ensureMainImage(int pageIndex, PDFRenderer& r) const {
    const auto path = converterWorkFolder() / (std::to_string(pageIndex) + ".jpg");
    if (!hasWritten(path)) {
        const std::string jpeg = renderPageJpeg(pageIndex, r);
        writeOrRaise(path, jpeg);
        markWritten(path);
        makeScaledCopies(pageIndex, jpeg, r.pageSize(pageIndex - 1));
    }
    return {};
}

std::string PDFToSWFPageConverter::ensureZoomImage(int pageIndex, PDFRenderer& r) const {
    const auto path = zoomPath(pageIndex);
    if (!hasWritten(path)) {
        const auto points = r.pageSize(pageIndex - 1);
        const auto size = zoomImageSize(points.width, points.height);
        writeOrRaise(path, r.renderJpeg(pageIndex - 1, size.width, size.height, quality() / 100.0));
        markWritten(path);
    }
    return {};
}

void PDFToSWFPageConverter::makeFlashPage(int pageIndex, PDFRenderer& r) const {
    const auto path = swfPath(pageIndex);
    runPdf2swf(pageIndex, path);
    // The copies are a few milliseconds of decoding, during which this lane
    // would leave its core idle: the queue makes them while it runs the next
    // pdf2swf. A copy that fails or never runs is made again in its own pass.
    auto copy = [this, pageIndex, path, points = r.pageSize(pageIndex - 1)] {
        const auto swf = readFile(path);
        const auto jpeg = swf ? swf::extractJpeg(*swf) : std::nullopt;
        if (jpeg && !jpeg->empty())
            makeScaledCopies(pageIndex, *jpeg, points);
    };
    if (copies_)
        copies_->post(std::move(copy));
    else
        copy();
}

void PDFToSWFPageConverter::makeScaledCopies(int pageIndex, std::string_view mainJpeg,
                                             const PDFSize& points) const {
    JpegScaler scaler;
    const auto thumb = thumbImageSize(points.width, points.height);
    const auto thumbFile = pendingThumbPath(pageIndex);
    writeOrRaise(thumbFile, scaler.scaled(mainJpeg, {thumb.width, thumb.height}, quality()));
    markWritten(thumbFile);

    const auto mobileFile = converterWorkFolder() / (std::to_string(pageIndex) + "_mobile.jpg");
    if (hasWritten(mobileFile))
        return;
    const auto mobile = pageImageSize(points.width, points.height);
    writeOrRaise(mobileFile, scaler.scaled(mainJpeg, {mobile.width, mobile.height}, quality()));
    markWritten(mobileFile);
}

std::optional<std::string> PDFToSWFPageConverter::writtenMainJpeg(int pageIndex) const {
    const auto folder = converterWorkFolder();
    const auto p = std::to_string(pageIndex);
    std::optional<std::string> jpeg;
    if (hasWritten(folder / (p + ".jpg"))) {
        jpeg = readFile(folder / (p + ".jpg"));
    } else if (hasWritten(folder / (p + ".swf"))) {
        if (const auto swf = readFile(folder / (p + ".swf")))
            jpeg = swf::extractJpeg(*swf);
    }
    if (jpeg && jpeg->empty())
        jpeg.reset();
    return jpeg;
}

void PDFToSWFPageConverter::markWritten(const fs::path& file) const {
    std::scoped_lock lock(writtenMutex_);
    written_.insert(file);
}

bool PDFToSWFPageConverter::hasWritten(const fs::path& file) const {
    std::scoped_lock lock(writtenMutex_);
    return written_.contains(file);
}

bool PDFToSWFPageConverter::takeWritten(const fs::path& file) const {
    std::scoped_lock lock(writtenMutex_);
    return written_.erase(file) > 0;
}

fs::path PDFToSWFPageConverter::swfPath(int pageIndex) const {
    return converterWorkFolder() / (std::to_string(pageIndex) + ".swf");
}

fs::path PDFToSWFPageConverter::thumbPath(int pageIndex) const {
    return converterWorkFolder() / (timeStamp() + std::to_string(pageIndex) + ".jpg");
}

fs::path PDFToSWFPageConverter::pendingThumbPath(int pageIndex) const {
    return converterWorkFolder() / ("." + std::to_string(pageIndex) + "_thumb.jpg");
}

fs::path PDFToSWFPageConverter::zoomPath(int pageIndex) const {
    return converterWorkFolder() / (std::to_string(pageIndex) + "_zoom.jpg");
}

std::optional<fs::path> PDFToSWFPageConverter::generatePage(int pageIndex) {
    if (!inDocument(pageIndex)) {
        ZLOG_DEBUG("page {} is not in {} ({} pages): no page file", pageIndex, PDFPath().string(),
                   pageCount_);
        return std::nullopt;
    }
    if (settings().ImportType() == 0) {
        const auto path = swfPath(pageIndex);
        lookAhead(Ahead::FlashPages);
        auto& own = renderer();
        if (!(lookahead_ && aheadKind_ == Ahead::FlashPages && lookahead_->take(pageIndex, own)))
            makeFlashPage(pageIndex, own);
        measureOnce(path);
        return path;
    }
    lookAhead(Ahead::MainImages);
    auto& own = renderer();
    if (!(lookahead_ && aheadKind_ == Ahead::MainImages && lookahead_->take(pageIndex, own)))
        ensureMainImage(pageIndex, own);
    return converterWorkFolder() / (std::to_string(pageIndex) + ".jpg");
}

std::optional<fs::path> PDFToSWFPageConverter::generateZoomPage(int pageIndex) {
    if (!inDocument(pageIndex))
        return std::nullopt;
    const auto path = zoomPath(pageIndex);
    if (hasWritten(path))
        return path;
    lookAhead(Ahead::ZoomImages);
    auto& own = renderer();
    if (!(lookahead_ && aheadKind_ == Ahead::ZoomImages && lookahead_->take(pageIndex, own)))
        ensureZoomImage(pageIndex, own);
    return path;
}

std::optional<fs::path> PDFToSWFPageConverter::generateThumbPage(int pageIndex) {
    if (!inDocument(pageIndex))
        return std::nullopt;
    if (copies_)
        copies_->drain();
    const auto path = thumbPath(pageIndex);
    // Made with the main page: only named now, as each call gets a new name.
    const auto pending = pendingThumbPath(pageIndex);
    if (takeWritten(pending)) {
        std::error_code ec;
        fs::rename(pending, path, ec);
        if (!ec)
            return path;
    }
    auto& own = renderer();
    const auto points = own.pageSize(pageIndex - 1);
    writeOrRaise(path, scaledOrDrawn(pageIndex, thumbImageSize(points.width, points.height), own));
    return path;
}

std::optional<fs::path> PDFToSWFPageConverter::generateMobilePage(int pageIndex) {
    if (!inDocument(pageIndex))
        return std::nullopt;
    if (copies_)
        copies_->drain();
    const auto folder = converterWorkFolder();
    const auto p = std::to_string(pageIndex);
    const auto path = folder / (p + "_mobile.jpg");
    if (hasWritten(path))
        return path;

    // The main page is the same picture at the same quality.
    auto& own = renderer();
    const auto points = own.pageSize(pageIndex - 1);
    writeOrRaise(path, scaledOrDrawn(pageIndex, pageImageSize(points.width, points.height), own));
    markWritten(path);
    return path;
}

} // namespace zarvex
