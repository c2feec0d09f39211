#pragma once

#include <filesystem>

namespace zarvex::cli {

// The private folders of one command-line run: its own per-user data folder
// (so its preview folder), its own settings store, its own Flash trust file
// and its own page work folders, all inside one fresh folder under the
// temporary folder that is removed when the run ends, also after a failure or
// an interruption. Two runs never share any of them; the desktop application's
// preview folder and saved settings stay untouched, and its quit, which clears
// "/tmp/Pellido", cannot take a running import's pages away.
//
// It works by pointing XDG_DATA_HOME, XDG_CONFIG_HOME, ZARVEX_FLASH_TRUST_DIR
// and ZARVEX_WORK_BASE at the run folder, so it must be created before
// anything reads them (the settings singleton, the preview path, the page
// converter); at most one may exist per process.
class RunEnvironment {
public:
    // Raises Error when the run folder cannot be made.
    RunEnvironment();
    RunEnvironment(const RunEnvironment&) = delete;
    RunEnvironment& operator=(const RunEnvironment&) = delete;
    ~RunEnvironment();

    const std::filesystem::path& root() const { return root_; }
    // The desktop application's preview folder, as it was before the redirect.
    const std::filesystem::path& userPreviewFolder() const { return userPreviewFolder_; }
    // This run's preview folder.
    std::filesystem::path previewFolder() const;
    // The file the run's log goes to (kept only when ZARVEX_CLI_LOG names it).
    const std::filesystem::path& logFile() const { return logFile_; }

private:
    std::filesystem::path root_;
    std::filesystem::path userPreviewFolder_;
    std::filesystem::path logFile_;
};

} // namespace zarvex::cli
