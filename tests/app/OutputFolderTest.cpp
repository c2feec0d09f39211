#include "app/OutputFolder.h"

#include "base/Error.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace zarvex;
using zarvex::test::listFolder;
using zarvex::test::slurp;
using zarvex::test::TempDir;
using zarvex::test::writeFile;

namespace {

// The one-line message of the Error that `make` raises; empty when none.
std::string refusal(const std::function<void()>& make) {
    try {
        make();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

} // namespace

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
    writeFile(target / "files/config.xml", "old");
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
    writeFile(target / "files/config.xml", "old");
    EXPECT_THROW(OutputFolder(target, {}), Error);
    EXPECT_EQ(slurp(target / "files/config.xml"), "old");

    OutputFolder::Rules rules;
    rules.overwrite = true;
    OutputFolder out(target, rules);
    writeFile(out.staging() / "index.html", "new");
    out.commit();
    EXPECT_FALSE(fs::exists(target / "files"));
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

TEST(OutputFolder, ASymbolicLinkIsNeverTheOutputFolder) {
    TempDir dir;
    writeFile(dir / "real/files/config.xml", "old book");
    fs::create_directory_symlink(dir / "real", dir / "link");
    fs::create_symlink(dir / "missing", dir / "dangling");
    OutputFolder::Rules rules;
    rules.overwrite = true;
    for (const fs::path& chosen : {dir / "link", dir / "link/", dir / "link/.", dir / "dangling"}) {
        const std::string why = refusal([&] { OutputFolder(chosen, rules); });
        EXPECT_NE(why.find("symbolic link"), std::string::npos) << chosen << ": " << why;
    }
    EXPECT_EQ(slurp(dir / "real/files/config.xml"), "old book");
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    // A link among the parents leads to the folder as usual.
    OutputFolder inner(dir / "link/inner", {});
    EXPECT_EQ(inner.target(), fs::canonical(dir.path()) / "real/inner");
}

TEST(OutputFolder, OverwriteReplacesOnlyAnEarlierBook) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        bool replaced;
        const char* input = nullptr; // inside the folder
    };
    const std::vector<Case> cases = {
        {"a book", {"index.html", "files/config.xml", "files/page/1.jpg"}, true},
        {"a book with its mobile version and page list",
         {"mybook.html", "pages.xml", "files/config.xml", "mobile/index.html"},
         true},
        {"the named application",
         {"mybook.app/Contents/Resources/files/config.xml", "mybook.app/Contents/Info.plist"},
         true},
        {"a folder of documents", {"notes.txt", "photo.jpg"}, false},
        {"a book among other files", {"index.html", "files/config.xml", "notes.txt"}, false},
        {"a page without its book", {"index.html", "files/page/1.jpg"}, false},
        {"an application of another name",
         {"other.app/Contents/Resources/files/config.xml"},
         false},
        {"an application folder without a book", {"mybook.app/Contents/Info.plist"}, false},
        {"a book holding an input",
         {"index.html", "files/config.xml", "files/extfiles/LogoFile.png"},
         false,
         "files/extfiles/LogoFile.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path target = dir / "out";
        for (const auto& file : c.files)
            writeFile(target / file, "old");
        OutputFolder::Rules rules;
        rules.overwrite = true;
        rules.bundleName = "mybook.app";
        rules.inputs = {dir / "input.pdf"};
        if (c.input)
            rules.inputs.push_back(target / c.input);
        if (c.replaced) {
            OutputFolder out(target, rules);
            writeFile(out.staging() / "index.html", "new");
            out.commit();
            EXPECT_EQ(listFolder(target), std::vector<std::string>{"index.html"});
            continue;
        }
        const std::string why = refusal([&] { OutputFolder(target, rules); });
        EXPECT_NE(why.find(target.string()), std::string::npos) << why;
        EXPECT_EQ(why.find('\n'), std::string::npos) << why;
        for (const auto& file : c.files)
            EXPECT_EQ(slurp(target / file), "old") << file;
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"out"});
    }
}

TEST(OutputFolder, CommitChecksTheTargetAgain) {
    struct Case {
        const char* what;
        bool bookBefore;
        bool overwrite;
        std::function<void(const fs::path& target, const fs::path& dir)> meanwhile;
        bool committed;
    };
    auto addNotes = [](const fs::path& target, const fs::path&) {
        writeFile(target / "notes.txt", "mine");
    };
    const std::vector<Case> cases = {
        {"a folder appeared", false, false, addNotes, false},
        {"a folder that is no book appeared", false, true, addNotes, false},
        {"the earlier book took other files in", true, true, addNotes, false},
        {"a link appeared", false, true,
         [](const fs::path& target, const fs::path& dir) {
             writeFile(dir / "real/files/config.xml", "mine");
             fs::create_directory_symlink(dir / "real", target);
         },
         false},
        {"an earlier book appeared", false, true,
         [](const fs::path& target, const fs::path&) {
             writeFile(target / "files/config.xml", "old");
         },
         true},
        {"an empty folder appeared", false, false,
         [](const fs::path& target, const fs::path&) { fs::create_directory(target); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path target = dir / "out";
        if (c.bookBefore)
            writeFile(target / "files/config.xml", "old");
        OutputFolder::Rules rules;
        rules.overwrite = c.overwrite;
        {
            OutputFolder out(target, rules);
            writeFile(out.staging() / "index.html", "new");
            c.meanwhile(target, dir.path());
            if (c.committed) {
                out.commit();
                EXPECT_EQ(listFolder(target), std::vector<std::string>{"index.html"});
                continue;
            }
            EXPECT_THROW(out.commit(), Error);
        }
        EXPECT_FALSE(fs::exists(target / "index.html")) << "the new book went in";
        if (fs::is_symlink(target)) {
            EXPECT_EQ(slurp(dir / "real/files/config.xml"), "mine");
        } else {
            EXPECT_EQ(slurp(target / "notes.txt"), "mine");
            EXPECT_EQ(fs::exists(target / "files/config.xml"), c.bookBefore);
        }
        for (const auto& name : listFolder(dir.path()))
            EXPECT_NE(name.front(), '.') << "left behind: " << name;
    }
}
