#include "publish/FlashBookOutput.h"

#include "PublishFixture.h"
#include "base/Error.h"
#include "import/FlashPagesAnnotations.h"
#include "publish/HTMLConfigInfo.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::PropertySpec;
using Names = std::vector<std::string>;

struct FolderCase {
    test::PublishFixture fixture;
    std::shared_ptr<FlashTemplate> tmpl;
    std::shared_ptr<test::GeneratedPageSource> source;

    explicit FolderCase(const std::vector<PropertySpec>& properties = {},
                        const std::string& name = "plain") {
        tmpl = fixture.loadTemplate(name, properties);
        source = fixture.pageSource({});
        fs::create_directories(fixture.previewPath());
        fs::create_directories(fixture.out());
    }
    std::unique_ptr<FlashBookOutput> writer(const fs::path& folder, const std::string& name) {
        auto result = std::make_unique<FlashBookOutput>(source, tmpl, folder, name);
        result->setAppSettings(&fixture.settings());
        return result;
    }
    // Writes the preview (which creates the working page list), then the book.
    std::unique_ptr<FlashBookOutput> publish(const std::string& name = "book.html") {
        EXPECT_TRUE(writer(fixture.previewPath(), "index.html")->ouputTheBook());
        auto book = writer(fixture.out(), name);
        auto html = std::make_shared<HTMLConfigInfo>();
        html->setHTMLTitle("My Book");
        book->setHTMLConfig(html);
        EXPECT_TRUE(book->ouputTheBook())
            << (book->failures().empty() ? "" : book->failures().front());
        return book;
    }
};

TEST(BookFolder, MissingOutputFolderWritesNothing) {
    FolderCase c;
    auto writer = c.writer(c.fixture.out() / "missing", "index.html");
    EXPECT_FALSE(writer->ouputTheBook());
    EXPECT_FALSE(writer->failures().empty());
    EXPECT_FALSE(fs::exists(c.fixture.out() / "missing"));
}

TEST(BookFolder, WritesEveryPartWhereItBelongs) {
    FolderCase c(std::vector<PropertySpec>{
        {"LogoGroup", "", "pt_composite", {{"LogoFile", "", "pt_file"}}}});
    test::writeFile(c.fixture.work() / "logo.png", "png");
    c.tmpl->setPropertyValue("LogoFile", (c.fixture.work() / "logo.png").string());
    EXPECT_TRUE(c.writer(c.fixture.previewPath(), "index.html")->ouputTheBook());

    std::vector<std::string> steps;
    auto book = c.writer(c.fixture.out(), "book.html");
    book->setHTMLConfig(std::make_shared<HTMLConfigInfo>());
    book->setProgress([&](const std::string& step, int index, int count) {
        EXPECT_EQ(index, static_cast<int>(steps.size()));
        EXPECT_EQ(count, 16);
        steps.push_back(step);
    });
    ASSERT_TRUE(book->ouputTheBook());
    EXPECT_EQ(steps.size(), 16u);
    EXPECT_EQ(book->outputFileName(), c.fixture.out() / "book.html");

    const fs::path out = c.fixture.out();
    EXPECT_EQ(test::listFolder(out), (Names{"book.html", "files"}))
        << "no page list when published";
    EXPECT_EQ(test::listFolder(out / "files"),
              (Names{"book.swf", "config.js", "config.xml", "extfiles", "page",
                     "playerProductInstall.swf", "swfobject.js", "theme", "thumb"}));
    EXPECT_EQ(test::listFolder(out / "files/page"), (Names{"1.swf", "2.swf", "3.swf"}));
    EXPECT_EQ(test::slurp(out / "files/page/2.swf"), "page 2");
    EXPECT_EQ(test::listFolder(out / "files/thumb"), (Names{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(test::slurp(out / "files/thumb/3.jpg"), "thumb 3");
    EXPECT_EQ(test::listFolder(out / "files/extfiles"), (Names{"LogoFile.png"}));
    EXPECT_EQ(test::slurp(out / "files/theme/Main.swf"), "theme of plain");
    EXPECT_EQ(test::slurp(out / "files/book.swf"), "book player");
    EXPECT_NE(test::slurp(out / "book.html").find("<title>3D Zarvex</title>"), std::string::npos);

    const xml::Document config = test::decodeConfig(out / "files/config.xml");
    const auto pages = config.root().child("Pages").children();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[2].children()[1].text(), "page/3.swf");
    EXPECT_EQ(test::textAt(config.root(), {"Config", "Setting", "Logo"}), "extfiles/LogoFile.png");

    // The preview holds its working page list; the published book does not need one.
    EXPECT_TRUE(fs::exists(c.fixture.previewPath() / "pages.xml"));
    EXPECT_TRUE(fs::exists(c.fixture.previewPath() / "index.html"));
}

TEST(BookFolder, ReplacesTheFilesOfAnEarlierBook) {
    FolderCase c(std::vector<PropertySpec>{{"LogoFile", "", "pt_file"}});
    c.source = c.fixture.pageSource({.pageNumbers = {1, 2, 3, 4, 5}});
    test::writeFile(c.fixture.work() / "logo.png", "png");
    test::writeFile(c.fixture.work() / "logo.gif", "gif");
    c.tmpl->setPropertyValue("LogoFile", (c.fixture.work() / "logo.png").string());
    c.publish();
    EXPECT_EQ(test::listFolder(c.fixture.out() / "files/page").size(), 5u);

    c.source = c.fixture.pageSource({.pageNumbers = {1, 2, 3}});
    c.tmpl->setPropertyValue("LogoFile", (c.fixture.work() / "logo.gif").string());
    test::writeFile(c.fixture.out() / "files/extfiles/Removed.txt", "kept");
    c.publish();
    EXPECT_EQ(test::listFolder(c.fixture.out() / "files/page"), (Names{"1.swf", "2.swf", "3.swf"}));
    EXPECT_EQ(test::listFolder(c.fixture.out() / "files/thumb"),
              (Names{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(test::listFolder(c.fixture.out() / "files/extfiles"),
              (Names{"LogoFile.gif", "Removed.txt"}));
}

TEST(BookFolder, CopiesFilePropertiesAtAnyDepth) {
    FolderCase c(std::vector<PropertySpec>{
        {"Outer",
         "",
         "pt_composite",
         {{"Inner", "", "pt_composite", {{"Deep", "", "pt_file"}}}, {"Empty", "", "pt_file"}}}});
    test::writeFile(c.fixture.work() / "deep.mp3", "mp3");
    c.tmpl->setPropertyValue("Deep", (c.fixture.work() / "deep.mp3").string());
    c.publish();
    EXPECT_EQ(test::listFolder(c.fixture.out() / "files/extfiles"), (Names{"Deep.mp3"}));
}

TEST(BookFolder, MissingFileOfAPropertyFailsTheRun) {
    FolderCase c(std::vector<PropertySpec>{{"LogoFile", "", "pt_file"}});
    c.tmpl->setPropertyValue("LogoFile", (c.fixture.work() / "gone.png").string());
    EXPECT_TRUE(c.writer(c.fixture.previewPath(), "index.html")->ouputTheBook() == false);
    auto book = c.writer(c.fixture.out(), "index.html");
    EXPECT_FALSE(book->ouputTheBook());
    ASSERT_EQ(book->failures().size(), 1u);
    EXPECT_NE(book->failures()[0].find("LogoFile"), std::string::npos);
    // Everything else is still written.
    EXPECT_TRUE(fs::exists(c.fixture.out() / "files/config.xml"));
}

TEST(BookFolder, PreviewKeepsTheEditedPageList) {
    FolderCase c;
    auto preview = c.writer(c.fixture.previewPath(), "index.html");
    ASSERT_TRUE(preview->ouputTheBook());
    const fs::path list = c.fixture.previewPath() / "pages.xml";
    test::writeFile(list, "<Pages bace=\"\" edited=\"yes\"/>");
    ASSERT_TRUE(c.writer(c.fixture.previewPath(), "index.html")->ouputTheBook());
    EXPECT_EQ(test::slurp(list), "<Pages bace=\"\" edited=\"yes\"/>");

    c.publish();
    const xml::Document config = test::decodeConfig(c.fixture.out() / "files/config.xml");
    EXPECT_EQ(config.root().child("Pages").attribute("edited"), "yes");
}

TEST(BookFolder, PublishingWithoutAPreviewRaises) {
    FolderCase c;
    auto book = c.writer(c.fixture.out(), "index.html");
    EXPECT_THROW(book->ouputTheBook(), Error);
    // The page list was generated into the output folder before the failure.
    EXPECT_TRUE(fs::exists(c.fixture.out() / "pages.xml"));
}

TEST(BookFolder, WithoutHTMLTextsThePageIsTheTemplateVerbatim) {
    FolderCase c;
    ASSERT_TRUE(c.writer(c.fixture.previewPath(), "")->ouputTheBook());
    EXPECT_EQ(test::slurp(c.fixture.previewPath() / "index.html"),
              test::slurp(c.fixture.resources() / "AppFiles/Templates/plain/page/index.html"));
}

TEST(BookFolder, CubeFacesOnlyForThePanoramicTemplate) {
    for (const std::string name : {"Panoramic", "float"}) {
        FolderCase c({}, name);
        for (const char* face : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"})
            test::writeFile(c.fixture.previewPath() / "files/extfiles" / face, face);
        c.publish();
        const Names faces = test::listFolder(c.fixture.out() / "files/extfiles");
        if (name == "Panoramic")
            EXPECT_EQ(faces, (Names{"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}));
        else
            EXPECT_TRUE(faces.empty());
    }
}

TEST(BookFolder, CopiesLinkAndEditorFiles) {
    FolderCase c;
    test::writeFile(c.fixture.work() / "media/clip.mp4", "clip");
    test::writeFile(c.fixture.previewPath() / "files/editor/PageEditor.html", "editor");
    auto links = std::make_shared<FlashPagesAnnotations>();
    links->setNeedFiles({(c.fixture.work() / "media/clip.mp4").string()});

    ASSERT_TRUE(c.writer(c.fixture.previewPath(), "index.html")->ouputTheBook());
    EXPECT_FALSE(fs::exists(c.fixture.previewPath() / "files/pageConfig"));
    auto book = c.writer(c.fixture.out(), "index.html");
    book->setFlashPagesAnnotations(links);
    ASSERT_TRUE(book->ouputTheBook());
    EXPECT_EQ(test::slurp(c.fixture.out() / "files/pageConfig/clip.mp4"), "clip");
    EXPECT_EQ(test::slurp(c.fixture.out() / "files/editor/PageEditor.html"), "editor");
}

TEST(BookFolder, TemplateWithoutPageTemplateFailsButWritesTheRest) {
    FolderCase c;
    fs::remove(c.fixture.resources() / "AppFiles/Templates/plain/page/index.html");
    auto preview = c.writer(c.fixture.previewPath(), "index.html");
    EXPECT_FALSE(preview->ouputTheBook());
    EXPECT_FALSE(fs::exists(c.fixture.previewPath() / "index.html"));
    EXPECT_TRUE(fs::exists(c.fixture.previewPath() / "files/config.xml"));
    EXPECT_TRUE(fs::exists(c.fixture.previewPath() / "files/theme/Main.swf"));
}

} // namespace
} // namespace zarvex
