#include "archive/CommonCryptor.h"

#include <new>

namespace zarvex {

std::optional<std::string> RC4EncryptedDataUsingKey(std::string_view data, std::string_view key,
                                                    CommonCryptoError* error) {
    CCCryptorStatus status = kCCSuccess;
    auto result =
        dataEncryptedUsingAlgorithm(data, kCCAlgorithmRC4, key, kCCOptionPKCS7Padding, &status);
    if (!result && error != nullptr) {
        *error = CommonCryptoError::errorWithCCCryptorStatus(status);
    }
    return result;
}

std::optional<std::string> RC4EncryptedDataUsingKey(std::string_view data,
                                                    std::span<const std::uint8_t> key,
                                                    CommonCryptoError* error) {
    return RC4EncryptedDataUsingKey(
        data, std::string_view(reinterpret_cast<const char*>(key.data()), key.size()), error);
}

std::optional<std::string> dataEncryptedUsingAlgorithm(std::string_view data, CCAlgorithm algorithm,
                                                       std::string_view key, CCOptions options,
                                                       CCCryptorStatus* status) {
    return dataEncryptedUsingAlgorithm(data, algorithm, key, std::nullopt, options, status);
}

std::optional<std::string>
dataEncryptedUsingAlgorithm(std::string_view data, CCAlgorithm algorithm, std::string_view key,
                            std::optional<std::string_view> initializationVector, CCOptions options,
                            CCCryptorStatus* status) {
    std::string keyData(key);
    std::optional<std::string> ivData;
    if (initializationVector) {
        ivData.emplace(*initializationVector);
    }
    FixKeyLengths(algorithm, keyData, ivData);

    CCCryptorStatus localStatus = kCCSuccess;
    std::optional<std::string_view> iv;
    if (ivData) {
        iv = *ivData;
    }
    auto cryptor = CCCryptor::create(kCCEncrypt, algorithm, options, keyData, iv, localStatus);
    std::optional<std::string> result;
    if (cryptor) {
        result = _runCryptor(data, *cryptor, localStatus);
    }
    if (!result && status != nullptr) {
        *status = localStatus;
    }
    return result;
}

std::optional<std::string> _runCryptor(std::string_view data, CCCryptor& cryptor,
                                       CCCryptorStatus& result) {
    const std::size_t bufferSize = cryptor.getOutputLength(data.size(), true);
    std::string buffer;
    try {
        buffer.resize(bufferSize);
    } catch (const std::bad_alloc&) {
        result = kCCMemoryFailure;
        return std::nullopt;
    }
    std::size_t updateMoved = 0;
    result = cryptor.update(data, buffer.data(), buffer.size(), updateMoved);
    if (result != kCCSuccess) {
        return std::nullopt;
    }
    std::size_t finalMoved = 0;
    result = cryptor.final(buffer.data() + updateMoved, buffer.size() - updateMoved, finalMoved);
    if (result != kCCSuccess) {
        return std::nullopt;
    }
    buffer.resize(updateMoved + finalMoved);
    return buffer;
}

void FixKeyLengths(CCAlgorithm algorithm, std::string& keyData,
                   std::optional<std::string>& ivData) {
    if (algorithm != kCCAlgorithmRC4) {
        return;
    }
    if (keyData.size() > kCCKeySizeMaxRC4) {
        keyData.resize(kCCKeySizeMaxRC4);
    }
    if (ivData) {
        ivData->resize(keyData.size(), '\0');
    }
}

} // namespace zarvex
