#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zarvex {

// The system's file conventions: fresh work folders, folder listing, Flash
// Player trust. Every operation may be called from any thread; the only state
// is the list of private work folders made in place of shared ones, under a
// lock.
class HXCUtility {
public:
    // A new, empty, private (0700) folder "temp.XXXXXX" inside the work base
    // "/tmp"/name, which is created with mode 0700 when missing. When something
    // else stands at "/tmp"/name (another user's folder, a link, a file), the
    // work folders go into a private folder "/tmp"/name.XXXXXX of this user's
    // own instead, made once per process and name; a warning is logged. So no
    // other user can see, block or swap the page files. "/tmp" is replaced by
    // $ZARVEX_WORK_BASE when that is set (the command line's run folder,
    // tests). Raises Error when no private folder can be made.
    static std::filesystem::path forceTmpDiractory(const std::string& name);

    // Removes the work folders this process made with forceTmpDiractory(name),
    // with everything in them, and this process's private fallback folder;
    // then "/tmp"/name itself when it is a real folder of this user's own and
    // empty. Folders of other running copies stay, so their work goes on.
    static void removeWorkFolders(const std::string& name);

    // Every folder below `folder`, deep, each folder before its contents; empty
    // when the folder is missing or unreadable.
    static std::vector<std::filesystem::path>
    subFolderOfFolder(const std::filesystem::path& folder);

    // Lists `folder` in the Flash Player's trust file (once; the newest last).
    static void makeDiractoryTrustByFlash(const std::filesystem::path& folder);

    // The Flash Player trust file: $ZARVEX_FLASH_TRUST_DIR/PT.cfg when that
    // variable is set (tests), otherwise the Linux player's per-user place
    // ~/.macromedia/Flash_Player/#Security/FlashPlayerTrust/PT.cfg.
    static std::filesystem::path flashTrustFile();
};

} // namespace zarvex
