// The SWF page format, process spawning, and the two outside tools the import
// runs (pdf2swf and getswfSize), driven as processes the way the import does.

#include "base/Error.h"
#include "base/Process.h"
#include "base/Resources.h"
#include "import/PDFToSWFPageConverter.h"
#include "import/SwfFile.h"

#include "ImportTestSupport.h"

#include <pthread.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>

using namespace zarvex;
using namespace zarvex::test;
namespace fs = std::filesystem;

namespace {

std::string hex(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes)
        out += (out.empty() ? "" : " ") + std::string{"0123456789ABCDEF"[c >> 4]} +
               "0123456789ABCDEF"[c & 15];
    return out;
}

std::string le32(std::size_t v) {
    std::string s(4, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        s[i] = static_cast<char>((v >> (8 * i)) & 0xff);
    return s;
}

// A one-tag FWS movie (header and body built by hand) around a long tag (none for code 0).
std::string movieWith(int code, const std::string& tagBody) {
    const auto word = static_cast<unsigned>(code << 6 | 0x3f);
    const std::string tag = code == 0 ? ""
                                      : std::string{char(word & 0xff), char(word >> 8)} +
                                            le32(tagBody.size()) + tagBody;
    const std::string body = swf::encodeRect({0, 2000, 0, 1000}) +
                             std::string("\x00\x18\x01\x00", 4) + tag + std::string(2, '\0');
    return "FWS\x08" + le32(8 + body.size()) + body;
}

const std::string kJpeg =
    std::string("\xff\xd8\xff\xe0", 4) + std::string(100, 'j') + std::string("\xff\xd9", 2);

// Runs one of the import's tools with `args`.
ProcessResult runTool(const char* name, const std::vector<std::string>& args) {
    return runProcess(resourcesPath() / "lib" / name, args);
}

// The arguments of the page conversion, exactly as the import passes them.
std::vector<std::string> pdf2swfArguments(const fs::path& pdf, const fs::path& out, int page,
                                          int quality = 85) {
    return PDFToSWFPageConverter(pdf, nullptr, quality).pdf2swfArguments(page, out);
}

} // namespace

// --- SWF format ----------------------------------------------------------------

TEST(SwfFormat, RectsCountTheSignBitAndRoundTripAcrossBitWidths) {
    // 15-bit fields; the letter page's 16-bit ones are in the movie below.
    EXPECT_EQ(hex(swf::encodeRect({0, 11000, 0, 8000})), "78 00 05 5F 00 00 0F A0 00");
    EXPECT_EQ(hex(swf::encodeRect({0, 0, 0, 0})), "00");
    for (int bits = 1; bits <= 30; ++bits) {
        const std::int32_t big = (1 << bits) - 1;
        for (swf::Rect r : {swf::Rect{0, big, 0, 1}, swf::Rect{-big, 0, -1, big},
                            swf::Rect{-(big + 1), big, 0, 0}, swf::Rect{-1, -1, -1, -1}}) {
            const std::string bytes = swf::encodeRect(r);
            const auto fieldBits = static_cast<unsigned char>(bytes[0]) >> 3;
            EXPECT_EQ(bytes.size(), static_cast<std::size_t>((5 + 4 * fieldBits + 7) / 8));
            std::size_t used = 0;
            EXPECT_EQ(swf::decodeRect(bytes, &used), r) << bits;
            EXPECT_EQ(used, bytes.size());
        }
    }
    EXPECT_FALSE(swf::decodeRect(""));
    EXPECT_FALSE(swf::decodeRect(std::string("\x80\x00", 2))); // 16-bit fields cut off
}

TEST(SwfFormat, WritesTheLetterPageMovieByteForByte) {
    const std::string swf = swf::makeJpegPage(kJpeg, 1224, 1584, false);
    const std::string jpegTag = "7F 05 " + hex(le32(2 + kJpeg.size())) + " 01 00 " + hex(kJpeg);
    const std::string shapeTag =
        "A7 00 02 00 80 00 02 FD 00 00 03 DE 00 01 41 01 00 D9 40 00 05 00 "
        "00 00 00 10 14 27 E1 7E 83 E5 EF 03 E2 81 83 E6 11 00 00";
    EXPECT_EQ(hex(swf), "46 57 53 08 " + hex(le32(swf.size())) +
                            " 80 00 02 FD 00 00 03 DE 00 00 18 01 00 44 11 00 00 00 00 43 02 FF "
                            "FF FF " +
                            jpegTag + " " + shapeTag + " 85 06 02 01 00 02 00 40 00 00 00");
}

// --- processes -----------------------------------------------------------------

// How a run ended: the exit code, whether a signal ended it, and both streams
// (long ones by their size).
static std::string outcome(const ProcessResult& r) {
    const auto stream = [](const std::string& s) {
        return s.size() > 100 ? std::to_string(s.size()) : "[" + s + "]";
    };
    return std::to_string(r.exitCode) + (r.signaled ? " signal " : " ") + stream(r.output) + " " +
           stream(r.errors);
}

// The child starts with default signals whatever the caller blocks or ignores.
TEST(Process, PassesArgumentsUnchangedAndReportsExitsSignalsAndBothStreams) {
    const ProcessOptions quiet{.captureOutput = false, .captureErrors = false};
    const struct {
        std::string program;
        std::vector<std::string> args;
        ProcessOptions options;
        std::string outcome;
    } cases[] = {
        {"/usr/bin/printf", // no shell
         {"[%s]", "a b", "\"quoted\"", "it's", "$HOME", "*", "Größe ☃", ""},
         {},
         "0 [[a b][\"quoted\"][it's][$HOME][*][Größe ☃][]] []"},
        {"/bin/false", {}, {}, "1 [] []"},
        {"/bin/sh", {"-c", "kill -9 $$"}, {}, "137 signal [] []"},
        // More than a pipe holds on both streams at once must not dead-lock.
        {"/bin/sh",
         {"-c", "head -c 300000 /dev/zero; head -c 200000 /dev/zero >&2; exit 3"},
         {},
         "3 300000 200000"},
        {"/bin/sh", {"-c", "echo out; echo err >&2"}, quiet, "0 [] []"},
        {"/bin/cat", {}, {}, "0 [] []"}, // standard input is empty, not ours
        {"/bin/sh", {"-c", "kill -TERM $$; exit 0"}, {}, "143 signal [] []"},
        {"/bin/sh", {"-c", "kill -PIPE $$; exit 0"}, {}, "141 signal [] []"},
    };
    sigset_t term, old;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &term, &old);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    for (const auto& c : cases)
        EXPECT_EQ(outcome(runProcess(c.program, c.args, c.options)), c.outcome);
    sigaction(SIGPIPE, &previous, nullptr);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    EXPECT_THROW(runProcess("/nonexistent/tool", {}), Error);
    EXPECT_THROW(runProcess("/etc/hostname", {}), Error); // not executable
}

// --- pdf2swf and getswfSize ------------------------------------------------------

// Pages 2 and 4 of the standard fixture are 595 x 842 turned by 90 and 792 x
// 612 turned by 270; the hostile pages 6 to 8 need more pixels or a longer side
// than a render may have, so they are drawn smaller like image pages.
TEST(Pdf2Swf, StageFollowsRotationQualityAndTheHostileSizeCapWhateverThePaths) {
    TempDir out;
    const fs::path folder = out / "Mein \"Buch\" it's Größe";
    std::vector<std::string> names{"Katalog 2026 ☃.pdf"};
    const fs::path pdf = folder / names[0];
    FixtureDocument document = standardDocument();
    for (const auto& [width, height] : {std::pair(16500, 800), {800, 16500}, {16000, 16000}})
        document.pages.emplace_back(width, height);
    fs::create_directories(folder);
    writeFixturePdf(pdf, document);
    using Converter = PDFToSWFPageConverter;
    const struct {
        int page, quality;
        Converter::PixelSize stage;
        int slack; // pixels: the tool rounds where the import truncates
    } cases[] = {
        {2, 85, {1684, 1190}, 0},
        {4, 85, {1224, 1584}, 0},
        {1, 25, {1224, 1584}, 0},
        {1, 100, {1224, 1584}, 0},
        {6, 85, Converter::pageImageSize(16500, 800), 1},
        {7, 85, Converter::pageImageSize(800, 16500), 1},
        {8, 85, Converter::pageImageSize(16000, 16000), 1},
    };
    std::vector<std::size_t> sizes;
    for (const auto& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.page) + " quality " + std::to_string(c.quality));
        names.push_back("Seite " + std::to_string(names.size()) + " 'ä'.swf");
        const fs::path file = folder / names.back();
        const ProcessResult run =
            runTool("pdf2swf", pdf2swfArguments(pdf, file, c.page, c.quality));
        ASSERT_EQ(std::tuple(run.exitCode, run.output), std::tuple(0, "")) << run.errors;
        const std::string swf = slurp(file);
        const swf::Header header = swf::readCompleteFile(swf);
        const std::pair stage(header.width(), header.height());
        EXPECT_NEAR(stage.first, c.stage.width, c.slack);
        EXPECT_NEAR(stage.second, c.stage.height, c.slack);
        EXPECT_EQ(runTool("getswfSize", {file.string()}).output,
                  std::to_string(stage.first) + "|" + std::to_string(stage.second));
        EXPECT_EQ(jpegSize(swf::extractJpeg(swf).value_or("")), stage);
        sizes.push_back(swf.size());
    }
    EXPECT_LT(sizes[2], sizes[3]) << "quality 25 makes a smaller file than 100";
    std::sort(names.begin(), names.end());
    EXPECT_EQ(listFolder(folder), names) << "no temporary left";
}

TEST(Pdf2Swf, FailuresLeaveNoFileAndSayWhyOnOneLine) {
    TempDir out;
    writeFile(out / "garbage.pdf", "not a pdf");
    const fs::path target = out / "1.swf";
    const std::string pdf = sharedFiles().standard.string(), to = "-o" + target.string();
    const struct {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {"page beyond the end", pdf2swfArguments(pdf, target, 6), 1},
        {"missing pdf", pdf2swfArguments(out / "missing.pdf", target, 1), 1},
        {"garbage pdf", pdf2swfArguments(out / "garbage.pdf", target, 1), 1},
        {"encrypted pdf", pdf2swfArguments(sharedFiles().encrypted, target, 1), 1},
        {"missing folder", pdf2swfArguments(pdf, out / "no/such/1.swf", 1), 1},
        {"no output", {pdf, "-p 1-1"}, 2},
        {"no page", {pdf, to}, 2},
        {"page range", {pdf, to, "-p 1-3"}, 2},
        {"bad quality", {pdf, to, "-p 1-1", "-s jpegquality=x"}, 2},
        {"unknown option", {pdf, to, "-p 1-1", "-X"}, 2},
        {"nothing", {}, 2},
    };
    for (const auto& c : cases) {
        const ProcessResult run = runTool("pdf2swf", c.args);
        const bool oneLine =
            run.errors.size() > 1 && run.errors.find('\n') == run.errors.size() - 1;
        EXPECT_EQ(std::tuple(run.exitCode, run.output, oneLine), std::tuple(c.exitCode, "", true))
            << c.name << ": " << run.errors;
        EXPECT_EQ(listFolder(out.path()), std::vector<std::string>{"garbage.pdf"}) << c.name;
    }
}

// The reader and the tool built on it: the stage size of a complete movie,
// plain or compressed (whose header keeps the inflated length), and one line
// of error for anything else; the page's JPEG, also from other writers' tags.
TEST(SwfFormat, CompleteMoviesReadBackAndGetSwfSizeRefusesEverythingElse) {
    const std::string plain = swf::makeJpegPage(kJpeg, 600, 800, false);
    const std::string packed = swf::makeJpegPage(kJpeg, 600, 800, true);
    EXPECT_EQ(packed.substr(0, 8), "CWS\x08" + plain.substr(4, 4));
    uLongf size = static_cast<uLongf>(plain.size());
    std::string inflated(plain.size(), '\0');
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                         reinterpret_cast<const Bytef*>(packed.data() + 8),
                         static_cast<uLong>(packed.size() - 8)),
              Z_OK);
    EXPECT_EQ(inflated.substr(0, size), plain.substr(8));
    EXPECT_THROW(swf::makeJpegPage(kJpeg, 0, 10, false), Error);
    EXPECT_THROW(swf::makeJpegPage(kJpeg, 10, 40000, false), Error);

    std::string badZlib = packed;
    badZlib[10] = static_cast<char>(badZlib[10] ^ 0x55);
    std::string overrun = movieWith(21, std::string("\x01\x00", 2) + kJpeg);
    overrun[overrun.size() - kJpeg.size() - 8] = '\x7f'; // the tag's length, far too large
    const struct {
        const char* what;
        std::optional<std::string> bytes;               // absent: no file
        std::string stage = "";                         // empty: refused
        std::optional<std::string> jpeg = std::nullopt; // found whatever the tags after it
    } cases[] = {
        {"plain", plain, "600|800", kJpeg},
        {"packed", packed, "600|800", kJpeg},
        // 4000 px = 80000 twips: wider than one straight edge can reach.
        {"large", swf::makeJpegPage(kJpeg, 4000, 3300, true), "4000|3300", kJpeg},
        {"an old erroneous header before the SOI",
         movieWith(21, std::string("\x07\x00\xff\xd9\xff\xd8", 6) + kJpeg), "100|50", kJpeg},
        {"DefineBitsJPEG3, its alpha no part of the JPEG",
         movieWith(35, std::string("\x07\x00", 2) + le32(kJpeg.size()) + kJpeg + "ALPHA"), "100|50",
         kJpeg},
        {"no bitmap", movieWith(0, ""), "100|50"},
        {"a tag running past the end", overrun, "100|50"},
        {"missing", std::nullopt},
        {"empty", ""},
        {"wrong signature", "GIF89a" + plain.substr(6)},
        {"lzma", "ZWS" + plain.substr(3)},
        {"truncated plain", plain.substr(0, plain.size() - 5), "", kJpeg},
        {"truncated packed", packed.substr(0, packed.size() - 10), "", kJpeg},
        {"header only", plain.substr(0, 8)},
        {"broken zlib", badZlib},
        {"impossible length", plain.substr(0, 4) + le32(0xfffffff0u) + plain.substr(8), "", kJpeg},
    };
    TempDir out;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool good = !c.stage.empty();
        const auto file = out / (std::string(c.what) + ".swf");
        if (c.bytes && good) {
            const swf::Header h = swf::readCompleteFile(*c.bytes);
            EXPECT_EQ(swf::readHeader(c.bytes->substr(0, 30)).width(), h.width()) << "a prefix";
            EXPECT_EQ(h.version, 8);
        } else if (c.bytes) {
            EXPECT_THROW(swf::readCompleteFile(*c.bytes), Error);
        }
        if (c.bytes) {
            EXPECT_EQ(swf::extractJpeg(*c.bytes), c.jpeg);
            writeFile(file, *c.bytes);
        }
        const ProcessResult r = runTool("getswfSize", {file.string()});
        EXPECT_EQ(std::tuple(r.exitCode, r.output, r.errors.starts_with("getswfSize:")),
                  std::tuple(good ? 0 : 1, c.stage, !good))
            << r.errors;
    }
    EXPECT_EQ(runTool("getswfSize", {}).exitCode + runTool("getswfSize", {"a", "b"}).exitCode, 4);
}
