// make-fixture-pdf KIND [PAGES] OUT.pdf
//
// Writes a generated fixture PDF:
//   benchmark [PAGES]  text-and-vector Letter pages (default 300), some links and bookmarks
//   light [PAGES]      A4 pages with four lines of text and a link (default 300)
//   heavy [PAGES]      the benchmark pages over 1500 stroked curves each (default 300)
//   huge-size [PAGES]  plain pages of 16000 x 16000 points (default 3)
//   standard           the five-page link, rotation and outline fixture of the import tests
//   links              drawn page links on rotated and cropped pages (linkPlacementDocument)
//   text               known words on rotated and cropped pages, a Hebrew, a Chinese and an
//                      accented Latin line
//   plain [PAGES]      plain Letter pages (default 10)
//   mixed-size         portrait, landscape, square, very wide and tall pages
//   huge-count         two pages whose page tree claims 2147483647 pages
//   hostile-strings    links and bookmarks with control characters, bytes that are
//                      not UTF-8, several text encodings and script addresses
// Exit status 0 on success, 1 when the file cannot be written, 2 for wrong arguments.

#include "base/Log.h"
#include "support/FixturePdf.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <map>
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
    const std::map<std::string, std::function<FixtureDocument()>> kinds = {
        {"benchmark", [&] { return benchmarkDocument(pages ? pages : 300); }},
        {"light", [&] { return lightDocument(pages ? pages : 300); }},
        {"heavy", [&] { return heavyDocument(pages ? pages : 300); }},
        {"huge-size", [&] { return plainDocument(pages ? pages : 3, 16000, 16000); }},
        {"plain", [&] { return plainDocument(pages ? pages : 10); }},
        {"standard", standardDocument},
        {"links", linkPlacementDocument},
        {"text", textPlacementDocument},
        {"mixed-size", mixedSizeDocument},
        {"huge-count", hugeCountDocument},
        {"hostile-strings", hostileStringsDocument}};
    const bool counted = kind == "benchmark" || kind == "plain" || kind == "light" ||
                         kind == "heavy" || kind == "huge-size";
    FixtureDocument doc;
    if (kinds.contains(kind) &&
        (argc == 3 || (argc == 4 && counted && pages >= 1 && pages <= 100000)))
        doc = kinds.at(kind)();
    if (doc.pages.empty()) {
        std::fputs(
            "usage: make-fixture-pdf "
            "benchmark|light|heavy|huge-size|standard|links|text|plain|mixed-size|huge-count|"
            "hostile-strings [PAGES] "
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
