#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zarvex {

// The system's file conventions: fresh work folders, folder listing, Flash
// Player trust. Stateless; every operation may be called from any thread.
class HXCUtility {
public:
    // A new, empty folder "/tmp"/name/"temp.XXXXXX", creating "/tmp"/name first
    // when needed. The path is returned in every case; failures are only logged.
    static std::filesystem::path forceTmpDiractory(const std::string& name);

    // Every folder below `folder`, deep, each folder before its contents; empty
    // when the folder is missing or unreadable.
    static std::vector<std::filesystem::path> subFolderOfFolder(const std::filesystem::path& folder);

    // Lists `folder` in the Flash Player's trust file (once; the newest last).
    static void makeDiractoryTrustByFlash(const std::filesystem::path& folder);

    // The Flash Player trust file: $ZARVEX_FLASH_TRUST_DIR/PT.cfg when that
    // variable is set (tests), otherwise the Linux player's per-user place
    // ~/.macromedia/Flash_Player/#Security/FlashPlayerTrust/PT.cfg.
    static std::filesystem::path flashTrustFile();
};

} // namespace zarvex
