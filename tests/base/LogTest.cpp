#include "base/Log.h"
#include "base/Resources.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

using namespace zarvex;
using namespace zarvex::test;

namespace {

int formatted = 0;
struct Counted {};

} // namespace

template <> struct fmt::formatter<Counted> : fmt::formatter<std::string_view> {
    auto format(const Counted&, format_context& ctx) const {
        ++formatted;
        return fmt::formatter<std::string_view>::format("counted", ctx);
    }
};

// The file appender writes the source location and honours the level; the
// application's log goes to the support folder with the shipped configuration.
TEST(Log, FileAppenderWritesSourceLocationAndHonoursTheLevelAndTheAppLogIsInTheSupportFolder) {
    TempHome home;
    TempDir dir;
    log::configureLogging(dir / "none.properties"); // a missing configuration keeps logging
    ZLOG_ERROR("still works");
    writeFile(dir / "logging.properties", "log4cocoa.rootLogger=INFO, KestrovaFileLog\n"
                                          "log4cocoa.appender.KestrovaFileLog=FileAppender\n"
                                          "log4cocoa.appender.KestrovaFileLog.File=unused.log\n");
    const auto file = dir / "sub/app.log";
    log::configureLogging(dir / "logging.properties", {{"KestrovaFileLog", file}});
    formatted = 0;
    ZLOG_DEBUG("hidden {}", Counted{});
    ZLOG_INFO("shown {}", 42);
    ZLOG_ERROR("trouble {}", Counted{});
    log::logger().flush();
    const auto text = slurp(file);
    for (const char* part : {"shown 42", "LogTest.cpp:", "TestBody"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    EXPECT_EQ(formatted, 1); // the debug argument was never formatted

    prepaireTheLog("Zarvex Test");
    ZLOG_WARN("hello from the test");
    log::logger().flush();
    EXPECT_NE(slurp(home.data() / "Kestrova/Imvoria/Zarvex Test.log").find("hello from the test"),
              std::string::npos);
    log::silence();
}
