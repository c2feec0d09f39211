#pragma once

// The publishing tests' inputs, written by code: a private home, a resource
// folder with a template and players, and page sources over small page files.
#include "archive/ConfigEnvelope.h"
#include "base/AppSettings.h"
#include "base/Process.h"
#include "import/FlashOutline.h"
#include "import/FlashPageSource.h"
#include "publish/FlashBookOutput.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/OutputMobileVersion.h"
#include "publish/WebText.h"
#include "support/TempHome.h"
#include "templates/FlashTemplate.h"

#include <gtest/gtest.h>

namespace zarvex::test {

// One template property; children make it a group.
struct PropertySpec {
    std::string key;
    std::string value;
    std::string type = "pt_text";
    std::vector<PropertySpec> children = {};
};

// A page source as the PDF import leaves it: pages, normal pages, thumbnails and
// mobile images, each looked up by page number.
class GeneratedPageSource : public FlashPageSource {
public:
    FlashPagePtr getNormalPageAtIndex(int pageIndex) const override {
        return findPage(normalPages_, pageIndex);
    }
    FlashPagePtr getThumbPageAtIndex(int pageIndex) const override {
        return findPage(thumbPages_, pageIndex);
    }
};

struct PageSourceSpec {
    std::vector<int> pageNumbers = {1, 2, 3};
    std::string extension = "swf";
    bool thumbs = true;
    bool mobile = true;
};

inline void appendProperty(std::string& xml, const PropertySpec& wanted) {
    xml += "<property type=\"" + wanted.type + "\"><key>" + htmlEscape(wanted.key) +
           "</key><title>" + htmlEscape(wanted.key) + "</title><desc></desc><value>" +
           htmlEscape(wanted.value) +
           "</value><valueSource></valueSource><defaultValue></defaultValue>";
    if (!wanted.children.empty()) {
        xml += "<childProperties>";
        for (const auto& child : wanted.children)
            appendProperty(xml, child);
        xml += "</childProperties>";
    }
    xml += "</property>";
}

// One book: AppFiles/Templates/{templateName} declaring `properties`, with its
// theme, scripts and an HTML page template "<title>${index.title}</title>...",
// the players in AppFiles/TmplData, a page source, and writers over them that
// use the case's own settings.
struct BookCase {
    explicit BookCase(const std::vector<PropertySpec>& properties = {},
                      const std::string& templateName = "plain", const PageSourceSpec& pages = {}) {
        const auto data = resources() / "AppFiles" / "TmplData";
        writeFile(data / "book.swf", "book player");
        writeFile(data / "mobile/Flip/index.html", "<script src=\"javascript/main.js\"></script>");
        writeFile(data / "mobile/Flip/javascript/main_preview.js", "var player = {ready: true}");
        writeFile(data / "mobile/Slide/index.html",
                  "<title>${index.title}</title><h1>${index.title}</h1>"
                  "<script>var options = ${fbbook.options};</script>");
        writeFile(data / "mac.app/Contents/Info.plist", "<plist/>");
        writeFile(data / "mac.app/Contents/MacOS/viewer", "#!/bin/sh\n");
        std::filesystem::permissions(data / "mac.app/Contents/MacOS/viewer",
                                     std::filesystem::perms::owner_all);
        std::filesystem::create_directories(data / "mac.app/Contents/Resources");
        const auto folder = resources() / "AppFiles/Templates" / templateName;
        std::string xml = "<flashTemplate><info><htmlPath>page\\index.html</htmlPath>"
                          "<swfPath>Main.swf</swfPath><defaultStyle>Blank</defaultStyle>"
                          "<macAppFilesFolder>x</macAppFilesFolder>"
                          "<mobileTmplFilesPath>../TmplData/mobile</mobileTmplFilesPath></info>"
                          "<properties>";
        for (const auto& property : properties)
            appendProperty(xml, property);
        writeFile(folder / "flashTemplate.xml", xml + "</properties></flashTemplate>");
        writeFile(folder / "Main.swf", "theme of " + templateName);
        writeFile(folder / "swfobject.js", "swfobject");
        writeFile(folder / "playerProductInstall.swf", "installer");
        writeFile(folder / "page/index.html",
                  "<title>${index.title}</title>\n<meta name=\"keywords\" "
                  "content=\"${meta.keywords}\">"
                  "\n<body>${meta.description}</body>\n");
        tmpl = std::make_shared<FlashTemplate>(templateName);
        EXPECT_FALSE(tmpl->loadError()) << *tmpl->loadError();
        source = pageSource(pages);
        for (const auto& made : {preview(), out(), work()})
            std::filesystem::create_directories(made);
    }

    // Page files named "{kind}-{number}.{ext}" whose content is "{kind} {number}".
    std::shared_ptr<GeneratedPageSource> pageSource(const PageSourceSpec& wanted) {
        auto result = std::make_shared<GeneratedPageSource>();
        const auto folder = work() / ("source" + std::to_string(++sourceCount));
        auto make = [&](const std::string& kind, int number, const std::string& extension) {
            const auto file = folder / (kind + "-" + std::to_string(number) + "." + extension);
            writeFile(file, kind + " " + std::to_string(number));
            return std::make_shared<FlashPage>(file, number);
        };
        FlashPageList pages, normal, thumbs, mobile;
        for (int number : wanted.pageNumbers) {
            pages.push_back(make("page", number, wanted.extension));
            normal.push_back(pages.back()->copyPage(100, 100));
            if (wanted.thumbs)
                thumbs.push_back(make("thumb", number, "jpg"));
            if (wanted.mobile)
                mobile.push_back(make("mobile", number, "jpg"));
        }
        result->setPages(pages);
        result->setNormalPages(normal);
        result->setThumbPages(thumbs);
        result->setMobilePages(mobile);
        return result;
    }

    std::unique_ptr<FlashBookOutput> writer(const std::filesystem::path& folder,
                                            const std::string& name = "index.html") {
        auto result = std::make_unique<FlashBookOutput>(source, tmpl, folder, name);
        result->setAppSettings(&settings);
        result->setFlashOutline(outline);
        return result;
    }

    // Writes the preview (which creates the working page list), then the book
    // with its HTML page into out().
    std::unique_ptr<FlashBookOutput> publish(const std::string& name = "book.html") {
        EXPECT_TRUE(writer(preview())->ouputTheBook());
        auto book = writer(out(), name);
        book->setHTMLConfig(std::make_shared<HTMLConfigInfo>());
        EXPECT_TRUE(book->ouputTheBook()) << (book->failures().empty() ? "" : book->failures()[0]);
        return book;
    }

    OutputMobileVersion mobile(int type) {
        OutputMobileVersion result(source, tmpl, out(), type);
        result.setAppSettings(&settings);
        return result;
    }

    std::filesystem::path resources() const { return dir / "resources"; }
    std::filesystem::path work() const { return dir / "work"; }
    std::filesystem::path out() const { return dir / "out"; }
    std::filesystem::path preview() const { return FlashBookOutput::defaultPreviewPath(); }

    TempHome home;
    TempDir dir{"zarvex-publish"};
    ScopedEnv resourcesEnv{"ZARVEX_RESOURCES", resources().string()};
    AppSettings settings{home.config() / "zarvex-test-settings.json"};
    std::shared_ptr<FlashTemplate> tmpl;
    std::shared_ptr<FlashPageSource> source;
    std::shared_ptr<FlashOutline> outline; // the bookmarks the writers are given
    int sourceCount = 0;
};

// The configuration inside an envelope file; a test failure when it does not decode.
inline xml::Document decodeConfig(const std::filesystem::path& envelopeFile) {
    std::string why = "unreadable envelope";
    const auto envelope = xml::Document::parseFile(envelopeFile);
    const auto inner =
        envelope ? unscrambleConfig(envelope->root().text(), kConfigKey, &why) : std::nullopt;
    auto document = inner ? xml::Document::parse(*inner) : std::nullopt;
    if (!document) {
        ADD_FAILURE() << envelopeFile << " does not decode to XML: " << why;
        return xml::Document::create("none");
    }
    return std::move(*document);
}

// Node's standard output for a script; a test failure when node fails.
inline std::string runNode(const std::filesystem::path& script) {
    const ProcessResult result = runProcess("/usr/bin/node", {script.string()});
    EXPECT_TRUE(result.succeeded()) << "node failed on " << script << ": " << result.errors;
    return result.output;
}

} // namespace zarvex::test
