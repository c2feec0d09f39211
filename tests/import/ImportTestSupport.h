#pragma once

// Helpers of the import tests: progress recording, fixture documents, running
// an import to its end, JPEG sizes and byte mutations.

#include "base/NotificationCenter.h"
#include "import/FlashPage.h"
#include "import/ImportPDFOperation.h"
#include "import/PDFDocument.h"
#include "support/FixturePdf.h"
#include "support/LogCapture.h"
#include "support/TempHome.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvex::test {

// One "ImportProgressInfoMSG" as received.
struct Progress {
    std::string type;
    int pageIndex = 0;
    int totalPage = 0;
    friend bool operator==(const Progress&, const Progress&) = default;
};

// Records every progress message posted while it lives; `onMessage`, when
// given, runs on the posting thread after the message is recorded.
class ProgressRecorder {
public:
    explicit ProgressRecorder(std::function<void(const Progress&)> onMessage = {});
    std::vector<Progress> messages() const;

private:
    mutable std::mutex mutex_;
    std::vector<Progress> messages_;
    std::function<void(const Progress&)> onMessage_;
    ScopedObserver observer_;
};

// Writes `fixture` to `file` and opens it (a failure to open is a test failure).
std::shared_ptr<PDFDocument> openFixture(const std::filesystem::path& file,
                                         const FixtureDocument& fixture);

// The standard fixture and a two-page document that needs the password
// "secret", written once for the whole program.
struct SharedFiles {
    SharedFiles();
    TempDir dir{"zarvex-import"};
    std::filesystem::path standard = dir / "standard.pdf";
    std::filesystem::path encrypted = dir / "encrypted.pdf";
};
const SharedFiles& sharedFiles();

// Starts `operation` on its worker and waits for its completion callback.
void runToEnd(ImportPDFOperation& operation);

// The page numbers of `list`, in its order.
std::vector<int> pageNumbers(const FlashPageList& list);

// Width and height of a JPEG that decodes completely; (0, 0) otherwise.
std::pair<int, int> jpegSize(std::string_view jpeg);

// `bytes` with one random kind of damage: flipped bytes, cut short, a chunk
// dropped or repeated, a digit made huge or negative, garbage inserted.
std::string mutate(std::string bytes, std::mt19937& random);

} // namespace zarvex::test
