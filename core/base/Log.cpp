#include "base/Log.h"

#include "base/Resources.h"

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/null_sink.h>
#include <spdlog/sinks/stdout_color_sinks.h>

#include <fstream>
#include <mutex>

namespace zarvex::log {
namespace {

constexpr const char* kDefaultPattern = "%Y-%m-%d %H:%M:%S.%e %-5l [%s:%# %!] %v";

std::mutex& configMutex() {
    static std::mutex m;
    return m;
}

std::shared_ptr<spdlog::logger>& current() {
    static std::shared_ptr<spdlog::logger> instance = [] {
        auto sink = std::make_shared<spdlog::sinks::stderr_color_sink_mt>();
        auto l = std::make_shared<spdlog::logger>("zarvex", sink);
        l->set_pattern(kDefaultPattern);
        l->set_level(spdlog::level::warn);
        return l;
    }();
    return instance;
}

std::string trim(std::string s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> out;
    std::string item;
    for (char c : text + ",") {
        if (c == ',') {
            if (auto t = trim(item); !t.empty())
                out.push_back(t);
            item.clear();
        } else {
            item += c;
        }
    }
    return out;
}

spdlog::level::level_enum levelFromName(std::string name) {
    for (auto& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "debug" || name == "trace" || name == "all")
        return spdlog::level::debug;
    if (name == "info")
        return spdlog::level::info;
    if (name == "warn" || name == "warning")
        return spdlog::level::warn;
    if (name == "error" || name == "fatal")
        return spdlog::level::err;
    if (name == "off")
        return spdlog::level::off;
    return spdlog::level::info;
}

} // namespace

spdlog::logger& logger() {
    std::scoped_lock lock(configMutex());
    return *current();
}

void silence() {
    auto l =
        std::make_shared<spdlog::logger>("zarvex", std::make_shared<spdlog::sinks::null_sink_mt>());
    l->set_level(spdlog::level::off);
    std::scoped_lock lock(configMutex());
    current() = l;
}

void configureLogging(const std::filesystem::path& propertiesFile,
                      const std::map<std::string, std::filesystem::path>& fileOverrides) {
    std::ifstream in(propertiesFile);
    if (!in) {
        ZLOG_WARN("logging configuration cannot be read: {}", propertiesFile.string());
        return;
    }
    std::map<std::string, std::string> props;
    for (std::string line; std::getline(in, line);) {
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == '!')
            continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        props[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
    }
    for (const auto& [name, path] : fileOverrides)
        props["log4cocoa.appender." + name + ".File"] = path.string();

    auto root = splitList(props["log4cocoa.rootLogger"]);
    spdlog::level::level_enum level = spdlog::level::info;
    if (!root.empty()) {
        level = levelFromName(root.front());
        root.erase(root.begin());
    }

    std::vector<spdlog::sink_ptr> sinks;
    std::vector<std::string> problems;
    for (const auto& name : root) {
        const std::string prefix = "log4cocoa.appender." + name;
        const std::string kind = props[prefix];
        spdlog::sink_ptr sink;
        try {
            if (kind.find("File") != std::string::npos) {
                const std::filesystem::path file = props[prefix + ".File"];
                if (file.empty()) {
                    problems.push_back("appender " + name + " has no file");
                    continue;
                }
                std::error_code ec;
                std::filesystem::create_directories(file.parent_path(), ec);
                sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(file.string());
            } else if (kind.find("Console") != std::string::npos) {
                sink = std::make_shared<spdlog::sinks::stderr_color_sink_mt>();
            } else {
                problems.push_back("appender " + name + " has an unknown kind '" + kind + "'");
                continue;
            }
        } catch (const spdlog::spdlog_ex& e) {
            problems.push_back("appender " + name + ": " + e.what());
            continue;
        }
        const auto pattern = props[prefix + ".layout.ConversionPattern"];
        sink->set_pattern(pattern.empty() ? kDefaultPattern : pattern);
        const auto threshold = props[prefix + ".Threshold"];
        if (!threshold.empty())
            sink->set_level(levelFromName(threshold));
        sinks.push_back(std::move(sink));
    }
    if (sinks.empty())
        sinks.push_back(std::make_shared<spdlog::sinks::stderr_color_sink_mt>());

    auto l = std::make_shared<spdlog::logger>("zarvex", sinks.begin(), sinks.end());
    l->set_level(level);
    l->flush_on(spdlog::level::warn);
    {
        std::scoped_lock lock(configMutex());
        current() = l;
    }
    for (const auto& p : problems)
        ZLOG_WARN("logging configuration: {}", p);
}

} // namespace zarvex::log

namespace zarvex {

std::filesystem::path logFilePath(const std::string& appName) {
    return applicationSupportPath() / "Kestrova" / "Imvoria" / (appName + ".log");
}

void prepaireTheLog(const std::string& appName) {
    const auto file = logFilePath(appName);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec)
        ZLOG_WARN("log folder cannot be created: {}", ec.message());
    try {
        log::configureLogging(resourcePath("logging.properties"), {{"KestrovaFileLog", file}});
    } catch (const std::exception& e) {
        ZLOG_WARN("logging cannot be configured: {}", e.what());
    }
}

} // namespace zarvex
