// The archives must open in the standard tools, not only in our own reader.
#include "ArchiveTestSupport.h"
#include "archive/ZKDataArchive.h"

#include <gtest/gtest.h>

using namespace zarvex;
using zarvex::test::findTool;
using zarvex::test::runTool;
using zarvex::test::TempFolder;

namespace {

const std::string kDocument = "<FlipBook3D>\n  <XMLVersion>1</XMLVersion>\n</FlipBook3D>\n";

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

class ExternalTools : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        ZKDataArchive archive;
        ASSERT_EQ(archive.deflateData(kDocument, "config.xml"), 1);
        single = folder.write("single.zip", archive.data());
        ASSERT_EQ(archive.deflateData(std::string(3000, 'z'), "caf\xC3\xA9.txt"), 1);
        ASSERT_EQ(archive.deflateData("", "empty.txt"), 1);
        triple = folder.write("triple.zip", archive.data());
    }

    TempFolder folder;
    std::filesystem::path single;
    std::filesystem::path triple;
};

} // namespace

TEST_F(ExternalTools, UnzipTestsTheArchivesClean) {
    const auto unzip = findTool("unzip");
    if (!unzip) {
        GTEST_SKIP() << "unzip is not installed";
    }
    for (const auto& file : {single, triple}) {
        const auto result = runTool(*unzip, {"-t", file.string()});
        ASSERT_TRUE(result);
        EXPECT_EQ(result->exitCode, 0) << result->output;
        EXPECT_NE(result->output.find("No errors detected"), std::string::npos) << result->output;
    }
}

TEST_F(ExternalTools, ZipinfoShowsTheCommentAndTheEntry) {
    const auto zipinfo = findTool("zipinfo");
    if (!zipinfo) {
        GTEST_SKIP() << "zipinfo is not installed";
    }
    const auto result = runTool(*zipinfo, {"-z", single.string()});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->exitCode, 0) << result->output;
    EXPECT_NE(result->output.find("Archive created with ZipKit"), std::string::npos)
        << result->output;
    EXPECT_NE(result->output.find("config.xml"), std::string::npos) << result->output;
    EXPECT_NE(result->output.find("1 file"), std::string::npos) << result->output;
}

TEST_F(ExternalTools, PythonZipfileReadsEveryEntry) {
    const auto python = findTool("python3");
    if (!python) {
        GTEST_SKIP() << "python3 is not installed";
    }
    const auto one = runTool(*python, {"-c", kPythonCheck, single.string()});
    ASSERT_TRUE(one);
    EXPECT_EQ(one->exitCode, 0) << one->output;
    EXPECT_NE(one->output.find("comment=Archive created with ZipKit\n"), std::string::npos)
        << one->output;
    EXPECT_NE(one->output.find("entry=config.xml size=" + std::to_string(kDocument.size()) +
                               " method=8 system=3 version=20\n"),
              std::string::npos)
        << one->output;
    EXPECT_NE(one->output.find("content=" + kDocument), std::string::npos) << one->output;

    const auto three = runTool(*python, {"-c", kPythonCheck, triple.string()});
    ASSERT_TRUE(three);
    EXPECT_EQ(three->exitCode, 0) << three->output;
    EXPECT_NE(three->output.find("entry=caf\xC3\xA9.txt size=3000"), std::string::npos)
        << three->output;
    EXPECT_NE(three->output.find("entry=empty.txt size=0"), std::string::npos) << three->output;
}
