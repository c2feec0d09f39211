#pragma once

#include <stdexcept>
#include <string>

namespace zarvex {

// The one exception type of the core. Platform failures (a file that cannot be
// read, a library call that fails) are raised as Error; outcomes the model treats
// as normal (an absent result, a false flag) are returned, never thrown.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace zarvex
