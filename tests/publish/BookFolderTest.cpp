// What a book is made of: its folder, the bundle form and the mobile version.
#include "publish/FlashBookOutput.h"
#include "publish/FlashBookOutputApp.h"

#include "PublishFixture.h"
#include "base/Error.h"
#include "import/FlashPagesAnnotations.h"
#include "publish/HTMLConfigInfo.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::listFolder;
using test::PropertySpec;
using test::slurp;
using Names = std::vector<std::string>;

// Every part in its place: pages, thumbnails, files of file properties at any
// depth and of links, the page editor, Panoramic's cube faces, players and the
// configuration; every book takes the preview's page list once it is edited.
TEST(BookFolder, WritesEveryPartWhereItBelongs) {
    test::BookCase c(
        {{"LogoFile", "", "pt_file"},
         {"Outer",
          "",
          "pt_composite",
          {{"Inner", "", "pt_composite", {{"Deep", "", "pt_file"}}}, {"Empty", "", "pt_file"}}}},
        "Panoramic");
    test::writeFile(c.work() / "logo.png", "png");
    test::writeFile(c.work() / "deep.mp3", "mp3");
    test::writeFile(c.work() / "media/clip.mp4", "clip");
    c.tmpl->setPropertyValue("LogoFile", (c.work() / "logo.png").string());
    c.tmpl->setPropertyValue("Deep", (c.work() / "deep.mp3").string());
    const fs::path preview = c.preview();
    for (const char* face : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"})
        test::writeFile(preview / "files/extfiles" / face, face);
    test::writeFile(preview / "files/editor/PageEditor.html", "editor");
    auto links = std::make_shared<FlashPagesAnnotations>();
    links->setNeedFiles({(c.work() / "media/clip.mp4").string()});

    ASSERT_TRUE(c.writer(preview)->ouputTheBook());
    EXPECT_FALSE(fs::exists(preview / "files/pageConfig"));
    // Without HTML texts the page is the template's as it is.
    EXPECT_EQ(slurp(preview / "index.html"),
              slurp(c.resources() / "AppFiles/Templates/Panoramic/page/index.html"));
    const std::string edited = "<Pages bace=\"\" edited=\"yes\"/>";
    test::writeFile(preview / "pages.xml", edited);
    ASSERT_TRUE(c.writer(preview)->ouputTheBook());

    int steps = 0;
    auto book = c.writer(c.out(), "book.html");
    book->setHTMLConfig(std::make_shared<HTMLConfigInfo>());
    book->setFlashPagesAnnotations(links);
    book->setProgress([&](const std::string& step, int index, int count) {
        EXPECT_EQ(index, steps++) << step;
        EXPECT_EQ(count, 16);
    });
    ASSERT_TRUE(book->ouputTheBook()) << book->failures().front();
    EXPECT_EQ(steps, 16);

    const fs::path out = c.out();
    EXPECT_EQ(listFolder(out), (Names{"book.html", "files"})) << "no page list when published";
    EXPECT_EQ(listFolder(out / "files"),
              (Names{"book.swf", "config.js", "config.xml", "editor", "extfiles", "page",
                     "pageConfig", "playerProductInstall.swf", "swfobject.js", "theme", "thumb"}));
    EXPECT_EQ(listFolder(out / "files/page"), (Names{"1.swf", "2.swf", "3.swf"}));
    EXPECT_EQ(listFolder(out / "files/thumb"), (Names{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(
        listFolder(out / "files/extfiles"),
        (Names{"Deep.mp3", "LogoFile.png", "b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}));
    EXPECT_EQ(slurp(out / "files/page/2.swf") + "|" + slurp(out / "files/thumb/3.jpg") + "|" +
                  slurp(out / "files/pageConfig/clip.mp4") + "|" +
                  slurp(out / "files/editor/PageEditor.html") + "|" +
                  slurp(out / "files/theme/Main.swf") + "|" + slurp(out / "files/book.swf"),
              "page 2|thumb 3|clip|editor|theme of Panoramic|book player");
    EXPECT_NE(slurp(out / "book.html").find("<title>3D Zarvex</title>"), std::string::npos);
    EXPECT_EQ(slurp(preview / "pages.xml"), edited);
    EXPECT_EQ(
        test::decodeConfig(out / "files/config.xml").root().child("Pages").attribute("edited"),
        "yes");
}

// A second book into the same folder leaves no page, picture or bookmark tree of
// the first (files of others stay), and the cube faces belong to the Panoramic
// template only.
TEST(BookFolder, ReplacesTheFilesOfAnEarlierBook) {
    test::BookCase c(std::vector<PropertySpec>{{"LogoFile", "", "pt_file"}}, "float",
                     {.pageNumbers = {1, 2, 3, 4, 5}});
    test::writeFile(c.work() / "logo.png", "png");
    test::writeFile(c.work() / "logo.gif", "gif");
    test::writeFile(c.preview() / "files/extfiles/b.jpg", "face");
    c.tmpl->setPropertyValue("LogoFile", (c.work() / "logo.png").string());
    c.outline = std::make_shared<FlashOutline>();
    c.outline->loadFromXMLNode(
        xml::Document::parse("<ols><o><c>One</c><p>4</p><l>1</l><ci/></o></ols>")->root());
    c.publish();
    EXPECT_EQ(listFolder(c.out() / "files/page").size(), 5u);
    for (const auto& book : {c.preview(), c.out()}) {
        EXPECT_EQ(
            slurp(book / "files/outline.js"),
            "window.ZARVEX_OUTLINE_XML = \"<ols><o><c>One<\\/c><p>4<\\/p><l>1<\\/l><ci/><\\/o>"
            "<\\/ols>\";\n");
        EXPECT_NE(slurp(book / "files/outline.xml").find("<ols><o><c>One</c>"), std::string::npos);
    }

    c.source = c.pageSource({.pageNumbers = {1, 2, 3}});
    c.outline = std::make_shared<FlashOutline>(); // a PDF without bookmarks
    c.tmpl->setPropertyValue("LogoFile", (c.work() / "logo.gif").string());
    test::writeFile(c.out() / "files/extfiles/Removed.txt", "kept");
    c.publish();
    EXPECT_EQ(listFolder(c.out() / "files/page"), (Names{"1.swf", "2.swf", "3.swf"}));
    EXPECT_EQ(listFolder(c.out() / "files/thumb"), (Names{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(listFolder(c.out() / "files/extfiles"), (Names{"LogoFile.gif", "Removed.txt"}));
    for (const auto& book : {c.preview(), c.out()}) {
        for (const char* file : {"files/outline.xml", "files/outline.js"})
            EXPECT_FALSE(fs::exists(book / file)) << book / file;
    }
}

// What cannot be written fails the run with the reason, and everything else is
// still written.
TEST(BookFolder, AMissingPartFailsTheRunButTheRestIsWritten) {
    test::BookCase missingFile(std::vector<PropertySpec>{{"LogoFile", "", "pt_file"}});
    missingFile.tmpl->setPropertyValue("LogoFile", (missingFile.work() / "gone.png").string());
    EXPECT_FALSE(missingFile.writer(missingFile.preview())->ouputTheBook());
    auto book = missingFile.writer(missingFile.out());
    EXPECT_FALSE(book->ouputTheBook());
    EXPECT_TRUE(book->failures().size() == 1 &&
                book->failures()[0].find("LogoFile") != std::string::npos);
    EXPECT_TRUE(fs::exists(missingFile.out() / "files/config.xml"));

    test::BookCase noPage;
    fs::remove(noPage.resources() / "AppFiles/Templates/plain/page/index.html");
    EXPECT_FALSE(noPage.writer(noPage.preview())->ouputTheBook());
    EXPECT_FALSE(fs::exists(noPage.preview() / "index.html"));
    EXPECT_TRUE(fs::exists(noPage.preview() / "files/config.xml"));
    EXPECT_TRUE(fs::exists(noPage.preview() / "files/theme/Main.swf"));
}

// Refused before anything is written: a missing output folder, a number property
// that holds no number. Publishing without a preview raises once the page list
// is made.
TEST(BookFolder, RefusesToStartWithoutAFolderOrWithABadNumber) {
    test::BookCase c(std::vector<PropertySpec>{{"Interval", "3", "pt_number"}});
    auto writer = c.writer(c.out() / "missing");
    EXPECT_TRUE(!writer->ouputTheBook() && !writer->failures().empty());
    EXPECT_FALSE(fs::exists(c.out() / "missing"));

    c.tmpl->setPropertyValue("Interval", "3;alert(1)");
    EXPECT_THROW(c.writer(c.out())->ouputTheBook(), Error);
    EXPECT_TRUE(listFolder(c.out()).empty());

    c.tmpl->setPropertyValue("Interval", "3");
    EXPECT_THROW(c.writer(c.out())->ouputTheBook(), Error);
    EXPECT_TRUE(fs::exists(c.out() / "pages.xml"));
}

// The bundle is made from scratch in a folder that need not exist yet, from the
// skeleton (whose missing parts are reported, the book still written), never
// outside that folder; a rebuild leaves nothing of the earlier one.
TEST(AppBundle, PutsTheBookIntoAFreshBundle) {
    test::BookCase c;
    ASSERT_TRUE(c.writer(c.preview())->ouputTheBook());
    auto app = [&](const fs::path& folder, const std::string& name) {
        auto result = std::make_unique<FlashBookOutputApp>(c.source, c.tmpl, folder, name);
        result->setAppSettings(&c.settings);
        return result;
    };
    const fs::path folder = c.out() / "not/yet";
    auto first = app(folder, "mybook.html");
    ASSERT_TRUE(first->ouputTheBook()) << first->failures().front();
    const fs::path bundle = folder / "mybook.app";
    EXPECT_EQ(slurp(bundle / "Contents/Info.plist"), "<plist/>");
    EXPECT_TRUE((fs::status(bundle / "Contents/MacOS/viewer").permissions() &
                 fs::perms::owner_exec) != fs::perms::none);

    test::writeFile(bundle / "Contents/Resources/stale.txt", "stale");
    ASSERT_TRUE(app(folder, "mybook")->ouputTheBook());
    EXPECT_FALSE(fs::exists(bundle / "Contents/Resources/stale.txt"));

    test::writeFile(c.work() / "keep.app/file", "keep");
    for (const std::string name : {"../work/keep.html", "a/b.html"})
        EXPECT_FALSE(app(c.out(), name)->ouputTheBook()) << name;
    EXPECT_EQ(slurp(c.work() / "keep.app/file"), "keep");

    fs::remove_all(c.resources() / "AppFiles/TmplData/mac.app");
    auto noSkeleton = app(c.out(), "other.html");
    EXPECT_FALSE(noSkeleton->ouputTheBook());
    ASSERT_FALSE(noSkeleton->failures().empty());
    EXPECT_EQ(noSkeleton->failures().front().rfind("ouput the book,copy failed:", 0), 0u);
    EXPECT_TRUE(fs::exists(c.out() / "other.app/Contents/Resources/files/config.xml"));
}

using test::BookCase;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(MobileVersion, ConfigurationTextFollowsTheTemplate) {
    const std::tuple<const char*, std::vector<PropertySpec>, std::vector<std::string>> cases[] = {
        {"plain",
         {{"direction", "Left"},
          {"LogoFile", "/p/logo.png", "pt_file"},
          {"ImagePath", "/p/bg.gif", "pt_file"},
          {"GradientStartColor", "0x0x12"}},
         {"RightToLeft:\"Yes\",", "appLogoIcon:\"../files/extfiles/LogoFile.png\",",
          "totalPageCount:3,largePageWidth:1080,largePageHeight:1440,",
          "backGroundImgURL:\"../files/extfiles/ImagePath.gif\",", "bgBeginColor:\"##12\","}},
        {"Panoramic",
         {{"ImagePath", "/p/bg.gif", "pt_file"}},
         {"backGroundImgURL:\"../files/extfiles/b.jpg\","}},
    };
    for (const auto& [templateName, properties, parts] : cases) {
        const std::string text = BookCase(properties, templateName).mobile(0).mobileConfigText();
        for (const auto& part : parts)
            EXPECT_TRUE(contains(text, part)) << templateName << ": " << part;
    }
}

TEST(MobileVersion, FlipScriptEvaluatesWhateverTheTexts) {
    const std::string title = "Say \"hi\"\\ </script>\nnext\xe2\x80\xa8line caf\xc3\xa9";
    BookCase c({{"Title", title}, {"AuthorInfo", ""}, {"Interval", "5"}});
    c.tmpl->setPropertyValue("AuthorInfo", "two\r\nlines");
    auto mobile = c.mobile(0);
    ASSERT_TRUE(mobile.PublishMobileConfig()) << mobile.failures().front();

    const fs::path out = c.out();
    EXPECT_EQ(test::listFolder(out / "files/mobile"),
              (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_FALSE(fs::exists(out / "mobile/javascript/main_preview.js"));
    EXPECT_TRUE(fs::exists(out / "mobile/index.html"));
    const std::string script = test::slurp(out / "mobile/javascript/main.js");
    EXPECT_EQ(script.rfind("var player = {ready: true}\n", 0), 0u);

    const fs::path probe = out / "probe.js";
    test::writeFile(probe, script + ";\nprocess.stdout.write(JSON.stringify([bookConfig.bookTitle, "
                                    "bookConfig.bookDescription, bookConfig.autoPlayDuration, "
                                    "bookConfig.thumbPath, player.ready]));\n");
    EXPECT_EQ(test::runNode(probe),
              "[\"Say \\\"hi\\\"\\\\ </script>\\nnext\xe2\x80\xa8line caf\xc3\xa9\","
              "\"two\\r\\nlines\",5,\"../files/mobile/\",true]");
}

TEST(MobileVersion, HostileInputsReachTheScriptOnlyAsCheckedNumbers) {
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"Interval", "3,x:alert(1)", std::nullopt},
        {"loop", "1;alert(1)", std::nullopt},
        {"GradientAngle", "90}//", std::nullopt},
        {"Interval", "", std::nullopt},
        {"Interval", "0x10", std::nullopt},
        {"Interval", "Infinity", std::nullopt},
        {"loop", "1 2", std::nullopt},
        {"Interval", "2.5", "autoPlayDuration:2.5,"},
        {"GradientAngle", "-45", "bgMRotation:-45,"},
        {"loop", " 2 ", "autoPlayLoopCount:2,"},
        {"Interval", "1e1", "autoPlayDuration:1e1,"},
    };
    for (const auto& [key, value, written] : cases) { // written absent: refused
        SCOPED_TRACE(std::string(key) + "=" + value);
        BookCase book(std::vector<PropertySpec>{{key, value, "pt_number"}});
        try {
            const std::string text = book.mobile(0).mobileConfigText();
            EXPECT_TRUE(written && contains(text, *written)) << "written as: " << text;
        } catch (const Error& e) {
            EXPECT_TRUE(!written && contains(e.what(), key)) << e.what();
        }
    }
}

TEST(MobileVersion, SlideFillsBothPlaceholdersAndMissingPagesOrPlayerFailTheRun) {
    BookCase c(std::vector<PropertySpec>{{"bookTitle", "Cats & Dogs"}}, "plain",
               {.pageNumbers = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}});
    ASSERT_TRUE(c.mobile(1).PublishMobileConfig());
    EXPECT_EQ(test::listFolder(c.out() / "files/mobile").size(), 10u);
    EXPECT_FALSE(fs::exists(c.out() / "mobile/javascript/main.js"));
    EXPECT_EQ(test::slurp(c.out() / "mobile/index.html"),
              "<title>Cats &amp; Dogs</title><h1>Cats &amp; Dogs</h1><script>var options = "
              "{pageWidth:1080,pageHeight:1440,totalPage:10,zoomPageDir:\"../files/mobile/\","
              "normalPageDir:\"../files/mobile/\"};</script>");

    // Without mobile pages only the image folder is emptied; without the player's
    // preview script no main script is written.
    BookCase noPages({}, "plain", {.mobile = false});
    test::writeFile(noPages.out() / "files/mobile/9.jpg", "old");
    test::writeFile(noPages.out() / "mobile/index.html", "old player");
    auto mobile = noPages.mobile(0);
    EXPECT_FALSE(mobile.PublishMobileConfig());
    EXPECT_FALSE(mobile.failures().empty());
    EXPECT_TRUE(test::listFolder(noPages.out() / "files/mobile").empty());
    EXPECT_EQ(test::slurp(noPages.out() / "mobile/index.html"), "old player");

    BookCase noPlayer;
    fs::remove(noPlayer.resources() / "AppFiles/TmplData/mobile/Flip/javascript/main_preview.js");
    EXPECT_FALSE(noPlayer.mobile(0).PublishMobileConfig());
    EXPECT_FALSE(fs::exists(noPlayer.out() / "mobile/javascript/main.js"));
}

} // namespace
} // namespace zarvex
