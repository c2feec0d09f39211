#pragma once

// Helpers of the import tests: log capture, progress recording, JPEG sizes.

#include "app/NotificationCenter.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace spdlog::sinks {
template <typename Mutex> class ringbuffer_sink;
}

namespace zarvex::test {

// Records the log lines ("<level> <message>") written while it lives, at
// debug level and above.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    bool contains(std::string_view text) const;

private:
    std::shared_ptr<spdlog::sinks::ringbuffer_sink<std::mutex>> sink_;
    int oldLevel_;
};

// One "ImportProgressInfoMSG" as received.
struct Progress {
    std::string type;
    int pageIndex = 0;
    int totalPage = 0;
    friend bool operator==(const Progress&, const Progress&) = default;
};

// Records every progress message posted while it lives; `onMessage`, when
// given, runs on the posting thread after the message is recorded.
class ProgressRecorder {
public:
    explicit ProgressRecorder(std::function<void(const Progress&)> onMessage = {});
    std::vector<Progress> messages() const;

private:
    mutable std::mutex mutex_;
    std::vector<Progress> messages_;
    std::function<void(const Progress&)> onMessage_;
    ScopedObserver observer_;
};

// Width and height from a JPEG's frame header; (0, 0) when there is none.
std::pair<int, int> jpegSize(std::string_view jpeg);

// Regular files directly inside `folder`; 0 when it does not exist.
int countFiles(const std::filesystem::path& folder);

} // namespace zarvex::test
