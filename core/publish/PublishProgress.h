#pragma once

#include <functional>
#include <string>

namespace zarvex {

// Reports one step of a publishing run: its name, its 0-based index and the
// number of steps. Called on the publishing thread, before the step runs; front
// ends display it (the core never prints).
using PublishProgress = std::function<void(const std::string& step, int index, int count)>;

} // namespace zarvex
