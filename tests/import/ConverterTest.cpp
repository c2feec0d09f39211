// The page converter: page files, their sizes, the outside tools, and the
// lookahead that draws planned pages on a second renderer.
#include "import/PDFToSWFPageConverter.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "import/PDFRenderer.h"
#include "import/PageLookahead.h"
#include "import/SwfFile.h"

#include "ImportTestSupport.h"

#include <atomic>
#include <future>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using Size = PDFToSWFPageConverter::PixelSize;

// The sizes of ordinary pages and their thumbnails are checked where they are
// made; here the edges.
TEST(ConverterSizes, PagesAreTwiceThePointSizeCappedZoomImagesTwiceThatAndThumbnailsFitTheBox) {
    using C = PDFToSWFPageConverter;
    const auto huge = C::pageImageSize(14400, 7200); // drawn smaller, keeping its shape
    EXPECT_LE(double(huge.width) * huge.height, 8192.0 * 8192.0);
    EXPECT_NEAR(double(huge.width) / huge.height, 2.0, 0.01);
    const auto strip = C::pageImageSize(100000, 10);
    EXPECT_TRUE(strip.width <= 32767 && strip.height >= 1);
    // Zoom images: twice a capped page each way (so its cap holds four times scaled), and no
    // side beyond what a render accepts. Real pages are checked end to end (CliEndToEndTest).
    EXPECT_EQ(C::zoomImageSize(14400, 7200), (Size{2 * huge.width, 2 * huge.height}));
    EXPECT_EQ(C::zoomImageSize(100000, 10), (Size{32767, strip.height}));
    EXPECT_EQ(C::thumbImageSize(500, 500), (Size{180, 180}));
    EXPECT_EQ(C::thumbImageSize(1000, 1), (Size{180, 1})); // cut toward zero
}

// A converter over a fixture PDF, in a private home, in image mode.
class Converter : public testing::Test {
protected:
    void SetUp() override {
        settings().setImportType(1);
        settings().setPageWidth(1080);
        settings().setPageHeight(1440);
    }
    void TearDown() override { settings().setImportType(0); }

    static AppSettings& settings() { return AppSettings::shareInstance(); }

    std::unique_ptr<PDFToSWFPageConverter> open(const test::FixtureDocument& fixture) {
        const auto file = dir / "doc.pdf";
        return std::make_unique<PDFToSWFPageConverter>(file, test::openFixture(file, fixture), 85);
    }

    static std::pair<int, int> sizeOf(const std::optional<fs::path>& file) {
        return file ? test::jpegSize(test::slurp(*file)) : std::pair{-1, -1};
    }

    test::TempHome home;
    test::TempDir dir;
};

TEST_F(Converter, ImageModeMakesEachFileOnceInItsOwnFolderUnderPellidoAndRemovesIt) {
    auto fixture = test::plainDocument(2);
    fixture.pages[1].rotation = 90;
    fs::path folder;
    {
        auto converter = open(fixture);
        folder = converter->converterWorkFolder();
        EXPECT_EQ(folder.parent_path(), fs::path("/tmp/Pellido"));

        // A mobile image asked first is rendered, upright; later it is the main page's JPEG.
        const auto fresh = converter->generateMobilePage(2), main = converter->generatePage(1),
                   mobile = converter->generateMobilePage(1);
        EXPECT_EQ(std::tuple(fresh, sizeOf(fresh), main, sizeOf(main)),
                  std::tuple(folder / "2_mobile.jpg", std::pair(1584, 1224), folder / "1.jpg",
                             std::pair(1224, 1584)));
        ASSERT_TRUE(main && mobile);
        EXPECT_EQ(test::slurp(*mobile), test::slurp(*main));

        // Thumbnails fit the box and carry the time in their names.
        const auto portrait = converter->generateThumbPage(1);
        EXPECT_EQ(std::pair(sizeOf(portrait), sizeOf(converter->generateThumbPage(2))),
                  std::pair(std::pair(139, 180), std::pair(180, 139)));
        EXPECT_TRUE(std::regex_match(portrait.value_or("").string(),
                                     std::regex(folder.string() + "/[0-9]{12}1\\.jpg")))
            << *portrait;

        // Images the converter wrote are reused, not made again.
        test::writeFile(*main, "kept");
        test::writeFile(*mobile, "kept");
        EXPECT_EQ(converter->generatePage(1), main);
        EXPECT_EQ(converter->generateMobilePage(1), mobile);
        EXPECT_EQ(test::slurp(*main) + test::slurp(*mobile), "keptkept");

        // Numbers outside the document make no files.
        const auto files = test::listFolder(folder);
        for (int p : {0, 3, -1, 99999})
            EXPECT_FALSE(converter->generatePage(p) || converter->generateThumbPage(p) ||
                         converter->generateMobilePage(p))
                << p;
        EXPECT_EQ(test::listFolder(folder), files);
    }
    EXPECT_FALSE(fs::exists(folder));

    PDFToSWFPageConverter without(dir / "missing.pdf", nullptr, 85);
    for (int mode : {1, 0}) {
        settings().setImportType(mode);
        EXPECT_FALSE(without.generatePage(1) || without.generateThumbPage(1) ||
                     without.generateMobilePage(1));
    }
    EXPECT_TRUE(test::listFolder(without.converterWorkFolder()).empty());
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
            EXPECT_EQ(sizeOf(converter->generateMobilePage(1)), std::make_pair(1224, 1584));
            EXPECT_EQ(sizeOf(converter->generatePage(1)), std::make_pair(1224, 1584));
            EXPECT_FALSE(fs::is_symlink(planted));
            EXPECT_EQ(test::slurp(dir / "secret.txt"), "secret");
        }
    }
}

TEST_F(Converter, FlashModeMeasuresTheFirstConvertedPageOnly) {
    settings().setImportType(0);
    auto fixture = test::plainDocument(2);
    fixture.pages[1] = test::FixturePage{400, 500};
    auto converter = open(fixture);
    // An import that leaves page 1 out still gets its page size.
    EXPECT_EQ(converter->generatePage(2), converter->converterWorkFolder() / "2.swf");
    const auto first = converter->generatePage(1);
    EXPECT_EQ(std::pair(settings().PageWidth(), settings().PageHeight()), std::pair(800, 1000))
        << "later pages run no probe";
    // The mobile image is the JPEG inside the page's SWF.
    const auto swfBytes = test::slurp(first.value_or(""));
    const auto mobile = converter->generateMobilePage(1);
    EXPECT_EQ(swf::readHeader(swfBytes).version, 8);
    EXPECT_EQ(test::slurp(mobile.value_or("")), swf::extractJpeg(swfBytes).value_or("none"));
    EXPECT_EQ(sizeOf(mobile), std::make_pair(1224, 1584));
}

// Thumbnails and mobile images are scaled from the main page's JPEG, yet keep
// their own sizes: the 180 box, and twice the points cut to whole pixels where
// pdf2swf rounds its stage (A4: 1191 x 1684 in the SWF, 1190 x 1683 mobile).
TEST_F(Converter, ThumbnailsAndMobileImagesHaveExactSizesInBothModes) {
    const struct {
        double width, height;
        std::pair<int, int> stage, mobile, thumb;
    } pages[] = {
        {595.276, 841.89, {1191, 1684}, {1190, 1683}, {127, 180}}, // A4
        {792, 612, {1584, 1224}, {1584, 1224}, {180, 139}},
        {333.3, 222.7, {667, 445}, {666, 445}, {180, 120}},
        {592.3, 400, {1185, 800}, {1184, 800}, {180, 121}}, // one column of 8 x 8 blocks less
        {20, 500, {40, 1000}, {40, 1000}, {7, 180}},
    };
    test::FixtureDocument fixture;
    for (const auto& page : pages)
        fixture.pages.emplace_back(page.width, page.height);
    for (const int mode : {0, 1}) {
        settings().setImportType(mode);
        auto converter = open(fixture);
        for (int p = 1; p <= int(std::size(pages)); ++p) {
            const auto& want = pages[p - 1];
            SCOPED_TRACE("mode " + std::to_string(mode) + ", page " + std::to_string(p));
            const auto main = converter->generatePage(p);
            const auto bytes = test::slurp(main.value_or(""));
            const auto stage = mode == 0 ? std::pair(swf::readHeader(bytes).width(),
                                                     swf::readHeader(bytes).height())
                                         : test::jpegSize(bytes);
            EXPECT_EQ(stage, mode == 0 ? want.stage : want.mobile);
            EXPECT_EQ(sizeOf(converter->generateThumbPage(p)), want.thumb);
            EXPECT_EQ(sizeOf(converter->generateMobilePage(p)), want.mobile);
            // A second thumbnail call makes its own file of the same size.
            EXPECT_EQ(sizeOf(converter->generateThumbPage(p)), want.thumb);
        }
    }
}

// Flash mode with stand-in tools in a private resource folder.
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

TEST_F(ConverterWithTools, FailingToolsAreErrorsAndLeaveNoFile) {
    auto converter = open(test::plainDocument(2));
    EXPECT_THROW(converter->generatePage(2), Error) << "no tool at all";
    tool("pdf2swf", "out=${2#-o}\nprintf 'half' > \"$out\"\necho 'cannot convert' >&2\nexit 3\n");
    try {
        converter->generatePage(2);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("cannot convert"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(test::listFolder(converter->converterWorkFolder()).empty());

    tool("pdf2swf", "out=${2#-o}\nprintf 'FWS' > \"$out\"\n");
    tool("getswfSize", "echo 'no size here'\n");
    EXPECT_THROW(converter->generatePage(1), Error) << "a probe answer without a bar";
    EXPECT_EQ(settings().PageWidth(), 1080);
}

// Planned pages run two pdf2swf processes at once, yet each page is converted
// once, answers come in the order asked, a failing page raises at its own call,
// and a stopped import starts no further process.
TEST_F(ConverterWithTools, PlannedFlashPagesConvertOnceInOrderAndStopAndFailPerPage) {
    const auto runs = dir / "runs";
    tool("pdf2swf", "out=${2#-o}\np=${3#-p }\np=${p%-*}\necho $p >> '" + runs.string() +
                        "'\n[ $p = 3 ] && { echo 'page 3 is broken' >&2; exit 1; }\n"
                        "printf 'FWS' > \"$out\"\n");
    tool("getswfSize", "echo '600|800'\n");
    for (const bool stopAfterTwo : {false, true}) {
        SCOPED_TRACE(stopAfterTwo ? "stopped after page 2" : "to the end");
        std::filesystem::remove(runs);
        auto converter = open(test::plainDocument(8));
        std::atomic<bool> stop = false;
        converter->planPages({1, 2, 3, 4, 5, 6, 7, 8}, [&] { return stop.load(); });
        std::vector<std::string> answers;
        for (int p = 1; p <= 8 && !stop; ++p) {
            try {
                answers.push_back(converter->generatePage(p).value_or("none").filename());
            } catch (const Error& e) {
                answers.push_back(e.what());
            }
            stop = stopAfterTwo && p == 2;
        }
        converter.reset(); // waits for the worker
        std::vector<std::string> expected{"1.swf", "2.swf"};
        if (!stopAfterTwo)
            expected.insert(expected.end(),
                            {"pdf2swf could not convert page 3 of " + (dir / "doc.pdf").string() +
                                 " (exit 1): page 3 is broken",
                             "4.swf", "5.swf", "6.swf", "7.swf", "8.swf"});
        EXPECT_EQ(answers, expected);
        std::istringstream lines(test::slurp(runs));
        std::multiset<std::string> converted{std::istream_iterator<std::string>(lines), {}};
        for (const auto& page : converted)
            EXPECT_EQ(converted.count(page), 1u) << "page " << page << " converted again";
        // Two pages at most were under way or done ahead when the import stopped.
        EXPECT_LE(converted.size(), stopAfterTwo ? 4u : 8u);
        EXPECT_GE(converted.size(), stopAfterTwo ? 2u : 8u);
    }
}

class Lookahead : public testing::Test {
protected:
    // A job that records which renderer ran it and answers the page drawn by it.
    PageLookahead::Job recordingJob() {
        return [this](int page, PDFRenderer& renderer) {
            {
                std::scoped_lock lock(mutex);
                runs[page].push_back(&renderer);
            }
            if (page == failingPage)
                throw std::runtime_error("job failed");
            return renderer.renderJpeg(page - 1, 300, 300, 0.65);
        };
    }

    const std::string data = test::slurp(test::sharedFiles().standard);
    std::mutex mutex;
    std::map<int, std::vector<PDFRenderer*>> runs;
    int failingPage = -1;
};

// Two renderers on two threads draw what one draws alone.
TEST_F(Lookahead, EveryPageRunsOnceOnOneOfTheTwoRenderersAndErrorsReachTheOwner) {
    PDFRenderer reference(data), worker(data), own(data);
    failingPage = 4;
    {
        PageLookahead ahead(
            {5, 1, 4, 2, 3}, recordingJob(), worker, [] { return false; }, 2);
        for (int page : {5, 1, 4, 2, 3}) {
            if (page == failingPage) {
                EXPECT_THROW(ahead.take(page, own), std::runtime_error) << "at its page";
            } else {
                EXPECT_EQ(ahead.take(page, own), reference.renderJpeg(page - 1, 300, 300, 0.65))
                    << page;
            }
        }
        EXPECT_FALSE(ahead.take(5, own)) << "a result is taken once";
        EXPECT_FALSE(ahead.take(6, own)) << "not in the sequence";
    }
    ASSERT_EQ(runs.size(), 5u);
    for (const auto& [page, renderers] : runs) {
        ASSERT_EQ(renderers.size(), 1u) << page;
        EXPECT_TRUE(renderers[0] == &worker || renderers[0] == &own);
    }
}

TEST_F(Lookahead, TheWorkerTakesNoPageOnceStoppedAndEndsWhileWaitingForRoom) {
    PDFRenderer worker(data), own(data);
    {
        PageLookahead ahead(
            {1, 2, 3}, recordingJob(), worker, [] { return true; }, 8);
        EXPECT_TRUE(ahead.take(2, own));
    }
    EXPECT_EQ(runs, (std::map<int, std::vector<PDFRenderer*>>{{2, {&own}}}));

    runs.clear();
    std::promise<void> started;
    {
        PageLookahead ahead(
            {1, 2, 3},
            [&](int page, PDFRenderer& renderer) {
                auto result = recordingJob()(page, renderer);
                started.set_value();
                return result;
            },
            worker, [] { return false; }, 1);
        started.get_future().wait();
    } // no page is taken, so the worker waits for room until the end
    EXPECT_EQ(runs.size(), 1u) << "a window of one page";
}

} // namespace
} // namespace zarvex
