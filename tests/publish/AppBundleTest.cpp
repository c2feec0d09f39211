#include "publish/FlashBookOutputApp.h"

#include "PublishFixture.h"
#include "publish/FlashBookOutput.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

struct AppCase {
    test::PublishFixture fixture;
    std::shared_ptr<FlashTemplate> tmpl = fixture.loadTemplate("plain", {});
    std::shared_ptr<test::GeneratedPageSource> source = fixture.pageSource({});

    AppCase() {
        fs::create_directories(fixture.previewPath());
        FlashBookOutput preview(source, tmpl, fixture.previewPath(), "index.html");
        preview.setAppSettings(&fixture.settings());
        EXPECT_TRUE(preview.ouputTheBook());
    }
    std::unique_ptr<FlashBookOutputApp> writer(const fs::path& folder, const std::string& name) {
        auto result = std::make_unique<FlashBookOutputApp>(source, tmpl, folder, name);
        result->setAppSettings(&fixture.settings());
        return result;
    }
};

TEST(AppBundle, PutsTheBookIntoANewBundle) {
    AppCase c;
    const fs::path folder = c.fixture.out() / "not/yet";
    auto app = c.writer(folder, "mybook.html");
    EXPECT_EQ(app->saveToFileName(), "mybook.app");
    EXPECT_EQ(app->saveToFolder(), folder / "mybook.app/Contents/Resources");
    ASSERT_TRUE(app->ouputTheBook()) << app->failures().front();

    const fs::path bundle = folder / "mybook.app";
    EXPECT_EQ(app->outputFileName(), bundle);
    EXPECT_EQ(app->outputHTMLFileName(), bundle / "Contents/Resources/index.html");
    EXPECT_TRUE(fs::exists(bundle / "Contents/Resources/index.html"));
    EXPECT_TRUE(fs::exists(bundle / "Contents/Resources/files/config.xml"));
    EXPECT_TRUE(fs::exists(bundle / "Contents/Resources/files/config.js"));
    EXPECT_EQ(test::slurp(bundle / "Contents/Info.plist"), "<plist/>");
    EXPECT_TRUE((fs::status(bundle / "Contents/MacOS/viewer").permissions() &
                 fs::perms::owner_exec) != fs::perms::none);
    const xml::Document config = test::decodeConfig(bundle / "Contents/Resources/files/config.xml");
    EXPECT_EQ(config.root().child("Pages").children().size(), 3u);
}

TEST(AppBundle, RebuildsTheBundleFromScratch) {
    AppCase c;
    ASSERT_TRUE(c.writer(c.fixture.out(), "mybook")->ouputTheBook());
    test::writeFile(c.fixture.out() / "mybook.app/Contents/Resources/stale.txt", "stale");
    ASSERT_TRUE(c.writer(c.fixture.out(), "mybook")->ouputTheBook());
    EXPECT_FALSE(fs::exists(c.fixture.out() / "mybook.app/Contents/Resources/stale.txt"));
    EXPECT_TRUE(fs::exists(c.fixture.out() / "mybook.app/Contents/Resources/index.html"));
}

TEST(AppBundle, MissingSkeletonIsReportedAndTheBookStillWritten) {
    AppCase c;
    fs::remove_all(c.fixture.resources() / "AppFiles/TmplData/mac.app");
    auto app = c.writer(c.fixture.out(), "mybook.html");
    EXPECT_FALSE(app->ouputTheBook());
    ASSERT_FALSE(app->failures().empty());
    EXPECT_EQ(app->failures().front().rfind("ouput the book,copy failed:", 0), 0u);
    EXPECT_TRUE(fs::exists(c.fixture.out() / "mybook.app/Contents/Resources/files/config.xml"));
}

TEST(AppBundle, RefusesNamesThatLeaveTheFolder) {
    AppCase c;
    test::writeFile(c.fixture.work() / "keep.app/file", "keep");
    for (const std::string name : {"../work/keep.html", "a/b.html"}) {
        auto app = c.writer(c.fixture.out(), name);
        EXPECT_FALSE(app->ouputTheBook()) << name;
    }
    EXPECT_EQ(test::slurp(c.fixture.work() / "keep.app/file"), "keep");
}

} // namespace
} // namespace zarvex
