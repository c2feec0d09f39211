// zarvex-bench-import PDF [flash|image]
//
// One whole import of PDF (links and bookmarks included) at quality level 1,
// printing its wall time and the peak memory of the process and of the tools
// it ran. bench/import.sh runs it with HOME and the XDG folders in a scratch
// folder, so the settings it changes are not the user's.
#include "base/AppSettings.h"
#include "base/Log.h"
#include "import/FlashPageSourcePDF.h"
#include "import/ImportPDFOperation.h"

#include <sys/resource.h>

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

    ImportPDFOperation operation(argv[1], "ALL", 144, 85);
    operation.setImportLinks(true);
    operation.setImportBookmarks(true);
    const auto start = std::chrono::steady_clock::now();
    operation.main();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (!operation.flashPageSource()) {
        std::fputs("the import failed\n", stderr);
        return 1;
    }

    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("import-seconds %.3f\npages %zu\npeak-rss-kib %ld\nchild-peak-rss-kib %ld\n",
                seconds.count(), operation.flashPageSource()->pages().size(), self.ru_maxrss,
                children.ru_maxrss);
    return 0;
}
