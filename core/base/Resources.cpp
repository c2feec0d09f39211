#include "base/Resources.h"

#include "base/Error.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

fs::path envPath(const char* name) {
    const char* value = std::getenv(name);
    return (value && *value) ? fs::path(value) : fs::path();
}

fs::path executableFolder() {
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : exe.parent_path();
}

} // namespace

fs::path resourcesPath() {
    if (auto env = envPath("ZARVEX_RESOURCES"); !env.empty())
        return env;
    const auto exeDir = executableFolder();
    for (const fs::path& candidate : {exeDir / "resources", exeDir / ".." / "resources",
                                      exeDir / ".." / "share" / "zarvex" / "resources"}) {
        std::error_code ec;
        if (fs::is_directory(candidate / "AppFiles", ec))
            return fs::weakly_canonical(candidate, ec);
    }
    throw Error("the resource folder cannot be found (set ZARVEX_RESOURCES)");
}

fs::path resourcePath(const fs::path& relative) {
    return resourcesPath() / relative;
}

fs::path homePath() {
    if (auto home = envPath("HOME"); !home.empty())
        return home;
    return "/";
}

fs::path applicationSupportPath() {
    if (auto data = envPath("XDG_DATA_HOME"); !data.empty() && data.is_absolute())
        return data;
    return homePath() / ".local" / "share";
}

fs::path userConfigPath() {
    if (auto config = envPath("XDG_CONFIG_HOME"); !config.empty() && config.is_absolute())
        return config;
    return homePath() / ".config";
}

} // namespace zarvex
