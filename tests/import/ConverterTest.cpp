#include "import/PDFToSWFPageConverter.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "import/PDFDocument.h"
#include "import/SwfFile.h"

#include "ImportTestSupport.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <regex>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using Size = PDFToSWFPageConverter::PixelSize;

TEST(ConverterSizes, MainPagesAreTwiceThePointSize) {
    EXPECT_EQ(PDFToSWFPageConverter::pageImageSize(612, 792), (Size{1224, 1584}));
    EXPECT_EQ(PDFToSWFPageConverter::pageImageSize(792, 612), (Size{1584, 1224}));
    EXPECT_EQ(PDFToSWFPageConverter::pageImageSize(595.276, 841.89), (Size{1190, 1683}));
}

TEST(ConverterSizes, HugePagesAreDrawnSmallerKeepingTheirShape) {
    const auto size = PDFToSWFPageConverter::pageImageSize(14400, 7200);
    EXPECT_LE(double(size.width) * size.height, 8192.0 * 8192.0);
    EXPECT_NEAR(double(size.width) / size.height, 2.0, 0.01);
    const auto strip = PDFToSWFPageConverter::pageImageSize(100000, 10);
    EXPECT_LE(strip.width, 32767);
    EXPECT_GE(strip.height, 1);
}

TEST(ConverterSizes, ThumbnailsFitTheBoxCuttingTowardZero) {
    EXPECT_EQ(PDFToSWFPageConverter::thumbImageSize(612, 792), (Size{139, 180}));
    EXPECT_EQ(PDFToSWFPageConverter::thumbImageSize(792, 612), (Size{180, 139}));
    EXPECT_EQ(PDFToSWFPageConverter::thumbImageSize(500, 500), (Size{180, 180}));
    EXPECT_EQ(PDFToSWFPageConverter::thumbImageSize(1000, 1), (Size{180, 1}));
}

TEST(ConverterProbe, CheckStringFindsTheFirstBarWithinLength) {
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(7, "600|800"), 4);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(3, "600|800"), 0);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(6, "600800"), 0);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(9, "|a|"), 1);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(-1, "|"), 0);
}

// A converter over a fixture PDF, in a private home.
class Converter : public testing::Test {
protected:
    void SetUp() override {
        settings().setImportType(1);
        settings().setPageWidth(1080);
        settings().setPageHeight(1440);
    }
    void TearDown() override { settings().setImportType(0); }

    static AppSettings& settings() { return AppSettings::shareInstance(); }

    std::unique_ptr<PDFToSWFPageConverter> open(const test::FixtureDocument& fixture,
                                                int quality = 85) {
        const auto file = dir / "doc.pdf";
        test::writeFixturePdf(file, fixture);
        auto document = PDFDocument::open(file);
        EXPECT_TRUE(document);
        return std::make_unique<PDFToSWFPageConverter>(file, document, quality);
    }

    test::TempHome home;
    test::TempDir dir;
};

TEST_F(Converter, PassesThePdf2swfArgumentsOneByOne) {
    auto converter = open(test::plainDocument(3));
    const auto out = converter->converterWorkFolder() / "3.swf";
    EXPECT_EQ(converter->pdf2swfArguments(3, out),
              (std::vector<std::string>{(dir / "doc.pdf").string(), "-o" + out.string(), "-p 3-3",
                                        "-s jpegquality=85", "-t", "-G", "-qq", "-s flashversion=8",
                                        "-s disablelinks", "-s zoom=144"}));
    EXPECT_EQ(converter->DPI(), 144);
}

TEST_F(Converter, WorksInItsOwnFolderUnderPellidoAndRemovesIt) {
    fs::path folder;
    {
        auto converter = open(test::plainDocument(1));
        folder = converter->converterWorkFolder();
        EXPECT_EQ(folder.parent_path(), fs::path("/tmp/Pellido"));
        EXPECT_TRUE(fs::is_directory(folder));
        ASSERT_TRUE(converter->generatePage(1));
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(Converter, ImageModeRendersTheMainPageOnceAt144Dpi) {
    auto converter = open(test::plainDocument(2));
    const auto path = converter->generatePage(1);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, converter->converterWorkFolder() / "1.jpg");
    EXPECT_EQ(test::jpegSize(test::slurp(*path)), std::make_pair(1224, 1584));

    test::writeFile(*path, "kept");
    EXPECT_EQ(converter->generatePage(1), path);
    EXPECT_EQ(test::slurp(*path), "kept") << "an existing main JPEG is reused";
}

TEST_F(Converter, MobileImageIsTheMainPictureAndIsMadeOnce) {
    auto converter = open(test::plainDocument(2));
    const auto fresh = converter->generateMobilePage(2); // rendered: no main page yet
    ASSERT_TRUE(fresh);
    EXPECT_EQ(*fresh, converter->converterWorkFolder() / "2_mobile.jpg");
    EXPECT_EQ(test::jpegSize(test::slurp(*fresh)), std::make_pair(1224, 1584));

    const auto main = converter->generatePage(1);
    const auto reused = converter->generateMobilePage(1);
    ASSERT_TRUE(main && reused);
    EXPECT_EQ(test::slurp(*reused), test::slurp(*main));

    test::writeFile(*reused, "kept");
    EXPECT_EQ(converter->generateMobilePage(1), reused);
    EXPECT_EQ(test::slurp(*reused), "kept");
}

TEST_F(Converter, NeverTakesAPageFileItDidNotWrite) {
    // Whatever stood in the work folder before the converter wrote there, a
    // file or a link to someone's file, is replaced and never published.
    test::writeFile(dir / "secret.txt", "secret");
    for (const char* name : {"1.jpg", "1_mobile.jpg"}) {
        for (const bool link : {false, true}) {
            SCOPED_TRACE(std::string(name) + (link ? " as a link" : " as a file"));
            auto converter = open(test::plainDocument(1));
            const auto planted = converter->converterWorkFolder() / name;
            if (link)
                fs::create_symlink(dir / "secret.txt", planted);
            else
                test::writeFile(planted, "planted");
            const auto mobile = converter->generateMobilePage(1);
            const auto main = converter->generatePage(1);
            ASSERT_TRUE(mobile && main);
            EXPECT_EQ(test::jpegSize(test::slurp(*mobile)), std::make_pair(1224, 1584));
            EXPECT_EQ(test::jpegSize(test::slurp(*main)), std::make_pair(1224, 1584));
            EXPECT_FALSE(fs::is_symlink(planted));
            EXPECT_EQ(test::slurp(dir / "secret.txt"), "secret");
        }
    }
}

TEST_F(Converter, ThumbnailsFitTheBoxAndAreStampedWithTheTime) {
    auto fixture = test::plainDocument(2);
    fixture.pages[1].width = 792;
    fixture.pages[1].height = 612;
    auto converter = open(fixture);
    const auto portrait = converter->generateThumbPage(1);
    const auto landscape = converter->generateThumbPage(2);
    ASSERT_TRUE(portrait && landscape);
    EXPECT_EQ(test::jpegSize(test::slurp(*portrait)), std::make_pair(139, 180));
    EXPECT_EQ(test::jpegSize(test::slurp(*landscape)), std::make_pair(180, 139));
    EXPECT_TRUE(std::regex_match(portrait->filename().string(), std::regex("[0-9]{12}1\\.jpg")))
        << *portrait;
    EXPECT_EQ(portrait->parent_path(), converter->converterWorkFolder());
}

TEST_F(Converter, RotatedPagesRenderUpright) {
    auto fixture = test::plainDocument(1);
    fixture.pages[0].rotation = 90;
    auto converter = open(fixture);
    const auto path = converter->generatePage(1);
    ASSERT_TRUE(path);
    EXPECT_EQ(test::jpegSize(test::slurp(*path)), std::make_pair(1584, 1224));
}

TEST_F(Converter, NumbersOutsideTheDocumentMakeNoFiles) {
    auto converter = open(test::plainDocument(2));
    for (int p : {0, 3, -1, 99999}) {
        EXPECT_FALSE(converter->generatePage(p)) << p;
        EXPECT_FALSE(converter->generateThumbPage(p)) << p;
        EXPECT_FALSE(converter->generateMobilePage(p)) << p;
    }
    EXPECT_EQ(test::countFiles(converter->converterWorkFolder()), 0);
}

TEST_F(Converter, WithoutDocumentNothingIsWritten) {
    PDFToSWFPageConverter converter(dir / "missing.pdf", nullptr, 85);
    EXPECT_FALSE(converter.generatePage(1));
    EXPECT_FALSE(converter.generateThumbPage(1));
    EXPECT_FALSE(converter.generateMobilePage(1));
    settings().setImportType(0);
    EXPECT_FALSE(converter.generatePage(1));
    EXPECT_EQ(test::countFiles(converter.converterWorkFolder()), 0);
}

TEST_F(Converter, FlashModeMeasuresTheFirstConvertedPageOnly) {
    settings().setImportType(0);
    auto fixture = test::plainDocument(2);
    fixture.pages[1] = test::FixturePage{400, 500};
    auto converter = open(fixture);
    // An import that leaves page 1 out still gets its page size.
    const auto second = converter->generatePage(2);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, converter->converterWorkFolder() / "2.swf");
    EXPECT_EQ(settings().PageWidth(), 800);
    EXPECT_EQ(settings().PageHeight(), 1000);

    const auto first = converter->generatePage(1);
    ASSERT_TRUE(first);
    const auto swfBytes = test::slurp(*first);
    const auto header = swf::readHeader(swfBytes);
    EXPECT_EQ(header.version, 8);
    EXPECT_EQ(settings().PageWidth(), 800) << "later pages run no probe";
    EXPECT_EQ(settings().PageHeight(), 1000);

    // The mobile image is the JPEG inside the page's SWF.
    const auto mobile = converter->generateMobilePage(1);
    ASSERT_TRUE(mobile);
    EXPECT_EQ(test::slurp(*mobile), swf::extractJpeg(swfBytes).value_or("none"));
    EXPECT_EQ(test::jpegSize(test::slurp(*mobile)), std::make_pair(1224, 1584));
}

// Stand-in tools in a private resource folder.
class ConverterWithTools : public Converter {
protected:
    void SetUp() override {
        Converter::SetUp();
        settings().setImportType(0);
        fs::create_directories(resources / "lib");
    }

    void tool(const std::string& name, const std::string& script) {
        const auto file = resources / "lib" / name;
        test::writeFile(file, "#!/bin/sh\n" + script);
        fs::permissions(file, fs::perms::owner_all);
    }

    test::TempDir resources{"zarvex-res"};
    test::ScopedEnv resourcesEnv{"ZARVEX_RESOURCES", resources.path().string()};
};

TEST_F(ConverterWithTools, ProbeAnswerSetsThePageSize) {
    const auto argsFile = dir / "args.txt";
    tool("pdf2swf", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + argsFile.string() +
                        "'\nout=${2#-o}\nprintf 'FWS' > \"$out\"\n");
    tool("getswfSize", "echo '600|800'\n");
    auto converter = open(test::plainDocument(1));
    const auto path = converter->generatePage(1);
    ASSERT_TRUE(path);
    EXPECT_EQ(settings().PageWidth(), 600);
    EXPECT_EQ(settings().PageHeight(), 800);
    EXPECT_EQ(test::slurp(argsFile), (dir / "doc.pdf").string() + "\n-o" + path->string() +
                                         "\n-p 1-1\n-s jpegquality=85\n-t\n-G\n-qq\n"
                                         "-s flashversion=8\n-s disablelinks\n-s zoom=144\n");
}

TEST_F(ConverterWithTools, ProbeAnswerWithoutBarIsAnError) {
    tool("pdf2swf", "out=${2#-o}\nprintf 'FWS' > \"$out\"\n");
    tool("getswfSize", "echo 'no size here'\n");
    auto converter = open(test::plainDocument(1));
    EXPECT_THROW(converter->generatePage(1), Error);
    EXPECT_EQ(settings().PageWidth(), 1080);
}

TEST_F(ConverterWithTools, FailingOrMissingPdf2swfIsAnErrorAndLeavesNoFile) {
    auto converter = open(test::plainDocument(2));
    EXPECT_THROW(converter->generatePage(2), Error) << "no tool at all";
    tool("pdf2swf", "out=${2#-o}\nprintf 'half' > \"$out\"\necho 'cannot convert' >&2\nexit 3\n");
    try {
        converter->generatePage(2);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("cannot convert"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::countFiles(converter->converterWorkFolder()), 0);
}

} // namespace
} // namespace zarvex
