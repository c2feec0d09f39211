#include "archive/CCCryptor.h"

#include "archive/RC4.h"

namespace zarvex {

CCCryptor::CCCryptor(std::unique_ptr<RC4> rc4) : rc4_(std::move(rc4)) {}
CCCryptor::CCCryptor(CCCryptor&&) noexcept = default;
CCCryptor& CCCryptor::operator=(CCCryptor&&) noexcept = default;
CCCryptor::~CCCryptor() = default;

std::optional<CCCryptor> CCCryptor::create(CCOperation op, CCAlgorithm algorithm,
                                           CCOptions /*options*/, std::string_view key,
                                           std::optional<std::string_view> /*iv*/,
                                           CCCryptorStatus& status) {
    if (op != kCCEncrypt && op != kCCDecrypt) {
        status = kCCParamError;
        return std::nullopt;
    }
    if (algorithm != kCCAlgorithmRC4) {
        status = kCCUnimplemented;
        return std::nullopt;
    }
    if (key.size() < kCCKeySizeMinRC4 || key.size() > kCCKeySizeMaxRC4) {
        status = kCCParamError;
        return std::nullopt;
    }
    status = kCCSuccess;
    return CCCryptor(std::make_unique<RC4>(key));
}

std::size_t CCCryptor::getOutputLength(std::size_t inputLength, bool /*final*/) const {
    return inputLength;
}

CCCryptorStatus CCCryptor::update(std::string_view input, char* out, std::size_t available,
                                  std::size_t& moved) {
    moved = 0;
    if (!rc4_) {
        return kCCParamError;
    }
    if (input.empty()) {
        return kCCSuccess;
    }
    if (out == nullptr || available < input.size()) {
        return kCCBufferTooSmall;
    }
    rc4_->process(reinterpret_cast<const unsigned char*>(input.data()),
                  reinterpret_cast<unsigned char*>(out), input.size());
    moved = input.size();
    return kCCSuccess;
}

CCCryptorStatus CCCryptor::final(char* /*out*/, std::size_t /*available*/, std::size_t& moved) {
    moved = 0;
    return rc4_ ? kCCSuccess : kCCParamError;
}

} // namespace zarvex
