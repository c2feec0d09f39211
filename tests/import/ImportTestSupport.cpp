#include "ImportTestSupport.h"

namespace zarvex::test {

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
