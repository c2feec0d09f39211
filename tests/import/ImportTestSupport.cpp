#include "ImportTestSupport.h"

#include "app/Log.h"

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

ProgressRecorder::ProgressRecorder(std::function<void(const Progress&)> onMessage)
    : onMessage_(std::move(onMessage)),
      observer_(NotificationCenter::defaultCenter(), "ImportProgressInfoMSG",
                [this](const Notification& n) {
                    Progress p{n.value<std::string>("type"), n.value<int>("pageIndex", -1),
                               n.value<int>("totalPage", -1)};
                    {
                        std::scoped_lock lock(mutex_);
                        messages_.push_back(p);
                    }
                    if (onMessage_)
                        onMessage_(p);
                }) {}

std::vector<Progress> ProgressRecorder::messages() const {
    std::scoped_lock lock(mutex_);
    return messages_;
}

std::pair<int, int> jpegSize(std::string_view jpeg) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return {0, 0};
    std::size_t i = 2;
    while (i + 9 < jpeg.size()) {
        if (byte(i) != 0xFF)
            return {0, 0};
        const auto marker = byte(i + 1);
        const std::size_t length = byte(i + 2) << 8 | byte(i + 3);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return {byte(i + 7) << 8 | byte(i + 8), byte(i + 5) << 8 | byte(i + 6)};
        i += 2 + length;
    }
    return {0, 0};
}

int countFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return 0;
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        n += entry.is_regular_file() ? 1 : 0;
    return n;
}

} // namespace zarvex::test
