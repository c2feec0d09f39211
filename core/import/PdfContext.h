#pragma once

// Private to the PDF interface (and the fixture generator of the tests): owners
// of MuPDF handles and the one place where MuPDF's setjmp-based errors turn into
// zarvex::Error. Never include this from a public header.

#include "base/Error.h"

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace zarvex::pdf {

// An independent MuPDF context (no lock callbacks: it must not be shared
// between threads). Library messages go to the debug log; failures reach
// callers as Error.
class Context {
public:
    explicit Context(std::size_t maxStore);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    fz_context* get() const { return ctx_; }
    operator fz_context*() const { return ctx_; }

private:
    fz_context* ctx_ = nullptr;
};

// Runs `call`, which may only call MuPDF functions and return a plain value or
// pointer (nothing with a destructor may live inside it: an error unwinds it
// with longjmp). A MuPDF error becomes Error(context + ": " + message) after
// the protected block has ended.
template <class F> auto guarded(fz_context* ctx, const char* what, F&& call) {
    using R = std::invoke_result_t<F&>;
    static_assert(std::is_trivially_destructible_v<R> || std::is_void_v<R>);
    bool failed = false;
    if constexpr (std::is_void_v<R>) {
        fz_try(ctx) {
            call();
        }
        fz_catch(ctx) {
            failed = true;
        }
        if (failed)
            throw Error(std::string(what) + ": " + fz_caught_message(ctx));
    } else {
        R result{};
        fz_var(result);
        fz_try(ctx) {
            result = call();
        }
        fz_catch(ctx) {
            failed = true;
        }
        if (failed)
            throw Error(std::string(what) + ": " + fz_caught_message(ctx));
        return result;
    }
}

// Owner of one MuPDF reference: T* released with Drop(ctx, T*).
template <class T, void (*Drop)(fz_context*, T*)> class Ref {
public:
    Ref() = default;
    Ref(fz_context* ctx, T* ptr) : ctx_(ctx), ptr_(ptr) {}
    ~Ref() { reset(); }
    Ref(Ref&& other) noexcept
        : ctx_(std::exchange(other.ctx_, nullptr)), ptr_(std::exchange(other.ptr_, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            reset();
            ctx_ = std::exchange(other.ctx_, nullptr);
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;

    T* get() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    void reset() {
        if (ptr_)
            Drop(ctx_, ptr_); // drop functions never throw
        ptr_ = nullptr;
    }

private:
    fz_context* ctx_ = nullptr;
    T* ptr_ = nullptr;
};

// The number of pages the document's page tree really holds, whatever its
// /Count entries claim (a hostile file may claim billions). Where a /Count
// disagrees, the in-memory tree is corrected, so the library's own lookups by
// page index agree with the answer. Loops and shared subtrees are counted once.
// Raises Error when the tree cannot be read.
int settlePageCount(fz_context* ctx, pdf_document* doc);

using Document = Ref<pdf_document, pdf_drop_document>;
using Page = Ref<fz_page, fz_drop_page>;
using Pixmap = Ref<fz_pixmap, fz_drop_pixmap>;
using Device = Ref<fz_device, fz_drop_device>;
using DisplayList = Ref<fz_display_list, fz_drop_display_list>;
using Stream = Ref<fz_stream, fz_drop_stream>;
using Buffer = Ref<fz_buffer, fz_drop_buffer>;
using Outline = Ref<fz_outline, fz_drop_outline>;
using Object = Ref<pdf_obj, pdf_drop_obj>;

} // namespace zarvex::pdf
