// make-fixture-pdf KIND [PAGES] OUT.pdf
//
// Writes a generated fixture PDF of one of the kinds below (FixturePdf.h tells
// what each holds); PAGES is for the kinds of plain pages, text or shapes.
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
