#include "app/BookPublisher.h"

#include "app/BookController.h"
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "import/FlashPageSource.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace zarvex;
using zarvex::test::TempDir;
using zarvex::test::TempHome;

namespace {

class BookPublisherTest : public ::testing::Test {
protected:
    void SetUp() override {
        log::silence();
        if (BookController::PageSource("DemoImgs_standard/large").empty())
            GTEST_SKIP() << "the demo pages are not in the resource folder";
        controller.loadDemoBook();
        auto source = controller.flashPageSource();
        source->setMobilePages(source->pages());
    }

    BookPublisher publisher() {
        BookPublisher p(controller.flashPageSource(), controller.flashTmpl(),
                        controller.flashOutline(), controller.flashPagesAnnotations());
        p.setPreviewPath(BookController::previewFolderPath());
        return p;
    }

    TempHome home;
    TempDir out;
    BookController controller;
};

} // namespace

TEST_F(BookPublisherTest, FolderFormWritesThePageTheMobileVersionAndRemembersTheChoices) {
    ASSERT_TRUE(controller.applyChange());
    PublishChoices choices{out / "book", "mybook", "My title", 0, 1, 0};
    fs::path page = publisher().onPublish(choices);
    EXPECT_EQ(page, out / "book/mybook.html");
    EXPECT_TRUE(fs::exists(page));
    EXPECT_TRUE(fs::exists(out / "book/mobile/javascript/main.js"));

    AppSettings& settings = AppSettings::shareInstance();
    EXPECT_EQ(settings.lastOutputFileFolder(), (out / "book").string());
    EXPECT_EQ(settings.lastOutputFileName(), "mybook");
    EXPECT_EQ(settings.lastOutputFileTitle(), "My title");
    EXPECT_EQ(settings.OutputCreateMobile(), 1);
    EXPECT_EQ(settings.outputType(), 0);
}

TEST_F(BookPublisherTest, ApplicationFormHasNoMobileVersion) {
    ASSERT_TRUE(controller.applyChange());
    PublishChoices choices{out / "apps", "mybook", "T", 1, 1, 1};
    fs::path bundle = publisher().onPublish(choices);
    EXPECT_EQ(bundle, out / "apps/mybook.app");
    EXPECT_TRUE(fs::exists(bundle / "Contents/Resources/index.html"));
    EXPECT_FALSE(fs::exists(out / "apps/mobile"));
    EXPECT_FALSE(fs::exists(bundle / "Contents/Resources/mobile"));
}

TEST_F(BookPublisherTest, AnEmptyFolderIsAFailureNotASuccess) {
    ASSERT_TRUE(controller.applyChange());
    EXPECT_THROW(publisher().onPublish(PublishChoices{"", "index", "T", 0, 0, 0}), Error);
}

TEST_F(BookPublisherTest, PublishingWithoutAPreviewFailsCleanly) {
    // No preview was built, so there is no page list to merge.
    EXPECT_THROW(publisher().onPublish(PublishChoices{out / "book", "index", "T", 0, 0, 0}), Error);
}
