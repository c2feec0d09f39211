// The base services: work folders, the trust file, whole-or-nothing writes, the
// settings store that relies on them, the notifications the import posts and
// the queue that makes page copies in the background.
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/HXCUtility.h"
#include "base/NotificationCenter.h"
#include "base/SerialQueue.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <future>
#include <thread>

using namespace zarvex;
using namespace zarvex::test;
namespace fs = std::filesystem;

namespace {

// The folder that holds the work folders of one name.
struct WorkBase {
    TempDir dir{"zarvex-work"};
    ScopedEnv env{"ZARVEX_WORK_BASE", dir.path().string()};
    fs::path shared() const { return dir / "Pellido"; }
};

bool isPrivateFolderOfMine(const fs::path& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 07777) == 0700;
}

// UTF-16 text with a byte-order mark, in either byte order.
std::string utf16(std::u16string_view text, bool bigEndian = false) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

} // namespace

// The work folders are fresh and private. Whatever stands in the shared folder's
// place and is not a real folder of the user's own is neither written into nor
// removed: the work folders go into a private folder of the user's own, and the
// removal takes that one away.
TEST(HXCUtility, WorkFoldersArePrivateAndAvoidAnythingButTheUsersOwnFolder) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& shared, const fs::path& elsewhere)> plant;
        bool usesShared = false;
        bool needsRoot = false;
    };
    const auto openFolder = [](const fs::path& shared, const fs::path&) {
        fs::create_directory(shared);
        fs::permissions(shared, fs::perms::all);
    };
    const std::vector<Case> cases = {
        {"nothing there", [](const fs::path&, const fs::path&) {}, true},
        {"a folder of mine an earlier version left open", openFolder, true},
        {"link to a folder",
         [](const fs::path& shared, const fs::path& elsewhere) {
             fs::create_directory(elsewhere);
             fs::create_directory_symlink(elsewhere, shared);
         }},
        {"dangling link", [](const fs::path& shared,
                             const fs::path& elsewhere) { fs::create_symlink(elsewhere, shared); }},
        {"plain file", [](const fs::path& shared, const fs::path&) { writeFile(shared, "x"); }},
        {"another user's folder",
         [&](const fs::path& shared, const fs::path& elsewhere) {
             openFolder(shared, elsewhere);
             ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
         },
         false, true},
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
        EXPECT_TRUE(a != b && b.parent_path() == own && fs::is_empty(a));
        EXPECT_TRUE(isPrivateFolderOfMine(own) && isPrivateFolderOfMine(a));
        EXPECT_TRUE(c.usesShared ? own == base.shared()
                                 : own.parent_path() == base.dir.path() &&
                                       own.filename().string().starts_with("Pellido."))
            << own;
        // Nothing is written where the link points or into the folder not used.
        EXPECT_TRUE(listFolder(elsewhere).empty());
        EXPECT_TRUE(c.usesShared || !fs::is_directory(fs::symlink_status(base.shared())) ||
                    listFolder(base.shared()).empty());

        HXCUtility::removeWorkFolders("Pellido");
        EXPECT_FALSE(fs::exists(own));
        EXPECT_EQ(fs::symlink_status(base.shared()).type(),
                  c.usesShared ? fs::file_type::not_found : before);
        EXPECT_EQ(fs::exists(elsewhere), c.what == std::string("link to a folder"));
    }
}

// Quitting takes only this run's work; a work folder that cannot be made is an error
// and nothing is made under a fixed name instead.
TEST(HXCUtility, QuitLeavesTheWorkOfOtherRunningCopies) {
    WorkBase base;
    const auto mine = HXCUtility::forceTmpDiractory("Pellido");
    writeFile(base.shared() / "temp.peer/page.swf", "converting");
    HXCUtility::removeWorkFolders("Pellido");
    EXPECT_FALSE(fs::exists(mine));
    EXPECT_EQ(slurp(base.shared() / "temp.peer/page.swf"), "converting");
    fs::remove_all(base.shared() / "temp.peer");
    HXCUtility::forceTmpDiractory("Pellido");
    HXCUtility::removeWorkFolders("Pellido");
    EXPECT_FALSE(fs::exists(base.shared())) << "the shared folder goes once it is empty";

    ScopedEnv missing("ZARVEX_WORK_BASE", (base.dir / "missing").string());
    EXPECT_THROW(HXCUtility::forceTmpDiractory("Pellido"), Error);
    EXPECT_TRUE(listFolder(base.dir.path()).empty());
}

TEST(HXCUtility, SubFoldersAreDeepParentFirstAndSkipFiles) {
    TempDir dir;
    fs::create_directories(dir / "b/c");
    fs::create_directories(dir / "a/b");
    writeFile(dir / "a/file.txt", "x");
    fs::create_directory_symlink(dir / "b", dir / "link");
    EXPECT_EQ(HXCUtility::subFolderOfFolder(dir.path()),
              (std::vector<fs::path>{dir / "a", dir / "a/b", dir / "b", dir / "b/c"}));
    EXPECT_TRUE(HXCUtility::subFolderOfFolder(dir / "missing").empty());
}

// The trust file is UTF-16 (little-endian when written) with one folder a line; a
// file it cannot read is left as it was.
TEST(HXCUtility, TrustFileListsEachFolderOnceNewestLastAndLeavesWhatItCannotRead) {
    const std::string loneSurrogate("\xFF\xFE\x00\xD8", 4);
    const struct {
        const char* what;
        std::optional<std::string> before; // absent: no file yet
        std::vector<std::string> added;
        std::string after;
    } cases[] = {
        {"a new file, with non-ASCII and beyond the basic plane", std::nullopt,
         splitAtSpaces("/p/one /Bücher/日本😀 /p/one /Bücher/日本😀"),
         utf16(u"/p/one\n/Bücher/日本😀")},
        // "/p/one\r" is not "/p/one".
        {"big-endian with CR LF",
         utf16(u"/p/one\r\n", true),
         {"/p/one"},
         utf16(u"/p/one\r\n\n/p/one")},
        {"UTF-8 text", "plain utf-8 text\n", {"/p/new"}, "plain utf-8 text\n"},
        {"lone surrogate", loneSurrogate, {"/p/new"}, loneSurrogate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempHome home;
        const auto trust = HXCUtility::flashTrustFile();
        EXPECT_EQ(trust, home.path() / "FlashPlayerTrust" / "PT.cfg") << "never the user's own";
        if (c.before)
            writeFile(trust, *c.before);
        for (const auto& folder : c.added)
            HXCUtility::makeDiractoryTrustByFlash(folder);
        EXPECT_EQ(slurp(trust), c.after);
    }
}

// A write that fails at any step keeps the old file whole and leaves no
// temporary file behind; scratch files skip only the flush.
TEST(FileUtil, AtomicWriteReplacesTheWholeFileOrNothing) {
    struct Case {
        const char* what;
        Durability durability;
        bool flushFails = false, renameFails = false;
        bool written = true;
        const char* target = "f.txt";
    };
    const Case cases[] = {
        {"flushed", Durability::Flushed},
        {"the flush fails", Durability::Flushed, true, false, false},
        {"a scratch file is not flushed", Durability::Scratch, true, false, true},
        {"the rename fails", Durability::Flushed, false, true, false},
        {"missing folder", Durability::Flushed, false, false, false, "missing/f.txt"},
    };
    detail::AtomicWriteCalls& calls = detail::atomicWriteCalls();
    const detail::AtomicWriteCalls real = calls;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir / "f.txt", "old");
        fs::permissions(dir / "f.txt", fs::perms::owner_read | fs::perms::owner_write);
        if (c.flushFails)
            calls.flush = [](int) {
                errno = EIO;
                return -1;
            };
        if (c.renameFails)
            calls.rename = [](const char*, const char*) {
                errno = EXDEV;
                return -1;
            };
        const bool written = writeFileAtomically(dir / c.target, "new", c.durability);
        calls = real;
        EXPECT_EQ(
            std::tuple(written, *readFile(dir / "f.txt"), listFolder(dir.path())),
            std::tuple(c.written, c.written ? "new" : "old", std::vector<std::string>{"f.txt"}))
            << "no temporary file";
        if (c.written) { // published files are meant to be read by others
            EXPECT_EQ(fs::status(dir / "f.txt").permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                          fs::perms::others_read);
        }
    }
    TempDir dir;
    EXPECT_FALSE(readFile(dir / "missing.txt"));
    EXPECT_FALSE(readFile(dir.path())) << "a folder is no file";
}

// A damaged store gives defaults and is not overwritten by reading it; what a
// save does not understand (a key of another version) survives it, a text that
// is not UTF-8 (ISO 8859-1 from a file name) is saved with a replacement
// character rather than failing the save, and a save that cannot write fails.
TEST(AppSettings, StoresSurviveDamageOddTextsAndFailedWrites) {
    TempHome home;
    const std::filesystem::path store = home.config() / "zarvex/settings.json";
    writeFile(store, "{not json");
    AppSettings damaged(store);
    EXPECT_EQ(std::tuple(damaged.importPageRange(), damaged.ImportType()), std::tuple("", 0));
    EXPECT_EQ(slurp(store), "{not json");

    writeFile(store, R"({"lastImportedFile": 7, "importQualityLevel": "high",
                         "importLinks": 1, "PageWidth": 800, "unknownKey": [1]})");
    {
        AppSettings s(store); // a new run starts from the sample book's page size
        EXPECT_EQ(std::tuple(s.lastImportedFile(), s.importQualityLevel(), s.importLinks(),
                             s.PageWidth()),
                  std::tuple("", 0, 1, 1080));
        s.setLastOutputFileFolder("/out/caf\xE9");
        ASSERT_TRUE(s.saveSettings());
    }
    const auto saved = nlohmann::json::parse(slurp(store));
    EXPECT_EQ(std::pair(saved["unknownKey"].dump(), saved["lastOutputFileFolder"]),
              std::pair(std::string("[1]"), nlohmann::json("/out/caf\uFFFD")));

    std::filesystem::remove(store);
    std::filesystem::create_directories(store); // a folder where the file should be
    EXPECT_FALSE(AppSettings(store).saveSettings());

    // The application's own store is in ~/.config when XDG_CONFIG_HOME names none.
    ScopedEnv noConfigHome("XDG_CONFIG_HOME", "");
    EXPECT_EQ(AppSettings::shareInstance().storeFile(),
              home.path() / ".config/zarvex/settings.json");
}

// The import posts its progress from its worker: delivered by name on the
// posting thread, and posts and registrations on several threads at once lose
// nothing.
TEST(NotificationCenter, DeliversByNameOnThePostingThreadAndLosesNothingAcrossThreads) {
    NotificationCenter center;
    std::vector<int> pages;
    std::thread::id seenOn;
    ScopedObserver obs(center, "ImportProgressInfoMSG", [&](const Notification& n) {
        pages.push_back(n.value<int>("pageIndex"));
        seenOn = std::this_thread::get_id();
    });
    center.post("Other", {{"pageIndex", 9}});
    std::jthread([&] { center.post("ImportProgressInfoMSG", {{"pageIndex", 1}}); }).join();
    EXPECT_EQ(pages, std::vector<int>{1});
    EXPECT_NE(seenOn, std::this_thread::get_id());

    std::atomic<int> count{0};
    ScopedObserver keep(center, "n", [&](const Notification&) { ++count; });
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < 500; ++i) {
                    ScopedObserver temp(center, "n", [](const Notification&) {});
                    center.post("n");
                }
            });
    }
    EXPECT_EQ(count.load(), 2000);
}

// Copies made early must all be there when their pass drains the queue, in the
// order posted, even after one failed; a queue that goes away while a copy runs
// finishes that one and starts no other.
TEST(SerialQueue, RunsInOrderPastFailuresAndDropsTheRestWhenDestroyed) {
    std::vector<int> ran;
    {
        SerialQueue queue;
        for (int i = 0; i < 50; ++i)
            queue.post([&ran, i] {
                if (i == 3)
                    throw Error("copy failed");
                ran.push_back(i);
            });
        queue.drain();
        EXPECT_EQ(ran.size(), 49u);
        EXPECT_TRUE(std::is_sorted(ran.begin(), ran.end()));
    }

    ran.clear();
    std::promise<void> started, release;
    std::shared_future<void> running = started.get_future().share();
    // Lets the first copy finish once the queue below is being destroyed.
    std::jthread unblock([&] {
        running.wait();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        release.set_value();
    });
    {
        SerialQueue queue;
        queue.post([&] {
            started.set_value();
            release.get_future().wait();
            ran.push_back(1);
        });
        queue.post([&] { ran.push_back(2); });
        running.wait();
    }
    EXPECT_EQ(ran, std::vector<int>{1});
}
