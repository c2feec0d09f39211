#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace zarvex::cli {

// Shows a run's progress on a stream: a redrawn bar on a terminal, plain lines
// otherwise, nothing when silent. May be called from any thread; each call
// draws whole lines.
class ProgressDisplay {
public:
    enum class Mode { Bar, Lines, Silent };

    ProgressDisplay(std::ostream& stream, Mode mode) : stream_(stream), mode_(mode) {}
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;
    ~ProgressDisplay() { finish(); }

    // Bar on a terminal, Silent with quiet, Lines otherwise.
    static Mode modeFor(int fd, bool quiet);

    // A step of the run begins ("Writing the book").
    void step(std::string_view text);
    // `done` of `total` items of the task `task` are finished; `detail` names
    // the item at hand.
    void advance(std::string_view task, int done, int total, std::string_view detail = {});
    // Ends a bar that is being drawn, so that the next line starts clean.
    void finish();

private:
    void endBar();

    std::mutex mutex_;
    std::ostream& stream_;
    Mode mode_;
    bool barOpen_ = false;
    std::string lastTask_;
    std::string lastDetail_;
    int lastTenth_ = -1;
};

} // namespace zarvex::cli
