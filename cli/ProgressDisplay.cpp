#include "ProgressDisplay.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace zarvex::cli {

ProgressDisplay::Mode ProgressDisplay::modeFor(int fd, bool quiet) {
    if (quiet)
        return Mode::Silent;
    const char* term = std::getenv("TERM");
    bool dumb = term && std::string_view(term) == "dumb";
    return isatty(fd) && !dumb ? Mode::Bar : Mode::Lines;
}

void ProgressDisplay::step(std::string_view text) {
    std::scoped_lock lock(mutex_);
    if (mode_ == Mode::Silent)
        return;
    endBar();
    stream_ << text << '\n' << std::flush;
    lastTask_.clear();
}

void ProgressDisplay::advance(std::string_view task, int done, int total, std::string_view detail) {
    std::scoped_lock lock(mutex_);
    if (mode_ == Mode::Silent || total <= 0)
        return;
    done = std::clamp(done, 0, total);
    bool newTask = task != lastTask_;
    if (newTask) {
        lastTask_ = task;
        lastTenth_ = -1;
        lastDetail_.clear();
    }
    if (mode_ == Mode::Lines) {
        // Named steps are all shown; counted items about ten times per task.
        int tenth = done * 10 / total;
        bool newDetail = !detail.empty() && detail != lastDetail_;
        if (!newDetail && tenth == lastTenth_ && done != total)
            return;
        lastTenth_ = tenth;
        lastDetail_ = detail;
        stream_ << task << ": " << done << " of " << total;
        if (!detail.empty())
            stream_ << " (" << detail << ")";
        stream_ << '\n' << std::flush;
        return;
    }
    constexpr int width = 30;
    int filled = done * width / total;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '-');
    stream_ << "\r\x1b[K" << task << " [" << bar << "] " << done << "/" << total;
    if (!detail.empty())
        stream_ << ' ' << detail;
    stream_ << std::flush;
    barOpen_ = true;
}

void ProgressDisplay::finish() {
    std::scoped_lock lock(mutex_);
    endBar();
}

void ProgressDisplay::endBar() {
    if (barOpen_) {
        stream_ << '\n' << std::flush;
        barOpen_ = false;
    }
}

} // namespace zarvex::cli
