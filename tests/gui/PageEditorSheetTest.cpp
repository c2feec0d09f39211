#include "PageEditorSheet.h"
#include "GuiTestSupport.h"

#include "app/PageEditorWindowDelegate.h"
#include "base/Resources.h"
#include "base/StringUtil.h"

#include <QWebEnginePage>

namespace zarvex::test {
namespace {

namespace fs = std::filesystem;

// A page in the editor page's place: it calls "myconnector" as the editor's
// scripts do and answers the native side's calls of GetPageConfig() and ReName().
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

// The text of a script expression evaluated in `page`; empty when it does not answer.
QString evaluate(QWebEnginePage* page, const QString& expression) {
    auto answer = std::make_shared<std::optional<QString>>();
    page->runJavaScript(expression, [answer](const QVariant& v) { *answer = v.toString(); });
    for (int i = 0; i < 200 && !*answer; ++i)
        QTest::qWait(25);
    return answer->value_or(QString());
}

// Waits until the page's expression is no longer `unready`; its text.
QString awaitPage(QWebEnginePage* page, const QString& expression, const QString& unready) {
    QString value;
    for (int i = 0; i < 100 && (value = evaluate(page, expression)) == unready; ++i)
        QTest::qWait(100);
    return value;
}

// Calls the bridge as the page does and waits for the answer.
QString bridge(QWebEnginePage* page, const QString& name, QString arg = {}) {
    arg.replace("\\", "\\\\").replace("'", "\\'").replace("\n", "\\n");
    page->runJavaScript("call('" + name + "'" + (arg.isNull() ? "" : ", '" + arg + "'") + ")");
    return awaitPage(page, "String(answer)", "undefined");
}

// The shipped editor page in the main window opens on the preview's page list
// with absolute paths and gives back the list it read; leaving it without
// saving leaves the list as it was, with the preview rebuilt. What the bridge's
// calls do in the book's files is checked with the controller.
TEST_F(WindowTest, PageEditorOpensOnThePreviewAndItsBridgeReachesTheCore) {
    const std::string before = slurp(preview / "pages.xml");
    const auto openEditor = [this] {
        window->pageEditorAction()->trigger();
        QSignalSpy shown(window->pageEditor(), &gui::PageEditorSheet::editorShown);
        EXPECT_TRUE(shown.wait(30000) && shown[0][0].toBool());
        return window->pageEditor();
    };
    ASSERT_TRUE(window->pageEditorAction()->isEnabled());
    gui::PageEditorSheet* sheet = openEditor();
    EXPECT_EQ(slurp(preview / "PageEditor.swf"), slurp(resourcePath("PageEditor.swf")));
    const QString answer = awaitPage(
        sheet->webView()->page(), "typeof GetPageConfig === 'function' ? GetPageConfig() : ''", "");
    // The pages and thumbnails load from the preview's files by their absolute paths.
    EXPECT_EQ(awaitPage(sheet->webView()->page(),
                        "String([...document.images].filter(i => i.complete && "
                        "i.naturalWidth).length === 11)",
                        "false"),
              "true"); // ten thumbnails and the page shown
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

    // Each call of the bridge, with the page's answers, reaches the core.
    sheet = openEditor();
    sheet->delegate().setClock([] { return std::chrono::system_clock::time_point(); });
    const QString s = "editor/" + QString::fromStdString(PageEditorWindowDelegate::FormatDate({}));
    writeFile(preview / "PageEditor.html", kTestPage);
    QSignalSpy shown(sheet, &gui::PageEditorSheet::editorShown);
    sheet->ShowFlashEditorToForm();
    ASSERT_TRUE(shown.wait(30000));
    QWebEnginePage* page = sheet->webView()->page();
    ASSERT_EQ(awaitPage(page, "String(ready)", "false"), "true");
    QStringList files;
    for (const char* name : {"a.png", "b.jpg", "c.mp3"}) {
        writeFile(dir / name, name);
        files.push_back(qpath(dir / name));
    }
    const QString image = "image file to open jpg,png,gif", images = "images " + image.mid(6);
    const struct {
        const char* call;
        const char* rename;
        QStringList picked;
        QString answer, asked; // the chooser's caption after "Please select ", the extensions
    } rows[] = {
        {"SelectImageFile", "NO", {files[0]}, s + ".png", image},
        {"OnSelectImageFiles", "NO", {files[0], files[1]}, s + "/a.png|" + s + "/b.jpg", images},
        {"OnSelectImageFiles", "YES", {files[0], files[1]}, s + "-2.png|" + s + ".jpg", images},
        {"OnSelectMusicFile", "NO", {files[2]}, s + ".mp3", "mp3 file to open mp3"},
        {"SelectImageFile", "NO", {}, "", image},
    };
    for (const auto& row : rows) {
        filesAnswers.push_back(row.picked);
        evaluate(page, QString("rename = '%1'").arg(row.rename));
        const QString answer = bridge(page, row.call);
        EXPECT_EQ(std::pair(answer, asked.back().first + " " + asked.back().second.join(',')),
                  std::pair(row.answer, "Please select " + row.asked))
            << row.call << " " << row.rename;
    }
    bridge(page, "OnDeleteFile", s + ".png");
    EXPECT_FALSE(fs::exists(preview / "files" / (s + ".png").toStdString()));
    const QString base = qpath(preview / "files") + "/";
    evaluate(page, "config = '<Pages bace=\"" + base + "\"><Page/></Pages>'");
    bridge(page, "OnSave");
    EXPECT_EQ(slurp(preview / "pages.xml"), "<Pages bace=\"\"><Page/></Pages>");
    bridge(page, "OpenHelp");
    EXPECT_TRUE(opened.at(0).toLocalFile().endsWith("3d zarvex for mac manual.pdf"));
    EXPECT_TRUE(waitForPreview([&] { page->runJavaScript("call('SaveAndExit')"); }));
    EXPECT_EQ(window->pageEditor(), nullptr);
}

} // namespace
} // namespace zarvex::test
