#include "PublishFixture.h"

#include "archive/ConfigEnvelope.h"
#include "base/Process.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/WebText.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex::test {

namespace {

void appendProperty(std::string& xml, const PropertySpec& wanted) {
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

void writeTemplate(const fs::path& folder, const std::vector<PropertySpec>& properties) {
    std::string xml = "<flashTemplate><info><htmlPath>page\\index.html</htmlPath>"
                      "<swfPath>Main.swf</swfPath><defaultStyle>Blank</defaultStyle>"
                      "<macAppFilesFolder>x</macAppFilesFolder>"
                      "<mobileTmplFilesPath>../TmplData/mobile</mobileTmplFilesPath></info>"
                      "<properties>";
    for (const auto& property : properties)
        appendProperty(xml, property);
    xml += "</properties></flashTemplate>";
    writeFile(folder / "flashTemplate.xml", xml);
    writeFile(folder / "Main.swf", "theme of " + folder.filename().string());
    writeFile(folder / "swfobject.js", "swfobject");
    writeFile(folder / "playerProductInstall.swf", "installer");
    writeFile(folder / "page/index.html",
              "<title>${index.title}</title>\n<meta name=\"keywords\" content=\"${meta.keywords}\">"
              "\n<body>${meta.description}</body>\n");
}

} // namespace

BookCase::BookCase(const std::vector<PropertySpec>& properties, const std::string& templateName,
                   const PageSourceSpec& pages) {
    const fs::path data = resources() / "AppFiles" / "TmplData";
    writeFile(data / "book.swf", "book player");
    writeFile(data / "mobile/Flip/index.html", "<script src=\"javascript/main.js\"></script>");
    writeFile(data / "mobile/Flip/javascript/main_preview.js", "var player = {ready: true}");
    writeFile(data / "mobile/Slide/index.html",
              "<title>${index.title}</title><h1>${index.title}</h1>"
              "<script>var options = ${fbbook.options};</script>");
    writeFile(data / "mac.app/Contents/Info.plist", "<plist/>");
    writeFile(data / "mac.app/Contents/MacOS/viewer", "#!/bin/sh\n");
    fs::permissions(data / "mac.app/Contents/MacOS/viewer", fs::perms::owner_all);
    fs::create_directories(data / "mac.app/Contents/Resources");
    writeTemplate(resources() / "AppFiles/Templates" / templateName, properties);
    tmpl = std::make_shared<FlashTemplate>(templateName);
    EXPECT_FALSE(tmpl->loadError()) << *tmpl->loadError();
    source = pageSource(pages);
    fs::create_directories(preview());
    fs::create_directories(out());
    fs::create_directories(work());
}

std::shared_ptr<GeneratedPageSource> BookCase::pageSource(const PageSourceSpec& wanted) {
    auto result = std::make_shared<GeneratedPageSource>();
    const fs::path folder = work() / ("source" + std::to_string(++sourceCount));
    auto make = [&](const std::string& kind, int number, const std::string& extension) {
        const fs::path file = folder / (kind + "-" + std::to_string(number) + "." + extension);
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

std::unique_ptr<FlashBookOutput> BookCase::writer(const fs::path& folder, const std::string& name) {
    auto result = std::make_unique<FlashBookOutput>(source, tmpl, folder, name);
    result->setAppSettings(&settings);
    return result;
}

std::unique_ptr<FlashBookOutput> BookCase::publish(const std::string& name) {
    EXPECT_TRUE(writer(preview())->ouputTheBook());
    auto book = writer(out(), name);
    book->setHTMLConfig(std::make_shared<HTMLConfigInfo>());
    EXPECT_TRUE(book->ouputTheBook()) << (book->failures().empty() ? "" : book->failures()[0]);
    return book;
}

OutputMobileVersion BookCase::mobile(int type) {
    OutputMobileVersion result(source, tmpl, out(), type);
    result.setAppSettings(&settings);
    return result;
}

xml::Document decodeConfig(const fs::path& envelopeFile) {
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

std::string runNode(const fs::path& script) {
    const ProcessResult result = runProcess("/usr/bin/node", {script.string()});
    EXPECT_TRUE(result.succeeded()) << "node failed on " << script << ": " << result.errors;
    return result.output;
}

} // namespace zarvex::test
