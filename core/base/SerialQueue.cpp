#include "base/SerialQueue.h"

#include "base/Log.h"

#include <exception>
#include <utility>

namespace zarvex {

SerialQueue::SerialQueue() : thread_([this](std::stop_token stop) { run(stop); }) {}

SerialQueue::~SerialQueue() {
    thread_.request_stop();
    changed_.notify_all();
    // jthread joins here, after the running task.
}

void SerialQueue::post(std::function<void()> task) {
    {
        std::scoped_lock lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    changed_.notify_all();
}

void SerialQueue::drain() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return tasks_.empty() && !running_; });
}

void SerialQueue::run(std::stop_token stop) {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, stop, [&] { return !tasks_.empty(); });
            if (stop.stop_requested()) {
                tasks_.clear(); // dropped: wake anyone draining
                break;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
            running_ = true;
        }
        try {
            task();
        } catch (const std::exception& e) {
            ZLOG_DEBUG("background task failed: {}", e.what());
        } catch (...) {
            ZLOG_DEBUG("background task failed");
        }
        {
            std::scoped_lock lock(mutex_);
            running_ = false;
        }
        changed_.notify_all();
    }
    changed_.notify_all();
}

} // namespace zarvex
