#include "app/PublishInputs.h"

#include "base/Error.h"
#include "base/FileUtil.h"
#include "import/FlashPageSource.h"
#include "import/PDFDocument.h"
#include "templates/FlashTemplate.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace zarvex {

namespace fs = std::filesystem;

namespace {

bool looksEncrypted(const fs::path& pdf) {
    auto bytes = readFile(pdf);
    return bytes && bytes->find("/Encrypt") != std::string::npos;
}

std::vector<std::string> folderNames(const std::vector<fs::path>& folders) {
    std::vector<std::string> names;
    for (const auto& folder : folders) {
        fs::path p = folder;
        if (p.filename().empty())
            p = p.parent_path();
        names.push_back(p.filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

void checkReadableFile(const fs::path& file, const char* what) {
    const std::string named = std::string("the ") + what + " " + quoted(file);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status))
        throw Error(named + " does not exist");
    if (fs::is_directory(status))
        throw Error(named + " is a folder, not a file");
    if (!fs::is_regular_file(status))
        throw Error(named + " is not a regular file (a device, pipe or socket)");
    if (!std::ifstream(file, std::ios::binary))
        throw Error(named + " cannot be read");
}

std::shared_ptr<PDFDocument> openImportablePdf(const fs::path& pdf) {
    checkReadableFile(pdf, "PDF file");
    auto document = PDFDocument::open(pdf);
    if (!document) {
        if (looksEncrypted(pdf))
            throw Error("the PDF file " + quoted(pdf) +
                        " is encrypted (password protected) and cannot be imported");
        throw Error("the file " + quoted(pdf) + " is not a readable PDF document");
    }
    if (document->pageCount() <= 0)
        throw Error("the PDF file " + quoted(pdf) + " has no pages");
    return document;
}

std::vector<int> selectedPages(const std::string& range, const PDFDocument& document,
                               const fs::path& pdf) {
    const int count = document.pageCount();
    std::vector<int> pages = FlashPageSource::parsePageRange(range, count);
    std::erase_if(pages, [count](int p) { return p < 1 || p > count; });
    if (pages.empty())
        throw Error("the page range '" + range + "' selects no page of " + quoted(pdf) + " (" +
                    std::to_string(count) + (count == 1 ? " page)" : " pages)"));
    return pages;
}

std::vector<std::string> templateNames() {
    return folderNames(FlashTemplate::tmplNames());
}

std::vector<std::string> styleNames(const std::string& templateName) {
    return folderNames(FlashTemplate::tmplStyleNamesForTmpl(templateName));
}

std::string joinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

} // namespace zarvex
