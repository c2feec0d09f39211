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

// The folder and application forms, and what the publisher remembers, are
// checked through the publishing job (PublishJobTest); here its refusals.
TEST(BookPublisher, AnEmptyFolderOrAMissingPreviewIsAFailureNotASuccess) {
    log::silence();
    if (BookController::PageSource("DemoImgs_standard/large").empty())
        GTEST_SKIP() << "the demo pages are not in the resource folder";
    TempHome home;
    TempDir out;
    AppSettings settings(out / "settings.json");
    BookController controller;
    controller.loadDemoBook();
    BookPublisher publisher(controller.flashPageSource(), controller.flashTmpl(),
                            controller.flashOutline(), controller.flashPagesAnnotations());
    publisher.setAppSettings(&settings);
    publisher.setPreviewPath(BookController::previewFolderPath());
    // No preview was built, so there is no page list to merge.
    EXPECT_THROW(publisher.onPublish(PublishChoices{out / "book", "index", "T", 0, 0, 0}), Error);
    ASSERT_TRUE(controller.applyChange());
    EXPECT_THROW(publisher.onPublish(PublishChoices{"", "index", "T", 0, 0, 0}), Error);
    EXPECT_EQ(settings.lastOutputFileName(), "index") << "the choices are remembered";
    EXPECT_FALSE(fs::exists(home.config() / "zarvex")) << "the shared settings were used";
}
