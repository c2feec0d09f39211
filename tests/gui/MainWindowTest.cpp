#include "MainWindow.h"
#include "AboutBox.h"
#include "GuiTestSupport.h"
#include "PageEditorSheet.h"
#include "PropertyItemDelegate.h"
#include "PropertyTreeModel.h"
#include "TemplateChooserDialog.h"

#include "app/PageEditorWindowDelegate.h"
#include "base/Resources.h"
#include "base/StringUtil.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateProperty.h"

#include <QFontInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QWebEnginePage>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::gui;
using namespace zarvex::test;

namespace {

// The launched window with helpers to find rows of its property tree and
// to look at its preview.
class MainWindowTest : public WindowTest {
protected:
    QModelIndex indexOf(const std::string& key, int column = 1,
                        const QModelIndex& parent = {}) const {
        auto* model = window->outlineModel();
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            if (PropertyTreeModel::propertyAt(index)->key() == key)
                return model->index(row, column, parent);
            if (auto found = indexOf(key, column, index); found.isValid())
                return found;
        }
        return {};
    }

    std::string value(const std::string& key) const {
        return controller.flashTmpl()->propertyValueFor(key, "<none>");
    }
};

} // namespace

TEST_F(MainWindowTest, LaunchShowsTheDemoBookWithTheDefaultTemplateAndTheTreeOpen) {
    EXPECT_EQ(std::tuple(window->windowTitle(), controller.flashPreviewFolder(),
                         window->webView()->url().toLocalFile(), controller.flashTmpl()->tmplName(),
                         window->applyImageName()),
              std::tuple(QString("3D Zarvex"), preview, qpath(preview / "index.html"),
                         std::string("float"), QString("apply")));

    QTreeView* tree = window->outlineView();
    EXPECT_TRUE(tree->isExpanded(indexOf("LookGroup", 0)) &&
                window->outlineModel()->hasChildren(indexOf("LookGroup", 0)));
    EXPECT_TRUE(QFontInfo(window->toolTip()->font()).fixedPitch());

    // The tip box follows the selected row.
    const QModelIndex colour = indexOf("BaseColor", 0);
    tree->selectionModel()->setCurrentIndex(colour, QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    const FlashTemplateProperty* item = PropertyTreeModel::propertyAt(colour);
    EXPECT_EQ(window->toolTipBox()->title().toStdString(), item->title());
    EXPECT_EQ(window->toolTip()->toPlainText().toStdString(), item->desc().value_or(""));
    keepShot(*window, "main-window-launched.png");
}

TEST_F(MainWindowTest, EditorsStoreByTypeAndApplyBlinksUntilThePreviewShowsTheChangeOrSaysWhyNot) {
    PropertyTreeModel* model = window->outlineModel();
    PropertyItemDelegate* cells = window->outlineCells();
    EXPECT_FALSE(window->applyTimer()->isActive());
    std::vector<QString> blink;
    const auto ticks = [&] {
        for (int i = 0; i < 2; ++i, blink.push_back(window->applyImageName()))
            QMetaObject::invokeMethod(window->applyTimer(), "timeout");
    };

    // A list through its pop-up: the third choice exactly.
    const QModelIndex language = indexOf("languageSetting");
    std::unique_ptr<QWidget> editor(
        cells->createEditor(window->outlineView()->viewport(), {}, language));
    auto* combo = qobject_cast<QComboBox*>(editor.get());
    ASSERT_NE(combo, nullptr);
    cells->setEditorData(combo, language);
    EXPECT_EQ(combo->currentText(), "Auto");
    combo->setCurrentIndex(2);
    cells->setModelData(combo, model, language);
    EXPECT_EQ(value("languageSetting"), combo->itemText(2).toStdString());
    EXPECT_TRUE(window->applyTimer()->isActive());
    ticks();

    // A file chooser is filtered by the property; a cancel empties the file.
    fileAnswers = {"/pictures/logo.png", ""};
    cells->chooseFile(*model, indexOf("LogoFile"), window.get());
    EXPECT_EQ(value("LogoFile"), "/pictures/logo.png");
    cells->chooseFile(*model, indexOf("LogoFile"), window.get());
    EXPECT_EQ(value("LogoFile"), "");
    const QStringList images{"png", "jpg", "gif"};
    EXPECT_EQ(asked, (std::vector<std::pair<QString, QStringList>>{{"", images},
                                                                   {"/pictures/logo.png", images}}))
        << "the chooser starts at the file named";
    // A second change while blinking keeps the one blink going at its phase.
    ticks();
    EXPECT_EQ(blink, (std::vector<QString>{"apply2", "apply3", "apply1", "apply2"}));

    // A cancelled colour changes nothing; a chosen one is stored as 0xrrggbb.
    colorAnswer.reset();
    cells->chooseColor(*model, indexOf("BaseColor"), window.get());
    EXPECT_EQ(value("BaseColor"), "0x4a6fa5");
    colorAnswer = QColor(0xd0, 0x20, 0x20);
    cells->chooseColor(*model, indexOf("BaseColor"), window.get());
    EXPECT_EQ(value("BaseColor"), "0xd02020");
    EXPECT_LT(previewPixels(*colorAnswer), 50) << "the preview waits for Apply";

    ASSERT_TRUE(waitForPreview([this] { window->OnApplyChange(); }));
    EXPECT_EQ(std::pair(window->applyTimer()->isActive(), window->applyImageName()),
              std::pair(false, QString("apply")));
    // The viewer draws its tool bar in the new colour once its pages are in.
    EXPECT_GE(previewPixels(*colorAnswer, 500), 500)
        << "the rebuilt preview shows the new tool bar colour";
    window->outlineView()->selectionModel()->setCurrentIndex(
        indexOf("BaseColor", 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    keepShot(*window, "main-window-colour-applied.png");

    // A rebuild that fails keeps the preview and tells the user.
    const QUrl before = window->webView()->url();
    model->setData(indexOf("pageWidth"), "wide", Qt::EditRole);
    window->OnApplyChange();
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("could not be rebuilt"))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(std::tuple(window->webView()->url(), window->applyTimer()->isActive(),
                         window->applyImageName()),
              std::tuple(before, false, QString("apply")));
}

TEST_F(MainWindowTest, TheChooserOpensOnTheTemplateAndAppliesOnlyAnAcceptedStyle) {
    TemplateChooserDialog* chooser = window->templateChooser();
    window->onSelectTemplate();
    QListWidgetItem* current = chooser->templateList()->currentItem();
    EXPECT_EQ(std::tuple(chooser->isVisible(), current ? current->text() : QString(),
                         chooser->okButton()->isEnabled()),
              std::tuple(true, QString("float"), false))
        << "open on the template, no style selected yet";
    keepShot(*chooser, "template-chooser.png");

    chooser->reject();
    EXPECT_EQ(controller.flashTmpl()->tmplName(), "float") << "Cancel changes nothing";

    window->onSelectTemplate();
    auto found = chooser->templateList()->findItems("Classic", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    chooser->templateList()->setCurrentItem(found.first());
    ASSERT_GT(chooser->styleGrid()->count(), 0);
    QListWidgetItem* style = chooser->styleGrid()->item(chooser->styleGrid()->count() - 1);
    chooser->styleGrid()->setCurrentItem(style);
    EXPECT_TRUE(chooser->okButton()->isEnabled());

    controller.flashTmpl()->setPropertyValue("pageWidth", "612");
    ASSERT_TRUE(waitForPreview([&] { emit chooser->styleGrid()->itemDoubleClicked(style); }));
    EXPECT_EQ(
        std::tuple(chooser->isVisible(), controller.flashTmpl()->tmplName(),
                   controller.flashTmpl()->styleName(), value("pageWidth")),
        std::tuple(false, std::string("Classic"), style->text().toStdString(), std::string("612")))
        << "the page size stays";
    EXPECT_TRUE(indexOf("pageWidth").isValid()) << "the tree shows the new template";
    EXPECT_TRUE(window->outlineView()->isExpanded(indexOf("BookGroup", 0)));
}

// What the files hold is the settings text's matter (FlashTemplateTest).
TEST_F(MainWindowTest, SettingsExportAndImportChangeNothingWhenCancelledOrUnreadable) {
    fileAnswers = {qpath(dir / "mine"), "", ""}; // the second export and an import cancelled
    window->OnExportTmplSettings();
    window->OnExportTmplSettings();
    window->OnImportTmplSettings();
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"mine.txt"}) << "the .txt is added";
    for (const auto& [start, extensions] : asked)
        EXPECT_EQ(extensions, QStringList{"txt"}) << start.toStdString();

    window->outlineModel()->setData(indexOf("Title"), "Changed", Qt::EditRole);
    fileAnswers = {qpath(dir / "missing.txt")};
    window->OnImportTmplSettings();
    auto* box = window->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr) << "an unreadable file is reported";
    EXPECT_TRUE(box->text().contains("missing.txt"));
    box->close();
    EXPECT_EQ(indexOf("Title").data().toString(), "Changed");

    fileAnswers = {qpath(dir / "mine.txt")};
    ASSERT_TRUE(waitForPreview([this] { window->OnImportTmplSettings(); }));
    EXPECT_EQ(indexOf("Title").data().toString(), "My Flip Book") << "the tree shows it";
    EXPECT_FALSE(window->applyTimer()->isActive()) << "the import applied the change";
}

TEST_F(MainWindowTest, HelpOpensTheManualAndAboutShowsTheVersionInADraggableBox) {
    window->OnOpenHelp();
    EXPECT_TRUE(opened.at(0).toLocalFile().endsWith("3d zarvex pro for mac manual.pdf"));

    window->onOpenAbout();
    auto* about = window->findChild<AboutBox*>();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible() && (about->windowFlags() & Qt::FramelessWindowHint) &&
                about->versionLabel()->text().contains(ZARVEX_VERSION));
    keepShot(*about, "about-box.png");

    const QPoint start = about->pos();
    QTest::mousePress(about, Qt::LeftButton, {}, QPoint(20, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 50), about->mapToGlobal(QPointF(60, 50)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(about, &move);
    EXPECT_EQ(about->pos(), start + QPoint(40, 30));
}

namespace {

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
