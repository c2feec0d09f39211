#include "import/PageLookahead.h"

#include <algorithm>
#include <utility>

namespace zarvex {

PageLookahead::PageLookahead(std::vector<int> pages, Job job, PDFRenderer& workerRenderer,
                             std::function<bool()> stopped, std::size_t window)
    : job_(std::move(job)), workerRenderer_(workerRenderer), stopped_(std::move(stopped)),
      window_(std::max<std::size_t>(window, 1)) {
    slots_.reserve(pages.size());
    for (const int page : pages) {
        if (positionOf_.contains(page))
            continue;
        positionOf_.emplace(page, slots_.size());
        Slot slot;
        slot.pageIndex = page;
        slots_.push_back(std::move(slot));
    }
    worker_ = std::jthread([this](std::stop_token stop) { work(stop); });
}

PageLookahead::~PageLookahead() {
    worker_.request_stop();
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

std::size_t PageLookahead::nextClaimable() const {
    std::size_t i = next_;
    while (i < slots_.size() && slots_[i].state != State::Pending)
        ++i;
    return i;
}

void PageLookahead::work(std::stop_token stop) {
    for (;;) {
        std::size_t i;
        {
            std::unique_lock lock(mutex_);
            const bool ready = changed_.wait(lock, stop, [&] {
                next_ = nextClaimable();
                return next_ >= slots_.size() || next_ < consumed_ + window_;
            });
            if (!ready || stop.stop_requested() || next_ >= slots_.size() || stopped_())
                return;
            i = next_++;
            slots_[i].state = State::Running;
        }
        std::string result;
        std::exception_ptr error;
        try {
            result = job_(slots_[i].pageIndex, workerRenderer_);
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::scoped_lock lock(mutex_);
            slots_[i].result = std::move(result);
            slots_[i].error = error;
            slots_[i].state = State::Done;
        }
        changed_.notify_all();
    }
}

std::optional<std::string> PageLookahead::take(int pageIndex, PDFRenderer& renderer) {
    const auto found = positionOf_.find(pageIndex);
    if (found == positionOf_.end())
        return std::nullopt;
    const std::size_t i = found->second;

    std::unique_lock lock(mutex_);
    auto& slot = slots_[i];
    if (slot.taken)
        return std::nullopt;
    slot.taken = true;
    consumed_ = std::max(consumed_, i + 1);

    if (slot.state == State::Pending) {
        slot.state = State::Running;
        lock.unlock();
        changed_.notify_all();
        std::string result;
        try {
            result = job_(pageIndex, renderer);
        } catch (...) {
            std::scoped_lock relock(mutex_);
            slot.state = State::Done;
            throw;
        }
        std::scoped_lock relock(mutex_);
        slot.state = State::Done;
        return result;
    }

    changed_.notify_all();
    // While the worker is on this page, this thread works ahead instead of idling.
    while (slot.state != State::Done) {
        const std::size_t j = nextClaimable();
        if (j < slots_.size() && j < consumed_ + window_ && !stopped_()) {
            next_ = j + 1;
            slots_[j].state = State::Running;
            lock.unlock();
            std::string result;
            std::exception_ptr error;
            try {
                result = job_(slots_[j].pageIndex, renderer);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            slots_[j].result = std::move(result);
            slots_[j].error = error;
            slots_[j].state = State::Done;
            changed_.notify_all();
            continue;
        }
        changed_.wait(lock);
    }
    if (slot.error)
        std::rethrow_exception(std::exchange(slot.error, nullptr));
    return std::move(slot.result);
}

} // namespace zarvex
