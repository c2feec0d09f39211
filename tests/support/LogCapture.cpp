#include "support/LogCapture.h"

#include "base/Log.h"

#include <algorithm>

namespace zarvex::test {

LogCapture::LogCapture()
    : sink_(std::make_shared<spdlog::sinks::ringbuffer_sink_mt>(4096)),
      oldLevel_(log::logger().level()) {
    sink_->set_pattern("%l %v");
    log::logger().sinks().push_back(sink_);
    log::logger().set_level(spdlog::level::debug);
}

LogCapture::~LogCapture() {
    std::erase(log::logger().sinks(), sink_);
    log::logger().set_level(oldLevel_);
}

std::vector<std::string> LogCapture::lines() const {
    auto all = sink_->last_formatted();
    for (auto& line : all)
        while (line.ends_with('\n') || line.ends_with('\r'))
            line.pop_back();
    return all;
}

bool LogCapture::contains(std::string_view text) const {
    return std::ranges::any_of(
        lines(), [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

} // namespace zarvex::test
