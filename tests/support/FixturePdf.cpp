#include "support/FixturePdf.h"

#include "base/Error.h"
#include "import/PdfContext.h"

#include <mupdf/ucdn.h>

#include <cstdio>
#include <cstring>
#include <sstream>

namespace zarvex::test {

namespace {

using pdf::guarded;

constexpr const char* kWords[] = {"lorem",       "ipsum",      "dolor",      "sit",   "amet",
                                  "consectetur", "adipiscing", "elit",       "sed",   "do",
                                  "eiusmod",     "tempor",     "incididunt", "ut",    "labore",
                                  "et",          "dolore",     "magna",      "aliqua"};

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

fz_rect toRect(const PDFRect& r) {
    return fz_make_rect(static_cast<float>(r.left()), static_cast<float>(r.bottom()),
                        static_cast<float>(r.right()), static_cast<float>(r.top()));
}

// The page's drawing: a frame, a few filled shapes, the page number in big
// digits and optional lines of body text. Coordinates in default user space.
std::string pageContent(const FixturePage& page, int pageNumber) {
    std::ostringstream s;
    const double w = page.width, h = page.height, digits = std::min(w, h);
    s << "q 0 0 0 RG 2 w 10 10 " << number(w - 20) << " " << number(h - 20) << " re S Q\n";
    s << "q 0.85 0.2 0.2 rg 30 30 80 40 re f Q\n";
    s << "q 0.2 0.4 0.8 rg " << number(w - 110) << " 30 m " << number(w - 30) << " 30 l "
      << number(w - 70) << " 90 l h f Q\n";
    s << "q 0.1 0.6 0.3 RG 3 w " << number(w / 2 - 60) << " " << number(h / 2) << " m "
      << number(w / 2 - 20) << " " << number(h / 2 + 80) << " " << number(w / 2 + 20) << " "
      << number(h / 2 - 80) << " " << number(w / 2 + 60) << " " << number(h / 2) << " c S Q\n";
    s << "BT /F1 " << number(digits / 4) << " Tf 0 0 0 rg 1 0 0 1 " << number(w / 2 - digits / 6)
      << " " << number(h / 2 + 40) << " Tm (" << pageNumber << ") Tj ET\n";
    for (const auto& link : page.drawLinks ? page.links : std::vector<FixtureLink>{})
        s << "q 1 0 1 rg " << number(link.rect.x) << " " << number(link.rect.y) << " "
          << number(link.rect.width) << " " << number(link.rect.height) << " re f Q\n";
    if (page.textLines > 0) {
        s << "BT /F1 10 Tf 0.1 0.1 0.1 rg 12 TL 1 0 0 1 40 " << number(h - 50) << " Tm\n";
        std::size_t word = static_cast<std::size_t>(pageNumber);
        for (int i = 0; i < page.textLines * 14; ++i)
            s << (i % 14 ? "" : "(") << kWords[word++ % std::size(kWords)]
              << (i % 14 == 13 ? " ) '\n" : " ");
        s << "ET\n";
        for (int i = 0; i < 6; ++i) // a little line art under the text
            s << "q 0.5 g " << number(40 + i * 80) << " 100 60 " << number(20 + i * 7)
              << " re f Q\n";
    }
    if (page.drawings > 0) {
        s << "q 0.3 0.3 0.6 RG 0.4 w\n";
        for (int i = 0; i < page.drawings; ++i) {
            const double x = 20 + (i * 37 % 97) * (w - 80) / 97,
                         y = 20 + (i * 53 % 89) * (h - 80) / 89;
            s << number(x) << " " << number(y) << " m " << number(x + 30) << " " << number(y + 50)
              << " " << number(x + 10) << " " << number(y - 20) << " " << number(x + 40) << " "
              << number(y + 10) << " c S\n";
        }
        s << "Q\n";
    }
    return s.str();
}

using FontRef = pdf::Ref<fz_font, fz_drop_font>;

std::vector<int> codePoints(const std::string& utf8) {
    std::vector<int> points;
    for (const char* p = utf8.c_str(); *p;) {
        int rune = 0;
        p += fz_chartorune(&rune, p);
        points.push_back(rune);
    }
    return points;
}

std::string hex4(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", value & 0xFFFF);
    return buf;
}

class Writer {
public:
    Writer() : ctx_(64u << 20) {
        doc_ = pdf::Document(
            ctx_, guarded(ctx_, "create PDF", [&] { return pdf_create_document(ctx_); }));
    }

    void addPage(const FixturePage& page, int pageNumber) {
        fz_context* c = ctx_;
        pdf_document* d = doc_.get();
        const std::string content = pageContent(page, pageNumber) + linesContent(page.lines);
        pdf::Buffer buf(c, guarded(c, "page content", [&] {
                            return fz_new_buffer_from_copied_data(
                                c, reinterpret_cast<const unsigned char*>(content.data()),
                                content.size());
                        }));
        pdf::Object res(c, guarded(c, "page resources", [&] {
                            pdf_obj* r = pdf_new_dict(c, d, 1);
                            pdf_obj* font = pdf_dict_puts_dict(
                                c, pdf_dict_put_dict(c, r, PDF_NAME(Font), 1), "F1", 4);
                            pdf_dict_put(c, font, PDF_NAME(Type), PDF_NAME(Font));
                            pdf_dict_put(c, font, PDF_NAME(Subtype), PDF_NAME(Type1));
                            pdf_dict_put_name(c, font, PDF_NAME(BaseFont), "Helvetica");
                            pdf_dict_put(c, font, PDF_NAME(Encoding), PDF_NAME(WinAnsiEncoding));
                            pdf_obj* fonts = pdf_dict_get(c, r, PDF_NAME(Font));
                            if (latinFont_)
                                pdf_dict_puts(c, fonts, "F2", latinFont_.get());
                            if (hebrewFont_)
                                pdf_dict_puts(c, fonts, "F3", hebrewFont_.get());
                            if (cjkFont_)
                                pdf_dict_puts(c, fonts, "F4", cjkFont_.get());
                            return r;
                        }));
        pdf::Object pageObj(c, guarded(c, "add page", [&] {
                                return pdf_add_page(c, d, toRect({0, 0, page.width, page.height}),
                                                    page.rotation, res.get(), buf.get());
                            }));
        guarded(c, "insert page", [&] {
            if (page.cropBox)
                pdf_dict_put_rect(c, pageObj.get(), PDF_NAME(CropBox), toRect(*page.cropBox));
            pdf_insert_page(c, d, -1, pageObj.get());
        });
    }

    // The text operators of the page's lines; the fonts they need are added to
    // the document on first use.
    std::string linesContent(const std::vector<FixtureTextLine>& lines) {
        std::ostringstream s;
        for (const auto& line : lines) {
            s << "BT 0 0 0 rg 1 0 0 1 " << number(line.x) << " " << number(line.y) << " Tm ";
            const auto points = codePoints(line.text);
            switch (line.script) {
            case FixtureTextLine::Script::latin:
                s << "/F2 " << number(line.size) << " Tf (";
                for (int cp : points) {
                    if (cp == 0xFB01)
                        s << "\\001";
                    else if (cp == '(' || cp == ')' || cp == '\\')
                        s << '\\' << static_cast<char>(cp);
                    else if (cp > 0 && cp < 0x7F)
                        s << static_cast<char>(cp);
                    else if (cp >= 0xA0 && cp <= 0xFF) // the same codes in WinAnsiEncoding
                        s << '\\' << ((cp >> 6) & 7) << ((cp >> 3) & 7) << (cp & 7);
                    else
                        throw Error("fixture Latin text beyond Latin-1");
                }
                s << ") Tj";
                break;
            case FixtureTextLine::Script::rightToLeft: {
                fz_font* font = hebrew();
                s << "/F3 " << number(line.size) << " Tf <";
                for (auto it = points.rbegin(); it != points.rend(); ++it)
                    s << hex4(static_cast<unsigned>(guarded(ctx_, "encode glyph", [&] {
                        return fz_encode_character(ctx_, font, *it);
                    })));
                s << "> Tj";
                break;
            }
            case FixtureTextLine::Script::cjk:
                cjk();
                s << "/F4 " << number(line.size) << " Tf <";
                for (int cp : points) {
                    if (cp > 0xFFFF)
                        throw Error("fixture CJK text beyond the basic plane");
                    s << hex4(static_cast<unsigned>(cp));
                }
                s << "> Tj";
                break;
            }
            if (line.script == FixtureTextLine::Script::latin)
                latin();
            s << " ET\n";
        }
        return s.str();
    }

    void addAnnotation(int pageIndex, const FixtureLink& link, int pageCount) {
        if (link.targetPage && (*link.targetPage < 0 || *link.targetPage >= pageCount))
            throw Error("fixture link to a page outside the document");
        fz_context* c = ctx_;
        pdf_document* d = doc_.get();
        guarded(c, "add annotation", [&] {
            pdf_obj* page = pdf_lookup_page_obj(c, d, pageIndex);
            pdf_obj* annots = pdf_dict_get(c, page, PDF_NAME(Annots));
            if (!pdf_is_array(c, annots))
                annots = pdf_dict_put_array(c, page, PDF_NAME(Annots), 4);
            pdf_obj* ref = pdf_add_new_dict(c, d, 6);
            pdf_array_push_drop(c, annots, ref);
            pdf_obj* a = pdf_resolve_indirect(c, ref);
            pdf_dict_put(c, a, PDF_NAME(Type), PDF_NAME(Annot));
            pdf_dict_put_name(c, a, PDF_NAME(Subtype), link.subtype.c_str());
            pdf_dict_put_rect(c, a, PDF_NAME(Rect), toRect(link.rect));
            pdf_dict_put(c, a, PDF_NAME(P), page);
            pdf_obj* border = pdf_dict_put_array(c, a, PDF_NAME(Border), 3);
            for (int i = 0; i < 3; ++i)
                pdf_array_push_int(c, border, 0);
            if (link.uri) {
                pdf_obj* action = pdf_dict_put_dict(c, a, PDF_NAME(A), 2);
                pdf_dict_put(c, action, PDF_NAME(S), PDF_NAME(URI));
                pdf_dict_put_string(c, action, PDF_NAME(URI), link.uri->data(), link.uri->size());
            } else if (link.targetPage) {
                pdf_obj* holder = a;
                if (link.useGoToAction) {
                    holder = pdf_dict_put_dict(c, a, PDF_NAME(A), 2);
                    pdf_dict_put(c, holder, PDF_NAME(S), PDF_NAME(GoTo));
                }
                pdf_obj* dest = pdf_dict_put_array(
                    c, holder, link.useGoToAction ? PDF_NAME(D) : PDF_NAME(Dest), 5);
                pdf_array_push(c, dest, pdf_lookup_page_obj(c, d, *link.targetPage));
                pdf_array_push(c, dest, PDF_NAME(XYZ));
                for (int i = 0; i < 3; ++i)
                    pdf_array_push(c, dest, PDF_NULL);
            }
        });
    }

    // Writes the items as children of `parent` (an indirect dictionary).
    void addOutline(pdf_obj* parent, const std::vector<FixtureOutlineItem>& items, int pageCount) {
        fz_context* c = ctx_;
        pdf_document* d = doc_.get();
        std::vector<pdf::Object> refs;
        for (const auto& item : items) {
            if (item.page < 0 || item.page >= pageCount)
                throw Error("fixture bookmark to a page outside the document");
            pdf_obj* previous = refs.empty() ? nullptr : refs.back().get();
            const int count = static_cast<int>(refs.size()) + 1;
            pdf_obj* ref = guarded(c, "add bookmark", [&] {
                pdf_obj* r = pdf_add_new_dict(c, d, 6);
                pdf_obj* o = pdf_resolve_indirect(c, r);
                pdf_obj* p = pdf_resolve_indirect(c, parent);
                if (item.rawTitle)
                    pdf_dict_put_string(c, o, PDF_NAME(Title), item.title.data(),
                                        item.title.size());
                else
                    pdf_dict_put_text_string(c, o, PDF_NAME(Title), item.title.c_str());
                pdf_dict_put(c, o, PDF_NAME(Parent), parent);
                pdf_obj* dest = pdf_dict_put_array(c, o, PDF_NAME(Dest), 2);
                pdf_array_push(c, dest, pdf_lookup_page_obj(c, d, item.page));
                pdf_array_push(c, dest, PDF_NAME(Fit));
                if (previous)
                    pdf_dict_put(c, o, PDF_NAME(Prev), previous);
                pdf_dict_put(c, previous ? pdf_resolve_indirect(c, previous) : p,
                             previous ? PDF_NAME(Next) : PDF_NAME(First), r);
                pdf_dict_put(c, p, PDF_NAME(Last), r);
                pdf_dict_put_int(c, p, PDF_NAME(Count), count);
                return r;
            });
            addOutline(refs.emplace_back(c, ref).get(), item.children, pageCount);
        }
    }

    void finish(const FixtureDocument& document) {
        fz_context* c = ctx_;
        pdf_document* d = doc_.get();
        if (!document.outline.empty()) {
            pdf::Object root(c, guarded(c, "add outline", [&] {
                                 pdf_obj* ref = pdf_add_new_dict(c, d, 4);
                                 pdf_dict_put(c, pdf_resolve_indirect(c, ref), PDF_NAME(Type),
                                              PDF_NAME(Outlines));
                                 pdf_dict_put(c, pdf_dict_get(c, pdf_trailer(c, d), PDF_NAME(Root)),
                                              PDF_NAME(Outlines), ref);
                                 return ref;
                             }));
            addOutline(root.get(), document.outline, static_cast<int>(document.pages.size()));
        }
        if (document.claimedPageCount)
            guarded(c, "claim page count", [&] {
                pdf_dict_put_int(c, pdf_dict_getp(c, pdf_trailer(c, d), "Root/Pages"),
                                 PDF_NAME(Count), *document.claimedPageCount);
            });
    }

    void save(const std::filesystem::path& path, const std::string& password) {
        pdf_write_options opts = pdf_default_write_options;
        opts.do_compress = 1;
        if (!password.empty()) {
            if (password.size() >= sizeof opts.upwd_utf8 - 6)
                throw Error("fixture password too long");
            opts.do_encrypt = PDF_ENCRYPT_RC4_128;
            opts.permissions = -1;
            std::strcpy(opts.upwd_utf8, password.c_str());
            std::strcpy(opts.opwd_utf8, (password + "-owner").c_str());
        }
        const std::string name = path.string();
        guarded(ctx_, "save PDF",
                [&] { pdf_save_document(ctx_, doc_.get(), name.c_str(), &opts); });
    }

private:
    // Helvetica whose code 1 draws the "fi" ligature glyph.
    void latin() {
        if (latinFont_)
            return;
        fz_context* c = ctx_;
        pdf_document* d = doc_.get();
        latinFont_ =
            pdf::Object(c, guarded(c, "add font", [&] {
                            pdf_obj* ref = pdf_add_new_dict(c, d, 4);
                            pdf_obj* f = pdf_resolve_indirect(c, ref);
                            pdf_dict_put(c, f, PDF_NAME(Type), PDF_NAME(Font));
                            pdf_dict_put(c, f, PDF_NAME(Subtype), PDF_NAME(Type1));
                            pdf_dict_put_name(c, f, PDF_NAME(BaseFont), "Helvetica");
                            pdf_obj* e = pdf_dict_put_dict(c, f, PDF_NAME(Encoding), 2);
                            pdf_dict_put(c, e, PDF_NAME(BaseEncoding), PDF_NAME(WinAnsiEncoding));
                            pdf_obj* diff = pdf_dict_put_array(c, e, PDF_NAME(Differences), 2);
                            pdf_array_push_int(c, diff, 1);
                            pdf_array_push_name(c, diff, "fi");
                            return ref;
                        }));
    }

    fz_font* hebrew() {
        fz_context* c = ctx_;
        if (!hebrewGlyphs_) {
            hebrewGlyphs_ = FontRef(
                c, guarded(c, "load font", [&] {
                    int len = 0, subfont = 0;
                    const unsigned char* data =
                        fz_lookup_noto_font(c, UCDN_SCRIPT_HEBREW, FZ_LANG_UNSET, &len, &subfont);
                    if (!data)
                        fz_throw(c, FZ_ERROR_GENERIC, "no built-in Hebrew font");
                    return fz_new_font_from_memory(c, "NotoSansHebrew", data, len, subfont, 0);
                }));
            fz_font* font = hebrewGlyphs_.get();
            pdf_document* d = doc_.get();
            hebrewFont_ = pdf::Object(
                c, guarded(c, "add font", [&] { return pdf_add_cid_font(c, d, font); }));
        }
        return hebrewGlyphs_.get();
    }

    void cjk() {
        if (cjkFont_)
            return;
        fz_context* c = ctx_;
        FontRef font(c, guarded(c, "load font", [&] { return fz_new_cjk_font(c, FZ_ADOBE_GB); }));
        fz_font* f = font.get();
        pdf_document* d = doc_.get();
        cjkFont_ = pdf::Object(c, guarded(c, "add font", [&] {
                                   return pdf_add_cjk_font(c, d, f, FZ_ADOBE_GB, 0, 0);
                               }));
    }

    pdf::Context ctx_;
    pdf::Document doc_;
    pdf::Object latinFont_;
    FontRef hebrewGlyphs_;
    pdf::Object hebrewFont_;
    pdf::Object cjkFont_;
};

} // namespace

FixtureLink FixtureLink::web(PDFRect rect, std::string uri) {
    return {.rect = rect, .uri = std::move(uri)};
}

FixtureLink FixtureLink::page(PDFRect rect, int targetPage, bool useGoToAction) {
    return {.rect = rect, .targetPage = targetPage, .useGoToAction = useGoToAction};
}

void writeFixturePdf(const std::filesystem::path& path, const FixtureDocument& document) {
    Writer writer;
    const int count = static_cast<int>(document.pages.size());
    for (int i = 0; i < count; ++i)
        writer.addPage(document.pages[i], i + 1);
    for (int i = 0; i < count; ++i)
        for (const auto& link : document.pages[i].links)
            writer.addAnnotation(i, link, count);
    writer.finish(document);
    writer.save(path, document.userPassword);
}

FixtureDocument plainDocument(int count, double width, double height) {
    return {.pages = std::vector<FixturePage>(count, FixturePage{width, height})};
}

FixtureDocument standardDocument() {
    FixtureDocument doc{.pages = {{}, {595, 842, 90}, {612, 792, 180}, {792, 612, 270}, {}}};
    doc.pages[0].links = {FixtureLink::web({60, 700, 120, 40}, "https://example.com/a"),
                          FixtureLink::page({60, 600, 120, 40}, 2),
                          {.rect = {300, 300, 20, 20}, .subtype = "Text"}};
    doc.pages[1].links = {FixtureLink::web({60, 700, 120, 40}, "https://example.com/b"),
                          FixtureLink::page({100, 100, 50, 30}, 0, true)};
    doc.pages[2].links = {FixtureLink::web({60, 700, 120, 40}, "https://example.com/c")};
    doc.pages[3].links = {FixtureLink::page({10, 20, 30, 40}, 4)};
    doc.outline = {
        {"Chapter 1", 0, {{"Section 1.1", 1, {}}, {"Section 1.2", 2, {{"Detail", 3, {}}}}}},
        {"Chapter 2", 4, {}}};
    return doc;
}

FixtureDocument linkPlacementDocument() {
    const PDFRect crop{50, 50, 500, 700};
    const std::pair<int, std::optional<PDFRect>> layouts[] = {
        {0, std::nullopt}, {90, std::nullopt}, {180, std::nullopt}, {270, std::nullopt},
        {0, crop},         {90, crop},         {270, crop}};
    FixtureDocument doc;
    for (const auto& [rotation, cropBox] : layouts) {
        FixturePage& page = doc.pages.emplace_back(600, 800, rotation);
        page.cropBox = cropBox;
        page.links = {FixtureLink::page({60, 700, 120, 40}, static_cast<int>(std::size(layouts)))};
        page.drawLinks = true;
    }
    doc.pages.emplace_back(600, 800);
    return doc;
}

FixtureDocument textPlacementDocument() {
    const PDFRect crop{50, 50, 500, 700};
    const std::pair<int, std::optional<PDFRect>> layouts[] = {
        {0, std::nullopt},   {90, std::nullopt}, {180, std::nullopt},
        {270, std::nullopt}, {0, crop},          {90, crop}};
    FixtureDocument doc;
    for (const auto& [rotation, cropBox] : layouts) {
        FixturePage& page = doc.pages.emplace_back(600, 800, rotation);
        page.cropBox = cropBox;
        page.lines = {{.x = 80, .y = 700, .text = "Zarvex \uFB01nds words"},
                      {.x = 80, .y = 640, .text = "over </script> pages"}};
    }
    using Script = FixtureTextLine::Script;
    doc.pages.emplace_back(600, 800).lines = {
        {.x = 100,
         .y = 700,
         .text = "\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD",
         .script = Script::rightToLeft}};
    doc.pages.emplace_back(600, 800).lines = {
        {.x = 100, .y = 700, .text = "\u4E2D\u6587\u5B57", .script = Script::cjk}};
    doc.pages.emplace_back(600, 800).lines = {
        {.x = 80, .y = 700, .text = "Cr\u00E8me br\u00FBl\u00E9e \u00E0 Z\u00FCrich"}};
    return doc;
}

FixtureDocument mixedSizeDocument() {
    return {.pages = {{}, {792, 612}, {600, 600}, {1200, 400}, {420, 842}}};
}

FixtureDocument hugeCountDocument() {
    FixtureDocument doc = plainDocument(2);
    doc.claimedPageCount = 2147483647;
    return doc;
}

// Octal escapes where a hexadecimal one would run into the next character.
const std::vector<HostileString>& hostileLinkAddresses() {
    using namespace std::string_literals;
    static const std::vector<HostileString> cases = {
        {"control characters", "https://example.com/a\tb\001c\177\n\0d"s,
         "https://example.com/abcd"},
        {"a Latin-1 byte", "https://example.com/caf\xE9", "https://example.com/caf%E9"},
        {"UTF-8 bytes", "https://example.com/\xE2\x82\xAC", "https://example.com/%E2%82%AC"},
        {"a UTF-16 text string", "\xFE\xFF\0h\0t\0t\0p\0:\0/\0/\0x\0/\0\xE9"s, "http://x/%C3%A9"},
        {"a script hidden by a tab", "java\tscript:alert(1)", std::nullopt},
        {"a script behind a blank and capitals", " JavaScript:alert(1)", std::nullopt},
        {"another script language", "vbscript:msgbox(1)", std::nullopt},
        {"a data address", "data:text/html,<script>alert(1)</script>", std::nullopt},
        {"a local file", "file:///etc/passwd", std::nullopt},
        {"a mail address", "mailto:ann@example.com", "mailto:ann@example.com"},
        {"a relative address", "guide/intro.html", "guide/intro.html"},
        {"a web address in capitals", "HTTPS://EXAMPLE.COM/", "HTTPS://EXAMPLE.COM/"},
    };
    return cases;
}

const std::vector<HostileString>& hostileBookmarkTitles() {
    using namespace std::string_literals;
    static const std::vector<HostileString> cases = {
        {"UTF-16 big-endian", "\xFE\xFF\0C\0a\0f\0\xE9\0 \x20\xAC"s, "Caf\u00e9 \u20ac"},
        {"UTF-16 little-endian", "\377\376C\0a\0f\0\351\0"s, "Caf\u00e9"},
        {"PDFDocEncoding", "\x80 Caf\xE9 \xA0", "\u2022 Caf\u00e9 \u20ac"},
        {"UTF-8 with its mark", "\357\273\277Gr\303\274\303\237e", "Gr\u00fc\u00dfe"},
        {"control characters and line breaks", "One\x01\x02\nTwo\tThree\x7f", "One Two Three"},
        {"a lone surrogate", "\xFE\xFF\xD8\0\0A"s, "\ufffdA"},
    };
    return cases;
}

FixtureDocument hostileStringsDocument() {
    FixtureDocument doc = plainDocument(2);
    double y = 760;
    for (const auto& address : hostileLinkAddresses()) {
        doc.pages[0].links.push_back(FixtureLink::web({40, y, 200, 16}, address.stored));
        y -= 20;
    }
    for (const auto& title : hostileBookmarkTitles())
        doc.outline.push_back({title.stored, 1, {}, true});
    return doc;
}

FixtureDocument benchmarkDocument(int pages) {
    FixtureDocument doc;
    for (int i = 0; i < pages; ++i) {
        FixturePage& page = doc.pages.emplace_back();
        page.textLines = 52;
        if (i % 10 == 0) {
            page.links.push_back(FixtureLink::web({40, 40, 200, 20}, "https://example.com/bench"));
            if (i + 1 < pages)
                page.links.push_back(FixtureLink::page({300, 40, 100, 20}, i + 1));
            doc.outline.push_back({"Chapter " + std::to_string(i / 10 + 1), i, {}});
        }
    }
    return doc;
}

FixtureDocument lightDocument(int pages) {
    FixtureDocument doc;
    for (int i = 0; i < pages; ++i) {
        FixturePage& page = doc.pages.emplace_back(595.276, 841.89);
        page.textLines = 4;
        page.links.push_back(FixtureLink::web({40, 40, 200, 20}, "https://example.com/light"));
    }
    return doc;
}

FixtureDocument heavyDocument(int pages) {
    FixtureDocument doc = benchmarkDocument(pages);
    for (auto& page : doc.pages)
        page.drawings = 1500;
    return doc;
}

} // namespace zarvex::test
