#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace zarvex {

// Runs tasks one after another, in the order posted, on a thread of its own.
// Meant for work done early that its consumer can redo when it is missing: a
// task's error is logged and dropped, and destroying the queue drops the tasks
// not yet started (after waiting for the one running).
class SerialQueue {
public:
    SerialQueue();
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Any thread.
    void post(std::function<void()> task);
    // Returns once every task posted before the call has run. Any thread but the queue's.
    void drain();

private:
    void run(std::stop_token stop);

    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false;
    std::jthread thread_; // last: starts after everything above exists
};

} // namespace zarvex
