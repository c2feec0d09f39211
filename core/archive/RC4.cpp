#include "archive/RC4.h"

#include <cassert>
#include <utility>

namespace zarvex {

RC4::RC4(std::string_view key) {
    assert(!key.empty());
    for (std::size_t n = 0; n < state_.size(); ++n) {
        state_[n] = static_cast<std::uint8_t>(n);
    }
    if (key.empty()) {
        return;
    }
    std::uint8_t j = 0;
    for (std::size_t n = 0; n < state_.size(); ++n) {
        j = static_cast<std::uint8_t>(j + state_[n] +
                                      static_cast<std::uint8_t>(key[n % key.size()]));
        std::swap(state_[n], state_[j]);
    }
}

RC4::~RC4() {
    // Through a volatile pointer so the store is not optimised away.
    volatile std::uint8_t* p = state_.data();
    for (std::size_t n = 0; n < state_.size(); ++n) {
        p[n] = 0;
    }
    i_ = j_ = 0;
}

void RC4::process(const unsigned char* in, unsigned char* out, std::size_t length) {
    for (std::size_t n = 0; n < length; ++n) {
        i_ = static_cast<std::uint8_t>(i_ + 1);
        j_ = static_cast<std::uint8_t>(j_ + state_[i_]);
        std::swap(state_[i_], state_[j_]);
        const auto k = state_[static_cast<std::uint8_t>(state_[i_] + state_[j_])];
        out[n] = static_cast<unsigned char>(in[n] ^ k);
    }
}

std::string RC4::process(std::string_view key, std::string_view data) {
    RC4 cipher(key);
    std::string out(data);
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    cipher.process(bytes, bytes, out.size());
    return out;
}

} // namespace zarvex
