#include "PublishSheet.h"
#include "GuiTestSupport.h"
#include "MainWindow.h"

#include "app/BookController.h"
#include "base/AppSettings.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "import/FlashPageSourceImg.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/ImportPDFOperation.h"
#include "support/FixturePdf.h"
#include "support/LogCapture.h"
#include "support/TempHome.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <deque>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::gui;
using namespace zarvex::test;

namespace {

constexpr int kPublishTimeoutMs = 120000;

using Strings = std::vector<std::string>;

QString qpath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// One question the sheet asked: its text, informative text and buttons.
struct Asked {
    QString text;
    QString informative;
    QStringList buttons;
};

// The main window over a real controller in a private home, its publish sheet
// remembering into a private settings file. The folder chooser and the
// questions answer from queues; opened addresses are recorded.
class PublishSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>(controller, choosers());
        ASSERT_TRUE(zarvex::test::waitForPreview(*window, [this] { window->launch(); }));
        window->show();
        sheet = window->publishSheet();
        sheet->setAppSettings(&settings);
    }

    Choosers choosers() {
        Choosers choosers;
        choosers.chooseFolder = [this](QWidget*, const QString& prompt) {
            prompts.push_back(prompt);
            return next(folderAnswers, QString());
        };
        choosers.question = [this](QWidget*, const QString& text, const QString& informative,
                                   const QStringList& buttons) {
            questions.push_back({text, informative, buttons});
            return next(answers, -1);
        };
        choosers.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        return choosers;
    }

    template <typename T> static T next(std::deque<T>& queue, T fallback) {
        if (queue.empty())
            return fallback;
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }

    // Opens the sheet through the Publish command and fills it in.
    void fill(const fs::path& folder, const QString& name, int form = PublishSheet::kFolderForm,
              bool mobile = false, int mobileType = 0, const QString& title = "A Title") {
        window->publishAction()->trigger();
        sheet->folderField()->setText(qpath(folder));
        sheet->nameField()->setText(name);
        sheet->titleField()->setText(title);
        sheet->outputTypeGroup()->button(form)->setChecked(true);
        sheet->mobileCheckBox()->setChecked(mobile);
        sheet->mobileTypeList()->setCurrentIndex(mobileType);
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

    TempHome home;
    AppSettings settings{home.config() / "zarvex/settings.json"};
    BookController controller;
    std::unique_ptr<MainWindow> window;
    PublishSheet* sheet = nullptr;
    std::deque<QString> folderAnswers;
    std::deque<int> answers;
    std::vector<QString> prompts;
    std::vector<Asked> questions;
    std::vector<QUrl> opened;
};

} // namespace

TEST_F(PublishSheetTest, PublishWaitsForAFolderAndANameAndTheMobileVersionForTheFolderForm) {
    EXPECT_TRUE(window->publishAction()->isEnabled());
    TempDir dir;
    fs::create_directories(dir / "existing");
    struct Row {
        const char* what;
        fs::path folder;
        QString name;
        int form;
        bool publish, mobile, open;
    };
    const Row rows[] = {
        {"a new folder", dir / "new", "index", PublishSheet::kFolderForm, true, true, false},
        {"an existing folder", dir / "existing", "book", PublishSheet::kFolderForm, true, true,
         true},
        {"the bundle form", dir / "new", "index", PublishSheet::kBundleForm, true, false, false},
        {"no folder", "", "index", PublishSheet::kFolderForm, false, true, false},
        {"a relative folder", "books/new", "index", PublishSheet::kFolderForm, false, true, false},
        {"no name", dir / "new", "", PublishSheet::kBundleForm, false, false, false},
        {"a name with a folder", dir / "new", "a/b", PublishSheet::kFolderForm, false, true, false},
        {"a name going up", dir / "new", "..", PublishSheet::kFolderForm, false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fill(row.folder, row.name, row.form);
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
        EXPECT_EQ(sheet->publishButton()->isEnabled(), row.publish);
        EXPECT_EQ(sheet->mobileCheckBox()->isEnabled(), row.mobile);
        EXPECT_EQ(sheet->mobileTypeList()->isEnabled(), row.mobile);
        EXPECT_EQ(sheet->openFolderButton()->isEnabled(), row.open);
        if (!row.publish) {
            sheet->onPublish();
            EXPECT_FALSE(sheet->isPublishing());
        }
        sheet->onCancel();
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(sheet->result(), QDialog::Rejected);
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(listFolder(dir.path()), Strings{"existing"}) << "nothing was written";

    // The chooser is asked for a folder; a cancelled one leaves the field as it was.
    fill(dir / "new", "index");
    folderAnswers = {qpath(dir / "existing"), ""};
    sheet->chooseFolderButton()->click();
    EXPECT_EQ(sheet->folderField()->text(), qpath(dir / "existing"));
    sheet->chooseFolderButton()->click();
    EXPECT_EQ(sheet->folderField()->text(), qpath(dir / "existing"));
    EXPECT_EQ(prompts, (std::vector<QString>{"Choose folder", "Choose folder"}));
    sheet->openFolderButton()->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(qpath(dir / "existing")));
    keepShot(*sheet, "publish-sheet.png");
}

// "YES" lets only an earlier book go: every other folder stays whole and the
// user is told why; "NO" leaves the sheet open with nothing written or saved.
TEST_F(PublishSheetTest, OverwriteReplacesOnlyAnEarlierBookWhateverTheAnswer) {
    TempDir dir;
    const std::string book = "index.html files/config.xml files/page/99.jpg";
    struct Row {
        const char* what;
        std::string files; // in the folder before, split at spaces
        int answer;        // 0 "YES", 1 "NO"; -1 when nothing is asked
        const char* refusal = nullptr;
        fs::path folder = {}; // dir/out unless given
    };
    const Row rows[] = {
        {"a new folder", "", -1},
        {"an earlier book, NO", book, 1},
        {"an earlier book, YES", book, 0},
        {"a folder of documents", "notes.txt " + book, 0, "not part of a book"},
        {"the home folder", "", 0, "never replaced", home.path()},
        {"the root folder", "", 0, "root", "/"},
        {"the preview folder", "", 0, "never written", home.data() / "Drevalis/preview"},
        {"the resources", "", 0, "never written", resourcesPath()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const fs::path folder = row.folder.empty() ? dir / "out" : row.folder;
        fs::remove_all(dir / "out");
        const Strings files = splitAtSpaces(row.files);
        for (const auto& file : files)
            writeFile(folder / file, "old");
        const Strings before = listFolder(folder);
        fill(folder, "index");
        questions.clear();
        if (row.answer >= 0)
            answers = {row.answer};
        const bool published = publish();

        const bool replaced = row.answer < 0 || (row.answer == 0 && !row.refusal);
        EXPECT_EQ(published, replaced);
        // The question about opening the result follows a publish.
        ASSERT_EQ(questions.size(), (row.answer >= 0 ? 1u : 0u) + (replaced ? 1u : 0u));
        if (row.answer >= 0) {
            EXPECT_EQ(questions[0].text, "");
            EXPECT_EQ(questions[0].informative,
                      "Output directory already exists. Do you want to over write it?");
            EXPECT_EQ(questions[0].buttons, (QStringList{"YES", "NO"}));
        }
        QMessageBox* message = shownMessage(sheet);
        if (row.refusal) {
            ASSERT_NE(message, nullptr) << "the user is told why";
            EXPECT_TRUE(message->informativeText().contains(row.refusal))
                << message->informativeText().toStdString();
            if (folder == home.path())
                keepShot(*message, "publish-sheet-refused.png");
            message->close();
        } else {
            EXPECT_EQ(message, nullptr);
        }
        if (replaced) {
            EXPECT_FALSE(sheet->isVisible());
            EXPECT_TRUE(fs::is_regular_file(folder / "index.html"));
            EXPECT_TRUE(fs::is_regular_file(folder / "files/config.xml"));
            EXPECT_FALSE(fs::exists(folder / "files/page/99.jpg")) << "the old book went";
            EXPECT_EQ(settings.lastOutputFileFolder(), folder.string());
        } else {
            EXPECT_TRUE(sheet->isVisible()) << "the sheet stays open";
            EXPECT_EQ(listFolder(folder), before);
            for (const auto& file : files)
                EXPECT_EQ(slurp(folder / file), "old") << file;
            EXPECT_EQ(settings.lastOutputFileFolder(), "") << "nothing is remembered";
            sheet->onCancel();
        }
        EXPECT_EQ(listFolder(dir.path()), replaced || !files.empty() ? Strings{"out"} : Strings{})
            << "staging folders left over";
        settings.setLastOutputFileFolder("");
    }
}

// The run happens on a thread of its own while the sheet names the steps; the
// result is offered for opening, and a new sheet starts from the choices made.
TEST_F(PublishSheetTest, APublishedBookIsOfferedForOpeningAndItsChoicesComeBack) {
    TempDir dir;
    struct Row {
        const char* what;
        int form;
        bool mobile;
        int mobileType;
        bool flashPages;
        Strings written;  // in the output folder
        const char* open; // the file opened, in the folder ("": the folder); null: a hint
    };
    const Row rows[] = {
        {"the folder form with the Slide mobile version",
         PublishSheet::kFolderForm,
         true,
         1,
         false,
         {"files", "mobile", "mybook.html"},
         "mybook.html"},
        {"the bundle form, the mobile version left out",
         PublishSheet::kBundleForm,
         true,
         0,
         false,
         {"mybook.app"},
         ""},
        {"Flash pages",
         PublishSheet::kFolderForm,
         false,
         0,
         true,
         {"files", "mybook.html"},
         nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.flashPages) {
            FixtureDocument document = plainDocument(2);
            writeFixturePdf(dir / "book.pdf", document);
            ImportPDFOperation operation(dir / "book.pdf", "ALL", 144, 85);
            operation.main();
            ASSERT_TRUE(operation.flashPageSource());
            controller.acceptImport(
                {operation.flashPageSource(), operation.flashPagesAnnotation(), nullptr, 612, 792});
            ASSERT_TRUE(zarvex::test::waitForPreview(*window, [this] { window->OnApplyChange(); }));
        }
        const fs::path folder = dir / "out" / row.what;
        fill(folder, "mybook", row.form, row.mobile, row.mobileType, row.what);
        questions.clear();
        opened.clear();
        answers = {0};
        std::vector<QString> steps;
        QObject::connect(sheet->progressBar(), &QProgressBar::valueChanged, sheet, [&] {
            steps.push_back(sheet->stepLabel()->text());
            if (steps.back() == "Copying pages" && row.form == PublishSheet::kFolderForm &&
                row.mobile)
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

        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(sheet->result(), QDialog::Accepted);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, "Open the result files?");
        EXPECT_EQ(questions[0].informative, "Publish finished! Open the it?");
        EXPECT_EQ(questions[0].buttons, (QStringList{"Open it", "No"}));
        EXPECT_EQ(listFolder(folder), row.written);
        if (row.form == PublishSheet::kBundleForm)
            EXPECT_TRUE(fs::is_regular_file(folder / "mybook.app/Contents/Resources/index.html"));
        else
            EXPECT_NE(slurp(folder / "mybook.html").find(row.what), std::string::npos)
                << "the title";
        EXPECT_FALSE(fs::is_regular_file(folder / "files/page/1.swf") != row.flashPages);
        QMessageBox* hint = shownMessage(window.get());
        if (row.open) {
            ASSERT_EQ(opened.size(), 1u);
            EXPECT_EQ(opened[0],
                      QUrl::fromLocalFile(qpath(*row.open ? folder / row.open : folder)));
            EXPECT_EQ(hint, nullptr);
        } else {
            EXPECT_TRUE(opened.empty()) << "a file address cannot show Flash pages";
            ASSERT_NE(hint, nullptr);
            EXPECT_TRUE(hint->informativeText().contains("python3 -m http.server -d '" +
                                                         qpath(folder) + "'"))
                << hint->informativeText().toStdString();
            EXPECT_TRUE(hint->informativeText().contains("http://localhost:8000/mybook.html"));
            keepShot(*hint, "publish-flash-pages-hint.png");
            hint->close();
        }

        // What the user chose is saved and a new sheet shows it.
        AppSettings reloaded(settings.storeFile());
        PublishSheet next(Choosers{});
        next.setAppSettings(&reloaded);
        EXPECT_EQ(next.folderField()->text().toStdString(), folder.string());
        EXPECT_EQ(next.nameField()->text().toStdString(), "mybook");
        EXPECT_EQ(next.titleField()->text().toStdString(), row.what);
        EXPECT_EQ(next.outputTypeGroup()->checkedId(), row.form);
        EXPECT_EQ(next.mobileCheckBox()->isChecked(), row.mobile);
        EXPECT_EQ(next.mobileCheckBox()->isEnabled(), row.form == PublishSheet::kFolderForm);
        EXPECT_EQ(next.mobileTypeList()->currentIndex(), row.mobileType);
    }
}

TEST_F(PublishSheetTest, AFailedPublishIsLoggedAndShownAndLeavesNothingBehind) {
    // A book whose page files went away since the import.
    TempDir dir;
    auto source = std::make_shared<FlashPageSourceImg>();
    for (const char* page : {"1.jpg", "2.jpg"}) {
        fs::copy_file(resourcePath("DemoImgs_standard/large/01.jpg"), dir / page);
        source->addImgPageFromFile(dir / page);
    }
    source->generateNormalPages();
    controller.setFlashPageSource(source);
    fs::remove(dir / "2.jpg");

    LogCapture log;
    fill(dir / "out", "index");
    EXPECT_FALSE(publish());
    EXPECT_TRUE(log.contains("publish error:"));
    EXPECT_TRUE(sheet->isVisible()) << "the sheet stays open to try again";
    EXPECT_TRUE(sheet->publishButton()->isEnabled());
    EXPECT_FALSE(sheet->progressBar()->isVisible());
    QMessageBox* message = shownMessage(sheet);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), "The book could not be published.");
    EXPECT_TRUE(message->informativeText().contains("2.jpg"))
        << message->informativeText().toStdString();
    keepShot(*message, "publish-sheet-failed.png");
    message->close();
    EXPECT_TRUE(questions.empty()) << "nothing to open";
    EXPECT_EQ(listFolder(dir.path()), (Strings{"1.jpg"})) << "no book and no staging folder";
}
