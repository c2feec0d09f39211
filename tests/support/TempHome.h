#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zarvex::test {

// A fresh temporary folder that is removed with the object.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "zarvex-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& p) const { return path_ / p; }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for the object's lifetime, then restores it.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A private home for one test: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_CACHE_HOME and ZARVEX_FLASH_TRUST_DIR point inside a temporary folder.
class TempHome {
public:
    TempHome();
    const std::filesystem::path& path() const { return dir_.path(); }
    std::filesystem::path config() const { return dir_ / ".config"; }
    std::filesystem::path data() const { return dir_ / ".local/share"; }

private:
    TempDir dir_;
    ScopedEnv home_, config_, data_, cache_, trust_;
};

void writeFile(const std::filesystem::path& file, const std::string& bytes); // makes the folder
std::string slurp(const std::filesystem::path& file);                        // empty when missing
// Names of the entries directly in `folder`, sorted; empty when it is missing.
std::vector<std::string> listFolder(const std::filesystem::path& folder);
// The parts of `text` between single spaces ("" has none).
std::vector<std::string> splitAtSpaces(const std::string& text);

} // namespace zarvex::test
