// getswfSize FILE
//
// Prints the stage size of an SWF file (FWS or CWS) in pixels as
// "<width>|<height>" with no line break, and exits 0. For anything else (no
// such file, not an SWF, a truncated or broken file, LZMA compression) it
// prints one line to standard error and exits 1; a wrong argument count exits 2.

#include "base/FileUtil.h"
#include "base/Log.h"
#include "import/SwfFile.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    zarvex::log::silence();
    if (argc != 2) {
        std::fputs("usage: getswfSize FILE\n", stderr);
        return 2;
    }
    try {
        auto bytes = zarvex::readFile(argv[1]);
        if (!bytes) {
            std::fprintf(stderr, "getswfSize: cannot read %s\n", argv[1]);
            return 1;
        }
        auto header = zarvex::swf::readCompleteFile(*bytes);
        std::string text = std::to_string(header.width()) + "|" + std::to_string(header.height());
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "getswfSize: %s: %s\n", argv[1], e.what());
        return 1;
    }
}
