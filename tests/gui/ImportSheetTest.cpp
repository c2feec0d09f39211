#include "ImportSheet.h"
#include "GuiTestSupport.h"

#include "app/ImportWindowDelegate.h"
#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "import/FlashPageSource.h"
#include "templates/FlashTemplate.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QThread>

#include <atomic>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::gui;
using namespace zarvex::test;

namespace {

constexpr int kImportTimeoutMs = 120000;

// Holds the import's worker in its next progress message, after the sheet has
// seen it, until released: the tests act while an import surely runs.
struct ProgressGate {
    enum { kOpen, kArmed, kHeld };
    std::atomic<int> state = kOpen;
    ScopedObserver observer;

    ~ProgressGate() { release(); }
    void holdNext() {
        state = kArmed;
        // Registered after the sheet's own observer, so the sheet hears first.
        observer = ScopedObserver(NotificationCenter::defaultCenter(),
                                  FlashPageSource::kProgressMessage, [this](const Notification&) {
                                      int armed = kArmed;
                                      if (QThread::currentThread() != qApp->thread() &&
                                          state.compare_exchange_strong(armed, kHeld))
                                          state.wait(kHeld);
                                  });
    }
    bool holding() const { return state == kHeld; }
    void release() {
        state = kOpen;
        state.notify_all();
    }
};

// The window's import sheet; the tests may hold its worker with the gate.
class ImportSheetTest : public WindowTest {
protected:
    void SetUp() override {
        log::silence();
        WindowTest::SetUp();
    }

    void TearDown() override {
        gate.release();
        window.reset();
    }

    ImportSheet* openSheet() {
        window->OnImportPDF();
        return window->importSheet();
    }

    static bool importEnds(ImportSheet* sheet) {
        return QTest::qWaitFor([sheet] { return !sheet->isImporting(); }, kImportTimeoutMs);
    }

    fs::path book(const std::string& name, const FixtureDocument& document) {
        writeFixturePdf(dir / name, document);
        return dir / name;
    }

    ProgressGate gate;
};

} // namespace

// The sheet starts from the saved choices, refuses a missing file, saves the
// choices as an import starts and says why one failed; the next sheet shows
// them. A successful import is followed to the book with the publish sheet.
TEST_F(ImportSheetTest, TheSheetSavesItsChoicesAndSaysWhyAnImportFailed) {
    const fs::path saved = book("saved.pdf", plainDocument(3));
    ImportChoices{saved.string(), 0, "1", 3, true, false, 1, true}.writeTo(settings);
    // The file, range choice, range, quality level, links, bookmarks, image pages and text shown.
    const auto shown = [](ImportSheet* s) {
        return std::tuple(s->importFileField()->text(), s->pageRangeChoice()->isChecked(),
                          s->pageRangeField()->text(), s->qualityList()->currentIndex(),
                          s->linksBox()->isChecked(), s->bookmarksBox()->isChecked(),
                          s->imagePagesChoice()->isChecked(), s->textBox()->isChecked());
    };
    EXPECT_TRUE(window->importAction()->isEnabled());
    ImportSheet* sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(std::tuple(sheet->isVisible(), sheet->windowModality(),
                         sheet->infoLabel()->isHidden(), sheet->progressBar()->isHidden()),
              std::tuple(true, Qt::WindowModal, true, true));
    EXPECT_EQ(shown(sheet),
              std::tuple(qpath(saved), false, QString("1"), 3, true, false, true, true));
    keepShot(*sheet, "import-sheet.png");

    // While idle the range field follows the choice.
    for (const auto& [choice, enabled] :
         {std::pair{sheet->pageRangeChoice(), true}, std::pair{sheet->allPagesChoice(), false}}) {
        choice->click();
        EXPECT_EQ(sheet->pageRangeField()->isEnabled(), enabled) << choice->text().toStdString();
    }

    // Browse asks for a PDF; a cancelled choice leaves the path alone. Open shows it.
    fileAnswers = {"", "/books/other.pdf"};
    sheet->browseButton()->click();
    EXPECT_EQ(sheet->importFileField()->text(), qpath(saved));
    EXPECT_EQ(asked.back(), std::make_pair(qpath(saved), QStringList{"pdf"}));
    sheet->browseButton()->click();
    EXPECT_EQ(sheet->importFileField()->text(), "/books/other.pdf");
    sheet->importFileField()->setText(qpath(saved));
    sheet->openFileButton()->click();
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(qpath(saved))});

    // A missing file is refused with nothing else changed; a range that selects no
    // page fails on its run, which says why. The other reasons are the core's.
    const std::pair<fs::path, std::string> rows[] = {
        {dir / "missing.pdf", "Import PDF file does not exist."},
        {saved, "The import failed: the page range '' selects no page of '" + saved.string() +
                    "' (3 pages)"},
    };
    for (const auto& [file, told] : rows) {
        sheet->importFileField()->setText(qpath(file));
        if (file == saved) { // the choices that the next sheet shows
            sheet->pageRangeChoice()->click();
            sheet->pageRangeField()->setText("");
            sheet->qualityList()->setCurrentIndex(1);
            sheet->flashPagesChoice()->click();
            sheet->linksBox()->setChecked(false);
            sheet->bookmarksBox()->setChecked(true);
            sheet->textBox()->setChecked(false);
        }
        sheet->okButton()->click();
        ASSERT_TRUE(importEnds(sheet));
        EXPECT_EQ(std::tuple(sheet->isVisible(), sheet->okButton()->isEnabled(),
                             sheet->progressBar()->isHidden(), sheet->infoLabel()->isVisible(),
                             sheet->infoLabel()->text().toStdString()),
                  std::tuple(true, true, true, true, told));
        EXPECT_EQ(AppSettings(settings.storeFile()).lastImportedFile(),
                  file == dir / "missing.pdf" ? "" : file.string())
            << "the choices are saved as the import starts";
    }
    keepShot(*sheet, "import-sheet-failed.png");
    EXPECT_EQ(workFolders(), std::vector<std::string>{});
    sheet->cancelButton()->click();
    EXPECT_EQ(window->importSheet(), nullptr);

    AppSettings reloaded(settings.storeFile());
    controller.setAppSettings(&reloaded);
    ImportSheet* next = openSheet();
    EXPECT_EQ(shown(next),
              std::tuple(qpath(saved), true, QString(""), 1, false, true, false, false));
    EXPECT_TRUE(next->pageRangeField()->isEnabled());
    next->cancelButton()->click();
    controller.setAppSettings(&settings);
}

TEST_F(ImportSheetTest, CancelOrClosingTheWindowStopsTheImportACancelledOneKeepsTheSheet) {
    const auto before = controller.flashPageSource();
    const QPointer<ImportSheet> sheet = openSheet();
    sheet->importFileField()->setText(qpath(book("long.pdf", plainDocument(12))));
    sheet->pageRangeChoice()->click();
    sheet->pageRangeField()->setText("1-12");
    QSignalSpy finished(sheet, &QDialog::finished);

    gate.holdNext();
    sheet->okButton()->click();
    EXPECT_TRUE(sheet->isImporting());
    for (QWidget* control : std::initializer_list<QWidget*>{
             sheet->okButton(), sheet->importFileField(), sheet->browseButton(),
             sheet->allPagesChoice(), sheet->pageRangeChoice(), sheet->pageRangeField(),
             sheet->qualityList(), sheet->flashPagesChoice(), sheet->imagePagesChoice(),
             sheet->linksBox(), sheet->bookmarksBox(), sheet->textBox()})
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
    EXPECT_EQ(std::pair(sheet->cancelButton()->isEnabled(), sheet->progressBar()->isVisible()),
              std::pair(true, true));

    // The worker is held after its first page; the window shows it meanwhile.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return sheet->infoLabel()->text() == "Importing:1 of 12 Pages"; }, kImportTimeoutMs))
        << sheet->infoLabel()->text().toStdString();
    EXPECT_TRUE(gate.holding());
    EXPECT_EQ(std::pair(sheet->passLabel()->text().toStdString(), sheet->progressBar()->value()),
              std::pair(std::string("Importing pages (pass 1 of 4)"), 1000 / 48));
    keepShot(*sheet, "import-sheet-importing.png");

    sheet->cancelButton()->click();
    EXPECT_EQ(std::tuple(sheet->okButton()->isEnabled(), sheet->pageRangeField()->isEnabled(),
                         sheet->progressBar()->isHidden()),
              std::tuple(true, true, true))
        << "Cancel enables the controls at once";
    gate.release();
    ASSERT_TRUE(importEnds(sheet));
    ASSERT_TRUE(sheet && sheet->isVisible()) << "a cancelled import keeps the sheet";
    EXPECT_EQ(sheet->infoLabel()->text().toStdString(), "The import was cancelled.");
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(workFolders(), std::vector<std::string>{});

    // Closing the window stops a running import at once, and its work folder goes.
    QGuiApplication::setQuitOnLastWindowClosed(false); // the test program goes on
    gate.holdNext();
    sheet->okButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.holding(); }, kImportTimeoutMs));
    EXPECT_EQ(workFolders().size(), 1u);
    gate.release();
    window->close();
    EXPECT_EQ(
        std::tuple(sheet->isImporting(), controller.flashPageSource() == before, workFolders()),
        std::tuple(false, true, std::vector<std::string>{}));
    window.reset();
    QGuiApplication::setQuitOnLastWindowClosed(true);
}

TEST_F(ImportSheetTest, APdfFromTheFileManagerOrDroppedOnTheWindowOpensTheSheet) {
    const fs::path pdf = book("Dropped Book.PDF", plainDocument(1));
    const auto dropEvent = [this](const fs::path& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(qpath(file))});
        QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &drop);
        return true;
    };
    for (const bool dropped : {false, true}) {
        SCOPED_TRACE(dropped ? "drop" : "command line");
        if (!dropped)
            window->openPdf(pdf);
        else
            EXPECT_TRUE(dropEvent(pdf));
        ImportSheet* sheet = window->importSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(std::pair(sheet->isVisible(), sheet->importFileField()->text()),
                  std::pair(true, qpath(pdf)));
        sheet->reject();
        EXPECT_EQ(window->importSheet(), nullptr);
    }
    writeFile(dir / "notes.txt", "text");
    EXPECT_FALSE(dropEvent(dir / "notes.txt"));
    EXPECT_EQ(window->importSheet(), nullptr);
    EXPECT_FALSE(window->webView()->acceptDrops()) << "drops on the preview reach the window";
}
