#pragma once

// Helpers of the import tests: progress recording, fixture documents and running
// an import to its end.

#include "base/NotificationCenter.h"
#include "import/FlashPage.h"
#include "import/ImportPDFOperation.h"
#include "import/PDFDocument.h"
#include "support/FixturePdf.h"
#include "support/Jpeg.h"
#include "support/LogCapture.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>

namespace zarvex::test {

// One "ImportProgressInfoMSG" as received.
struct Progress {
    std::string type;
    int pageIndex = 0, totalPage = 0;
    friend bool operator==(const Progress&, const Progress&) = default;
};

// Records every progress message posted while it lives; `onMessage`, when
// given, runs on the posting thread after the message is recorded.
class ProgressRecorder {
public:
    explicit ProgressRecorder(std::function<void(const Progress&)> onMessage = {})
        : onMessage_(std::move(onMessage)) {}
    std::vector<Progress> messages() const {
        std::scoped_lock lock(mutex_);
        return messages_;
    }

private:
    void record(const Notification& n) {
        const Progress p{n.value<std::string>("type"), n.value<int>("pageIndex", -1),
                         n.value<int>("totalPage", -1)};
        {
            std::scoped_lock lock(mutex_);
            messages_.push_back(p);
        }
        if (onMessage_)
            onMessage_(p);
    }
    mutable std::mutex mutex_;
    std::vector<Progress> messages_;
    std::function<void(const Progress&)> onMessage_;
    ScopedObserver observer_{NotificationCenter::defaultCenter(), "ImportProgressInfoMSG",
                             [this](const Notification& n) { record(n); }};
};

// Writes `fixture` to `file` and opens it (a failure to open is a test failure).
inline std::shared_ptr<PDFDocument> openFixture(const std::filesystem::path& file,
                                                const FixtureDocument& fixture) {
    writeFixturePdf(file, fixture);
    auto document = PDFDocument::open(file);
    EXPECT_TRUE(document) << file;
    return document;
}

// The standard fixture and a two-page document that needs the password
// "secret", written once for the whole program.
struct SharedFiles {
    SharedFiles() {
        writeFixturePdf(standard, standardDocument());
        FixtureDocument locked = plainDocument(2);
        locked.userPassword = "secret";
        writeFixturePdf(encrypted, locked);
    }
    TempDir dir{"zarvex-import"};
    std::filesystem::path standard = dir / "standard.pdf", encrypted = dir / "encrypted.pdf";
};
inline const SharedFiles& sharedFiles() {
    static const SharedFiles files;
    return files;
}

// Starts `operation` on its worker and waits for its completion callback.
inline void runToEnd(ImportPDFOperation& operation) {
    std::promise<void> done;
    operation.start([&](ImportPDFOperation&) { done.set_value(); });
    ASSERT_EQ(done.get_future().wait_for(std::chrono::minutes(5)), std::future_status::ready)
        << "the import hangs";
}

// The page numbers of `list`, in its order.
inline std::vector<int> pageNumbers(const FlashPageList& list) {
    std::vector<int> numbers;
    for (const auto& page : list)
        numbers.push_back(page->pageIndex());
    return numbers;
}

} // namespace zarvex::test
