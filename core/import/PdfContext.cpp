#include "import/PdfContext.h"

#include "base/Log.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <vector>

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

int settlePageCount(fz_context* c, pdf_document* d) {
    const char* what = "count pages";
    pdf_obj* root = guarded(c, what, [&] {
        pdf_obj* pages = pdf_dict_getp(c, pdf_trailer(c, d), "Root/Pages");
        return pdf_is_dict(c, pages) ? pages : static_cast<pdf_obj*>(nullptr);
    });
    if (!root)
        return 0;

    // A kid is a tree node the way the library's page lookup decides it.
    auto isTreeNode = [&](pdf_obj* kid) {
        return guarded(c, what, [&] {
            pdf_obj* type = pdf_dict_get(c, kid, PDF_NAME(Type));
            if (type)
                return pdf_name_eq(c, type, PDF_NAME(Pages)) != 0;
            return pdf_is_array(c, pdf_dict_get(c, kid, PDF_NAME(Kids))) &&
                   !pdf_dict_get(c, kid, PDF_NAME(MediaBox));
        });
    };

    struct Node {
        pdf_obj* node;
        int number; // object number, 0 for a direct dictionary
        int kids;
        int next = 0;
        std::int64_t pages = 0;
    };
    // Pages below each indirect node once counted; -1 while it is being counted
    // (a kid that leads back to it counts nothing).
    std::map<int, std::int64_t> counted;
    std::vector<Node> path;
    auto enter = [&](pdf_obj* node) {
        const int number = guarded(c, what, [&] { return pdf_to_num(c, node); });
        const int kids = guarded(
            c, what, [&] { return pdf_array_len(c, pdf_dict_get(c, node, PDF_NAME(Kids))); });
        if (number > 0)
            counted[number] = -1;
        path.push_back({node, number, kids});
    };

    enter(root);
    std::int64_t total = 0;
    while (!path.empty()) {
        Node& top = path.back();
        if (top.next == top.kids) {
            const Node done = top;
            path.pop_back();
            if (done.number > 0)
                counted[done.number] = done.pages;
            const auto claimed =
                guarded(c, what, [&] { return pdf_dict_get_int(c, done.node, PDF_NAME(Count)); });
            const int pages = static_cast<int>(std::min<std::int64_t>(done.pages, INT_MAX));
            if (claimed != pages) {
                ZLOG_INFO("page tree node claims {} pages and holds {}", claimed, pages);
                guarded(c, what, [&] { pdf_dict_put_int(c, done.node, PDF_NAME(Count), pages); });
            }
            (path.empty() ? total : path.back().pages) += done.pages;
            continue;
        }
        pdf_obj* kid = guarded(c, what, [&] {
            return pdf_array_get(c, pdf_dict_get(c, top.node, PDF_NAME(Kids)), top.next);
        });
        ++top.next;
        if (!guarded(c, what, [&] { return pdf_is_dict(c, kid); })) {
            ++top.pages; // the library counts anything else as a (broken) page too
            continue;
        }
        if (!isTreeNode(kid)) {
            ++top.pages;
            continue;
        }
        const int number = guarded(c, what, [&] { return pdf_to_num(c, kid); });
        if (const auto seen = counted.find(number); number > 0 && seen != counted.end()) {
            if (seen->second < 0)
                ZLOG_WARN("page tree node {} contains itself", number);
            top.pages += std::max<std::int64_t>(seen->second, 0);
            continue;
        }
        enter(kid);
    }
    return static_cast<int>(std::min<std::int64_t>(total, INT_MAX));
}

} // namespace zarvex::pdf
