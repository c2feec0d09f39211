#include "support/LogCapture.h"

#include "base/Log.h"

#include <spdlog/sinks/ringbuffer_sink.h>

#include <algorithm>

namespace zarvex::test {

LogCapture::LogCapture()
    : sink_(std::make_shared<spdlog::sinks::ringbuffer_sink_mt>(4096)),
      oldLevel_(static_cast<int>(log::logger().level())) {
    sink_->set_pattern("%l %v");
    log::logger().sinks().push_back(sink_);
    log::logger().set_level(spdlog::level::debug);
}

LogCapture::~LogCapture() {
    auto& sinks = log::logger().sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink_), sinks.end());
    log::logger().set_level(static_cast<spdlog::level::level_enum>(oldLevel_));
}

std::vector<std::string> LogCapture::lines() const {
    auto all = sink_->last_formatted();
    for (auto& line : all)
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
    return all;
}

bool LogCapture::contains(std::string_view text) const {
    const auto all = lines();
    return std::any_of(all.begin(), all.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

} // namespace zarvex::test
