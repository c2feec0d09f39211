#include "RunEnvironment.h"

#include "base/Error.h"
#include "base/Log.h"
#include "base/Resources.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

namespace zarvex::cli {

namespace fs = std::filesystem;

namespace {

fs::path makeRunFolder() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec || base.empty())
        base = "/tmp";
    std::string pattern = (base / "zarvex-cli.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw Error("cannot create a work folder in " + base.string() + ": " +
                    std::strerror(errno));
    return pattern;
}

void setVariable(const char* name, const fs::path& value) {
    if (setenv(name, value.c_str(), 1) != 0)
        throw Error(std::string("cannot set ") + name + ": " + std::strerror(errno));
}

// Logs go to a file only: the command line's own messages are the only output.
void configureRunLog(const fs::path& folder, const fs::path& logFile) {
    fs::path properties = folder / "logging.properties";
    std::ofstream(properties) << "log4cocoa.rootLogger=DEBUG, KestrovaFileLog\n"
                                 "log4cocoa.appender.KestrovaFileLog=FileAppender\n";
    log::configureLogging(properties, {{"KestrovaFileLog", logFile}});
}

} // namespace

RunEnvironment::RunEnvironment() {
    userPreviewFolder_ = applicationSupportPath() / "Drevalis" / "preview";
    root_ = makeRunFolder();
    std::error_code ec;
    for (const char* sub : {"data", "config", "trust"})
        fs::create_directories(root_ / sub, ec);
    setVariable("XDG_DATA_HOME", root_ / "data");
    setVariable("XDG_CONFIG_HOME", root_ / "config");
    setVariable("ZARVEX_FLASH_TRUST_DIR", root_ / "trust");
    setVariable("ZARVEX_WORK_BASE", root_);

    const char* keep = std::getenv("ZARVEX_CLI_LOG");
    logFile_ = keep && *keep ? fs::absolute(keep) : root_ / "zarvex-cli.log";
    configureRunLog(root_, logFile_);
}

RunEnvironment::~RunEnvironment() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

fs::path RunEnvironment::previewFolder() const {
    return root_ / "data" / "Drevalis" / "preview";
}

} // namespace zarvex::cli
