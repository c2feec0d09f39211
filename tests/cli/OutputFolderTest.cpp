#include "OutputFolder.h"

#include "app/Error.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::cli;
using zarvex::test::listFolder;
using zarvex::test::slurp;
using zarvex::test::TempDir;
using zarvex::test::writeFile;

namespace {} // namespace

TEST(IsWithin, ComparesWholePathComponents) {
    EXPECT_TRUE(isWithin("/a/b", "/a/b"));
    EXPECT_TRUE(isWithin("/a/b/c", "/a/b"));
    EXPECT_TRUE(isWithin("/a/b", "/"));
    EXPECT_FALSE(isWithin("/a/bc", "/a/b"));
    EXPECT_FALSE(isWithin("/a", "/a/b"));
}

TEST(OutputFolder, ANewFolderAppearsOnlyOnCommit) {
    TempDir dir;
    fs::path target = dir / "deep/er/book";
    {
        OutputFolder out(target, {});
        EXPECT_TRUE(fs::is_directory(out.staging()));
        EXPECT_EQ(out.staging().parent_path(), target.parent_path());
        writeFile(out.staging() / "index.html", "new");
        EXPECT_FALSE(fs::exists(target));
        out.commit();
    }
    EXPECT_EQ(slurp(target / "index.html"), "new");
    EXPECT_EQ(listFolder(target.parent_path()).size(), 1u) << "no staging folder left behind";
}

TEST(OutputFolder, AnUncommittedRunLeavesTheOldBookAndNoTrace) {
    TempDir dir;
    fs::path target = dir / "book";
    writeFile(target / "index.html", "old");
    {
        OutputFolder::Rules rules;
        rules.overwrite = true;
        OutputFolder out(target, rules);
        writeFile(out.staging() / "index.html", "half");
    }
    EXPECT_EQ(slurp(target / "index.html"), "old");
    EXPECT_EQ(listFolder(dir.path()).size(), 1u);
}

TEST(OutputFolder, ANonEmptyFolderIsReplacedOnlyWithOverwrite) {
    TempDir dir;
    fs::path target = dir / "book";
    writeFile(target / "keep.txt", "mine");
    EXPECT_THROW(OutputFolder(target, {}), Error);
    EXPECT_EQ(slurp(target / "keep.txt"), "mine");

    OutputFolder::Rules rules;
    rules.overwrite = true;
    OutputFolder out(target, rules);
    writeFile(out.staging() / "index.html", "new");
    out.commit();
    EXPECT_FALSE(fs::exists(target / "keep.txt"));
    EXPECT_EQ(slurp(target / "index.html"), "new");
    EXPECT_EQ(listFolder(dir.path()).size(), 1u);
}

TEST(OutputFolder, AnEmptyFolderNeedsNoOverwrite) {
    TempDir dir;
    fs::create_directories(dir / "book");
    OutputFolder out(dir / "book", {});
    writeFile(out.staging() / "index.html", "x");
    out.commit();
    EXPECT_TRUE(fs::exists(dir / "book/index.html"));
}

TEST(OutputFolder, RefusesProtectedFoldersEvenWithOverwrite) {
    TempDir dir;
    fs::path home = dir / "home/user";
    fs::path resources = dir / "app/resources";
    fs::path preview = dir / "home/user/.local/share/Drevalis/preview";
    fs::create_directories(resources / "AppFiles");
    fs::create_directories(preview);
    writeFile(dir / "docs/input.pdf", "%PDF");
    writeFile(dir / "docs/other.txt", "x");
    fs::create_directories(dir / "file-parent");
    writeFile(dir / "plain-file", "x");

    OutputFolder::Rules rules;
    rules.overwrite = true;
    rules.neverReplaced = {"/", home};
    rules.neverTouched = {resources, preview};
    rules.inputs = {dir / "docs/input.pdf"};

    for (const fs::path& bad :
         {fs::path("/"), home, home / "..", dir / "home", resources, resources / "AppFiles",
          dir / "app", preview, preview / "files", dir / "docs", dir / "plain-file"}) {
        EXPECT_THROW(OutputFolder(bad, rules), Error) << bad;
    }
    EXPECT_TRUE(fs::exists(dir / "docs/input.pdf"));
    EXPECT_TRUE(fs::exists(resources / "AppFiles"));
    // Inside the home folder is fine.
    EXPECT_NO_THROW(OutputFolder(home / "book", rules));
}

TEST(OutputFolder, AFolderThatCannotBeCreatedIsReported) {
    TempDir dir;
    writeFile(dir / "blocker", "a file where a folder should be");
    try {
        OutputFolder out(dir / "blocker/book", {});
        FAIL() << "accepted";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("blocker"), std::string::npos);
    }
}
