// Runs by hand or from bench/import.sh only (disabled in the normal suite): one
// whole import of $ZARVEX_BENCH_PDF in $ZARVEX_BENCH_MODE (0 Flash, 1 image) at
// quality level 1, printing its wall time and peak memory.

#include "import/ImportPDFOperation.h"

#include "base/AppSettings.h"
#include "base/Log.h"
#include "import/FlashPageSourcePDF.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace zarvex {
namespace {

TEST(ImportBenchmark, DISABLED_WholeImport) {
    const char* pdf = std::getenv("ZARVEX_BENCH_PDF");
    ASSERT_TRUE(pdf) << "set ZARVEX_BENCH_PDF";
    const char* mode = std::getenv("ZARVEX_BENCH_MODE");
    log::silence();
    AppSettings::shareInstance().setImportType(mode ? std::atoi(mode) : 1);

    ImportPDFOperation operation(pdf, "ALL", 144, 85);
    operation.setImportLinks(true);
    operation.setImportBookmarks(true);
    const auto start = std::chrono::steady_clock::now();
    operation.main();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(operation.flashPageSource());

    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("import-seconds %.3f\npages %zu\npeak-rss-kib %ld\nchild-peak-rss-kib %ld\n",
                seconds.count(), operation.flashPageSource()->pages().size(), self.ru_maxrss,
                children.ru_maxrss);
}

} // namespace
} // namespace zarvex
