#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarvex {

// The ARCFOUR stream cipher: the key schedule over 1 to 256 key bytes (longer
// keys wrap, as the algorithm defines), no keystream bytes discarded. The same
// call encrypts and decrypts. The state is wiped on destruction.
class RC4 {
public:
    // `key` must not be empty.
    explicit RC4(std::string_view key);
    ~RC4();
    RC4(const RC4&) = delete;
    RC4& operator=(const RC4&) = delete;

    // XORs `length` bytes from `in` with the next keystream bytes into `out`;
    // `in` and `out` may be the same buffer.
    void process(const unsigned char* in, unsigned char* out, std::size_t length);

    // One-shot form: the input XORed with the keystream of a fresh key schedule.
    static std::string process(std::string_view key, std::string_view data);

private:
    std::array<std::uint8_t, 256> state_{};
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

} // namespace zarvex
