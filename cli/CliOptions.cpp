#include "CliOptions.h"

#include <charconv>
#include <map>

namespace zarvex::cli {

namespace {

enum class Arity { Flag, Value };

struct OptionRule {
    Arity arity;
    bool publish; // accepted by "publish"
    bool inspect; // accepted by "inspect"
};

const std::map<std::string, OptionRule, std::less<>> kOptions = {
    {"--out", {Arity::Value, true, false}},       {"--pages", {Arity::Value, true, true}},
    {"--quality", {Arity::Value, true, false}},   {"--format", {Arity::Value, true, false}},
    {"--links", {Arity::Flag, true, true}},       {"--bookmarks", {Arity::Flag, true, true}},
    {"--template", {Arity::Value, true, false}},  {"--style", {Arity::Value, true, false}},
    {"--settings", {Arity::Value, true, false}},  {"--set", {Arity::Value, true, false}},
    {"--name", {Arity::Value, true, false}},      {"--title", {Arity::Value, true, false}},
    {"--app", {Arity::Flag, true, false}},        {"--mobile", {Arity::Value, true, false}},
    {"--overwrite", {Arity::Flag, true, false}},  {"--quiet", {Arity::Flag, true, true}},
    {"--strict", {Arity::Flag, true, false}},     {"--text", {Arity::Flag, true, false}},
    {"--zoom-pages", {Arity::Flag, true, false}},
};

const char* commandName(Command command) {
    switch (command) {
    case Command::Publish:
        return "publish";
    case Command::Inspect:
        return "inspect";
    case Command::Templates:
        return "templates";
    default:
        return "";
    }
}

int parseQuality(const std::string& text) {
    int value = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 4)
        throw UsageError("--quality takes a level from 0 (best) to 4, not '" + text + "'");
    return value;
}

std::string checkedName(std::string name) {
    // The HTML page is name + ".html"; accept the name typed with its extension.
    if (name.size() > 5 && name.ends_with(".html"))
        name.resize(name.size() - 5);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        throw UsageError("--name takes a plain file name without '/', not '" + name + "'");
    return name;
}

void applyOption(CliOptions& options, const std::string& option, const std::string& value) {
    PublishRequest& request = options.request;
    if (option == "--out") {
        if (value.empty())
            throw UsageError("--out needs a folder");
        request.out = value;
    } else if (option == "--pages") {
        request.pages = value;
    } else if (option == "--quality") {
        request.quality = parseQuality(value);
    } else if (option == "--format") {
        if (value == "flash")
            request.format = PageFormat::Flash;
        else if (value == "image")
            request.format = PageFormat::Image;
        else
            throw UsageError("--format takes flash or image, not '" + value + "'");
    } else if (option == "--links") {
        request.links = true;
    } else if (option == "--bookmarks") {
        request.bookmarks = true;
    } else if (option == "--text") {
        request.text = true;
    } else if (option == "--zoom-pages") {
        request.zoomPages = true;
    } else if (option == "--template") {
        if (value.empty())
            throw UsageError("--template needs a template name (see: zarvex-cli templates)");
        request.templateName = value;
        request.templateGiven = true;
    } else if (option == "--style") {
        if (value.empty())
            throw UsageError("--style needs a style name (see: zarvex-cli templates)");
        request.style = value;
    } else if (option == "--settings") {
        if (value.empty())
            throw UsageError("--settings needs a file");
        request.settingsFile = value;
    } else if (option == "--set") {
        auto eq = value.find('=');
        if (eq == std::string::npos || eq == 0)
            throw UsageError("--set takes KEY=VALUE, not '" + value + "'");
        request.sets.emplace_back(value.substr(0, eq), value.substr(eq + 1));
    } else if (option == "--name") {
        request.name = checkedName(value);
    } else if (option == "--title") {
        request.title = value;
    } else if (option == "--app") {
        request.app = true;
    } else if (option == "--mobile") {
        if (value == "flip")
            request.mobile = MobileKind::Flip;
        else if (value == "slide")
            request.mobile = MobileKind::Slide;
        else
            throw UsageError("--mobile takes flip or slide, not '" + value + "'");
    } else if (option == "--overwrite") {
        request.overwrite = true;
    } else if (option == "--quiet") {
        options.quiet = true;
    } else if (option == "--strict") {
        request.strict = true;
    }
}

} // namespace

CliOptions parseArguments(std::span<const std::string> args) {
    CliOptions options;
    if (args.empty())
        throw UsageError("no command given (try: zarvex-cli --help)");
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            options.command = Command::Help;
            return options;
        }
    }

    const std::string& command = args.front();
    if (command == "--version" || command == "version") {
        if (args.size() > 1)
            throw UsageError("--version takes no arguments");
        options.command = Command::Version;
        return options;
    }
    if (command == "help") {
        options.command = Command::Help;
        return options;
    }
    if (command == "publish")
        options.command = Command::Publish;
    else if (command == "inspect")
        options.command = Command::Inspect;
    else if (command == "templates")
        options.command = Command::Templates;
    else
        throw UsageError("unknown command '" + command + "' (try: zarvex-cli --help)");

    bool onlyPositional = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPositional || arg.size() < 2 || !arg.starts_with("-")) {
            if (options.command == Command::Templates)
                throw UsageError("templates takes no arguments, not '" + arg + "'");
            if (options.request.pdf)
                throw UsageError("only one PDF file can be given, not also '" + arg + "'");
            if (arg.empty())
                throw UsageError("the PDF file name is empty");
            options.request.pdf = arg;
            continue;
        }
        if (arg == "--") {
            onlyPositional = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        auto rule = kOptions.find(name);
        if (rule == kOptions.end())
            throw UsageError("unknown option '" + name + "' (try: zarvex-cli --help)");
        bool accepted = options.command == Command::Publish   ? rule->second.publish
                        : options.command == Command::Inspect ? rule->second.inspect
                                                              : false;
        if (!accepted)
            throw UsageError("option " + name + " does not apply to " +
                             commandName(options.command));
        std::string value;
        if (rule->second.arity == Arity::Value) {
            if (inlineValue) {
                value = *inlineValue;
            } else {
                if (i + 1 >= args.size())
                    throw UsageError("option " + name + " needs a value");
                value = args[++i];
            }
        } else if (inlineValue) {
            throw UsageError("option " + name + " takes no value");
        }
        applyOption(options, name, value);
    }

    if (options.command == Command::Publish) {
        if (options.request.out.empty())
            throw UsageError("publish needs --out DIR");
        if (options.request.app && options.request.mobile)
            throw UsageError("--mobile cannot be combined with --app (the application form has no "
                             "mobile version)");
    }
    if (options.command == Command::Inspect && !options.request.pdf)
        throw UsageError("inspect needs a PDF file");
    return options;
}

std::string usageText() {
    return R"(Usage:
  zarvex-cli publish [PDF] --out DIR [options]   publish a page-turning book
  zarvex-cli templates                           list the templates and their styles
  zarvex-cli inspect PDF [--pages RANGE] [--links] [--bookmarks]
                                                 print the link tree and the bookmark tree
  zarvex-cli --help | --version

Publish options:
  PDF                  the document to publish; without it the demo book is published
  --out DIR            the book folder (created; an existing non-empty folder needs --overwrite)
  --pages RANGE        ALL (default) or a list such as 1-5,8
  --quality 0..4       JPEG quality level: 0=100, 1=85 (default), 2=65, 3=45, 4=25
  --format flash|image page files: Flash pages (default) or JPEG images
  --links              import the PDF's links
  --bookmarks          import the PDF's bookmarks
  --text               import the pages' text (for selection, search and search engines)
  --template NAME      book template (default: float)
  --style NAME         style of the template (default: the template's default style)
  --settings FILE      template settings text to apply (as exported by the application)
  --set KEY=VALUE      set one template property; may be repeated
  --name NAME          name of the HTML page without .html (default: index)
  --title TEXT         title of the HTML page, and of the book unless the settings
                       or --set give its Title
  --app                write the application form (NAME.app) instead of a folder book
  --mobile flip|slide  also write the mobile version
  --zoom-pages         also high-resolution page images (288 dpi) that the viewer shows
                       when zoomed in or on high-density screens
  --overwrite          replace an existing output folder that holds an earlier book
                       and nothing else (never a symbolic link, never one holding an input)
  --strict             fail when a file that the settings name (logo, background,
                       sound, download) is missing, instead of leaving it out
  --quiet              no progress on standard error (warnings and notices still show)

A publish names on standard error each file it copies into the book from outside
the resources and the PDF's folder (settings such as DownloadFile=...), and
warns of each file that the settings name but that is missing.

Exit status: 0 success, 1 failure, 2 usage error.
)";
}

} // namespace zarvex::cli
