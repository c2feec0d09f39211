#pragma once

// Encryption operations on byte buffers (std::string holding bytes). Keys and
// vectors given as text are UTF-8 and are used as their bytes, so a text key
// and the buffer of its UTF-8 bytes are the same key. Failures give an absent
// result; nothing here throws except on allocation failure.
#include "archive/CCCryptor.h"
#include "archive/CommonCryptoError.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zarvex {

// RC4 over the whole buffer. Absent on failure (an empty key, for instance);
// then `error`, when given, receives the cryptor status as an error object.
std::optional<std::string> RC4EncryptedDataUsingKey(std::string_view data, std::string_view key,
                                                    CommonCryptoError* error = nullptr);
std::optional<std::string> RC4EncryptedDataUsingKey(std::string_view data,
                                                    std::span<const std::uint8_t> key,
                                                    CommonCryptoError* error = nullptr);

// Encrypts with the given algorithm and no vector. Absent on failure; then
// `status`, when given, receives the cryptor status.
std::optional<std::string> dataEncryptedUsingAlgorithm(std::string_view data, CCAlgorithm algorithm,
                                                       std::string_view key, CCOptions options,
                                                       CCCryptorStatus* status = nullptr);

// The same with an optional initialisation vector.
std::optional<std::string>
dataEncryptedUsingAlgorithm(std::string_view data, CCAlgorithm algorithm, std::string_view key,
                            std::optional<std::string_view> initializationVector, CCOptions options,
                            CCCryptorStatus* status = nullptr);

// Runs the whole buffer through a ready cryptor (update, then final). Absent on
// failure, with the cryptor's status in `result`.
std::optional<std::string> _runCryptor(std::string_view data, CCCryptor& cryptor,
                                       CCCryptorStatus& result);

// Adjusts key and vector lengths for the algorithm in place. RC4: a key longer
// than 512 bytes is cut to 512; a vector, when present, is then cut or
// zero-extended to the key's length. Other algorithms are left as they are.
void FixKeyLengths(CCAlgorithm algorithm, std::string& keyData, std::optional<std::string>& ivData);

} // namespace zarvex
