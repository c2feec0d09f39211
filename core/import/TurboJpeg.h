#pragma once

// Owners of what TurboJPEG hands out, for the encoder and the scaler.

#include "base/Error.h"

#include <string>
#include <turbojpeg.h>

namespace zarvex::turbojpeg {

// A handle from one of tjInitCompress, tjInitDecompress or tjInitTransform;
// raises when the library cannot start.
class Handle {
public:
    explicit Handle(tjhandle handle) : handle_(handle) {
        if (!handle_)
            throw Error(std::string("cannot start the JPEG library: ") + tjGetErrorStr2(nullptr));
    }
    ~Handle() { tjDestroy(handle_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    tjhandle get() const { return handle_; }

private:
    tjhandle handle_;
};

// An output buffer TurboJPEG allocated.
struct Buffer {
    unsigned char* data = nullptr;
    Buffer() = default;
    ~Buffer() { tjFree(data); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
};

} // namespace zarvex::turbojpeg
