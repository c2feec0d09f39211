// The archives must open in the standard tools, not only in our own reader.
#include "archive/ZKDataArchive.h"
#include "base/Process.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace zarvex;

namespace {

constexpr const char* kPythonCheck = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    bad = z.testzip()
    if bad is not None:
        sys.exit("bad entry " + bad)
    print("comment=" + z.comment.decode())
    for i in z.infolist():
        print("entry=%s size=%d method=%d system=%d version=%d" % (i.filename, i.file_size,
              i.compress_type, i.create_system, i.extract_version))
    sys.stdout.write("content=" + z.read(z.infolist()[0].filename).decode())
)";

} // namespace

TEST(ExternalTools, UnzipZipinfoAndPythonReadTheArchives) {
    const std::string document = "<FlipBook3D>\n  <XMLVersion>1</XMLVersion>\n</FlipBook3D>\n";
    test::TempDir dir;
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData(document, "config.xml"), 1);
    const auto single = (dir / "single.zip").string();
    test::writeFile(single, archive.data());
    ASSERT_EQ(archive.deflateData(std::string(3000, 'z'), "caf\xC3\xA9.txt"), 1);
    ASSERT_EQ(archive.deflateData("", "empty.txt"), 1);
    const auto triple = (dir / "triple.zip").string();
    test::writeFile(triple, archive.data());

    const struct {
        std::vector<std::string> command;
        std::vector<std::string> expected;
    } runs[] = {
        {{"unzip", "-t", triple}, {"No errors detected"}},
        {{"python3", "-c", kPythonCheck, single},
         {"comment=Archive created with ZipKit\n",
          "entry=config.xml size=" + std::to_string(document.size()) +
              " method=8 system=3 version=20\n",
          "content=" + document}},
        {{"python3", "-c", kPythonCheck, triple},
         {"entry=caf\xC3\xA9.txt size=3000", "entry=empty.txt size=0"}},
    };
    for (const auto& run : runs) {
        const auto result = runProcess("/usr/bin/env", run.command);
        if (result.exitCode == 127) {
            std::printf("%s is not installed: skipped\n", run.command[0].c_str());
            continue;
        }
        const auto said = result.output + result.errors;
        EXPECT_EQ(result.exitCode, 0) << run.command[0] << ": " << said;
        for (const auto& text : run.expected)
            EXPECT_NE(said.find(text), std::string::npos) << run.command[0] << ": " << said;
    }
}
