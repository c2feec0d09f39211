// The controller behind the front ends: the preview, the page editor, the import's
// end, templates and publishing; and the property outline.
#include "app/BookController.h"
#include "app/BookPublisher.h"
#include "app/FlashTemplateOutlineDelegate.h"
#include "app/OutputFolder.h"
#include "app/PageEditorWindowDelegate.h"
#include "app/SelectTemplateWindowDelegate.h"
#include "archive/ConfigEnvelope.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/HXCUtility.h"
#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "base/Resources.h"
#include "base/Xml.h"
#include "import/FlashPageSourceImg.h"
#include "publish/WebText.h"
#include "support/TempHome.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateProperty.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::test;

namespace {

using Strings = std::vector<std::string>;

// An image page source over the first `count` demo pages.
std::shared_ptr<FlashPageSourceImg> demoPages(std::size_t count) {
    auto source = std::make_shared<FlashPageSourceImg>();
    auto files = BookController::PageSource("DemoImgs_standard/large");
    for (std::size_t i = 0; i < count && i < files.size(); ++i)
        source->addImgPageFromFile(files[i]);
    source->generateNormalPages();
    return source;
}

class BookControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        log::silence();
        if (BookController::PageSource("DemoImgs_standard/large").size() < 3)
            GTEST_SKIP() << "the demo pages are not in the resource folder";
        controller.loadDemoBook();
    }

    std::string pageWidth() const {
        return controller.flashTmpl()->propertyValueFor("pageWidth", "");
    }

    TempHome home;
    // A preview folder with characters that XML attributes must escape.
    ScopedEnv data{"XDG_DATA_HOME", (home.path() / "a&b \"q\"").string()};
    const fs::path preview = home.path() / "a&b \"q\"/Drevalis/preview";
    BookController controller;
};

// Counts the notifications of one name and keeps the object of the last one.
struct Posted {
    explicit Posted(const std::string& name)
        : observer(NotificationCenter::defaultCenter(), name, [this](const Notification& n) {
              ++count;
              object = n.object;
              withInfo = withInfo || !n.userInfo.empty();
          }) {}
    int count = 0;
    std::any object;
    bool withInfo = false;
    ScopedObserver observer;
};

std::unique_ptr<FlashTemplateProperty> property(std::int32_t type, std::optional<std::string> value,
                                                std::optional<std::string> source = {}) {
    auto p = std::make_unique<FlashTemplateProperty>();
    p->setPropertyType(type);
    p->setValue(std::move(value));
    p->setValueSource(std::move(source));
    return p;
}

} // namespace

TEST(BookControllerPages, PageSourceListsJpegFilesInNaturalOrder) {
    TempDir resources;
    fs::create_directories(resources / "AppFiles");
    for (const char* name : {"10.jpg", "2.jpg", "1.jpg", "note.txt", "3.JPG", "b.png", "a.jpg"})
        writeFile(resources / "Pics" / name, "x");
    fs::create_directories(resources / "Pics/folder.jpg");
    ScopedEnv env("ZARVEX_RESOURCES", resources.path().string());
    Strings names;
    for (const auto& file : BookController::PageSource("Pics"))
        names.push_back(file.filename().string());
    EXPECT_EQ(names, (Strings{"1.jpg", "2.jpg", "3.JPG", "10.jpg", "a.jpg"}));
    EXPECT_TRUE(BookController::PageSource("Missing").empty());
}

TEST_F(BookControllerTest, ApplyWritesTheDemoPreviewIntoTheUsersSupportFolder) {
    EXPECT_TRUE(controller.flashPreviewFolder().empty());
    NotificationCenter::defaultCenter().post("FlashTmplProValueChangedNotification");
    EXPECT_TRUE(controller.changePending());
    auto page = controller.applyChange();
    ASSERT_TRUE(page) << controller.applyError();
    EXPECT_EQ(std::tuple(controller.changePending(), controller.flashPreviewFolder(), *page),
              std::tuple(false, preview, preview / "index.html"));
    EXPECT_EQ(listFolder(preview / "files/page").size(),
              BookController::PageSource("DemoImgs_standard/large").size());
    std::string utf16; // the trust file is UTF-16LE; the test path is ASCII
    for (char c : preview.string())
        utf16 += std::string{c, '\0'};
    EXPECT_NE(slurp(HXCUtility::flashTrustFile()).find(utf16), std::string::npos);
}

// The page editor's native side: it opens on the page list based in the preview's
// files, copies picked files under date stamps, deletes only inside the book's
// files and saves only page lists, made relative again.
TEST_F(BookControllerTest, ThePageEditorWorksOnlyInsideThePreviewsFiles) {
    ASSERT_TRUE(controller.applyChange());
    const std::string list = slurp(preview / "pages.xml");
    const fs::path files = preview / "files";
    const std::string base = htmlEscape(files.string() + "/");
    ASSERT_NE(list.find("bace=\"\""), std::string::npos) << list.substr(0, 300);
    controller.OnPageEditor();
    EXPECT_NE(slurp(preview / "pages.xml").find("bace=\"" + base + "\""), std::string::npos);
    controller.pageEditorWindowDidEnd(0);
    EXPECT_EQ(slurp(preview / "pages.xml"), list);

    const auto editor = controller.OnPageEditor();
    // 31 December 2026, 23:59:58 local time: the last days of a year keep its number.
    editor->setClock([] {
        std::tm eve{};
        eve.tm_year = 126, eve.tm_mon = 11, eve.tm_mday = 31, eve.tm_isdst = -1;
        eve.tm_hour = 23, eve.tm_min = 59, eve.tm_sec = 58;
        return std::chrono::system_clock::from_time_t(std::mktime(&eve));
    });
    TempDir dir;
    writeFile(dir / "a.jpg", "a");
    writeFile(dir / "b.jpg", "b");
    const std::string s = "editor/311226235958";
    EXPECT_EQ(editor->copyPicked({dir / "a.jpg"}, true), s + ".jpg");
    EXPECT_EQ(editor->copyPicked({dir / "a.jpg", dir / "b.jpg"}, true),
              s + "-2.jpg|" + s + "-3.jpg")
        << "the same second again";
    EXPECT_EQ(editor->copyPicked({dir / "a.jpg", dir / "b.jpg"}, false),
              s + "/a.jpg|" + s + "/b.jpg");
    EXPECT_EQ(slurp(files / (s + "-3.jpg")), "b");

    writeFile(dir / "private.txt", "keep");
    const std::string outside = (dir / "a.jpg").string();
    fs::create_symlink(dir / "private.txt", files / "editor/link.txt");
    fs::create_symlink(dir.path(), files / "editor/folder");
    for (const std::string path : {"", "../pages.xml", "editor/../../pages.xml", "editor/link.txt",
                                   "editor/folder/private.txt", "editor", outside.c_str()})
        EXPECT_FALSE(editor->OnDeleteFile(path)) << path;
    EXPECT_TRUE(editor->OnDeleteFile(s + ".jpg"));
    EXPECT_EQ(listFolder(files / "editor"), (Strings{"311226235958", "311226235958-2.jpg",
                                                     "311226235958-3.jpg", "folder", "link.txt"}));
    EXPECT_EQ(std::pair(slurp(dir / "private.txt"), slurp(dir / "a.jpg")),
              std::pair(std::string("keep"), std::string("a")));

    const std::string opened = slurp(preview / "pages.xml");
    for (const std::string answer : {"", "<Pages><Page>", "<html/>"})
        EXPECT_FALSE(editor->OnSave(answer)) << answer;
    EXPECT_EQ(slurp(preview / "pages.xml"), opened) << "refused answers leave the list";
    EXPECT_TRUE(editor->OnSave("<Pages bace=\"" + base + "\"><Page><Item src=\"" + base +
                               "editor/p.png\"/></Page></Pages>"));
    EXPECT_EQ(slurp(preview / "pages.xml"),
              "<Pages bace=\"\"><Page><Item src=\"editor/p.png\"/></Page></Pages>");
    // The rebuilt preview carries the edited list in its configuration.
    controller.pageEditorWindowDidEnd(1);
    const auto envelope = xml::Document::parseFile(files / "config.xml");
    EXPECT_NE(unscrambleConfig(envelope ? envelope->root().text() : "")
                  .value_or("")
                  .find("src=\"editor/p.png\""),
              std::string::npos);
}

TEST_F(BookControllerTest, TheImportSheetsEndReplacesTheBookOnlyWhenAccepted) {
    controller.applyChange();
    writeFile(preview / "pages.xml", slurp(preview / "pages.xml") + "<!-- edited -->");
    auto before = controller.flashPageSource();
    const std::string width = pageWidth();
    controller.importWindowDidEnd(0, ImportedBook{demoPages(2), nullptr, nullptr, 612, 792});
    EXPECT_EQ(std::tuple(controller.flashPageSource(), pageWidth(),
                         slurp(preview / "pages.xml").find("edited") != std::string::npos),
              std::tuple(before, width, true));

    auto pages = demoPages(2);
    controller.importWindowDidEnd(1, ImportedBook{pages, nullptr, nullptr, 612, 792});
    EXPECT_EQ(controller.flashPageSource(), pages);
    EXPECT_EQ(std::pair(pageWidth(), controller.flashTmpl()->propertyValueFor("pageHeight", "")),
              std::pair(std::string("612"), std::string("792")));
    EXPECT_EQ(slurp(preview / "pages.xml").find("edited"), std::string::npos)
        << "the old page list was kept";
    EXPECT_EQ(listFolder(preview / "files/page").size(), 2u);

    // A size of 0 is unknown: the template keeps its own.
    controller.importWindowDidEnd(1, ImportedBook{demoPages(1), nullptr, nullptr, 0, 0});
    EXPECT_EQ(pageWidth(), "612");
}

TEST_F(BookControllerTest, PanoramicTemplateBringsItsCubeFacesAndOthersRemoveThem) {
    const fs::path style = FlashTemplate::stylePathFor("Panoramic", "Dusk");
    if (!fs::exists(style / "b.jpg"))
        GTEST_SKIP() << "no Panoramic style with cube faces";
    const fs::path ext = preview / "files/extfiles";
    // Before any preview: the faces need their folder all the same.
    controller.acceptTemplate(style / "tmplSetting.txt");
    EXPECT_TRUE(fs::exists(ext / "b.jpg"));
    writeFile(ext / "u.jpg", "kept");
    controller.selectTmplWindowDidEnd(1, style / "tmplSetting.txt");
    EXPECT_EQ(std::pair(controller.flashTmpl()->tmplName(), controller.flashTmpl()->styleName()),
              std::pair(std::string("Panoramic"), std::optional<std::string>("Dusk")));
    for (const char* face : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg"})
        EXPECT_EQ(slurp(ext / face), slurp(style / face)) << face;
    EXPECT_EQ(slurp(ext / "u.jpg"), "kept") << "an existing face stays";

    auto others = FlashTemplate::tmplStyleNamesForTmpl("float");
    ASSERT_FALSE(others.empty());
    controller.selectTmplWindowDidEnd(1, others.front() / "tmplSetting.txt");
    EXPECT_EQ(controller.flashTmpl()->tmplName(), "float");
    for (const char* face : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"})
        EXPECT_FALSE(fs::exists(ext / face)) << face;
}

// Without a preview or a folder a publish fails. The front ends' way: the book
// goes into place complete or not at all, and the folder remembered is the one
// chosen, not the staging folder beside it. The forms, the mobile versions and
// the rest remembered are checked with the publish sheet and the command line.
TEST_F(BookControllerTest, PublishingFailsWithoutAPreviewOrAFolderAndCommitsOnlyACompleteBook) {
    TempDir out;
    AppSettings settings(home.path() / "settings.json");
    BookPublisher publisher(controller.flashPageSource(), controller.flashTmpl(),
                            controller.flashOutline(), controller.flashPagesAnnotations());
    publisher.setAppSettings(&settings);
    publisher.setPreviewPath(preview);
    EXPECT_THROW(publisher.onPublish(PublishChoices{home.path() / "book", "index", "T", 0, 0, 0}),
                 Error);
    ASSERT_TRUE(controller.applyChange());
    EXPECT_THROW(publisher.onPublish(PublishChoices{"", "index", "T", 0, 0, 0}), Error);

    const PublishChoices choices{"unused", "mine", "T", 0, 1, 1};
    {
        OutputFolder output(out / "book", {});
        EXPECT_THROW(publisher.publishInto(output, choices, [] { return true; }), Error);
    }
    EXPECT_EQ(listFolder(out.path()), Strings{}) << "an interrupted run leaves nothing";
    OutputFolder output(out / "book", {});
    EXPECT_EQ(publisher.publishInto(output, choices), output.target() / "mine.html");
    EXPECT_EQ(std::pair(listFolder(out.path()), settings.lastOutputFileFolder()),
              std::pair(Strings{"book"}, output.target().string()));
}

TEST(PropertyOutline, EditsStoreTextsByTypeAndAnnounceOnlyRealChanges) {
    using Edit = std::function<bool(FlashTemplateOutlineDelegate&, FlashTemplateProperty&)>;
    const auto text = [](std::string column, std::string t) -> Edit {
        return [=](auto& d, auto& p) { return d.setText(p, column, t); };
    };
    const auto set = [&](std::string t) { return text("value", t); };
    const auto check = [](bool on) -> Edit {
        return [=](auto& d, auto& p) { return d.setChecked(p, "value", on); };
    };
    const auto pick = [](int index) -> Edit {
        return [=](auto& d, auto& p) { return d.setListIndex(p, "value", index); };
    };
    struct Row {
        const char* what;
        std::int32_t type;
        std::optional<std::string> value;
        std::optional<std::string> source;
        Edit edit;
        std::optional<std::string> stored;
        int posts;
    };
    const Row rows[] = {
        {"text changed", pt_text, "a", {}, set("b"), "b", 1},
        {"the same text posts nothing", pt_text, "same", {}, set("same"), "same", 0},
        {"the key column ignores edits", pt_text, "a", {}, text("key", "b"), "a", 0},
        {"check box off from lower-case show", pt_bool, "show", {}, check(false), "NO", 1},
        {"check box on", pt_bool, "NO", {}, check(true), "YES", 1},
        {"third list item, spaces kept", pt_list, "a", "a, b , c d ", pick(2), " c d ", 1},
        {"list index out of range", pt_list, "a", "a,b", pick(2), "a", 0},
        {"a cancelled file chooser empties", pt_file, "/x/a.png", "I|*.png", set(""), "", 1},
        {"a typed path is kept", pt_file, "", {}, set("logo.png"), "logo.png", 1},
    };
    FlashTemplateOutlineDelegate delegate;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto p = property(row.type, row.value, row.source);
        Posted posted("FlashTmplProValueChangedNotification");
        EXPECT_EQ(row.edit(delegate, *p), row.posts == 1);
        EXPECT_EQ(p->value(), row.stored);
        EXPECT_EQ(posted.count, row.posts);
        EXPECT_FALSE(posted.withInfo);
        if (posted.count) {
            EXPECT_EQ(std::any_cast<FlashTemplateProperty*>(posted.object), p.get());
        }
    }
    auto fixed = property(pt_text, "a");
    fixed->setReadOnly(true);
    EXPECT_FALSE(delegate.setText(*fixed, "value", "b")) << "read-only values are not edited";
}

// The cells, their editors and file filters, and the chooser's templates and styles
// are the window's matter; here the name the chooser opens on, in another case.
TEST(TemplateChooser, OpensOnTheTemplateWhateverTheCaseOfItsName) {
    SelectTemplateWindowDelegate chooser;
    const auto row = chooser.prepairToTmpl("FLOAT");
    EXPECT_EQ(row ? chooser.rowTitle(*row) : "", "float");
}
