// The template library the application ships (the resource folder the test run
// points to): every declaration is sound, every style applies and finds its files,
// and every picture is there in the form its reader needs.
#include "templates/FlashTemplate.h"

#include "support/Jpeg.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using Size = std::pair<int, int>; // width, height in pixels
using test::jpegSize;

std::optional<Size> pngSize(const fs::path& file) {
    const std::string b = test::slurp(file);
    if (b.size() < 24 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    auto be32 = [&](size_t i) {
        int v = 0;
        for (size_t k = 0; k < 4; ++k)
            v = (v << 8) | static_cast<unsigned char>(b[i + k]);
        return v;
    };
    return Size{be32(16), be32(20)};
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

// key=value pairs of a preset, as the application reads them: split at LF, CR
// removed anywhere, the key before the first "=".
std::vector<std::pair<std::string, std::string>> presetLines(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::string line : split(text, '\n')) {
        std::erase(line, '\r');
        if (const auto eq = line.find('='); eq != std::string::npos)
            lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

// Whether a file property's filter ("Pictures|*.png;*.jpg") takes the extension.
bool acceptsExtension(const FlashTemplateProperty& p, const std::string& extension) {
    const std::string filter = p.valueSource().value_or("");
    const auto bar = filter.find('|');
    if (bar == std::string::npos)
        return false;
    const auto patterns = split(filter.substr(bar + 1), ';');
    return std::find(patterns.begin(), patterns.end(), "*" + extension) != patterns.end();
}

const std::regex kColour("0x[0-9a-f]{6}");
const std::string kStyleResource = "STYLE_RESOURCE:";

// A value its property accepts: one of a list's items, a colour as "0xrrggbb".
void expectAccepted(const FlashTemplateProperty& p, const std::string& value) {
    const auto items = split(p.valueSource().value_or(""), ',');
    if (p.propertyType() == pt_list) {
        EXPECT_NE(std::find(items.begin(), items.end(), value), items.end())
            << *p.key() << "=" << value;
    }
    if (p.propertyType() == pt_color) {
        EXPECT_TRUE(std::regex_match(value, kColour)) << *p.key() << "=" << value;
    }
}

std::vector<std::string> shippedTemplates() {
    std::vector<std::string> names;
    for (const fs::path& folder : FlashTemplate::tmplNames())
        names.push_back(folder.filename().string());
    return names;
}

// Every template is well-formed, of known property types, its settings grouped
// and declared once, defaults and file properties as a style expects them; every
// style sets declared keys (never the page size or language) to accepted values
// and files of its folder, with a preview picture, Panoramic's six square cube
// faces, and no sub-folder (the style listing would show one as a style).
TEST(ShippedTemplates, DeclarationsAreSoundAndTheirStylesApply) {
    const auto names = shippedTemplates();
    EXPECT_GE(names.size(), 4u) << "the browser tests and the command line list them by name";
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        std::string error;
        EXPECT_TRUE(xml::Document::parseFile(FlashTemplate::tmplMetaPathForName(name),
                                             xml::ParseMode::Strict, &error))
            << error;
        const std::string text = test::slurp(FlashTemplate::tmplMetaPathForName(name));
        const std::regex typeAttribute(R"re(type="([^"]*)")re");
        for (std::sregex_iterator m(text.begin(), text.end(), typeAttribute), end; m != end; ++m) {
            const std::string type = (*m)[1];
            EXPECT_TRUE(type == "pt_text" ||
                        FlashTemplateProperty::flashTemplatePropertyTypeFromString(type) != pt_text)
                << "unknown type " << type;
        }

        const FlashTemplate declared(name);
        ASSERT_FALSE(declared.loadError()) << *declared.loadError();
        for (const auto& node : declared.properties())
            EXPECT_EQ(node->propertyType(), pt_composite) << "top-level settings are grouped";
        std::set<std::string> seen;
        for (const FlashTemplateProperty* p : declared.allProperties()) {
            EXPECT_TRUE(seen.insert(p->key().value_or("")).second)
                << "declared twice: " << *p->key();
            expectAccepted(*p, p->value().value_or(""));
            // A declared path could not resolve before a style is applied.
            if (p->propertyType() == pt_file) {
                EXPECT_EQ(p->value(), "") << *p->key();
                EXPECT_TRUE(
                    std::regex_match(p->valueSource().value_or(""),
                                     std::regex(R"([^|]+\|\*\.[a-z0-9]+(;\*\.[a-z0-9]+)*)")))
                    << *p->key() << " filter " << *p->valueSource();
            }
        }
        EXPECT_TRUE(acceptsExtension(*declared.findProperty("LogoFile"), ".png"));
        EXPECT_TRUE(acceptsExtension(*declared.findProperty("ImagePath"), ".jpg"));
        EXPECT_TRUE(declared.tmplHTMLFilePath());
        EXPECT_TRUE(fs::is_regular_file(declared.GetPreviewMobileFilePath()))
            << declared.GetPreviewMobileFilePath();
        const auto icon = pngSize(FlashTemplate::tmplPathForName(name) / "icon.png");
        ASSERT_TRUE(icon) << "icon.png is no PNG";
        EXPECT_EQ(icon->first, icon->second);
        EXPECT_GE(icon->first, 32);

        const auto styles = FlashTemplate::tmplStyleNamesForTmpl(name);
        EXPECT_GE(styles.size(), 3u);
        EXPECT_TRUE(
            fs::is_directory(FlashTemplate::stylePathFor(name, declared.defaultSytleName())))
            << "defaultStyle names no style folder";
        for (const fs::path& style : styles) {
            SCOPED_TRACE(style.filename().string());
            const std::string preset = test::slurp(style / "tmplSetting.txt");
            EXPECT_TRUE(preset.starts_with("\n\r")) << "written as the application writes";
            const auto lines = presetLines(preset);
            EXPECT_FALSE(lines.empty());

            FlashTemplate tmpl(name);
            tmpl.changeTmplTo(name, style);
            EXPECT_EQ(tmpl.styleName(), style.filename().string());
            for (const auto& [key, value] : lines) {
                const FlashTemplateProperty* p = declared.findProperty(key);
                ASSERT_TRUE(p) << "the preset names the unknown key " << key;
                EXPECT_TRUE(key != "pageWidth" && key != "pageHeight" && key != "languageSetting")
                    << key;
                expectAccepted(*p, value);
                if (value.find(kStyleResource) == std::string::npos)
                    continue;
                EXPECT_EQ(p->propertyType(), pt_file) << key << ": only file properties resolve";
                EXPECT_TRUE(value.starts_with(kStyleResource)) << key;
                const fs::path file = tmpl.propertyValueFor(key, "");
                EXPECT_TRUE(fs::is_regular_file(file)) << key << " names " << file;
                EXPECT_TRUE(acceptsExtension(*p, file.extension().string()))
                    << key << " filter rejects " << file;
            }
            EXPECT_NE(jpegSize(test::slurp(style / "shot.jpg")), Size{}) << "shot.jpg is no JPEG";
            for (const auto& entry : fs::directory_iterator(style))
                EXPECT_FALSE(entry.is_directory()) << entry.path();
            if (name != "Panoramic")
                continue;
            const Size front = jpegSize(test::slurp(style / "f.jpg"));
            EXPECT_EQ(front.first, front.second);
            EXPECT_GT(front.first, 0);
            for (const char* face : {"b.jpg", "d.jpg", "l.jpg", "r.jpg", "u.jpg"})
                EXPECT_EQ(jpegSize(test::slurp(style / face)), front) << face;
        }
    }
}

} // namespace
} // namespace zarvex
