// pdf2swf PDF -oOUT "-p N-N" "-s jpegquality=Q" -t -G -qq "-s flashversion=8"
//         "-s disablelinks" "-s zoom=Z"
//
// Converts page N of PDF into OUT: a one-frame SWF (version 8) whose stage is
// the page at Z dots per inch (72 = one pixel per point, 144 = twice the size
// in points; the page's rotation applied; a page that would need more than
// 8192 x 8192 pixels, or a side above 32767, drawn smaller with its shape kept,
// as the import draws image pages), showing the page as a JPEG bitmap of
// quality Q (1..100). Options may also be given as separate words ("-o" OUT,
// "-p" N-N, "-s" key=value). "-t", "-G", "-q", "-qq" and "-s disablelinks" are
// accepted and change nothing: the output never has links or text.
//
// The file appears at OUT complete or not at all. Exit status 0 on success;
// otherwise one line on standard error and status 1 (cannot convert) or 2
// (wrong arguments). Nothing is written to standard output.

#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "import/PDFRenderer.h"
#include "import/SwfFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <malloc.h>
#include <optional>
#include <string>
#include <string_view>

namespace {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Job {
    std::filesystem::path input;
    std::filesystem::path output;
    int page = 0;
    int quality = 85;
    double zoom = 72;
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

int parseInt(std::string_view text, const char* what) {
    text = trim(text);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw UsageError(std::string("invalid ") + what + " \"" + std::string(text) + "\"");
    return value;
}

// "N" or "N-N": one page only, since the output holds one frame.
int parsePage(std::string_view range) {
    range = trim(range);
    auto dash = range.find('-');
    if (dash == std::string_view::npos)
        return parseInt(range, "page");
    int first = parseInt(range.substr(0, dash), "page range");
    int last = parseInt(range.substr(dash + 1), "page range");
    if (first != last)
        throw UsageError("only one page per run is supported, got " + std::string(range));
    return first;
}

void applySetting(Job& job, std::string_view setting) {
    setting = trim(setting);
    auto eq = setting.find('=');
    std::string_view key = setting.substr(0, eq);
    std::string_view value = eq == std::string_view::npos ? "" : setting.substr(eq + 1);
    if (key == "jpegquality") {
        job.quality = parseInt(value, "jpegquality");
        if (job.quality < 0 || job.quality > 100)
            throw UsageError("jpegquality must be 0..100");
        job.quality = std::max(job.quality, 1);
    } else if (key == "zoom") {
        job.zoom = parseInt(value, "zoom");
        if (job.zoom < 1 || job.zoom > 2400)
            throw UsageError("zoom must be 1..2400");
    } else if (key == "flashversion") {
        if (parseInt(value, "flashversion") < 6)
            throw UsageError("flashversion below 6 is not supported");
    } else if (key != "disablelinks") {
        throw UsageError("unknown setting \"" + std::string(key) + "\"");
    }
}

Job parseArguments(int argc, char** argv) {
    Job job;
    bool havePage = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        // An option's value is either glued to it or the next word.
        auto value = [&](std::string_view option) -> std::string_view {
            if (arg.size() > option.size())
                return arg.substr(option.size());
            if (i + 1 >= argc)
                throw UsageError(std::string(option) + " needs a value");
            return argv[++i];
        };
        if (arg.starts_with("-o")) {
            job.output = std::string(arg.size() > 2 ? arg.substr(2) : value("-o"));
        } else if (arg.starts_with("-p")) {
            job.page = parsePage(value("-p"));
            havePage = true;
        } else if (arg.starts_with("-s")) {
            applySetting(job, value("-s"));
        } else if (arg == "-t" || arg == "-G" || arg == "-q" || arg == "-qq") {
            // accepted for compatibility
        } else if (arg.starts_with("-") && arg.size() > 1) {
            throw UsageError("unknown option \"" + std::string(arg) + "\"");
        } else if (job.input.empty()) {
            job.input = std::string(arg);
        } else {
            throw UsageError("more than one input file");
        }
    }
    if (job.input.empty())
        throw UsageError("no input PDF given");
    if (job.output.empty())
        throw UsageError("no output file given (-o)");
    if (!havePage)
        throw UsageError("no page given (-p)");
    return job;
}

void convert(const Job& job) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(job.input, ec))
        throw zarvex::Error("cannot read " + job.input.string());
    auto opened = zarvex::PDFRenderer::fromFile(job.input);
    zarvex::PDFRenderer& renderer = *opened;
    // Pages up to about 1600 x 1700 pixels (A4 and Letter at 144 dpi) are drawn
    // whole: drawing in bands flattens every shape that crosses a band again,
    // a tenth more on pages full of curves. Larger pages go in bands of that
    // size, which bounds the memory a huge page takes.
    renderer.setBandBytes(8u << 20);
    if (job.page < 1 || job.page > renderer.pageCount())
        throw zarvex::Error("page " + std::to_string(job.page) + " outside the document (" +
                            std::to_string(renderer.pageCount()) + " pages)");
    const int index = job.page - 1;
    zarvex::PDFSize size = renderer.pageSize(index);
    // The stage is the page at the zoom, shrunk like an image page when that
    // would exceed the pixel cap.
    const double w = std::max(size.width * job.zoom / 72.0, 1.0);
    const double h = std::max(size.height * job.zoom / 72.0, 1.0);
    const double shrink = zarvex::pageImageShrink(w, h);
    auto pixels = [&](double exact) {
        return std::clamp(static_cast<int>(std::lround(exact * shrink)), 1, zarvex::kMaxRenderSide);
    };
    const int width = pixels(w);
    const int height = pixels(h);
    std::string jpeg = renderer.renderJpeg(index, width, height, job.quality / 100.0);
    std::string swf = zarvex::swf::makeJpegPage(jpeg, width, height, false);
    // Like any converter, the tool leaves flushing to the system: its output is
    // a page in a work folder, and a flush per page would cost more than the page.
    if (!zarvex::writeFileAtomically(job.output, swf, zarvex::Durability::Scratch))
        throw zarvex::Error("cannot write " + job.output.string());
}

} // namespace

int main(int argc, char** argv) {
    // Large blocks come from the heap and stay there when freed: each fresh
    // mapping costs a page fault per 4 KiB, a large share of a one-page run.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    zarvex::log::silence();
    try {
        convert(parseArguments(argc, argv));
        return 0;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "pdf2swf: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pdf2swf: %s\n", e.what());
        return 1;
    }
}
