// zarvex-bench-import PDF [flash|image]
//
// One whole import of PDF (links and bookmarks included) at quality level 1,
// printing its wall time, the time of each stage (the four page passes, then
// links and bookmarks) and the peak memory of the process and of the tools it
// ran. bench/import.sh runs it with HOME and the XDG folders in a scratch
// folder, so the settings it changes are not the user's.
#include "base/AppSettings.h"
#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "import/FlashPageSourcePDF.h"
#include "import/ImportPDFOperation.h"

#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string_view>

using namespace zarvex;

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: zarvex-bench-import PDF [flash|image]\n", stderr);
        return 2;
    }
    log::silence();
    AppSettings::shareInstance().setImportType(argc == 3 && std::string_view(argv[2]) == "image");

    using Clock = std::chrono::steady_clock;
    ImportPDFOperation operation(argv[1], "ALL", 144, 85);
    operation.setImportLinks(true);
    operation.setImportBookmarks(true);

    // A pass ends with its last page's progress message; what follows the
    // fourth pass is the link and bookmark scan.
    std::array<Clock::time_point, 4> passEnd{};
    std::size_t pass = 0;
    ScopedObserver observer(NotificationCenter::defaultCenter(), FlashPageSource::kProgressMessage,
                            [&](const Notification& note) {
                                if (note.value<int>("pageIndex") == note.value<int>("totalPage") &&
                                    pass < passEnd.size())
                                    passEnd[pass++] = Clock::now();
                            });
    const auto start = Clock::now();
    operation.main();
    const auto end = Clock::now();
    if (!operation.flashPageSource()) {
        std::fputs("the import failed\n", stderr);
        return 1;
    }

    auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("import-seconds %.3f\npages %zu\npeak-rss-kib %ld\nchild-peak-rss-kib %ld\n",
                seconds(end - start), operation.flashPageSource()->pages().size(), self.ru_maxrss,
                children.ru_maxrss);
    if (pass == passEnd.size()) {
        std::printf("stage-pages %.3f\nstage-thumbnails %.3f\nstage-mobile %.3f\n"
                    "stage-normal %.3f\nstage-links-bookmarks %.3f\n",
                    seconds(passEnd[0] - start), seconds(passEnd[1] - passEnd[0]),
                    seconds(passEnd[2] - passEnd[1]), seconds(passEnd[3] - passEnd[2]),
                    seconds(end - passEnd[3]));
    }
    return 0;
}
