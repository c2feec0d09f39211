#include "app/OutputFolder.h"

#include "base/Error.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::test;

namespace {

using Strings = std::vector<std::string>;

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
    EXPECT_TRUE(isWithin("/a/b", "/a/b") && isWithin("/a/b/c", "/a/b") && isWithin("/a/b", "/"));
    EXPECT_FALSE(isWithin("/a/bc", "/a/b") || isWithin("/a", "/a/b"));
}

// The commit judges again whatever appeared in the target's place meanwhile.
TEST(OutputFolder, ReplacesOnlyAnEarlierBookAndOnlyOnCommit) {
    const std::string book = "index.html files/config.xml";
    struct Case {
        const char* what;
        std::string files; // in the target before the run, split at spaces
        bool overwrite, commit, replaced;
        const char* input = nullptr; // inside the target
        // Files that appear in the target while the book is written; "link": the
        // target appears as a link to a book, "folder": as an empty folder.
        std::string meanwhile = "";
    };
    const std::vector<Case> cases = {
        {"a new folder", "", false, true, true},
        {"a new folder, uncommitted", "", false, false, false},
        {"a book, uncommitted", book, true, false, false},
        {"a book, without overwrite", book, false, true, false},
        {"a book", book + " files/page/1.jpg", true, true, true},
        {"a book with its mobile version and page list",
         "mybook.html pages.xml files/config.xml mobile/index.html", true, true, true},
        {"the named application",
         "mybook.app/Contents/Resources/files/config.xml mybook.app/Contents/Info.plist", true,
         true, true},
        {"a folder of documents", "notes.txt photo.jpg", true, true, false},
        {"a book among other files", book + " notes.txt", true, true, false},
        {"a page without its book", "index.html files/page/1.jpg", true, true, false},
        {"an application of another name", "other.app/Contents/Resources/files/config.xml", true,
         true, false},
        {"an application folder without a book", "mybook.app/Contents/Info.plist", true, true,
         false},
        {"a book holding an input", book + " files/extfiles/LogoFile.png", true, true, false,
         "files/extfiles/LogoFile.png"},
        {"a folder appeared", "", false, true, false, nullptr, "notes.txt"},
        {"a folder that is no book appeared", "", true, true, false, nullptr, "notes.txt"},
        {"the earlier book took other files in", book, true, true, false, nullptr, "notes.txt"},
        {"a link appeared", "", true, true, false, nullptr, "link"},
        {"an earlier book appeared", "", true, true, true, nullptr, "files/config.xml"},
        {"an empty folder appeared", "", false, true, true, nullptr, "folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path target = dir / "new/parents/out";
        Strings files = splitAtSpaces(c.files);
        for (const auto& file : files)
            writeFile(target / file, "old");
        const Strings appearing = c.meanwhile == "folder"
                                      ? Strings{}
                                      : splitAtSpaces(c.meanwhile == "link" ? book : c.meanwhile);
        OutputFolder::Rules rules;
        rules.overwrite = c.overwrite;
        rules.bundleName = "mybook.app";
        rules.inputs = {dir / "input.pdf"};
        if (c.input)
            rules.inputs.push_back(target / c.input);
        const std::string why = refusal([&] {
            OutputFolder out(target, rules);
            EXPECT_EQ(out.staging().parent_path(), target.parent_path());
            writeFile(out.staging() / "index.html", "new");
            EXPECT_EQ(fs::exists(target), !files.empty());
            const fs::path place = c.meanwhile == "link" ? dir / "real" : target;
            if (c.meanwhile == "folder")
                fs::create_directories(target);
            for (const auto& file : appearing)
                writeFile(place / file, "old");
            if (c.meanwhile == "link")
                fs::create_directory_symlink(place, target);
            if (c.commit)
                out.commit();
        });
        files.insert(files.end(), appearing.begin(), appearing.end());
        if (c.replaced) {
            EXPECT_EQ(why, "");
            EXPECT_EQ(listFolder(target), Strings{"index.html"});
            EXPECT_EQ(slurp(target / "index.html"), "new");
        } else {
            EXPECT_EQ(why.empty(), !c.commit) << why;
            EXPECT_EQ(why.find('\n'), std::string::npos) << why;
            for (const auto& file : files)
                EXPECT_EQ(slurp(target / file), "old") << file;
            EXPECT_NE(slurp(target / "index.html"), "new") << "the new book went in";
        }
        const bool left = c.replaced || !files.empty();
        EXPECT_EQ(listFolder(target.parent_path()), left ? Strings{"out"} : Strings{})
            << "staging or old folders left over";
    }
}

// Refused whatever --overwrite says, each for its reason; a link among the parents
// leads to the folder as usual. The real folders kept out are the command line's.
TEST(OutputFolder, RefusesProtectedFoldersAndSymbolicLinksEvenWithOverwrite) {
    TempDir dir;
    fs::path home = dir / "home/user";
    fs::path resources = dir / "app/resources";
    fs::path preview = dir / "home/user/.local/share/Drevalis/preview";
    fs::create_directories(resources / "AppFiles");
    fs::create_directories(preview);
    writeFile(dir / "real/files/config.xml", "old book");
    fs::create_directory_symlink(dir / "real", dir / "link");
    fs::create_symlink(dir / "missing", dir / "dangling");

    OutputFolder::Rules rules;
    rules.overwrite = true;
    rules.neverReplaced = {"/", home};
    rules.neverTouched = {resources, preview};
    const std::pair<const char*, std::vector<fs::path>> cases[] = {
        {"is never replaced", {home, home / "..", dir / "home"}},
        {"which is never written",
         {resources, resources / "AppFiles", dir / "app", preview, preview / "files"}},
        {"symbolic link", {dir / "link", dir / "link/", dir / "link/.", dir / "dangling"}},
    };
    for (const auto& [reason, folders] : cases)
        for (const auto& chosen : folders) {
            const std::string why = refusal([&] { OutputFolder(chosen, rules); });
            EXPECT_NE(why.find(reason), std::string::npos) << chosen << ": " << why;
        }
    EXPECT_TRUE(fs::exists(resources / "AppFiles"));
    EXPECT_EQ(slurp(dir / "real/files/config.xml"), "old book");
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_NO_THROW(OutputFolder(home / "book", rules));
    OutputFolder inner(dir / "link/inner", rules);
    EXPECT_EQ(inner.target(), fs::canonical(dir.path()) / "real/inner");
}
