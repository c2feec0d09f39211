// The page editor's bridge as the editor page's scripts use it: a test page in
// the preview folder calls "myconnector" through the web channel and answers
// the native side's calls of GetPageConfig() and ReName().
#include "PageEditorSheet.h"
#include "GuiTestSupport.h"

#include "archive/ConfigEnvelope.h"
#include "base/Resources.h"
#include "base/StringUtil.h"
#include "base/Xml.h"

#include <QWebEnginePage>

#include <ctime>

namespace zarvex::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTestPage = R"(<!doctype html><meta charset="utf-8"><script>
var config = '', rename = 'NO', answer, ready = false;
function GetPageConfig() { return config; }
function ReName() { return rename; }
window.addEventListener('myconnectorready', function () { ready = true; });
function call(name, arg) {
    answer = undefined;
    var done = function (r) { answer = r === undefined ? null : r; };
    if (arg === undefined) myconnector[name](done); else myconnector[name](arg, done);
}
</script>)";

// 31 December 2026, 23:59:58 local time: the last days of a year keep its number.
std::chrono::system_clock::time_point newYearsEve() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 58;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}
constexpr const char* kStamp = "311226235958";

// The text of a script expression evaluated in `page`; empty when it does not answer.
QString evaluate(QWebEnginePage* page, const QString& expression) {
    auto answer = std::make_shared<std::optional<QString>>();
    page->runJavaScript(expression, [answer](const QVariant& v) { *answer = v.toString(); });
    for (int i = 0; i < 200 && !*answer; ++i)
        QTest::qWait(25);
    return answer->value_or(QString());
}

class PageEditorSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        gui::Choosers choosers;
        choosers.openFiles = [this](QWidget*, const QString& caption, const QString&,
                                    const QStringList& extensions) {
            asked.push_back(caption + " " + extensions.join(','));
            if (picked.empty())
                return QStringList();
            const QStringList answer = picked.front();
            picked.pop_front();
            return answer;
        };
        choosers.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        controller.setAppSettings(&settings);
        controller.loadDemoBook();
        ASSERT_TRUE(controller.applyChange());
        sheet = std::make_unique<gui::PageEditorSheet>(controller.OnPageEditor(), choosers);
        sheet->delegate().setClock(newYearsEve);
        writeFile(preview / "PageEditor.html", kTestPage);
        QSignalSpy shown(sheet.get(), &gui::PageEditorSheet::editorShown);
        sheet->ShowFlashEditorToForm();
        sheet->show();
        ASSERT_TRUE(shown.wait(30000));
        ASSERT_TRUE(awaitPage("ready") == "true");
    }

    // Waits until the page's expression is no longer "undefined"; its text.
    QString awaitPage(const QString& expression) {
        QString value;
        for (int i = 0; i < 200; ++i) {
            value = evaluate(sheet->webView()->page(), "String(" + expression + ")");
            if (value != "undefined")
                break;
            QTest::qWait(50);
        }
        return value;
    }

    // Calls the bridge as the page does and waits for the answer.
    QString bridge(const QString& name, const QString& arg = {}) {
        QString js = "call('" + name + "'" + (arg.isNull() ? "" : ", " + quotedJs(arg)) + ")";
        sheet->webView()->page()->runJavaScript(js);
        return awaitPage("answer");
    }

    static QString quotedJs(const QString& text) {
        QString quoted = text;
        quoted.replace("\\", "\\\\").replace("'", "\\'").replace("\n", "\\n");
        return "'" + quoted + "'";
    }

    fs::path source(const std::string& name, const std::string& content) {
        writeFile(dir.path() / name, content);
        return dir.path() / name;
    }

    TempHome home;
    TempDir dir;
    AppSettings settings{home.config() / "zarvex/settings.json"};
    const fs::path preview = home.data() / "Drevalis/preview";
    const fs::path files = preview / "files";
    BookController controller;
    std::unique_ptr<gui::PageEditorSheet> sheet;
    std::deque<QStringList> picked;
    std::vector<QString> asked;
    std::vector<QUrl> opened;
};

TEST_F(PageEditorSheetTest, PickedFilesAreCopiedUnderDateStampsAndAnsweredAsPaths) {
    const QString png = qpath(source("photo.png", "png"));
    const QString a = qpath(source("a.jpg", "a")), b = qpath(source("b.jpg", "b"));
    const QString clip = qpath(source("clip.swf", "swf")), movie = qpath(source("m.mp4", "mp4"));
    const QString music = qpath(source("s.mp3", "mp3"));
    const QString stamp = kStamp;
    struct Row {
        const char* what;
        const char* call;
        const char* rename;
        QStringList picked;
        QString answer;
    };
    const std::vector<Row> rows = {
        {"one picture", "SelectImageFile", "NO", {png}, "editor/" + stamp + ".png"},
        {"the same second again", "SelectImageFile", "NO", {png}, "editor/" + stamp + "-2.png"},
        {"several, own names",
         "OnSelectImageFiles",
         "NO",
         {a, b},
         "editor/" + stamp + "/a.jpg|editor/" + stamp + "/b.jpg"},
        {"several, renamed",
         "OnSelectImageFiles",
         "YES",
         {a, b},
         "editor/" + stamp + ".jpg|editor/" + stamp + "-2.jpg"},
        {"a Flash clip", "OnSelectSWFFile", "NO", {clip}, "editor/" + stamp + ".swf"},
        {"a movie", "OnSelectMovieFile", "NO", {movie}, "editor/" + stamp + ".mp4"},
        {"music", "OnSelectMusicFile", "NO", {music}, "editor/" + stamp + ".mp3"},
        {"cancelled", "SelectImageFile", "NO", {}, ""},
    };
    for (const Row& row : rows) {
        picked.push_back(row.picked);
        evaluate(sheet->webView()->page(), QString("rename = '%1'").arg(row.rename));
        const QString answer = bridge(row.call);
        EXPECT_EQ(answer.toStdString(), row.answer.toStdString()) << row.what;
        for (const QString& path : answer.split('|', Qt::SkipEmptyParts))
            EXPECT_TRUE(fs::is_regular_file(files / path.toStdString())) << row.what;
    }
    EXPECT_EQ(slurp(files / ("editor/" + std::string(kStamp) + "-2.jpg")), "b");
    EXPECT_EQ(asked, (std::vector<QString>{
                         "Please select image file to open jpg,png,gif",
                         "Please select image file to open jpg,png,gif",
                         "Please select images file to open jpg,png,gif",
                         "Please select images file to open jpg,png,gif",
                         "Please select swf file to open swf",
                         "Please select the movie file to open mp4,flv",
                         "Please select mp3 file to open mp3",
                         "Please select image file to open jpg,png,gif",
                     }));
    bridge("OpenHelp");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("3d zarvex for mac manual.pdf"));
}

TEST_F(PageEditorSheetTest, DeletingStaysInsideTheBooksFiles) {
    writeFile(files / "editor/old.png", "x");
    const fs::path outside = source("private.txt", "keep");
    fs::create_symlink(outside, files / "editor/link.txt");
    fs::create_symlink(dir.path(), files / "editor/folder");
    const struct {
        std::string path;
        fs::path watched;
        bool deleted;
    } rows[] = {
        {"", files, false},
        {"../pages.xml", preview / "pages.xml", false},
        {"editor/../../pages.xml", preview / "pages.xml", false},
        {outside.string(), outside, false},
        {"editor/link.txt", files / "editor/link.txt", false},
        {"editor/folder/private.txt", outside, false},
        {"editor", files / "editor", false},
        {"editor/old.png", files / "editor/old.png", true},
    };
    for (const auto& row : rows) {
        bridge("OnDeleteFile", QString::fromStdString(row.path));
        EXPECT_EQ(!fs::exists(fs::symlink_status(row.watched)), row.deleted) << row.path;
    }
    EXPECT_EQ(slurp(outside), "keep");
}

TEST_F(PageEditorSheetTest, SavingWritesTheRelativePageListAndRefusesEmptyOrForeignAnswers) {
    const std::string base = files.string() + "/";
    const std::string open = slurp(preview / "pages.xml");
    ASSERT_NE(open.find("bace=\"" + base + "\""), std::string::npos);
    const std::string edited = "<Pages bace=\"" + base +
                               "\" width=\"700\">\n  <Page type=\"Image\">\n"
                               "    <Item name=\"normal\">page/1.jpg</Item>\n"
                               "    <Item name=\"Image\" type=\"rect\" x=\"0.1\" y=\"0.1\" "
                               "width=\"0.5\" height=\"0.5\" src=\"" +
                               base + "editor/p.png\"/>\n  </Page>\n</Pages>\n";
    std::string relative = edited;
    replaceAll(relative, base, "");
    const struct {
        const char* what;
        std::string answer;
        std::string written;
    } rows[] = {
        {"nothing", "", open},
        {"not XML", "<Pages><Page>", open},
        {"not a page list", "<html/>", open},
        {"a page list", edited, relative},
    };
    for (const auto& row : rows) {
        evaluate(sheet->webView()->page(),
                 "config = " + quotedJs(QString::fromStdString(row.answer)));
        bridge("OnSave");
        EXPECT_EQ(slurp(preview / "pages.xml"), row.written) << row.what;
    }

    QSignalSpy finished(sheet.get(), &QDialog::finished);
    bridge("SaveAndExit");
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].toInt(), 1);
    // The rebuilt preview carries the edited list in its configuration.
    controller.pageEditorWindowDidEnd(1);
    const auto envelope = xml::Document::parseFile(files / "config.xml");
    ASSERT_TRUE(envelope);
    const auto config = unscrambleConfig(envelope->root().text());
    ASSERT_TRUE(config);
    EXPECT_NE(config->find("src=\"editor/p.png\""), std::string::npos);
}

// The shipped editor page in the main window: it opens on the preview's page
// list with absolute paths, gives back the list it read, and leaving it
// without saving leaves the list as it was, with the preview rebuilt.
TEST_F(WindowTest, PageEditorOpensOnThePreviewAndGivesBackTheListItRead) {
    const std::string before = slurp(preview / "pages.xml");
    ASSERT_TRUE(window->pageEditorAction()->isEnabled());
    window->pageEditorAction()->trigger();
    gui::PageEditorSheet* sheet = window->pageEditor();
    ASSERT_TRUE(sheet);
    QSignalSpy shown(sheet, &gui::PageEditorSheet::editorShown);
    ASSERT_TRUE(shown.wait(30000));
    EXPECT_TRUE(shown[0][0].toBool());
    EXPECT_EQ(slurp(preview / "PageEditor.swf"), slurp(resourcePath("PageEditor.swf")));
    EXPECT_NE(slurp(preview / "pages.xml").find("bace=\"" + (preview / "files").string() + "/\""),
              std::string::npos);
    QString answer;
    for (int i = 0; i < 100 && answer.isEmpty(); ++i, QTest::qWait(100))
        answer = evaluate(sheet->webView()->page(),
                          "typeof GetPageConfig === 'function' ? GetPageConfig() : ''");
    // The pages and thumbnails load from the preview's files by their absolute paths.
    const QString loaded = "[...document.images].filter(i => i.complete && i.naturalWidth).length";
    QString pictures;
    for (int i = 0; i < 100 && pictures != "11"; ++i, QTest::qWait(100))
        pictures = evaluate(sheet->webView()->page(), loaded);
    EXPECT_EQ(pictures.toStdString(), "11"); // ten thumbnails and the page shown
    sheet->resize(gui::PageEditorSheet::kMaximumSize);
    QTest::qWait(500);
    keepShot(*sheet, "page-editor.png");
    const auto squeezed = [](std::string text) {
        std::erase_if(text, [](unsigned char c) { return std::isspace(c); });
        return text;
    };
    std::string relative = answer.toStdString();
    replaceAll(relative, (preview / "files").string() + "/", "");
    EXPECT_EQ(squeezed(relative), squeezed(before));

    EXPECT_TRUE(waitForPreview([&] { sheet->exitWithoutSave(); }));
    EXPECT_EQ(window->pageEditor(), nullptr);
    EXPECT_EQ(slurp(preview / "pages.xml"), before);
}

} // namespace
} // namespace zarvex::test
