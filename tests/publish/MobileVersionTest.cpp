#include "base/Error.h"

#include "PublishFixture.h"

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::BookCase;
using test::PropertySpec;

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
