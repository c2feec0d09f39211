// The SWF page format, process spawning, and the two outside tools the import
// runs (pdf2swf and getswfSize), driven as processes the way the import does.

#include "import/SwfFile.h"

#include "base/Error.h"
#include "base/Process.h"
#include "base/Resources.h"
#include "import/PDFRenderer.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <zlib.h>

#include <csignal>
#include <pthread.h>

using namespace zarvex;
using namespace zarvex::test;
namespace fs = std::filesystem;

namespace {

std::string hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string le32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xff);
    return s;
}

// A one-tag FWS movie around `tagBytes` (header and body built by hand).
std::string movieWith(const std::string& tagBytes) {
    std::string body = swf::encodeRect({0, 2000, 0, 1000}) + std::string("\x00\x18\x01\x00", 4) +
                       tagBytes + std::string(2, '\0');
    return "FWS" + std::string(1, '\x08') + le32(static_cast<std::uint32_t>(8 + body.size())) +
           body;
}

std::string longTag(int code, const std::string& body) {
    std::string h(2, '\0');
    auto word = static_cast<std::uint16_t>((code << 6) | 0x3f);
    h[0] = static_cast<char>(word & 0xff);
    h[1] = static_cast<char>(word >> 8);
    return h + le32(static_cast<std::uint32_t>(body.size())) + body;
}

std::pair<int, int> jpegSize(const std::string& jpeg) {
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, sub = 0, space = 0;
    if (tjDecompressHeader3(tj, reinterpret_cast<const unsigned char*>(jpeg.data()),
                            static_cast<unsigned long>(jpeg.size()), &w, &h, &sub, &space) != 0)
        w = h = 0;
    tjDestroy(tj);
    return {w, h};
}

const std::string& fakeJpeg() {
    static const std::string bytes =
        std::string("\xff\xd8\xff\xe0", 4) + std::string(100, 'j') + std::string("\xff\xd9", 2);
    return bytes;
}

fs::path tool(const char* name) {
    return resourcesPath() / "lib" / name;
}

// The ten arguments of the page conversion, exactly as the import passes them.
std::vector<std::string> pdf2swfArguments(const fs::path& pdf, const fs::path& out, int page,
                                          int quality, int zoom = 144) {
    return {pdf.string(),
            "-o" + out.string(),
            "-p " + std::to_string(page) + "-" + std::to_string(page),
            "-s jpegquality=" + std::to_string(quality),
            "-t",
            "-G",
            "-qq",
            "-s flashversion=8",
            "-s disablelinks",
            "-s zoom=" + std::to_string(zoom)};
}

ProcessResult probe(const fs::path& swf) {
    return runProcess(tool("getswfSize"), {swf.string()});
}

struct ToolFiles {
    TempDir dir{"zarvex-tools"};
    fs::path standard = dir / "standard.pdf";
    fs::path encrypted = dir / "encrypted.pdf";
    ToolFiles() {
        writeFixturePdf(standard, standardDocument());
        FixtureDocument enc = plainDocument(1);
        enc.userPassword = "pw";
        writeFixturePdf(encrypted, enc);
    }
};

const ToolFiles& toolFiles() {
    static ToolFiles instance;
    return instance;
}

} // namespace

// --- SWF format ----------------------------------------------------------------

TEST(SwfFormat, EncodesRectsWithTheSignBitCounted) {
    struct Case {
        swf::Rect rect;
        const char* bytes;
    };
    const Case cases[] = {
        {{0, 11000, 0, 8000}, "78 00 05 5F 00 00 0F A0 00"},  // 550 x 400, 15 bits
        {{0, 24480, 0, 31680}, "80 00 02 FD 00 00 03 DE 00"}, // 1224 x 1584, 16 bits
        {{0, 0, 0, 0}, "00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hex(swf::encodeRect(c.rect)), c.bytes);
        std::size_t used = 0;
        EXPECT_EQ(swf::decodeRect(swf::encodeRect(c.rect), &used), c.rect);
        EXPECT_EQ(used, swf::encodeRect(c.rect).size());
    }
}

TEST(SwfFormat, RectRoundTripsAcrossBitWidthsAndSigns) {
    for (int bits = 1; bits <= 30; ++bits) {
        const std::int32_t big = (1 << bits) - 1;
        for (swf::Rect r : {swf::Rect{0, big, 0, 1}, swf::Rect{-big, 0, -1, big},
                            swf::Rect{-(big + 1), big, 0, 0}, swf::Rect{-1, -1, -1, -1}}) {
            std::string bytes = swf::encodeRect(r);
            EXPECT_EQ(bytes.size(),
                      static_cast<std::size_t>(
                          (5 + 4 * (static_cast<unsigned char>(bytes[0]) >> 3) + 7) / 8));
            EXPECT_EQ(swf::decodeRect(bytes), r) << bits;
        }
    }
    EXPECT_FALSE(swf::decodeRect(""));
    EXPECT_FALSE(swf::decodeRect(std::string("\x80\x00", 2))); // 16-bit fields cut off
}

TEST(SwfFormat, WritesTheLetterPageMovieByteForByte) {
    const std::string swf = swf::makeJpegPage(fakeJpeg(), 1224, 1584, false);
    const std::string jpegTag = "7F 05 " +
                                hex(le32(static_cast<std::uint32_t>(2 + fakeJpeg().size()))) +
                                " 01 00 " + hex(fakeJpeg());
    const std::string shapeTag =
        "A7 00 02 00 80 00 02 FD 00 00 03 DE 00 01 41 01 00 D9 40 00 05 00 "
        "00 00 00 10 14 27 E1 7E 83 E5 EF 03 E2 81 83 E6 11 00 00";
    const std::string body = "80 00 02 FD 00 00 03 DE 00 00 18 01 00 44 11 00 00 00 00 43 02 FF FF "
                             "FF " +
                             jpegTag + " " + shapeTag + " 85 06 02 01 00 02 00 40 00 00 00";
    EXPECT_EQ(hex(swf.substr(8)), body);
    EXPECT_EQ(hex(swf.substr(0, 4)), "46 57 53 08");
    EXPECT_EQ(hex(swf.substr(4, 4)), hex(le32(static_cast<std::uint32_t>(swf.size()))));
}

TEST(SwfFormat, CompressedMovieKeepsTheUncompressedLength) {
    const std::string plain = swf::makeJpegPage(fakeJpeg(), 612, 792, false);
    const std::string packed = swf::makeJpegPage(fakeJpeg(), 612, 792, true);
    EXPECT_EQ(packed.substr(0, 4), std::string("CWS\x08", 4));
    EXPECT_EQ(packed.substr(4, 4), plain.substr(4, 4)); // FileLength: the inflated size
    uLongf size = static_cast<uLongf>(plain.size());
    std::string inflated(plain.size(), '\0');
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                         reinterpret_cast<const Bytef*>(packed.data() + 8),
                         static_cast<uLong>(packed.size() - 8)),
              Z_OK);
    inflated.resize(size);
    EXPECT_EQ(inflated, plain.substr(8));
    for (const auto& file : {plain, packed}) {
        swf::Header h = swf::readCompleteFile(file);
        EXPECT_EQ(h.version, 8);
        EXPECT_EQ(h.width(), 612);
        EXPECT_EQ(h.height(), 792);
        EXPECT_EQ(swf::readHeader(file.substr(0, 30)).width(), 612); // a prefix is enough
        EXPECT_EQ(swf::extractJpeg(file), fakeJpeg());
    }
}

TEST(SwfFormat, LargeStagesSplitEdgesAndStillRoundTrip) {
    // 4000 px = 80000 twips: wider than one straight edge can reach.
    const std::string swf = swf::makeJpegPage(fakeJpeg(), 4000, 3300, true);
    swf::Header h = swf::readCompleteFile(swf);
    EXPECT_EQ(h.width(), 4000);
    EXPECT_EQ(h.height(), 3300);
    EXPECT_EQ(swf::extractJpeg(swf), fakeJpeg());
    EXPECT_THROW(swf::makeJpegPage(fakeJpeg(), 0, 10, false), Error);
    EXPECT_THROW(swf::makeJpegPage(fakeJpeg(), 10, 40000, false), Error);
}

TEST(SwfFormat, ExtractsJpegFromOtherWritersTags) {
    const std::string jpeg = fakeJpeg();
    // An old-style erroneous header before the SOI.
    std::string prefixed =
        movieWith(longTag(21, std::string("\x07\x00\xff\xd9\xff\xd8", 6) + jpeg));
    EXPECT_EQ(swf::extractJpeg(prefixed), jpeg);
    // DefineBitsJPEG3: the alpha data after the JPEG is not part of it.
    std::string jpeg3 =
        movieWith(longTag(35, std::string("\x07\x00", 2) +
                                  le32(static_cast<std::uint32_t>(jpeg.size())) + jpeg + "ALPHA"));
    EXPECT_EQ(swf::extractJpeg(jpeg3), jpeg);
    // No bitmap, a tag running past the end, not an SWF.
    EXPECT_FALSE(swf::extractJpeg(movieWith("")));
    std::string overrun = movieWith(longTag(21, "\x01\x00" + jpeg));
    overrun[overrun.size() - jpeg.size() - 8] = '\x7f'; // length byte far too large
    EXPECT_FALSE(swf::extractJpeg(overrun));
    EXPECT_FALSE(swf::extractJpeg("GIF89a"));
    EXPECT_FALSE(swf::extractJpeg(""));
}

TEST(SwfFormat, RejectsEverythingThatIsNoCompleteSwf) {
    const std::string plain = swf::makeJpegPage(fakeJpeg(), 100, 100, false);
    const std::string packed = swf::makeJpegPage(fakeJpeg(), 100, 100, true);
    std::string badZlib = packed;
    badZlib[10] = static_cast<char>(badZlib[10] ^ 0x55);
    std::string hugeLength = plain;
    hugeLength.replace(4, 4, le32(0xfffffff0u));
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"short", "FWS"},
        {"wrong signature", "GIF89a" + plain.substr(6)},
        {"lzma", "ZWS" + plain.substr(3)},
        {"truncated plain", plain.substr(0, plain.size() - 5)},
        {"truncated packed", packed.substr(0, packed.size() / 2)},
        {"header only", plain.substr(0, 8)},
        {"broken zlib", badZlib},
        {"impossible length", hugeLength},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_THROW(swf::readCompleteFile(bytes), Error) << name;
}

// --- processes -----------------------------------------------------------------

TEST(Process, PassesArgumentsUnchangedWithoutAShell) {
    const std::vector<std::string> args = {"a b", "\"quoted\"", "it's", "$HOME",
                                           "*",   "Größe ☃",    ""};
    ProcessResult r = runProcess(
        "/usr/bin/printf", {"[%s]", args[0], args[1], args[2], args[3], args[4], args[5], args[6]});
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(r.output, "[a b][\"quoted\"][it's][$HOME][*][Größe ☃][]");
    EXPECT_EQ(r.errors, "");
}

TEST(Process, ReportsExitCodesSignalsAndBothStreams) {
    ProcessResult failed = runProcess("/bin/false", {});
    EXPECT_FALSE(failed.succeeded());
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_FALSE(failed.signaled);

    ProcessResult killed = runProcess("/bin/sh", {"-c", "kill -9 $$"});
    EXPECT_TRUE(killed.signaled);
    EXPECT_EQ(killed.exitCode, 128 + 9);

    // More than a pipe holds on both streams at once must not dead-lock.
    ProcessResult big = runProcess(
        "/bin/sh", {"-c", "head -c 300000 /dev/zero; head -c 200000 /dev/zero >&2; exit 3"});
    EXPECT_EQ(big.output.size(), 300000u);
    EXPECT_EQ(big.errors.size(), 200000u);
    EXPECT_EQ(big.exitCode, 3);

    ProcessResult quiet = runProcess("/bin/sh", {"-c", "echo out; echo err >&2"},
                                     {.captureOutput = false, .captureErrors = false});
    EXPECT_TRUE(quiet.succeeded());
    EXPECT_EQ(quiet.output, "");
    EXPECT_EQ(quiet.errors, "");

    ProcessResult input = runProcess("/bin/cat", {}); // standard input is empty, not ours
    EXPECT_TRUE(input.succeeded());
    EXPECT_EQ(input.output, "");
}

TEST(Process, ChildStartsWithDefaultSignalsWhateverTheCallerBlocks) {
    sigset_t term, old;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &term, &old);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    ProcessResult blocked = runProcess("/bin/sh", {"-c", "kill -TERM $$; exit 0"});
    ProcessResult ignored = runProcess("/bin/sh", {"-c", "kill -PIPE $$; exit 0"});
    sigaction(SIGPIPE, &previous, nullptr);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    EXPECT_TRUE(blocked.signaled);
    EXPECT_EQ(blocked.exitCode, 128 + SIGTERM);
    EXPECT_TRUE(ignored.signaled);
}

TEST(Process, MissingProgramRaises) {
    EXPECT_THROW(runProcess("/nonexistent/tool", {}), Error);
    EXPECT_THROW(runProcess("/etc/hostname", {}), Error); // not executable
}

// --- pdf2swf and getswfSize ------------------------------------------------------

TEST(Pdf2Swf, LetterPageAtZoom144MakesAStageOfTwiceItsPoints) {
    TempDir out;
    const fs::path swfPath = out / "1.swf";
    ProcessResult run =
        runProcess(tool("pdf2swf"), pdf2swfArguments(toolFiles().standard, swfPath, 1, 85));
    ASSERT_TRUE(run.succeeded()) << run.errors;
    EXPECT_EQ(run.output, "");
    ProcessResult size = probe(swfPath);
    EXPECT_TRUE(size.succeeded()) << size.errors;
    EXPECT_EQ(size.output, "1224|1584");

    const std::string swf = slurp(swfPath);
    EXPECT_EQ(swf::readCompleteFile(swf).version, 8);
    auto jpeg = swf::extractJpeg(swf);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpegSize(*jpeg), (std::pair{1224, 1584}));
    EXPECT_EQ(listFolder(out.path()), std::vector<std::string>{"1.swf"}); // no temporary left
}

TEST(Pdf2Swf, StageFollowsRotationZoomAndQuality) {
    TempDir out;
    struct Case {
        int page;
        int zoom;
        const char* size;
    };
    // Page 2 is 595 x 842 rotated by 90; page 4 is 792 x 612 rotated by 270.
    const Case cases[] = {
        {2, 144, "1684|1190"}, {4, 144, "1224|1584"}, {1, 72, "612|792"}, {1, 100, "850|1100"}};
    for (const auto& c : cases) {
        const fs::path swfPath =
            out / ("p" + std::to_string(c.page) + "z" + std::to_string(c.zoom) + ".swf");
        ProcessResult run = runProcess(
            tool("pdf2swf"), pdf2swfArguments(toolFiles().standard, swfPath, c.page, 85, c.zoom));
        ASSERT_TRUE(run.succeeded()) << run.errors;
        EXPECT_EQ(probe(swfPath).output, c.size);
    }
    ASSERT_TRUE(
        runProcess(tool("pdf2swf"), pdf2swfArguments(toolFiles().standard, out / "q25.swf", 1, 25))
            .succeeded());
    ASSERT_TRUE(runProcess(tool("pdf2swf"),
                           pdf2swfArguments(toolFiles().standard, out / "q100.swf", 1, 100))
                    .succeeded());
    EXPECT_LT(fs::file_size(out / "q25.swf"), fs::file_size(out / "q100.swf"));
}

TEST(Pdf2Swf, PathsWithBlanksQuotesAndNonAsciiWork) {
    TempDir out;
    const fs::path dir = out / "Mein \"Buch\" it's Größe";
    fs::create_directories(dir);
    const fs::path pdf = dir / "Katalog 2026 ☃.pdf";
    fs::copy_file(toolFiles().standard, pdf);
    const fs::path swfPath = dir / "Seite 1 'ä'.swf";
    ProcessResult run = runProcess(tool("pdf2swf"), pdf2swfArguments(pdf, swfPath, 1, 85));
    ASSERT_TRUE(run.succeeded()) << run.errors;
    EXPECT_EQ(probe(swfPath).output, "1224|1584");
}

TEST(Pdf2Swf, FailuresLeaveNoFileAndSayWhyOnOneLine) {
    TempDir out;
    writeFile(out / "garbage.pdf", "not a pdf");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
    };
    const fs::path target = out / "1.swf";
    const Case cases[] = {
        {"page beyond the end", pdf2swfArguments(toolFiles().standard, target, 6, 85), 1},
        {"page zero", pdf2swfArguments(toolFiles().standard, target, 0, 85), 1},
        {"missing pdf", pdf2swfArguments(out / "missing.pdf", target, 1, 85), 1},
        {"garbage pdf", pdf2swfArguments(out / "garbage.pdf", target, 1, 85), 1},
        {"encrypted pdf", pdf2swfArguments(toolFiles().encrypted, target, 1, 85), 1},
        {"missing folder", pdf2swfArguments(toolFiles().standard, out / "no/such/1.swf", 1, 85), 1},
        {"no output", {toolFiles().standard.string(), "-p 1-1"}, 2},
        {"no page", {toolFiles().standard.string(), "-o" + target.string()}, 2},
        {"page range", {toolFiles().standard.string(), "-o" + target.string(), "-p 1-3"}, 2},
        {"bad quality",
         {toolFiles().standard.string(), "-o" + target.string(), "-p 1-1", "-s jpegquality=x"},
         2},
        {"unknown option",
         {toolFiles().standard.string(), "-o" + target.string(), "-p 1-1", "-X"},
         2},
        {"nothing", {}, 2},
    };
    for (const auto& c : cases) {
        ProcessResult run = runProcess(tool("pdf2swf"), c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(run.output, "") << c.name;
        ASSERT_FALSE(run.errors.empty()) << c.name;
        EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << c.name << ": " << run.errors;
        EXPECT_EQ(listFolder(out.path()), std::vector<std::string>{"garbage.pdf"}) << c.name;
    }
}

TEST(GetSwfSize, ReadsCompressedAndPlainFilesAlike) {
    TempDir out;
    writeFile(out / "plain.swf", swf::makeJpegPage(fakeJpeg(), 600, 800, false));
    writeFile(out / "packed.swf", swf::makeJpegPage(fakeJpeg(), 600, 800, true));
    for (const char* name : {"plain.swf", "packed.swf"}) {
        ProcessResult r = probe(out / name);
        EXPECT_TRUE(r.succeeded()) << name << ": " << r.errors;
        EXPECT_EQ(r.output, "600|800") << name;
    }
}

TEST(GetSwfSize, AnythingElseFailsWithAMessage) {
    TempDir out;
    const std::string packed = swf::makeJpegPage(fakeJpeg(), 600, 800, true);
    const std::string plain = swf::makeJpegPage(fakeJpeg(), 600, 800, false);
    writeFile(out / "empty.swf", "");
    writeFile(out / "garbage.swf", "this is text, not a movie");
    writeFile(out / "truncated-packed.swf", packed.substr(0, packed.size() - 10));
    writeFile(out / "truncated-plain.swf", plain.substr(0, 12));
    writeFile(out / "lzma.swf", "ZWS" + plain.substr(3));
    for (const char* name : {"empty.swf", "garbage.swf", "truncated-packed.swf",
                             "truncated-plain.swf", "lzma.swf", "missing.swf"}) {
        ProcessResult r = probe(out / name);
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_EQ(r.output, "") << name;
        EXPECT_NE(r.errors.find("getswfSize:"), std::string::npos) << name;
    }
    EXPECT_EQ(runProcess(tool("getswfSize"), {}).exitCode, 2);
    EXPECT_EQ(runProcess(tool("getswfSize"), {"a", "b"}).exitCode, 2);
}
