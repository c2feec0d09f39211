#include "publish/FlashBookOutput.h"

#include "PublishFixture.h"
#include "archive/ConfigEnvelope.h"
#include "base/Error.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::PropertySpec;

// A writer over a template with the given properties, whose preview folder
// holds a page list.
struct ConfigCase {
    test::PublishFixture fixture;
    std::shared_ptr<FlashTemplate> tmpl;
    std::unique_ptr<FlashBookOutput> writer;

    explicit ConfigCase(const std::vector<PropertySpec>& properties,
                        const std::string& name = "plain") {
        tmpl = fixture.loadTemplate(name, properties);
        writer = std::make_unique<FlashBookOutput>(fixture.pageSource({}), tmpl,
                                                   fixture.previewPath(), "index.html");
        writer->setAppSettings(&fixture.settings());
        fs::create_directories(fixture.previewPath());
        test::writeFile(fixture.previewPath() / "pages.xml", "<Pages bace=\"\"><Page/></Pages>");
    }
    xml::Node setting(xml::Document& document) {
        return test::nodeAt(document.root(), {"Config", "Setting"});
    }
};

TEST(BookConfig, TemplateWithoutKeysGivesTheDefaults) {
    ConfigCase c(std::vector<PropertySpec>{{"Unrelated", "x"}});
    xml::Document document = c.writer->bookXML();
    const xml::Node root = document.root();
    EXPECT_EQ(root.name(), "FlipBook3D");
    EXPECT_EQ(test::childNames(root), (std::vector<std::string>{"XMLVersion", "Config", "Pages"}));
    EXPECT_EQ(test::textAt(root, {"XMLVersion"}), "1");
    const xml::Node setting = c.setting(document);
    EXPECT_EQ(
        test::childNames(setting),
        (std::vector<std::string>{"Title", "BaseColor", "Logo", "GoogleAnalytics", "ShareAnalytics",
                                  "ZoomModel", "Theme", "BackgroundMusic", "Download",
                                  "ControlButtonsInvisible", "FlipBook3DSetting", "Template"}));
    const xml::Node background = test::nodeAt(setting, {"FlipBook3DSetting", "Background"});
    EXPECT_EQ(test::textAt(setting, {"BaseColor"}), "8404992");
    EXPECT_EQ(test::textAt(background, {"BackgroundType"}), "GradientColor");
    EXPECT_EQ(test::textAt(background, {"Color"}), "8421376");
    EXPECT_EQ(test::textAt(background, {"GradientStartColor"}), "16750848");
    EXPECT_EQ(test::textAt(background, {"GradientEndColor"}), "15248461");
    EXPECT_EQ(test::textAt(background, {"GradientAngle"}), "90");
    EXPECT_EQ(test::textAt(background, {"Position"}), "Fill");
    EXPECT_EQ(test::textAt(background, {"ImagePath"}), "extfiles/ImagePath.");
    const xml::Node logo = setting.child("Logo");
    EXPECT_EQ(logo.text(), "");
    EXPECT_EQ(logo.attribute("displayLogo"), "true");
    EXPECT_EQ(logo.attribute("link"), "");
    EXPECT_EQ(setting.child("BackgroundMusic").text(), "");
    EXPECT_EQ(setting.child("BackgroundMusic").attribute("circle"), "-1");
    EXPECT_EQ(setting.child("Download").attribute("src"), "");
    EXPECT_EQ(setting.child("Theme").attribute("src"), "theme/Main.swf");
    EXPECT_EQ(test::textAt(setting, {"ControlButtonsInvisible"}), ",Content");
    EXPECT_FALSE(test::textAt(root, {"Config", "Author", "Name"}).empty());
    const xml::Node autoFlip = test::nodeAt(setting, {"FlipBook3DSetting", "AutoFlip"});
    EXPECT_EQ(autoFlip.attribute("loop"), "0");
    EXPECT_EQ(test::textAt(autoFlip, {"Enable"}), "No");
    EXPECT_EQ(test::textAt(autoFlip, {"Interval"}), "3");
    const xml::Node panorama = test::nodeAt(setting, {"Template", "PanoramicImage"});
    EXPECT_EQ(panorama.attribute("type"), "cube");
    EXPECT_EQ(test::textAt(panorama, {"Back"}), "extfiles/b.jpg");
    EXPECT_EQ(test::nodeAt(setting, {"Template", "InitSetting", "Camera"}).attribute("tiltAngle"),
              "-80");
    EXPECT_EQ(c.writer->ThePreviewPath(), c.fixture.previewPath());
}

TEST(BookConfig, ConvertsValues) {
    ConfigCase c({{"LogoFile", "/pics/logo.png", "pt_file"},
                  {"SoundFile", "/music/track", "pt_file"},
                  {"ShowLogo", "yes"},
                  {"LoopSound", "No"},
                  {"BaseColor", "FF0000"},
                  {"Color", "#FF0000"},
                  {"GradientStartColor", "0xFF0000"},
                  {"BgType", "Color"},
                  {"DownloadFile", "/docs/book.pdf", "pt_file"},
                  {"Title", "Tom & Jerry <1>"}});
    xml::Document document = c.writer->bookXML();
    const xml::Node setting = c.setting(document);
    const xml::Node background = test::nodeAt(setting, {"FlipBook3DSetting", "Background"});
    EXPECT_EQ(setting.child("Logo").text(), "extfiles/LogoFile.png");
    EXPECT_EQ(setting.child("Logo").attribute("displayLogo"), "false");
    EXPECT_EQ(setting.child("BackgroundMusic").text(), "");
    EXPECT_EQ(setting.child("BackgroundMusic").attribute("circle"), "0");
    EXPECT_EQ(setting.child("BaseColor").text(), "16711680");
    EXPECT_EQ(background.child("Color").text(), "0");
    EXPECT_EQ(background.child("GradientStartColor").text(), "16711680");
    EXPECT_EQ(background.child("ImagePath").text(), "");
    EXPECT_EQ(setting.child("Download").attribute("src"), "extfiles/DownloadFile.pdf");
    EXPECT_EQ(setting.child("Title").text(), "Tom & Jerry <1>");
}

TEST(BookConfig, RightToLeftBooksCarryTheirDirection) {
    ConfigCase ltr(std::vector<PropertySpec>{{"direction", "Right"}});
    xml::Document plain = ltr.writer->bookXML();
    EXPECT_FALSE(ltr.setting(plain).child("Direction"));

    ConfigCase rtl(std::vector<PropertySpec>{{"direction", "Left"}});
    xml::Document document = rtl.writer->bookXML();
    const xml::Node setting = rtl.setting(document);
    EXPECT_EQ(setting.child("Direction").text(), "Left");
    EXPECT_EQ(test::nodeAt(setting, {"FlipBook3DSetting", "Mobility"}).attribute("direction"),
              "right");
}

TEST(BookConfig, ListsHiddenButtonsInOrder) {
    const char* keys[] = {"Zoom", "TiltAngle", "AutoPlay",  "BackgroundSound",
                          "Info", "Bookmark",  "Thumbnail", "FullScreen",
                          "Help", "Share",     "Print",     "Download"};
    std::vector<PropertySpec> all;
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
        all.push_back({*it, "Hide"});
    ConfigCase everything(all);
    EXPECT_EQ(everything.writer->GetVisibleButtons(),
              "Zoom,TiltAngle,AutoPlay,BackgroundSound,Info,Bookmark,Thumbnail,FullScreen,Help,"
              "Share,Print,Download,,Content");

    ConfigCase some({{"Print", "Hide"}, {"Zoom", "Hide"}, {"Share", "hide"}, {"Help", "Show"}});
    EXPECT_EQ(some.writer->GetVisibleButtons(), "Zoom,Print,,Content");
}

TEST(BookConfig, EnvelopeDecodesToTheDocumentAndHasAScriptTwin) {
    ConfigCase c(
        std::vector<PropertySpec>{{"Title", "Line \"one\"\nline </script> two\xe2\x80\xa8"}});
    const fs::path file = c.fixture.out() / "files/config.xml";
    fs::create_directories(file.parent_path());
    test::writeFile(file, "old");
    ASSERT_TRUE(c.writer->ouputBookXML(file));

    const std::string envelope = test::slurp(file);
    EXPECT_EQ(envelope.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<data><![CDATA[", 0), 0u);
    EXPECT_EQ(envelope.find('\n', 40), envelope.size() - 1) << "one line of Base64";
    xml::Document document = test::decodeConfig(file);
    EXPECT_EQ(document.root().name(), "FlipBook3D");
    EXPECT_EQ(document.root().children().back().name(), "Pages");
    EXPECT_EQ(test::textAt(document.root(), {"Config", "Setting", "Title"}),
              "Line \"one\"\nline </script> two\xe2\x80\xa8");

    // The viewer loads config.js when the book is opened from disk: it must give
    // back exactly the envelope text.
    const fs::path probe = c.fixture.out() / "probe.js";
    test::writeFile(probe, "var window = {};\n" + test::slurp(file.parent_path() / "config.js") +
                               "process.stdout.write(window.ZARVEX_CONFIG_XML);\n");
    EXPECT_EQ(test::runNode(probe), envelope);
}

TEST(BookConfig, MissingOrBrokenPageListIsAnError) {
    ConfigCase c({});
    fs::remove(c.fixture.previewPath() / "pages.xml");
    EXPECT_THROW(c.writer->bookXML(), Error);
    const fs::path file = c.fixture.out() / "config.xml";
    fs::create_directories(c.fixture.out());
    EXPECT_THROW(c.writer->ouputBookXML(file), Error);
    EXPECT_FALSE(fs::exists(file));

    test::writeFile(c.fixture.previewPath() / "pages.xml", "<Pages><Page></Pages>");
    EXPECT_THROW(c.writer->bookXML(), Error);
}

TEST(BookConfig, PreviewFolderCanBeRedirected) {
    ConfigCase c({});
    const fs::path own = c.fixture.work() / "own-preview";
    test::writeFile(own / "pages.xml", "<Pages bace=\"own\"/>");
    c.writer->setPreviewPath(own);
    EXPECT_EQ(c.writer->GetPreviewPath(), own);
    xml::Document document = c.writer->bookXML();
    EXPECT_EQ(document.root().child("Pages").attribute("bace"), "own");
    EXPECT_EQ(FlashBookOutput::defaultPreviewPath().filename(), "preview");
}

} // namespace
} // namespace zarvex
