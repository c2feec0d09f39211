#include "publish/OutputMobileVersion.h"

#include "base/Error.h"

#include "PublishFixture.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::PropertySpec;

struct MobileCase {
    test::PublishFixture fixture;
    std::shared_ptr<FlashTemplate> tmpl;
    std::shared_ptr<test::GeneratedPageSource> source;

    explicit MobileCase(const std::vector<PropertySpec>& properties = {},
                        const std::string& name = "plain", test::PageSourceSpec wanted = {}) {
        tmpl = fixture.loadTemplate(name, properties);
        source = fixture.pageSource(wanted);
        fs::create_directories(fixture.out());
    }
    OutputMobileVersion mobile(int type) {
        OutputMobileVersion result(source, tmpl, fixture.out(), type);
        result.setAppSettings(&fixture.settings());
        return result;
    }
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(MobileVersion, ConfigurationTextDefaults) {
    MobileCase c;
    const std::string text = c.mobile(0).mobileConfigText();
    EXPECT_EQ(text.rfind("function orgt(s){ return binl2hex(core_hx(str2binl(s), s.length * "
                         "chrsz));} var bookConfig ={BookmarkButtonVisible:\"Show\",",
                         0),
              0u);
    for (const char* part :
         {"bookTitle:\"\",", "bgBeginColor:\"#FF9900\",", "bgEndColor:\"#e8ac4d\",",
          "bgMRotation:90,", "autoPlayDuration:3,", "RightToLeft:\"No\",", "appLogoIcon:\"\",",
          "backGroundImgURL:\"\",", "totalPageCount:3,", "largePageWidth:1080,",
          "largePageHeight:1440,", "LinkAlpha:0.1,appLogoIcon"})
        EXPECT_TRUE(contains(text, part)) << part;
    const std::string tail =
        "largePath:\"../files/mobile/\",thumbPath:\"../files/mobile/\"};var pageEditor = [];ols=[]";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(MobileVersion, ConfigurationTextFollowsTheTemplate) {
    MobileCase left({{"direction", "Left"},
                     {"LogoFile", "/p/logo.png", "pt_file"},
                     {"ImagePath", "/p/bg.gif", "pt_file"},
                     {"GradientStartColor", "0x0x12"}});
    const std::string text = left.mobile(0).mobileConfigText();
    EXPECT_TRUE(contains(text, "RightToLeft:\"Yes\","));
    EXPECT_TRUE(contains(text, "appLogoIcon:\"../files/extfiles/LogoFile.png\","));
    EXPECT_TRUE(contains(text, "backGroundImgURL:\"../files/extfiles/ImagePath.gif\","));
    EXPECT_TRUE(contains(text, "bgBeginColor:\"##12\","));

    MobileCase panorama(std::vector<PropertySpec>{{"ImagePath", "/p/bg.gif", "pt_file"}},
                        "Panoramic");
    EXPECT_TRUE(contains(panorama.mobile(0).mobileConfigText(),
                         "backGroundImgURL:\"../files/extfiles/b.jpg\","));
}

TEST(MobileVersion, FlipScriptEvaluatesWhateverTheTexts) {
    const std::string title = "Say \"hi\"\\ </script>\nnext\xe2\x80\xa8line caf\xc3\xa9";
    MobileCase c({{"Title", title}, {"AuthorInfo", ""}, {"Interval", "5"}});
    c.tmpl->setPropertyValue("AuthorInfo", "two\r\nlines");
    auto mobile = c.mobile(0);
    ASSERT_TRUE(mobile.PublishMobileConfig()) << mobile.failures().front();

    const fs::path out = c.fixture.out();
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
    const std::string printed = test::runNode(probe);
    EXPECT_EQ(printed, "[\"Say \\\"hi\\\"\\\\ </script>\\nnext\xe2\x80\xa8line caf\xc3\xa9\","
                       "\"two\\r\\nlines\",5,\"../files/mobile/\",true]");
}

TEST(MobileVersion, HostileInputsReachTheScriptOnlyAsCheckedNumbers) {
    struct Case {
        const char* key;
        const char* value;
        std::optional<std::string> written; // absent: refused
    };
    const Case cases[] = {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        MobileCase mobileCase(std::vector<PropertySpec>{{c.key, c.value, "pt_number"}});
        if (c.written) {
            EXPECT_TRUE(contains(mobileCase.mobile(0).mobileConfigText(), *c.written));
            continue;
        }
        try {
            mobileCase.mobile(0).mobileConfigText();
            ADD_FAILURE() << "the value reached the script";
        } catch (const Error& e) {
            EXPECT_TRUE(contains(e.what(), c.key)) << e.what();
        }
    }
}

TEST(MobileVersion, SlideFillsBothPlaceholders) {
    test::PageSourceSpec ten;
    ten.pageNumbers = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    MobileCase c(std::vector<PropertySpec>{{"bookTitle", "Cats & Dogs"}}, "plain", ten);
    auto mobile = c.mobile(1);
    ASSERT_TRUE(mobile.PublishMobileConfig());
    const fs::path out = c.fixture.out();
    EXPECT_EQ(test::listFolder(out / "files/mobile").size(), 10u);
    EXPECT_FALSE(fs::exists(out / "mobile/javascript/main.js"));
    EXPECT_EQ(test::slurp(out / "mobile/index.html"),
              "<title>Cats &amp; Dogs</title><h1>Cats &amp; Dogs</h1><script>var options = "
              "{pageWidth:1080,pageHeight:1440,totalPage:10,zoomPageDir:\"../files/mobile/\","
              "normalPageDir:\"../files/mobile/\"};</script>");
}

TEST(MobileVersion, WithoutMobilePagesOnlyTheImageFolderIsEmptied) {
    MobileCase c({}, "plain", {.mobile = false});
    test::writeFile(c.fixture.out() / "files/mobile/9.jpg", "old");
    test::writeFile(c.fixture.out() / "mobile/index.html", "old player");
    auto mobile = c.mobile(0);
    EXPECT_FALSE(mobile.PublishMobileConfig());
    EXPECT_FALSE(mobile.failures().empty());
    EXPECT_TRUE(test::listFolder(c.fixture.out() / "files/mobile").empty());
    EXPECT_EQ(test::slurp(c.fixture.out() / "mobile/index.html"), "old player");
}

TEST(MobileVersion, PlayerWithoutPreviewScriptWritesNoMainScript) {
    MobileCase c;
    fs::remove(c.fixture.resources() / "AppFiles/TmplData/mobile/Flip/javascript/main_preview.js");
    auto mobile = c.mobile(0);
    EXPECT_FALSE(mobile.PublishMobileConfig());
    EXPECT_FALSE(fs::exists(c.fixture.out() / "mobile/javascript/main.js"));
}

} // namespace
} // namespace zarvex
