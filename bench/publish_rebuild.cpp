// zarvex-bench-rebuild PDF [flash|image]
//
// Imports PDF at quality level 1 into a private preview folder, builds the
// preview once, changes one property and builds it again, and prints both
// times in seconds. bench/publish.sh runs it; it never touches the user's own
// preview or settings (HOME and the XDG folders point into a temporary folder).
#include "app/BookController.h"
#include "base/AppSettings.h"
#include "base/Log.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/ImportPDFOperation.h"
#include "import/PDFDocument.h"
#include "templates/FlashTemplate.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace zarvex;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: zarvex-bench-rebuild PDF [flash|image]\n", stderr);
        return 2;
    }
    const fs::path pdf = fs::absolute(argv[1]);
    const bool image = argc == 3 && std::string(argv[2]) == "image";
    std::string home = (fs::temp_directory_path() / "zarvex-bench.XXXXXX").string();
    if (!mkdtemp(home.data()))
        return 1;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("ZARVEX_FLASH_TRUST_DIR", (home + "/trust").c_str(), 1);
    log::silence();

    int status = 0;
    {
        auto document = PDFDocument::open(pdf);
        if (!document) {
            std::fprintf(stderr, "cannot open %s\n", pdf.c_str());
            fs::remove_all(home);
            return 1;
        }
        PDFSize first = document->pageAt(0).cropBox();
        AppSettings::shareInstance().setImportType(image ? 1 : 0);

        auto start = std::chrono::steady_clock::now();
        ImportPDFOperation operation(pdf, "ALL", 144, 85);
        operation.setImportLinks(true);
        operation.main();
        double importSeconds = secondsSince(start);
        if (!operation.flashPageSource()) {
            std::fputs("the import failed\n", stderr);
            status = 1;
        } else {
            if (image) {
                AppSettings::shareInstance().setPageWidth(static_cast<int>(first.width) * 2);
                AppSettings::shareInstance().setPageHeight(static_cast<int>(first.height) * 2);
            }
            BookController controller;
            controller.setFlashTmpl(std::make_shared<FlashTemplate>());
            controller.acceptImport({operation.flashPageSource(), operation.flashPagesAnnotation(),
                                     nullptr, static_cast<int>(first.width),
                                     static_cast<int>(first.height)});
            start = std::chrono::steady_clock::now();
            controller.applyChange();
            double firstSeconds = secondsSince(start);

            controller.flashTmpl()->setPropertyValue("Title", "Changed title");
            start = std::chrono::steady_clock::now();
            controller.applyChange();
            double rebuildSeconds = secondsSince(start);
            std::printf("pages %zu\nimport %.3f\nfirst_preview %.3f\nrebuild %.3f\n",
                        operation.flashPageSource()->normalPages().size(), importSeconds,
                        firstSeconds, rebuildSeconds);
            if (!controller.applyError().empty()) {
                std::fprintf(stderr, "preview incomplete: %s\n", controller.applyError().c_str());
                status = 1;
            }
        }
    }
    std::error_code ec;
    fs::remove_all(home, ec);
    return status;
}
