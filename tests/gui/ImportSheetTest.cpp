#include "ImportSheet.h"
#include "GuiTestSupport.h"
#include "MainWindow.h"

#include "app/BookController.h"
#include "base/AppSettings.h"
#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "import/FlashPageSource.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"
#include "templates/FlashTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::gui;
using namespace zarvex::test;

namespace {

constexpr int kImportTimeoutMs = 120000;

// Holds the import's worker in its next progress message, after the sheet has
// seen it, until released: the tests act while an import surely runs.
class ProgressGate {
public:
    ~ProgressGate() { release(); }

    void holdNext() {
        std::scoped_lock lock(mutex_);
        armed_ = true;
        // Registered after the sheet's own observer, so the sheet hears first.
        observer_ =
            ScopedObserver(NotificationCenter::defaultCenter(), FlashPageSource::kProgressMessage,
                           [this](const Notification&) { hold(); });
    }
    bool holding() const {
        std::scoped_lock lock(mutex_);
        return held_;
    }
    void release() {
        std::scoped_lock lock(mutex_);
        armed_ = false;
        held_ = false;
        changed_.notify_all();
    }

private:
    void hold() {
        if (QThread::currentThread() == qApp->thread())
            return;
        std::unique_lock lock(mutex_);
        if (!armed_)
            return;
        armed_ = false;
        held_ = true;
        changed_.wait(lock, [this] { return !held_; });
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    bool held_ = false;
    ScopedObserver observer_;
};

// The main window over a real controller with a private home, settings store and
// work base; the file chooser answers from a queue.
class ImportSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        log::silence();
        fs::create_directories(dir / "work");
        Choosers choosers;
        choosers.openFile = [this](QWidget*, const QString&, const QString& start,
                                   const QStringList& extensions) {
            asked.push_back({start, extensions});
            QString answer = fileAnswers.empty() ? QString() : fileAnswers.front();
            if (!fileAnswers.empty())
                fileAnswers.pop_front();
            return answer;
        };
        choosers.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        controller.setAppSettings(&settings);
        window = std::make_unique<MainWindow>(controller, choosers);
        ASSERT_TRUE(waitForPreview(*window, [this] { window->launch(); }));
        window->show();
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

    static QString qpath(const fs::path& path) { return QString::fromStdString(path.string()); }

    // The work folders that page sources have left.
    std::vector<std::string> workFolders() const { return listFolder(dir / "work/Pellido"); }

    TempHome home;
    TempDir dir;
    ScopedEnv workBase{"ZARVEX_WORK_BASE", (dir / "work").string()};
    AppSettings settings{home.config() / "zarvex/settings.json"};
    const fs::path preview = home.data() / "Drevalis/preview";
    BookController controller;
    std::unique_ptr<MainWindow> window;
    ProgressGate gate;
    std::deque<QString> fileAnswers;
    std::vector<std::pair<QString, QStringList>> asked;
    std::vector<QUrl> opened;
};

} // namespace

TEST_F(ImportSheetTest, TheSheetShowsTheSavedChoicesAndSavesNewOnesForTheNext) {
    const fs::path saved = book("saved.pdf", plainDocument(2));
    settings.setLastImportedFile(saved.string());
    settings.setImportPageRangeType(1);
    settings.setImportPageRange("2-3");
    settings.setImportQualityLevel(3);
    settings.setImportLinks(1);
    settings.setImportBookmark(0);
    settings.setImportType(1);

    EXPECT_TRUE(window->importAction()->isEnabled());
    ImportSheet* sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->importFileField()->text(), qpath(saved));
    EXPECT_TRUE(sheet->pageRangeChoice()->isChecked());
    EXPECT_EQ(sheet->pageRangeField()->text(), "2-3");
    EXPECT_EQ(sheet->qualityList()->currentIndex(), 3);
    EXPECT_TRUE(sheet->linksBox()->isChecked());
    EXPECT_FALSE(sheet->bookmarksBox()->isChecked());
    EXPECT_TRUE(sheet->imagePagesChoice()->isChecked());
    EXPECT_TRUE(sheet->infoLabel()->isHidden());
    EXPECT_TRUE(sheet->progressBar()->isHidden());
    keepShot(*sheet, "import-sheet.png");

    // The five levels, best first, each naming its JPEG quality.
    ASSERT_EQ(sheet->qualityList()->count(), 5);
    const int qualities[] = {100, 85, 65, 45, 25};
    for (int level = 0; level < 5; ++level)
        EXPECT_TRUE(
            sheet->qualityList()->itemText(level).contains(QString(" %1)").arg(qualities[level])))
            << sheet->qualityList()->itemText(level).toStdString();

    // While idle the range field follows the choice.
    for (const auto& [choice, enabled] :
         {std::pair{sheet->allPagesChoice(), false}, std::pair{sheet->pageRangeChoice(), true}}) {
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

    // A missing file is refused with nothing else changed.
    sheet->importFileField()->setText(qpath(dir / "missing.pdf"));
    sheet->okButton()->click();
    EXPECT_FALSE(sheet->isImporting());
    EXPECT_TRUE(sheet->okButton()->isEnabled());
    EXPECT_TRUE(sheet->infoLabel()->isVisible());
    EXPECT_EQ(sheet->infoLabel()->text().toStdString(), "Import PDF file does not exist.");
    EXPECT_FALSE(fs::exists(settings.storeFile()));

    // New choices are saved as the import starts, and the next sheet shows them.
    sheet->importFileField()->setText(qpath(saved));
    sheet->allPagesChoice()->click();
    sheet->pageRangeField()->setText("1");
    sheet->qualityList()->setCurrentIndex(1);
    sheet->flashPagesChoice()->click();
    sheet->linksBox()->setChecked(false);
    sheet->bookmarksBox()->setChecked(true);
    ASSERT_TRUE(waitForPreview(*window, [&] {
        sheet->okButton()->click();
        const AppSettings stored(settings.storeFile());
        EXPECT_EQ(stored.lastImportedFile(), saved.string());
        EXPECT_EQ(stored.importPageRangeType(), 0);
        EXPECT_EQ(stored.importPageRange(), "1");
        EXPECT_EQ(stored.importQualityLevel(), 1);
        EXPECT_EQ(stored.importLinks(), 0);
        EXPECT_EQ(stored.importBookmark(), 1);
        EXPECT_EQ(stored.ImportType(), 0);
    }));
    EXPECT_EQ(window->importSheet(), nullptr) << "the import succeeded";

    AppSettings reloaded(settings.storeFile());
    controller.setAppSettings(&reloaded);
    ImportSheet* next = openSheet();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->allPagesChoice()->isChecked());
    EXPECT_FALSE(next->pageRangeField()->isEnabled());
    EXPECT_EQ(next->pageRangeField()->text(), "1");
    EXPECT_EQ(next->qualityList()->currentIndex(), 1);
    EXPECT_TRUE(next->flashPagesChoice()->isChecked());
    EXPECT_FALSE(next->linksBox()->isChecked());
    EXPECT_TRUE(next->bookmarksBox()->isChecked());
    next->cancelButton()->click();
    controller.setAppSettings(&settings);
}

TEST_F(ImportSheetTest, CancelStopsTheImportAndKeepsTheSheetASecondCancelClosesIt) {
    const auto before = controller.flashPageSource();
    const QPointer<ImportSheet> sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
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
             sheet->linksBox(), sheet->bookmarksBox()})
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
    EXPECT_TRUE(sheet->cancelButton()->isEnabled());
    EXPECT_TRUE(sheet->progressBar()->isVisible());

    // The worker is held after its first page; the window shows it meanwhile.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return sheet->infoLabel()->text() == "Importing:1 of 12 Pages"; }, kImportTimeoutMs))
        << sheet->infoLabel()->text().toStdString();
    EXPECT_TRUE(gate.holding());
    EXPECT_EQ(sheet->passLabel()->text().toStdString(), "Importing pages (pass 1 of 4)");
    EXPECT_EQ(sheet->progressBar()->value(), 1000 / 48);
    keepShot(*sheet, "import-sheet-importing.png");

    sheet->cancelButton()->click();
    EXPECT_TRUE(sheet->okButton()->isEnabled()) << "Cancel enables the controls at once";
    EXPECT_TRUE(sheet->pageRangeField()->isEnabled());
    EXPECT_TRUE(sheet->progressBar()->isHidden());
    gate.release();
    ASSERT_TRUE(importEnds(sheet));
    ASSERT_TRUE(sheet && sheet->isVisible()) << "a cancelled import keeps the sheet";
    EXPECT_EQ(sheet->infoLabel()->text().toStdString(), "The import was cancelled.");
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(workFolders(), std::vector<std::string>{});

    sheet->cancelButton()->click();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.front().front().toInt(), 0);
    EXPECT_EQ(window->importSheet(), nullptr);
    EXPECT_EQ(controller.flashPageSource(), before);
}

TEST_F(ImportSheetTest, AFailedImportSaysWhyAndASuccessfulOneShowsTheBookAtItsPageSize) {
    writeFile(dir / "broken.pdf", "not a PDF at all");
    ImportSheet* sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->importFileField()->setText(qpath(dir / "broken.pdf"));
    sheet->okButton()->click();
    ASSERT_TRUE(importEnds(sheet));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->okButton()->isEnabled());
    EXPECT_TRUE(sheet->importFileField()->isEnabled());
    EXPECT_TRUE(sheet->progressBar()->isHidden());
    EXPECT_TRUE(sheet->infoLabel()->isVisible());
    EXPECT_EQ(sheet->infoLabel()->text().toStdString(), "The import failed: the file '" +
                                                            (dir / "broken.pdf").string() +
                                                            "' is not a readable PDF document");
    keepShot(*sheet, "import-sheet-failed.png");

    // Pages 2 and 3, whose size differs from the first page's, as image pages.
    FixtureDocument document = plainDocument(3);
    document.pages[1] = FixturePage(500, 700);
    document.pages[2] = FixturePage(500, 700);
    sheet->importFileField()->setText(qpath(book("book.pdf", document)));
    sheet->pageRangeChoice()->click();
    sheet->pageRangeField()->setText("2-3");
    sheet->imagePagesChoice()->click();
    writeFile(preview / "pages.xml", slurp(preview / "pages.xml") + "<!-- edited -->");
    QSignalSpy finished(sheet, &QDialog::finished);
    ASSERT_TRUE(waitForPreview(*window, [&] { sheet->okButton()->click(); }));

    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.front().front().toInt(), 1);
    EXPECT_EQ(window->importSheet(), nullptr);
    const auto source = controller.flashPageSource();
    ASSERT_TRUE(source);
    ASSERT_EQ(source->pages().size(), 2u);
    EXPECT_EQ(source->pages()[0]->pageIndex(), 2);
    EXPECT_EQ(controller.flashTmpl()->propertyValueFor("pageWidth", ""), "500");
    EXPECT_EQ(controller.flashTmpl()->propertyValueFor("pageHeight", ""), "700");
    EXPECT_EQ(std::make_pair(settings.PageWidth(), settings.PageHeight()),
              std::make_pair(1000, 1400));
    EXPECT_EQ(slurp(preview / "pages.xml").find("edited"), std::string::npos);
    EXPECT_EQ(listFolder(preview / "files/page").size(), 2u);
    keepShot(*window, "main-window-imported.png");
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
    struct Row {
        const char* how;
        std::function<void(const fs::path&)> hand;
    };
    const std::vector<Row> rows = {
        {"command line", [this](const fs::path& file) { window->openPdf(file); }},
        {"drop", [&](const fs::path& file) { EXPECT_TRUE(dropEvent(file)); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        row.hand(pdf);
        ImportSheet* sheet = window->importSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(sheet->importFileField()->text(), qpath(pdf));
        sheet->reject();
        EXPECT_EQ(window->importSheet(), nullptr);
    }
    writeFile(dir / "notes.txt", "text");
    EXPECT_FALSE(dropEvent(dir / "notes.txt"));
    EXPECT_EQ(window->importSheet(), nullptr);
    EXPECT_FALSE(window->webView()->acceptDrops()) << "drops on the preview reach the window";
}

TEST_F(ImportSheetTest, ClosingTheWindowDuringAnImportStopsItAndLeavesNoWorkFolder) {
    // The test program goes on after the window.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const auto before = controller.flashPageSource();
    ImportSheet* sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->importFileField()->setText(qpath(book("long.pdf", plainDocument(12))));
    gate.holdNext();
    sheet->okButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.holding(); }, kImportTimeoutMs));
    EXPECT_EQ(workFolders().size(), 1u);

    gate.release();
    window->close();
    EXPECT_FALSE(sheet->isImporting());
    EXPECT_EQ(controller.flashPageSource(), before);
    EXPECT_EQ(workFolders(), std::vector<std::string>{});
    window.reset();
    QGuiApplication::setQuitOnLastWindowClosed(true);
}
