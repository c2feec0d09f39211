#pragma once

// Helpers of the import tests: log capture, progress recording, JPEG sizes.

#include "base/NotificationCenter.h"
#include "support/LogCapture.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvex::test {

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
