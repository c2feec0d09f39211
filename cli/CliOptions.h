#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zarvex::cli {

// The command line does not parse: the message is one line for standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Publish, Templates, Inspect, Help, Version };
enum class PageFormat { Flash, Image };
enum class MobileKind { Flip, Slide };

// One run of zarvex-cli, as given on the command line. Values are checked for
// form only (numbers, choices); whether files, templates or keys exist is the
// job's business.
struct CliOptions {
    Command command = Command::Help;

    std::optional<std::filesystem::path> pdf; // absent: the demo book
    std::filesystem::path out;
    std::string pages = "ALL";
    int quality = 0; // level 0..4
    PageFormat format = PageFormat::Flash;
    bool links = false;
    bool bookmarks = false;
    std::string templateName = "float";
    bool templateGiven = false;
    std::optional<std::string> style;
    std::optional<std::filesystem::path> settingsFile;
    std::vector<std::pair<std::string, std::string>> sets; // in command-line order
    std::string name = "index";
    std::optional<std::string> title;
    bool app = false;
    std::optional<MobileKind> mobile;
    bool overwrite = false;
    bool quiet = false;
    bool strict = false; // a file that the settings name but that is missing fails the run
};

// Parses the arguments after the program name. Raises UsageError.
CliOptions parseArguments(std::span<const std::string> args);

// The text of --help.
std::string usageText();

} // namespace zarvex::cli
