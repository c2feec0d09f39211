#pragma once

// Logging for the whole system. Every line carries the source file, line and
// function; the message is formatted (fmt syntax, "{}") only when the logger
// accepts the level. Before configureLogging() runs, lines go to stderr at warn.
#include <spdlog/spdlog.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace zarvex::log {

// The process-wide logger; never null.
spdlog::logger& logger();

// Configures the logger from a properties file (the resource "logging.properties"):
//   log4cocoa.rootLogger=<LEVEL>, <appender>[, <appender>...]
//   log4cocoa.appender.<name>=FileAppender | ConsoleAppender
//   log4cocoa.appender.<name>.File=<path>
//   log4cocoa.appender.<name>.layout.ConversionPattern=<spdlog pattern>
// `fileOverrides` maps an appender name to the path its file key is set to.
// A missing or unreadable file leaves a console logger at warn and logs why.
void configureLogging(const std::filesystem::path& propertiesFile,
                      const std::map<std::string, std::filesystem::path>& fileOverrides = {});

// Sends everything to a null sink (tests that check files rather than logs).
void silence();

} // namespace zarvex::log

namespace zarvex {

// The application's log file: <Application Support>/Kestrova/Imvoria/<appName>.log.
std::filesystem::path logFilePath(const std::string& appName);

// Start-up log set-up: creates the log file's folder and configures logging from
// the resource "logging.properties" with the appender "KestrovaFileLog" writing
// to logFilePath(appName). Never throws; problems are logged to stderr.
void prepaireTheLog(const std::string& appName);

} // namespace zarvex

#define ZLOG_DEBUG(...)                                                                            \
    SPDLOG_LOGGER_CALL(&::zarvex::log::logger(), spdlog::level::debug, __VA_ARGS__)
#define ZLOG_INFO(...)                                                                             \
    SPDLOG_LOGGER_CALL(&::zarvex::log::logger(), spdlog::level::info, __VA_ARGS__)
#define ZLOG_WARN(...)                                                                             \
    SPDLOG_LOGGER_CALL(&::zarvex::log::logger(), spdlog::level::warn, __VA_ARGS__)
#define ZLOG_ERROR(...)                                                                            \
    SPDLOG_LOGGER_CALL(&::zarvex::log::logger(), spdlog::level::err, __VA_ARGS__)
