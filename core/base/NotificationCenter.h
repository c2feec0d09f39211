#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zarvex {

// A notification: a name, a user-information map and the object it is about
// (the sender's choice; empty when none).
struct Notification {
    std::string name;
    std::map<std::string, std::any> userInfo;
    std::any object;

    // The user-information value under key as T; absent or of another type gives fallback.
    template <class T> T value(const std::string& key, T fallback = {}) const {
        auto it = userInfo.find(key);
        if (it == userInfo.end())
            return fallback;
        if (const T* v = std::any_cast<T>(&it->second))
            return *v;
        return fallback;
    }
};

// Thread-safe notification centre. post() delivers synchronously on the posting
// thread to every observer of that name registered at the time of the call;
// observers may add or remove observers (also themselves) while being called.
class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;
    using Token = std::uint64_t;

    static NotificationCenter& defaultCenter();

    Token addObserver(const std::string& name, Observer observer);
    void removeObserver(Token token);
    void post(const Notification& notification);
    void post(const std::string& name, std::map<std::string, std::any> userInfo = {});

private:
    struct Entry {
        Token token;
        std::string name;
        std::shared_ptr<Observer> observer;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
    Token nextToken_ = 1;
};

// Removes its observer when destroyed.
class ScopedObserver {
public:
    ScopedObserver() = default;
    ScopedObserver(NotificationCenter& center, const std::string& name,
                   NotificationCenter::Observer observer)
        : center_(&center), token_(center.addObserver(name, std::move(observer))) {}
    ScopedObserver(ScopedObserver&& other) noexcept
        : center_(std::exchange(other.center_, nullptr)), token_(other.token_) {}
    ScopedObserver& operator=(ScopedObserver&& other) noexcept {
        if (this != &other) {
            reset();
            center_ = std::exchange(other.center_, nullptr);
            token_ = other.token_;
        }
        return *this;
    }
    ~ScopedObserver() { reset(); }
    void reset() {
        if (center_)
            center_->removeObserver(token_);
        center_ = nullptr;
    }

private:
    NotificationCenter* center_ = nullptr;
    NotificationCenter::Token token_ = 0;
};

} // namespace zarvex
