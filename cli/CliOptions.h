#pragma once

#include "app/PublishJob.h"

#include <span>
#include <stdexcept>
#include <string>

namespace zarvex::cli {

// The command line does not parse: the message is one line for standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Publish, Templates, Inspect, Help, Version };

// One run of zarvex-cli, as given on the command line. Values are checked for
// form only (numbers, choices); whether files, templates or keys exist is the
// job's business. "inspect" reads the PDF, the pages, the links and the
// bookmarks of the request.
struct CliOptions {
    Command command = Command::Help;
    // Level 1 (JPEG quality 85) unless --quality says otherwise: as good as the
    // best to the eye at the pages' resolution, and about a third of the bytes
    // for readers to load.
    PublishRequest request{.quality = 1};
    bool quiet = false;
};

// Parses the arguments after the program name. Raises UsageError.
CliOptions parseArguments(std::span<const std::string> args);

// The text of --help.
std::string usageText();

} // namespace zarvex::cli
