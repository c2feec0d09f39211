#include "import/PdfContext.h"

#include "app/Log.h"

namespace zarvex::pdf {

namespace {

// MuPDF reports errors it recovers from as well as the ones it raises; the
// raised ones reach the caller as Error, so both stay at debug level here.
void logError(void*, const char* message) {
    ZLOG_DEBUG("mupdf error: {}", message);
}
void logWarning(void*, const char* message) {
    ZLOG_DEBUG("mupdf warning: {}", message);
}

} // namespace

Context::Context(std::size_t maxStore) : ctx_(fz_new_context(nullptr, nullptr, maxStore)) {
    if (!ctx_)
        throw Error("cannot create a PDF library context");
    fz_set_error_callback(ctx_, logError, nullptr);
    fz_set_warning_callback(ctx_, logWarning, nullptr);
}

Context::~Context() {
    fz_drop_context(ctx_);
}

} // namespace zarvex::pdf
