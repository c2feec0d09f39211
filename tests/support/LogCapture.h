#pragma once

// Records what the system logs while a test runs.

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
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

} // namespace zarvex::test
