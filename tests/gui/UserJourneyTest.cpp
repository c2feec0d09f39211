// A new user's whole way through the desktop application: a PDF with a link
// imported through the import sheet, published with its mobile version through
// the publish sheet, and the result opened in Chromium as a reader opens it.
#include "GuiTestSupport.h"
#include "ImportSheet.h"
#include "PublishSheet.h"

#include "base/Process.h"
#include "import/FlashPageSource.h"

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::gui;
using namespace zarvex::test;

namespace {

constexpr int kWorkTimeoutMs = 120000;

// What Chromium shows at `url`, as a picture; null when it cannot run.
QImage chromiumShot(const QUrl& url, const fs::path& picture) {
    const fs::path chromium = "/usr/bin/chromium";
    if (!fs::exists(chromium))
        return {};
    runProcess(chromium, {"--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                          "--allow-file-access-from-files", "--window-size=1280,800",
                          "--virtual-time-budget=8000", "--screenshot=" + picture.string(),
                          url.toString().toStdString()});
    return QImage(QString::fromStdString(picture.string()));
}

} // namespace

using UserJourney = WindowTest;

TEST_F(UserJourney, ImportAPdfPublishItWithItsMobileVersionAndReadItInChromium) {
    FixtureDocument document = plainDocument(3);
    document.pages[0].links.push_back(FixtureLink::page({150, 250, 300, 300}, 2));
    document.pages[0].drawLinks = true;
    writeFixturePdf(dir / "journey.pdf", document);
    answers = {0}; // "Open it"
    keepShot(*window, "journey-1-started.png");

    // The import sheet, as the user fills it: the file, all pages, image pages, links.
    window->importAction()->trigger();
    ImportSheet* importer = window->importSheet();
    ASSERT_NE(importer, nullptr);
    importer->importFileField()->setText(qpath(dir / "journey.pdf"));
    importer->allPagesChoice()->click();
    importer->imagePagesChoice()->click();
    importer->linksBox()->setChecked(true);
    keepShot(*importer, "journey-2-import-sheet.png");
    ASSERT_TRUE(waitForPreview([&] { importer->okButton()->click(); }));
    EXPECT_EQ(controller.flashPageSource()->normalPages().size(), 3u);
    // The preview shows the imported first page, link area and all.
    EXPECT_GE(awaitPreviewPixels(QColor(255, 0, 255), 2000), 2000);
    keepShot(*window, "journey-3-imported.png");

    // The publish sheet: a new folder, the folder form, the Flip mobile version.
    window->publishAction()->trigger();
    PublishSheet* publisher = window->publishSheet();
    publisher->folderField()->setText(qpath(dir / "book"));
    publisher->nameField()->setText("journey");
    publisher->titleField()->setText("Journey");
    publisher->outputTypeGroup()->button(PublishSheet::kFolderForm)->setChecked(true);
    publisher->mobileCheckBox()->setChecked(true);
    publisher->mobileTypeList()->setCurrentIndex(0);
    keepShot(*publisher, "journey-4-publish-sheet.png");
    publisher->onPublish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !publisher->isPublishing(); }, kWorkTimeoutMs));
    ASSERT_EQ(opened.size(), 1u) << "the finished book is opened";
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(qpath(dir / "book/journey.html")));

    // A reader opens the book and its mobile version; both show the linked page.
    const QImage book = chromiumShot(opened[0], dir / "book.png");
    if (book.isNull())
        GTEST_SKIP() << "Chromium is not installed";
    book.save(qpath(fs::path(ZARVEX_GUI_SHOTS_DIR) / "journey-5-book-in-chromium.png"));
    EXPECT_GT(pixelsNear(book, QColor(255, 0, 255)), 2000) << "the first page with its link area";
    const fs::path mobile = dir / "book/mobile/index.html";
    ASSERT_TRUE(fs::exists(mobile));
    const QImage phone = chromiumShot(QUrl::fromLocalFile(qpath(mobile)), dir / "mobile.png");
    phone.save(qpath(fs::path(ZARVEX_GUI_SHOTS_DIR) / "journey-6-mobile-in-chromium.png"));
    EXPECT_GT(pixelsNear(phone, QColor(255, 0, 255)), 2000) << "the mobile version's first page";
}
