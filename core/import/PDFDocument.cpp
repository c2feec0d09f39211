#include "import/PDFDocument.h"

#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "import/PdfContext.h"
#include "import/PdfText.h"

#include <cmath>
#include <cstring>
#include <set>
#include <string_view>

namespace zarvex {

namespace {

// Metadata and annotations only; rendering has its own context and store.
constexpr std::size_t kDocumentStore = 16u << 20;
// Deeper outlines are cut here rather than risk the stack on a hostile file.
constexpr int kMaxOutlineDepth = 64;

PDFRect toRect(const fz_rect& r) {
    double x0 = std::fmin(r.x0, r.x1);
    double x1 = std::fmax(r.x0, r.x1);
    double y0 = std::fmin(r.y0, r.y1);
    double y1 = std::fmax(r.y0, r.y1);
    return {x0, y0, x1 - x0, y1 - y0};
}

bool hasScheme(std::string_view uri) {
    return uriScheme(uri).has_value();
}

// A relative /URI is taken relative to the document's /URI /Base.
std::string absoluteUri(std::string uri, const std::string& base) {
    if (hasScheme(uri) || base.empty() || !hasScheme(base))
        return uri;
    if (uri.starts_with('/')) {
        auto authority = base.find("//");
        auto pathStart =
            authority == std::string::npos ? base.find(':') + 1 : base.find('/', authority + 2);
        return base.substr(0, pathStart == std::string::npos ? base.size() : pathStart) + uri;
    }
    auto slash = base.rfind('/');
    auto authority = base.find("//");
    if (slash == std::string::npos || (authority != std::string::npos && slash <= authority + 1))
        return base + "/" + uri;
    return base.substr(0, slash + 1) + uri;
}

std::string stringBytes(fz_context* ctx, pdf_obj* obj) {
    const char* buf = pdf::guarded(ctx, "read string", [&] { return pdf_to_str_buf(ctx, obj); });
    std::size_t len = pdf::guarded(ctx, "read string", [&] { return pdf_to_str_len(ctx, obj); });
    return std::string(buf ? buf : "", buf ? len : 0);
}

} // namespace

struct PDFDocument::Impl {
    std::filesystem::path path;
    pdf::Context ctx{kDocumentStore};
    pdf::Document doc;
    int pageCount = 0;
    std::string uriBase;

    // The 0-based page index a destination (explicit array, named destination
    // or a dictionary holding /D) resolves to, or -1.
    int destinationPage(pdf_obj* dest) {
        fz_context* c = ctx;
        pdf_document* d = doc.get();
        return pdf::guarded(c, "resolve destination", [&] {
            pdf_obj* target = dest;
            if (pdf_is_name(c, target) || pdf_is_string(c, target))
                target = pdf_lookup_dest(c, d, target);
            if (pdf_is_dict(c, target))
                target = pdf_dict_get(c, target, PDF_NAME(D));
            if (!pdf_is_array(c, target))
                return -1;
            pdf_obj* first = pdf_array_get(c, target, 0);
            if (pdf_is_int(c, first))
                return pdf_to_int(c, first); // a page number, as some producers write
            if (!pdf_is_dict(c, first))
                return -1;
            return pdf_lookup_page_number(c, d, first);
        });
    }

    std::optional<int> checkedPage(int index) const {
        if (index < 0 || index >= pageCount)
            return std::nullopt;
        return index;
    }

    PDFAnnotation readAnnotation(pdf_obj* annot) {
        fz_context* c = ctx;
        PDFAnnotation a;
        const char* subtype = pdf::guarded(c, "read annotation", [&] {
            return pdf_to_name(c, pdf_dict_get(c, annot, PDF_NAME(Subtype)));
        });
        a.type = subtype ? subtype : "";
        a.bounds = toRect(pdf::guarded(c, "read annotation", [&] {
            return pdf_to_rect(c, pdf_dict_get(c, annot, PDF_NAME(Rect)));
        }));

        pdf_obj* action = pdf::guarded(c, "read annotation", [&] {
            pdf_obj* act = pdf_dict_get(c, annot, PDF_NAME(A));
            return pdf_is_dict(c, act) ? act : static_cast<pdf_obj*>(nullptr);
        });
        pdf_obj* dest = pdf::guarded(c, "read annotation",
                                     [&] { return pdf_dict_get(c, annot, PDF_NAME(Dest)); });
        if (action) {
            pdf_obj* kind = pdf::guarded(c, "read action",
                                         [&] { return pdf_dict_get(c, action, PDF_NAME(S)); });
            bool isUri = pdf::guarded(c, "read action",
                                      [&] { return pdf_name_eq(c, kind, PDF_NAME(URI)) != 0; });
            bool isGoTo = pdf::guarded(c, "read action",
                                       [&] { return pdf_name_eq(c, kind, PDF_NAME(GoTo)) != 0; });
            if (isUri) {
                pdf_obj* uri = pdf::guarded(c, "read action",
                                            [&] { return pdf_dict_get(c, action, PDF_NAME(URI)); });
                std::string text = pdfUriString(stringBytes(c, uri));
                if (!text.empty())
                    a.url = absoluteUri(std::move(text), uriBase);
            } else if (isGoTo) {
                dest = pdf::guarded(c, "read action",
                                    [&] { return pdf_dict_get(c, action, PDF_NAME(D)); });
            } else {
                dest = nullptr;
            }
        }
        if (!a.url && dest)
            a.destinationPageIndex = checkedPage(destinationPage(dest));
        return a;
    }

    // Appends the bookmarks of the /First../Next chain below `parent` to
    // `into`. Read straight from the objects (the library's own outline loader
    // leaks its partial tree when a broken file makes it fail); `visited`
    // stops chains that loop back.
    void readOutline(pdf_obj* parent, PDFOutlineNode& into, int depth, std::set<int>& visited) {
        fz_context* c = ctx;
        pdf_obj* item = pdf::guarded(c, "read outline",
                                     [&] { return pdf_dict_get(c, parent, PDF_NAME(First)); });
        while (pdf::guarded(c, "read outline", [&] { return pdf_is_dict(c, item); })) {
            int number = pdf::guarded(c, "read outline", [&] { return pdf_to_num(c, item); });
            if (number > 0 && !visited.insert(number).second) {
                ZLOG_WARN("outline entries loop back to object {}", number);
                return;
            }
            PDFOutlineNode node;
            pdf_obj* title = pdf::guarded(c, "read outline",
                                          [&] { return pdf_dict_get(c, item, PDF_NAME(Title)); });
            node.label = pdfTextString(stringBytes(c, title));
            pdf_obj* dest = pdf::guarded(c, "read outline",
                                         [&] { return pdf_dict_get(c, item, PDF_NAME(Dest)); });
            if (!dest) {
                dest = pdf::guarded(c, "read outline", [&] {
                    pdf_obj* action = pdf_dict_get(c, item, PDF_NAME(A));
                    return pdf_name_eq(c, pdf_dict_get(c, action, PDF_NAME(S)), PDF_NAME(GoTo))
                               ? pdf_dict_get(c, action, PDF_NAME(D))
                               : static_cast<pdf_obj*>(nullptr);
                });
            }
            if (dest)
                node.destinationPageIndex = checkedPage(destinationPage(dest));
            if (depth < kMaxOutlineDepth)
                readOutline(item, node, depth + 1, visited);
            else
                ZLOG_WARN("outline deeper than {} levels cut at \"{}\"", kMaxOutlineDepth,
                          node.label);
            into.children.push_back(std::move(node));
            item = pdf::guarded(c, "read outline",
                                [&] { return pdf_dict_get(c, item, PDF_NAME(Next)); });
        }
    }
};

const PDFOutlineNode& PDFOutlineNode::childAt(int i) const {
    if (i < 0 || i >= childCount())
        throw Error("outline child index " + std::to_string(i) + " outside 0.." +
                    std::to_string(childCount() - 1));
    return children[static_cast<std::size_t>(i)];
}

PDFDocument::PDFDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PDFDocument::~PDFDocument() = default;

std::shared_ptr<PDFDocument> PDFDocument::open(const std::filesystem::path& path) {
    try {
        auto impl = std::make_unique<Impl>();
        impl->path = path;
        fz_context* c = impl->ctx;
        std::string name = path.string();
        impl->doc = pdf::Document(
            c, pdf::guarded(c, "open", [&] { return pdf_open_document(c, name.c_str()); }));
        pdf_document* d = impl->doc.get();
        if (pdf::guarded(c, "open", [&] { return pdf_needs_password(c, d); })) {
            ZLOG_INFO("PDF needs a password: {}", path.string());
            return nullptr;
        }
        impl->pageCount = pdf::settlePageCount(c, d);
        pdf_obj* base = pdf::guarded(
            c, "open", [&] { return pdf_dict_getp(c, pdf_trailer(c, d), "Root/URI/Base"); });
        if (base)
            impl->uriBase = pdfUriString(stringBytes(c, base));
        return std::shared_ptr<PDFDocument>(new PDFDocument(std::move(impl)));
    } catch (const Error& e) {
        ZLOG_INFO("cannot open PDF {}: {}", path.string(), e.what());
        return nullptr;
    }
}

const std::filesystem::path& PDFDocument::path() const {
    return impl_->path;
}

int PDFDocument::pageCount() const {
    return impl_->pageCount;
}

PDFPage PDFDocument::pageAt(int index) const {
    if (index < 0 || index >= impl_->pageCount)
        throw Error("page index " + std::to_string(index) + " outside the document (" +
                    std::to_string(impl_->pageCount) + " pages)");
    fz_context* c = impl_->ctx;
    pdf_document* d = impl_->doc.get();
    pdf_obj* page = pdf::guarded(c, "load page", [&] { return pdf_lookup_page_obj(c, d, index); });

    PDFPage result;
    result.index_ = index;

    fz_rect box = pdf::guarded(c, "read page boxes", [&] {
        fz_rect media = pdf_to_rect(c, pdf_dict_get_inheritable(c, page, PDF_NAME(MediaBox)));
        if (fz_is_empty_rect(media))
            media = fz_make_rect(0, 0, 612, 792); // the library's own default
        fz_rect crop = pdf_to_rect(c, pdf_dict_get_inheritable(c, page, PDF_NAME(CropBox)));
        if (fz_is_empty_rect(crop))
            return media;
        fz_rect clipped = fz_intersect_rect(crop, media);
        return fz_is_empty_rect(clipped) ? media : clipped;
    });
    result.cropRect_ = toRect(box);

    int rotate = pdf::guarded(c, "read page rotation", [&] {
        return pdf_to_int(c, pdf_dict_get_inheritable(c, page, PDF_NAME(Rotate)));
    });
    rotate %= 360;
    if (rotate < 0)
        rotate += 360;
    // The format allows multiples of 90 only; other values are ignored, as viewers do.
    result.rotation_ = rotate % 90 == 0 ? rotate : 0;

    pdf_obj* annots = pdf::guarded(c, "read annotations",
                                   [&] { return pdf_dict_get(c, page, PDF_NAME(Annots)); });
    int count = pdf::guarded(c, "read annotations", [&] { return pdf_array_len(c, annots); });
    for (int i = 0; i < count; ++i) {
        pdf_obj* annot = pdf::guarded(c, "read annotations", [&] {
            pdf_obj* a = pdf_array_get(c, annots, i);
            return pdf_is_dict(c, a) ? a : static_cast<pdf_obj*>(nullptr);
        });
        if (annot)
            result.annotations_.push_back(impl_->readAnnotation(annot));
    }
    return result;
}

std::string PDFDocument::data() const {
    auto bytes = readFile(impl_->path);
    if (!bytes)
        throw Error("cannot read " + impl_->path.string());
    return std::move(*bytes);
}

std::optional<PDFOutlineNode> PDFDocument::outlineRoot() const {
    fz_context* c = impl_->ctx;
    pdf_document* d = impl_->doc.get();
    pdf_obj* outlines = pdf::guarded(
        c, "load outline", [&] { return pdf_dict_getp(c, pdf_trailer(c, d), "Root/Outlines"); });
    if (!pdf::guarded(c, "load outline", [&] { return pdf_is_dict(c, outlines); }))
        return std::nullopt;
    PDFOutlineNode root;
    std::set<int> visited;
    impl_->readOutline(outlines, root, 1, visited);
    if (root.children.empty())
        return std::nullopt;
    return root;
}

} // namespace zarvex
