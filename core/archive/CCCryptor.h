#pragma once

#include "archive/CommonCryptoError.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace zarvex {

class RC4;

enum CCOperation : std::uint32_t { kCCEncrypt = 0, kCCDecrypt = 1 };

enum CCAlgorithm : std::uint32_t {
    kCCAlgorithmAES128 = 0,
    kCCAlgorithmDES = 1,
    kCCAlgorithm3DES = 2,
    kCCAlgorithmCAST = 3,
    kCCAlgorithmRC4 = 4,
};

using CCOptions = std::uint32_t;
inline constexpr CCOptions kCCOptionPKCS7Padding = 1;
inline constexpr CCOptions kCCOptionECBMode = 2;

inline constexpr std::size_t kCCKeySizeMinRC4 = 1;
inline constexpr std::size_t kCCKeySizeMaxRC4 = 512;

// The cryptor the byte-buffer operations hand their work to, with the calling
// pattern of CommonCrypto's CCCryptor (create, output length, update, final).
// Only RC4 is provided; the block ciphers report kCCUnimplemented. RC4 is a
// stream cipher, so padding options add nothing and output length equals input
// length. Movable, not copyable; one thread at a time.
class CCCryptor {
public:
    // Absent, with `status` set, when the algorithm is not provided
    // (kCCUnimplemented) or the key length is outside 1..512 (kCCParamError).
    // RC4 takes no vector; one given is ignored.
    static std::optional<CCCryptor> create(CCOperation op, CCAlgorithm algorithm, CCOptions options,
                                           std::string_view key,
                                           std::optional<std::string_view> initializationVector,
                                           CCCryptorStatus& status);

    CCCryptor(CCCryptor&&) noexcept;
    CCCryptor& operator=(CCCryptor&&) noexcept;
    ~CCCryptor();

    // Bytes the next update (plus the final step, when `final`) can produce.
    std::size_t getOutputLength(std::size_t inputLength, bool final) const;

    // Processes `input` into `out`, which has room for `available` bytes;
    // kCCBufferTooSmall (nothing written) when that is not enough.
    CCCryptorStatus update(std::string_view input, char* out, std::size_t available,
                           std::size_t& moved);
    // Flushes what the cipher still holds; nothing for a stream cipher.
    CCCryptorStatus final(char* out, std::size_t available, std::size_t& moved);

private:
    explicit CCCryptor(std::unique_ptr<RC4> rc4);

    std::unique_ptr<RC4> rc4_;
};

} // namespace zarvex
