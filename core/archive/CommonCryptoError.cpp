#include "archive/CommonCryptoError.h"

namespace zarvex {

CommonCryptoError CommonCryptoError::errorWithCCCryptorStatus(CCCryptorStatus status) {
    CommonCryptoError error;
    error.domain = std::string(kCommonCryptoErrorDomain);
    error.code = status;
    switch (status) {
    case kCCSuccess:
        error.localizedDescription = "Success";
        break;
    case kCCParamError:
        error.localizedDescription = "Parameter Error";
        error.localizedFailureReason =
            "Illegal parameter supplied to encryption/decryption algorithm";
        break;
    case kCCBufferTooSmall:
        error.localizedDescription = "Buffer Too Small";
        error.localizedFailureReason = "Insufficient buffer provided for specified operation";
        break;
    case kCCMemoryFailure:
        error.localizedDescription = "Memory Failure";
        error.localizedFailureReason = "Failed to allocate memory";
        break;
    case kCCAlignmentError:
        error.localizedDescription = "Alignment Error";
        error.localizedFailureReason =
            "Input size to encryption algorithm was not aligned correctly";
        break;
    case kCCDecodeError:
        error.localizedDescription = "Decode Error";
        error.localizedFailureReason = "Input data did not decode or decrypt correctly";
        break;
    case kCCUnimplemented:
        error.localizedDescription = "Unimplemented Function";
        error.localizedFailureReason = "Function not implemented for the current algorithm";
        break;
    default:
        error.localizedDescription = "Unknown Error";
        break;
    }
    return error;
}

} // namespace zarvex
