#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

// The cryptor's status codes (CommonCrypto's CCCryptorStatus values).
using CCCryptorStatus = std::int32_t;
inline constexpr CCCryptorStatus kCCSuccess = 0;
inline constexpr CCCryptorStatus kCCParamError = -4300;
inline constexpr CCCryptorStatus kCCBufferTooSmall = -4301;
inline constexpr CCCryptorStatus kCCMemoryFailure = -4302;
inline constexpr CCCryptorStatus kCCAlignmentError = -4303;
inline constexpr CCCryptorStatus kCCDecodeError = -4304;
inline constexpr CCCryptorStatus kCCUnimplemented = -4305;

inline constexpr std::string_view kCommonCryptoErrorDomain = "CommonCryptoErrorDomain";

// An error object describing a cryptor status: the domain, the status as code,
// an English description and, where the status has one, a failure reason.
struct CommonCryptoError {
    std::string domain;
    CCCryptorStatus code = kCCSuccess;
    std::string localizedDescription;
    std::optional<std::string> localizedFailureReason;

    // Unknown statuses get the description "Unknown Error" and no reason.
    static CommonCryptoError errorWithCCCryptorStatus(CCCryptorStatus status);
};

} // namespace zarvex
