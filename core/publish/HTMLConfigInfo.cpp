#include "publish/HTMLConfigInfo.h"

#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/TextEncoding.h"
#include "publish/MakerInfo.h"
#include "publish/TextTemplate.h"
#include "publish/WebText.h"

#include <algorithm>

namespace zarvex {

namespace {

// A file name that can stand in a script's string literal as it is.
bool plainFileName(const std::string& name) {
    return std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '.' || c == '/';
    });
}

} // namespace

HTMLConfigInfo::HTMLConfigInfo()
    : HTMLTitle_(maker::kProductName), HTMLKeywords_("Pellido,page flip,flipping-book"),
      HTMLDescription_(maker::kDomainName) {}

bool HTMLConfigInfo::generateHTMLFrom(const std::filesystem::path& from,
                                      const std::filesystem::path& to) const {
    const auto bytes = readFile(from);
    if (!bytes) {
        ZLOG_ERROR("cannot read the HTML page template {}", from.string());
        return false;
    }
    TextTemplate page(text::decodeText(*bytes));
    page.setItem("index.title", htmlEscape(HTMLTitle_));
    page.setItem("meta.keywords", htmlEscape(HTMLKeywords_));
    page.setItem("meta.description", htmlEscape(HTMLDescription_));
    page.setItem("book.firstPage", plainFileName(firstPageFile_) ? firstPageFile_ : std::string());
    std::string html = page.parse();
    if (!bodyEnd_.empty()) {
        const auto end = html.rfind("</body>");
        html.insert(end == std::string::npos ? html.size() : end, bodyEnd_);
    }
    if (!writeFileAtomically(to, html)) {
        ZLOG_ERROR("cannot write the HTML page {}", to.string());
        return false;
    }
    return true;
}

} // namespace zarvex
