#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace zarvex {

class PDFRenderer;

// Works ahead on a second thread through a known sequence of pages while the
// owner's thread takes the results one by one. Each job runs exactly once,
// either on the worker (with the worker's renderer) or on the owner's thread
// (with the owner's renderer): the owner runs the page it asks for when nobody
// has started it, and works on later pages while it waits for the worker. So
// each renderer is used by one thread only. The worker stays at most `window` pages ahead of the
// last page taken, which bounds the memory the results hold.
//
// Destroying the object asks the worker to stop and waits for its current job.
class PageLookahead {
public:
    // A job makes the result for one page number; it may raise, and the error
    // reaches the owner when it takes that page.
    using Job = std::function<std::string(int pageIndex, PDFRenderer& renderer)>;

    // `workerRenderer` is used only by the worker thread while this object lives.
    // `stopped` is polled by the worker before each job; once it answers true the
    // worker takes no new page.
    PageLookahead(std::vector<int> pages, Job job, PDFRenderer& workerRenderer,
                  std::function<bool()> stopped, std::size_t window);
    ~PageLookahead();
    PageLookahead(const PageLookahead&) = delete;
    PageLookahead& operator=(const PageLookahead&) = delete;

    // The result for `pageIndex`: runs the job here with `renderer` when nobody
    // has started it; otherwise runs later pages' jobs here until the worker is
    // done with it. Absent when the page is not in the sequence or was taken
    // before. Rethrows the job's error.
    std::optional<std::string> take(int pageIndex, PDFRenderer& renderer);

private:
    enum class State { Pending, Running, Done };
    struct Slot {
        int pageIndex = 0;
        State state = State::Pending;
        bool taken = false;
        std::string result;
        std::exception_ptr error;
    };

    void work(std::stop_token stop);
    // The next pending slot the worker may claim, or slots_.size(). Caller holds mutex_.
    std::size_t nextClaimable() const;

    Job job_;
    PDFRenderer& workerRenderer_;
    std::function<bool()> stopped_;
    std::size_t window_;

    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<Slot> slots_;
    std::unordered_map<int, std::size_t> positionOf_;
    std::size_t next_ = 0;     // slots before it are not pending
    std::size_t consumed_ = 0; // one past the furthest slot taken
    std::jthread worker_;      // last: starts after everything above exists
};

} // namespace zarvex
