#include "PublishSheet.h"
#include "GuiTestSupport.h"
#include "ImportSheet.h"

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::gui;
using namespace zarvex::test;

namespace {

constexpr int kPublishTimeoutMs = 120000;

using Strings = std::vector<std::string>;

// The window's publish sheet, remembering into the private settings.
class PublishSheetTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        sheet = window->publishSheet();
        sheet->setAppSettings(&settings);
    }

    // Opens the sheet through the Publish command and fills it in.
    void fill(const fs::path& folder, const QString& name, int form = PublishSheet::kFolderForm,
              bool mobile = false, int mobileType = 0, const QString& title = "A Title",
              bool zoom = false) {
        window->publishAction()->trigger();
        sheet->folderField()->setText(qpath(folder));
        sheet->nameField()->setText(name);
        sheet->titleField()->setText(title);
        sheet->outputTypeGroup()->button(form)->setChecked(true);
        sheet->mobileCheckBox()->setChecked(mobile);
        sheet->mobileTypeList()->setCurrentIndex(mobileType);
        sheet->zoomPagesCheckBox()->setChecked(zoom);
    }

    // Publishes what the sheet shows; true when a run started and succeeded.
    // `during` looks at the sheet while the book is written.
    bool publish(const std::function<void()>& during = {}) {
        QSignalSpy finished(sheet, &PublishSheet::publishFinished);
        sheet->onPublish();
        if (!sheet->isPublishing())
            return false;
        if (during)
            during();
        if (finished.isEmpty() && !finished.wait(kPublishTimeoutMs))
            return false;
        return finished.first().at(0).toBool();
    }

    // The message box shown on `parent` now, if any.
    static QMessageBox* shownMessage(QWidget* parent) {
        for (auto* box : parent->findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly))
            if (box->isVisible())
                return box;
        return nullptr;
    }

    PublishSheet* sheet = nullptr;
};

} // namespace

// Publishing is the third state, checked while a book is written below.
TEST_F(PublishSheetTest, PublishWaitsForAFolderAndANameAndTheMobileVersionForTheFolderForm) {
    EXPECT_TRUE(window->publishAction()->isEnabled());
    fs::create_directories(dir / "existing");
    struct Row {
        const char* what;
        fs::path folder;
        QString name;
        int form;
        std::vector<bool> enabled; // Publish, mobile check box, mobile list, Open folder
    };
    const int kFolder = PublishSheet::kFolderForm, kBundle = PublishSheet::kBundleForm;
    const Row rows[] = {
        {"nothing chosen", "", "", kFolder, {false, true, true, false}},
        {"all chosen", dir / "existing", "book", kFolder, {true, true, true, true}},
        {"the bundle form", dir / "new", "index", kBundle, {true, false, false, false}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fill(row.folder, row.name, row.form);
        EXPECT_EQ(std::pair(sheet->isVisible(), sheet->windowModality()),
                  std::pair(true, Qt::WindowModal));
        EXPECT_EQ((std::vector<bool>{sheet->publishButton()->isEnabled(),
                                     sheet->mobileCheckBox()->isEnabled(),
                                     sheet->mobileTypeList()->isEnabled(),
                                     sheet->openFolderButton()->isEnabled()}),
                  row.enabled);
        if (!row.enabled[0]) {
            sheet->onPublish();
            EXPECT_FALSE(sheet->isPublishing());
        }
        sheet->onCancel();
        EXPECT_EQ(std::pair(sheet->isVisible(), sheet->result()), std::pair(false, 0));
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(listFolder(dir.path()), Strings{"existing"}) << "nothing was written";

    // The chooser is asked for a folder; a cancelled one leaves the field as it was.
    fill(dir / "new", "index");
    folderAnswers = {qpath(dir / "existing"), ""};
    for (int i = 0; i < 2; ++i) {
        sheet->chooseFolderButton()->click();
        EXPECT_EQ(sheet->folderField()->text(), qpath(dir / "existing"));
    }
    EXPECT_EQ(prompts, (std::vector<QString>{"Choose folder", "Choose folder"}));
    sheet->openFolderButton()->click();
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(qpath(dir / "existing"))});
    keepShot(*sheet, "publish-sheet.png");
}

// The run happens on a thread of its own while the sheet names the steps; the
// result is offered for opening, and a new sheet starts from the choices made.
// "YES" to the overwrite question lets an earlier book go; which folders are
// refused and why is checked with the command line.
TEST_F(PublishSheetTest, APublishedBookIsOfferedForOpeningAndItsChoicesComeBack) {
    const int kFolder = PublishSheet::kFolderForm, kBundle = PublishSheet::kBundleForm;
    struct Row {
        const char* what;
        int form;
        int mobile; // the mobile version's type; -1: none
        bool flashPages;
        bool zoom;           // the pages' zoom images, made from the PDF page by page
        std::string written; // in the output folder, split at spaces
        const char* open;    // the file opened, in the folder ("": the folder); null: a hint
        bool overEarlierBook = false;
    };
    const Row rows[] = {
        {"folder form, Slide mobile", kFolder, 1, false, false, "files mobile mybook.html",
         "mybook.html", true},
        {"bundle form, mobile left out", kBundle, 0, false, false, "mybook.app", ""},
        {"Flash pages with zoom pages", kFolder, -1, true, true, "files mybook.html", nullptr},
    };
    const Asked offer{
        "Open the result files?", "Publish finished! Open the it?", {"Open it", "No"}};
    const Asked overwrite{
        "", "Output directory already exists. Do you want to over write it?", {"YES", "NO"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.flashPages) {
            // The whole way: a PDF with a link through the import sheet into the preview, whose
            // script reads the Flash page files from the preview folder, and on to the book.
            FixtureDocument document = plainDocument(2);
            document.pages[0].links.push_back(
                FixtureLink::web({150, 250, 300, 300}, "https://a.example/"));
            document.pages[0].drawLinks = true;
            writeFixturePdf(dir / "book.pdf", document);
            window->importAction()->trigger();
            ImportSheet* importer = window->importSheet();
            importer->importFileField()->setText(qpath(dir / "book.pdf"));
            importer->flashPagesChoice()->click();
            importer->linksBox()->setChecked(true);
            ASSERT_TRUE(waitForPreview([&] { importer->okButton()->click(); }));
            EXPECT_GE(previewPixels(QColor(255, 0, 255), 200), 200)
                << "the preview draws the first page's picture";
            keepShot(*window, "main-window-flash-pages.png");
        }
        const fs::path folder = dir / "out" / row.what;
        for (const auto& file : splitAtSpaces("index.html files/config.xml files/page/99.jpg"))
            if (row.overEarlierBook)
                writeFile(folder / file, "old");
        fill(folder, "mybook", row.form, row.mobile >= 0, std::max(row.mobile, 0), row.what,
             row.zoom);
        questions.clear();
        opened.clear();
        answers = {0, 0};
        std::vector<QString> steps;
        QObject::connect(sheet->progressBar(), &QProgressBar::valueChanged, sheet, [&] {
            steps.push_back(sheet->stepLabel()->text());
            if (steps.back() == "Copying pages" && row.mobile > 0)
                keepShot(*sheet, "publish-sheet-publishing.png");
        });
        const bool published = publish([&] {
            EXPECT_TRUE(sheet->progressBar()->isVisible());
            for (QWidget* control :
                 std::initializer_list<QWidget*>{sheet->publishButton(), sheet->cancelButton(),
                                                 sheet->folderField(), sheet->mobileCheckBox()})
                EXPECT_FALSE(control->isEnabled());
            sheet->reject();
            EXPECT_TRUE(sheet->isVisible()) << "a running publish is not cancelled";
        });
        QObject::disconnect(sheet->progressBar(), nullptr, sheet, nullptr);
        ASSERT_TRUE(published);
        EXPECT_TRUE(std::find(steps.begin(), steps.end(), "Copying pages") != steps.end())
            << "the writer's steps are named";
        EXPECT_EQ(std::find(steps.begin(), steps.end(), "Making zoom pages") != steps.end(),
                  row.zoom);
        EXPECT_EQ(std::pair(sheet->isVisible(), sheet->result()), std::pair(false, 1));
        EXPECT_EQ(questions,
                  (row.overEarlierBook ? std::vector{overwrite, offer} : std::vector{offer}));
        EXPECT_EQ(listFolder(folder), splitAtSpaces(row.written));
        if (row.form == kBundle)
            EXPECT_TRUE(fs::is_regular_file(folder / "mybook.app/Contents/Resources/index.html"));
        else
            EXPECT_NE(slurp(folder / "mybook.html").find(row.what), std::string::npos)
                << "the title";
        EXPECT_EQ(fs::is_regular_file(folder / "files/page/1.swf"), row.flashPages);
        EXPECT_EQ(std::pair(fs::is_regular_file(folder / "files/zoom/2.jpg"),
                            fs::is_regular_file(folder / "files/zoom/index.js")),
                  std::pair(row.zoom, row.zoom));
        QMessageBox* hint = shownMessage(window.get());
        EXPECT_EQ(hint == nullptr, row.open != nullptr);
        if (row.open) {
            EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(
                                  qpath(*row.open ? folder / row.open : folder))});
        } else if (hint) {
            // The hint's wording is checked with the command line, which shares it.
            EXPECT_TRUE(opened.empty()) << "a file address cannot show Flash pages";
            EXPECT_TRUE(hint->informativeText().contains("python3 -m http.server -d '" +
                                                         qpath(folder) + "'"))
                << hint->informativeText().toStdString();
            keepShot(*hint, "publish-flash-pages-hint.png");
            hint->close();
        }

        // What the user chose is saved and a new sheet shows it.
        AppSettings reloaded(settings.storeFile());
        PublishSheet again(Choosers{});
        again.setAppSettings(&reloaded);
        EXPECT_EQ(
            std::tuple(again.folderField()->text(), again.nameField()->text(),
                       again.titleField()->text(), again.outputTypeGroup()->checkedId(),
                       again.mobileCheckBox()->isChecked(), again.mobileCheckBox()->isEnabled(),
                       again.mobileTypeList()->currentIndex(),
                       again.zoomPagesCheckBox()->isChecked()),
            std::tuple(qpath(folder), QString("mybook"), QString(row.what), row.form,
                       row.mobile >= 0, row.form == kFolder, std::max(row.mobile, 0), row.zoom));
    }
}
