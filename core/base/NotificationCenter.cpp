#include "base/NotificationCenter.h"

#include <algorithm>

namespace zarvex {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const std::string& name,
                                                          Observer observer) {
    std::scoped_lock lock(mutex_);
    const Token token = nextToken_++;
    entries_.push_back({token, name, std::make_shared<Observer>(std::move(observer))});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::scoped_lock lock(mutex_);
    std::erase_if(entries_, [token](const Entry& e) { return e.token == token; });
}

void NotificationCenter::post(const Notification& notification) {
    // Observers run outside the lock so that they may post or (un)register in turn.
    std::vector<std::pair<Token, std::shared_ptr<Observer>>> targets;
    {
        std::scoped_lock lock(mutex_);
        for (const auto& e : entries_)
            if (e.name == notification.name)
                targets.emplace_back(e.token, e.observer);
    }
    for (const auto& [token, observer] : targets) {
        bool stillRegistered;
        {
            std::scoped_lock lock(mutex_);
            stillRegistered = std::any_of(entries_.begin(), entries_.end(),
                                          [t = token](const Entry& e) { return e.token == t; });
        }
        if (stillRegistered)
            (*observer)(notification);
    }
}

void NotificationCenter::post(const std::string& name, std::map<std::string, std::any> userInfo) {
    post(Notification{name, std::move(userInfo), {}});
}

} // namespace zarvex
