#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/HXCUtility.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

using namespace zarvex;
using zarvex::test::listFolder;
using zarvex::test::slurp;
using zarvex::test::TempDir;
using zarvex::test::TempHome;
using zarvex::test::writeFile;
namespace fs = std::filesystem;

namespace {

std::string utf16le(const std::string& ascii) {
    std::string out("\xFF\xFE", 2);
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

TEST(HXCUtility, WorkFoldersAreFreshAndUnique) {
    const std::string name = "zarvex-test-" + std::to_string(::getpid());
    fs::remove_all(fs::path("/tmp") / name);
    const auto a = HXCUtility::forceTmpDiractory(name);
    const auto b = HXCUtility::forceTmpDiractory(name);
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::is_directory(a));
    EXPECT_TRUE(fs::is_directory(b));
    EXPECT_EQ(a.parent_path(), fs::path("/tmp") / name);
    EXPECT_TRUE(fs::is_empty(a));
    fs::remove_all(fs::path("/tmp") / name);
}

namespace {

// The folder that holds the work folders of one name.
struct WorkBase {
    TempDir dir{"zarvex-work"};
    test::ScopedEnv env{"ZARVEX_WORK_BASE", dir.path().string()};
    fs::path shared() const { return dir / "Pellido"; }
};

bool isPrivateFolderOfMine(const fs::path& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 07777) == 0700;
}

} // namespace

TEST(HXCUtility, WorkFoldersArePrivateToTheUser) {
    WorkBase base;
    const auto a = HXCUtility::forceTmpDiractory("Pellido");
    EXPECT_EQ(a.parent_path(), base.shared());
    EXPECT_TRUE(isPrivateFolderOfMine(base.shared()));
    EXPECT_TRUE(isPrivateFolderOfMine(a));

    // A folder of the user's own that an earlier version left open is closed.
    fs::permissions(base.shared(), fs::perms::all);
    EXPECT_EQ(HXCUtility::forceTmpDiractory("Pellido").parent_path(), base.shared());
    EXPECT_TRUE(isPrivateFolderOfMine(base.shared()));

    HXCUtility::removeWorkFolders("Pellido");
    EXPECT_FALSE(fs::exists(base.shared()));
}

// Whatever stands in the shared folder's place and is not a real folder of the
// user's own is neither written into nor removed: the work folders go into a
// private folder of the user's own, and the removal takes that one away.
TEST(HXCUtility, WorkFoldersAvoidAnythingButTheUsersOwnFolder) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& shared, const fs::path& elsewhere)> plant;
        bool needsRoot = false;
    };
    const std::vector<Case> cases = {
        {"link to a folder",
         [](const fs::path& shared, const fs::path& elsewhere) {
             fs::create_directory(elsewhere);
             fs::create_directory_symlink(elsewhere, shared);
         }},
        {"dangling link", [](const fs::path& shared,
                             const fs::path& elsewhere) { fs::create_symlink(elsewhere, shared); }},
        {"plain file", [](const fs::path& shared, const fs::path&) { writeFile(shared, "x"); }},
        {"another user's folder",
         [](const fs::path& shared, const fs::path&) {
             fs::create_directory(shared);
             fs::permissions(shared, fs::perms::all);
             ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && ::geteuid() != 0)
            continue; // only root can give a folder away
        WorkBase base;
        const fs::path elsewhere = base.dir / "elsewhere";
        c.plant(base.shared(), elsewhere);
        const auto before = fs::symlink_status(base.shared()).type();

        const auto a = HXCUtility::forceTmpDiractory("Pellido");
        const auto b = HXCUtility::forceTmpDiractory("Pellido");
        const fs::path own = a.parent_path();
        EXPECT_NE(a, b);
        EXPECT_EQ(b.parent_path(), own);
        EXPECT_EQ(own.parent_path(), base.dir.path());
        EXPECT_TRUE(own.filename().string().starts_with("Pellido.")) << own;
        EXPECT_TRUE(isPrivateFolderOfMine(own));
        EXPECT_TRUE(isPrivateFolderOfMine(a));
        EXPECT_TRUE(listFolder(elsewhere).empty());
        if (fs::is_directory(fs::symlink_status(base.shared()))) {
            EXPECT_TRUE(listFolder(base.shared()).empty());
        }

        HXCUtility::removeWorkFolders("Pellido");
        EXPECT_FALSE(fs::exists(own));
        EXPECT_EQ(fs::symlink_status(base.shared()).type(), before);
        EXPECT_EQ(fs::exists(elsewhere), c.what == std::string("link to a folder"));
    }
}

TEST(HXCUtility, AWorkFolderThatCannotBeMadeIsAnError) {
    TempDir dir;
    test::ScopedEnv env("ZARVEX_WORK_BASE", (dir / "missing").string());
    EXPECT_THROW(HXCUtility::forceTmpDiractory("Pellido"), Error);
    EXPECT_TRUE(listFolder(dir.path()).empty()) << "nothing made under a fixed name";
}

TEST(HXCUtility, SubFoldersAreDeepParentFirstAndSkipFiles) {
    TempDir dir;
    fs::create_directories(dir / "b/c");
    fs::create_directories(dir / "a/b");
    writeFile(dir / "a/file.txt", "x");
    fs::create_directory_symlink(dir / "b", dir / "link");
    const auto folders = HXCUtility::subFolderOfFolder(dir.path());
    const std::vector<fs::path> expected = {dir / "a", dir / "a/b", dir / "b", dir / "b/c"};
    EXPECT_EQ(folders, expected);
    EXPECT_TRUE(HXCUtility::subFolderOfFolder(dir / "missing").empty());
}

TEST(HXCUtility, TrustFileListsEachFolderOnceNewestLast) {
    TempHome home;
    const auto trust = HXCUtility::flashTrustFile();
    EXPECT_EQ(trust, home.path() / "FlashPlayerTrust" / "PT.cfg");

    HXCUtility::makeDiractoryTrustByFlash("/p/one");
    EXPECT_EQ(slurp(trust), utf16le("/p/one"));
    HXCUtility::makeDiractoryTrustByFlash("/p/one");
    EXPECT_EQ(slurp(trust), utf16le("/p/one"));
    HXCUtility::makeDiractoryTrustByFlash("/p/two");
    EXPECT_EQ(slurp(trust), utf16le("/p/one\n/p/two"));
}

TEST(HXCUtility, TrustFileReadsBigEndianAndKeepsCarriageReturnsAsPartOfTheLine) {
    TempHome home;
    const auto trust = HXCUtility::flashTrustFile();
    // "/p/one\r\n" in UTF-16BE: the line is "/p/one\r", which is not "/p/one".
    std::string be("\xFE\xFF", 2);
    for (char c : std::string("/p/one\r\n")) {
        be += '\0';
        be += c;
    }
    writeFile(trust, be);
    HXCUtility::makeDiractoryTrustByFlash("/p/one");
    EXPECT_EQ(slurp(trust), utf16le("/p/one\r\n\n/p/one"));
}

TEST(HXCUtility, UnreadableTrustFileIsLeftUnchanged) {
    TempHome home;
    const auto trust = HXCUtility::flashTrustFile();
    for (const std::string& bad :
         {std::string("plain utf-8 text\n"), std::string("\xFF\xFE\x00", 3),
          std::string("\xFF\xFE\x00\xD8", 4)}) {
        writeFile(trust, bad);
        HXCUtility::makeDiractoryTrustByFlash("/p/new");
        EXPECT_EQ(slurp(trust), bad);
    }
}

TEST(HXCUtility, NonAsciiFoldersSurviveTheRoundTrip) {
    TempHome home;
    HXCUtility::makeDiractoryTrustByFlash("/Bücher/日本");
    HXCUtility::makeDiractoryTrustByFlash("/Bücher/日本");
    HXCUtility::makeDiractoryTrustByFlash("/x");
    const auto bytes = slurp(HXCUtility::flashTrustFile());
    // 2 (mark) + 2 * (10 + 1 + 2) code units.
    EXPECT_EQ(bytes.size(), 2u + 2u * 13u);
}

TEST(FileUtil, AtomicWriteReplacesWholeFileAndFailsCleanly) {
    TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "f.txt", "first"));
    ASSERT_TRUE(writeFileAtomically(dir / "f.txt", "second"));
    EXPECT_EQ(*readFile(dir / "f.txt"), "second");
    // Scratch files skip the flush but keep the rest: whole content, readable mode.
    ASSERT_TRUE(writeFileAtomically(dir / "f.txt", "third", Durability::Scratch));
    EXPECT_EQ(*readFile(dir / "f.txt"), "third");
    EXPECT_EQ(fs::status(dir / "f.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_FALSE(writeFileAtomically(dir / "missing/f.txt", "x"));
    EXPECT_FALSE(writeFileAtomically(dir / "missing/f.txt", "x", Durability::Scratch));
    EXPECT_FALSE(readFile(dir / "missing/f.txt"));
    EXPECT_EQ(test::listFolder(dir.path()).size(), 1u); // no temporary files left behind
}
