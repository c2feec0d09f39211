// make-fixture-pdf KIND [PAGES] OUT.pdf
//
// Writes a generated fixture PDF:
//   benchmark [PAGES]  text-and-vector Letter pages (default 300), some links and bookmarks
//   standard           the five-page link, rotation and outline fixture of the import tests
//   links              drawn page links on rotated and cropped pages (linkPlacementDocument)
//   text               known words on rotated and cropped pages, a Hebrew and a Chinese line
//   plain [PAGES]      plain Letter pages (default 10)
//   mixed-size         portrait, landscape, square, very wide and tall pages; a drawn
//                      link on the landscape page
//   huge-count         two pages whose page tree claims 2147483647 pages
//   hostile-strings    links and bookmarks with control characters, bytes that are
//                      not UTF-8, several text encodings and script addresses
// Exit status 0 on success, 1 when the file cannot be written, 2 for wrong arguments.

#include "base/Log.h"
#include "support/FixturePdf.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    using namespace zarvex::test;
    zarvex::log::silence();
    const std::string kind = argc > 1 ? argv[1] : "";
    int pages = 0;
    try {
        pages = argc == 4 ? std::stoi(argv[2]) : 0;
    } catch (const std::exception&) {
        pages = -1;
    }
    const bool counted = kind == "benchmark" || kind == "plain";
    FixtureDocument doc;
    if (argc == 3 || (argc == 4 && counted && pages >= 1 && pages <= 100000)) {
        if (kind == "benchmark")
            doc = benchmarkDocument(pages ? pages : 300);
        else if (kind == "plain")
            doc = plainDocument(pages ? pages : 10);
        else if (kind == "standard")
            doc = standardDocument();
        else if (kind == "links")
            doc = linkPlacementDocument();
        else if (kind == "text")
            doc = textPlacementDocument();
        else if (kind == "mixed-size")
            doc = mixedSizeDocument();
        else if (kind == "huge-count")
            doc = hugeCountDocument();
        else if (kind == "hostile-strings")
            doc = hostileStringsDocument();
    }
    if (doc.pages.empty()) {
        std::fputs(
            "usage: make-fixture-pdf "
            "benchmark|standard|links|text|plain|mixed-size|huge-count|hostile-strings [PAGES] "
            "OUT.pdf\n",
            stderr);
        return 2;
    }
    try {
        writeFixturePdf(argv[argc - 1], doc);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-fixture-pdf: %s\n", e.what());
        return 1;
    }
    return 0;
}
