#pragma once

#include <string>

namespace zarvex {

// The Apply item's signal that property changes wait to be applied: idle shows
// "apply"; pending blinks through apply2, apply3, apply1, ... one step per timer
// tick (0.33 s). The front end owns the timer and asks this what to do.
class ApplyChangeIndicator {
public:
    static constexpr int kIntervalMs = 330;

    // A property value changed. True when the timer must start; a change while
    // the item already blinks starts nothing.
    bool valueChanged() {
        if (pending_)
            return false;
        pending_ = true;
        return true;
    }
    // One timer tick: the picture to show next.
    std::string onTimerEvent() {
        tag_ = (tag_ + 1) % 3;
        return "apply" + std::to_string(tag_ + 1);
    }
    // The changes were applied: the timer stops and the item shows this picture.
    std::string stop() {
        pending_ = false;
        return "apply";
    }
    bool pending() const { return pending_; }
    int tag() const { return tag_; }

private:
    bool pending_ = false;
    int tag_ = 0;
};

} // namespace zarvex
