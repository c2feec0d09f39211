// Data-level checks of the shipped template library and demo book: the files the
// application reads (declarations, presets) are well-formed and agree with each other,
// and every picture a preset or the launch names is there, in the form its reader needs.
#include "base/Resources.h"
#include "base/Xml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using zarvex::xml::Document;
using zarvex::xml::Node;

namespace {

struct Property {
    std::string type;
    std::string key;
    std::string value;
    std::string valueSource;
    int depth = 0;
};

struct Size {
    int width = 0;
    int height = 0;
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

// Pixel size from a JPEG's start-of-frame segment; absent when the bytes are no JPEG.
std::optional<Size> jpegSize(const fs::path& file) {
    const std::string b = slurp(file);
    auto byte = [&](size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return std::nullopt;
    size_t i = 2;
    while (i + 9 < b.size()) {
        if (byte(i) != 0xFF)
            return std::nullopt;
        const unsigned marker = byte(i + 1);
        const size_t length = (byte(i + 2) << 8) | byte(i + 3);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return Size{(byte(i + 7) << 8) | byte(i + 8), (byte(i + 5) << 8) | byte(i + 6)};
        i += 2 + length;
    }
    return std::nullopt;
}

std::optional<Size> pngSize(const fs::path& file) {
    const std::string b = slurp(file);
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

void collect(const Node& element, int depth, std::vector<Property>& out) {
    Property p;
    p.type = element.attributeOr("type", "");
    p.key = element.child("key").text();
    p.value = element.child("value").text();
    p.valueSource = element.child("valueSource").text();
    p.depth = depth;
    out.push_back(p);
    if (auto kids = element.child("childProperties"))
        for (const Node& child : kids.children())
            if (child.name() == "property")
                collect(child, depth + 1, out);
}

fs::path templatesFolder() {
    return zarvex::resourcePath("AppFiles/Templates");
}
fs::path stylesFolder() {
    return zarvex::resourcePath("AppFiles/Styles");
}

// Template folders are the direct sub-folders that hold a declaration file.
std::vector<std::string> templateNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(templatesFolder()))
        if (entry.is_directory() && fs::exists(entry.path() / "flashTemplate.xml"))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<fs::path> styleFolders(const std::string& templateName) {
    std::vector<fs::path> folders;
    const fs::path root = stylesFolder() / templateName;
    if (!fs::is_directory(root))
        return folders;
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.is_directory())
            folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders;
}

struct Declaration {
    std::map<std::string, std::string> info;
    std::vector<Property> properties;
    std::vector<std::string> topLevelTypes;

    const Property* find(const std::string& key) const {
        for (const auto& p : properties)
            if (p.key == key)
                return &p;
        return nullptr;
    }
};

Declaration loadDeclaration(const std::string& templateName) {
    Declaration d;
    std::string error;
    const auto doc = Document::parseFile(templatesFolder() / templateName / "flashTemplate.xml",
                                         zarvex::xml::ParseMode::Strict, &error);
    EXPECT_TRUE(doc) << templateName << ": " << error;
    if (!doc)
        return d;
    const Node info = doc->root().child("info");
    for (const char* name :
         {"htmlPath", "swfPath", "defaultStyle", "macAppFilesFolder", "mobileTmplFilesPath"}) {
        const Node n = info.child(name);
        EXPECT_TRUE(n) << templateName << " lacks info/" << name;
        if (n)
            d.info[name] = n.text();
    }
    const Node properties = doc->root().child("properties");
    EXPECT_TRUE(properties) << templateName;
    if (!properties)
        return d;
    for (const Node& element : properties.children()) {
        if (element.name() != "property")
            continue;
        d.topLevelTypes.push_back(element.attributeOr("type", ""));
        collect(element, 0, d.properties);
    }
    return d;
}

// The settings text as the application reads it: split at LF, CR removed anywhere,
// key before the first "=".
std::vector<std::pair<std::string, std::string>> readSettings(const fs::path& file) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::string line : split(slurp(file), '\n')) {
        std::erase(line, '\r');
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

bool acceptsExtension(const std::string& filter, const std::string& extension) {
    const auto bar = filter.find('|');
    if (bar == std::string::npos)
        return false;
    for (const auto& pattern : split(filter.substr(bar + 1), ';'))
        if (pattern == "*" + extension)
            return true;
    return false;
}

const std::set<std::string> kTypeNames = {"pt_text",
                                          "pt_number",
                                          "pt_color",
                                          "pt_list",
                                          "pt_composite",
                                          "pt_file",
                                          "pt_list_fromFunction",
                                          "pt_form_security",
                                          "pt_font",
                                          "pt_form_contactabout",
                                          "pt_bool"};

// Keys compared with "Yes" exactly by the book configuration, or passed to the players.
const std::vector<std::string> kYesNoKeys = {"ShowLogo", "LoopSound", "PlayFlipSound", "AutoScale",
                                             "Enable"};
const std::vector<std::string> kButtonKeys = {"Zoom", "TiltAngle", "AutoPlay",  "BackgroundSound",
                                              "Info", "Bookmark",  "Thumbnail", "FullScreen",
                                              "Help", "Share",     "Print",     "Download"};
const std::vector<std::string> kColourKeys = {"BaseColor", "Color", "GradientStartColor",
                                              "GradientEndColor"};
const std::vector<std::string> kFileKeys = {"LogoFile", "SoundFile", "DownloadFile", "ImagePath"};
const std::vector<std::string> kOtherKeys = {
    "AuthorName",    "AuthorEmail",      "AuthorWebSite", "AuthorInfo",
    "Title",         "bookTitle",        "LogoLink",      "link",
    "GoogleID",      "GoogleAnalytics",  "ShareID",       "BackgroundType",
    "GradientAngle", "BgType",           "ImgPosition",   "Interval",
    "loop",          "PerPageThickness", "direction",     "pageWidth",
    "pageHeight",    "languageSetting"};
const std::regex kColour("0x[0-9a-f]{6}");

bool listHolds(const Property& p, const std::string& value) {
    const auto items = split(p.valueSource, ',');
    return std::find(items.begin(), items.end(), value) != items.end();
}

} // namespace

TEST(ShippedTemplates, IncludeTheDefaultAndThePanoramicTemplate) {
    const auto names = templateNames();
    EXPECT_GE(names.size(), 4u);
    EXPECT_NE(std::find(names.begin(), names.end(), "float"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Panoramic"), names.end());
}

TEST(ShippedTemplates, DeclareEveryKeyTheWritersReadInTheFormTheyCompare) {
    for (const auto& name : templateNames()) {
        SCOPED_TRACE(name);
        const Declaration d = loadDeclaration(name);

        std::set<std::string> seen;
        for (const auto& p : d.properties) {
            EXPECT_TRUE(kTypeNames.count(p.type)) << p.key << " has type " << p.type;
            EXPECT_FALSE(p.key.empty());
            EXPECT_TRUE(seen.insert(p.key).second) << "key declared twice: " << p.key;
            if (p.type == "pt_list") {
                EXPECT_TRUE(listHolds(p, p.value)) << p.key << "=" << p.value;
            }
        }
        for (const auto& type : d.topLevelTypes)
            EXPECT_EQ(type, "pt_composite") << "top-level settings are grouped";

        for (const auto& key : kYesNoKeys) {
            const Property* p = d.find(key);
            ASSERT_NE(p, nullptr) << key;
            EXPECT_EQ(p->type, "pt_list") << key;
            EXPECT_EQ(p->valueSource, "Yes,No") << key;
        }
        for (const auto& key : kButtonKeys) {
            const Property* p = d.find(key);
            ASSERT_NE(p, nullptr) << key;
            EXPECT_EQ(p->type, "pt_list") << key;
            EXPECT_EQ(p->valueSource, "Show,Hide") << key;
        }
        for (const auto& key : kColourKeys) {
            const Property* p = d.find(key);
            ASSERT_NE(p, nullptr) << key;
            EXPECT_EQ(p->type, "pt_color") << key;
            EXPECT_TRUE(std::regex_match(p->value, kColour)) << key << "=" << p->value;
        }
        for (const auto& key : kFileKeys) {
            const Property* p = d.find(key);
            ASSERT_NE(p, nullptr) << key;
            EXPECT_EQ(p->type, "pt_file") << key;
            // A declared path could not resolve before a style is applied.
            EXPECT_EQ(p->value, "") << key;
            EXPECT_TRUE(std::regex_match(p->valueSource,
                                         std::regex(R"([^|]+\|\*\.[a-z0-9]+(;\*\.[a-z0-9]+)*)")))
                << key << " filter " << p->valueSource;
        }
        for (const auto& key : kOtherKeys)
            EXPECT_NE(d.find(key), nullptr) << key;
        EXPECT_TRUE(acceptsExtension(d.find("LogoFile")->valueSource, ".png"));
        EXPECT_TRUE(acceptsExtension(d.find("ImagePath")->valueSource, ".jpg"));
    }
}

TEST(ShippedTemplates, NamePagesAndPlayersThatExist) {
    for (const auto& name : templateNames()) {
        SCOPED_TRACE(name);
        const Declaration d = loadDeclaration(name);
        const fs::path folder = templatesFolder() / name;
        const std::string html = d.info.count("htmlPath") ? d.info.at("htmlPath") : "";
        EXPECT_TRUE(fs::is_regular_file(folder / html) ||
                    fs::is_regular_file(zarvex::resourcePath("AppFiles") / html))
            << "htmlPath " << html;
        const std::string mobile =
            d.info.count("mobileTmplFilesPath") ? d.info.at("mobileTmplFilesPath") : "";
        // The mobile path is relative to the templates folder, not to the template's own.
        EXPECT_TRUE(
            fs::is_regular_file(templatesFolder() / mobile / "Flip/javascript/main_preview.js"))
            << "mobileTmplFilesPath " << mobile;

        const auto icon = pngSize(folder / "icon.png");
        ASSERT_TRUE(icon) << "icon.png is no PNG";
        EXPECT_EQ(icon->width, icon->height);
        EXPECT_GE(icon->width, 32);
    }
}

TEST(ShippedStyles, PresetsSetOnlyDeclaredKeysWithValuesTheirPropertiesAccept) {
    for (const auto& name : templateNames()) {
        SCOPED_TRACE(name);
        const Declaration d = loadDeclaration(name);
        const auto folders = styleFolders(name);
        EXPECT_GE(folders.size(), 3u);
        const bool hasDefault = std::any_of(folders.begin(), folders.end(), [&](const fs::path& f) {
            return d.info.count("defaultStyle") && f.filename() == d.info.at("defaultStyle");
        });
        EXPECT_TRUE(hasDefault) << "defaultStyle names no style folder";

        for (const auto& folder : folders) {
            SCOPED_TRACE(folder.filename().string());
            const fs::path settings = folder / "tmplSetting.txt";
            ASSERT_TRUE(fs::is_regular_file(settings));
            const std::string text = slurp(settings);
            EXPECT_EQ(text.rfind("\n\r", 0), 0u) << "written as the application writes settings";
            EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF");

            const auto lines = readSettings(settings);
            EXPECT_FALSE(lines.empty());
            for (const auto& [key, value] : lines) {
                const Property* p = d.find(key);
                ASSERT_NE(p, nullptr) << "preset key not declared: " << key;
                EXPECT_NE(key, "pageWidth");
                EXPECT_NE(key, "pageHeight");
                EXPECT_NE(key, "languageSetting");
                if (p->type == "pt_list") {
                    EXPECT_TRUE(listHolds(*p, value)) << key << "=" << value;
                }
                if (p->type == "pt_color") {
                    EXPECT_TRUE(std::regex_match(value, kColour)) << key << "=" << value;
                }
                const std::string marker = "STYLE_RESOURCE:";
                if (value.find(marker) != std::string::npos) {
                    EXPECT_EQ(p->type, "pt_file") << key << " only file properties resolve";
                    EXPECT_EQ(value.rfind(marker, 0), 0u) << key;
                    const fs::path file = folder / value.substr(marker.size());
                    EXPECT_TRUE(fs::is_regular_file(file)) << key << " names " << file;
                    EXPECT_TRUE(acceptsExtension(p->valueSource, file.extension().string()))
                        << key << " filter rejects " << file;
                }
            }
        }
    }
}

TEST(ShippedStyles, CarryAPreviewAndNoSubFolders) {
    for (const auto& name : templateNames()) {
        for (const auto& folder : styleFolders(name)) {
            SCOPED_TRACE(name + "/" + folder.filename().string());
            EXPECT_TRUE(jpegSize(folder / "shot.jpg")) << "shot.jpg is no JPEG";
            // The style listing descends into nested folders; one would show as a style.
            for (const auto& entry : fs::directory_iterator(folder))
                EXPECT_FALSE(entry.is_directory()) << entry.path();
        }
    }
}

TEST(ShippedStyles, PanoramicStylesCarryTheSixSquareCubeFaces) {
    const auto folders = styleFolders("Panoramic");
    ASSERT_FALSE(folders.empty());
    for (const auto& folder : folders) {
        SCOPED_TRACE(folder.filename().string());
        std::optional<Size> first;
        for (const char* face : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}) {
            const auto size = jpegSize(folder / face);
            ASSERT_TRUE(size) << face;
            EXPECT_EQ(size->width, size->height) << face;
            if (!first)
                first = size;
            EXPECT_EQ(size->width, first->width) << face;
        }
    }
}

TEST(DemoBook, PagesAreJpegsOfTheStartPageSizeNamedInReadingOrder) {
    const fs::path folder = zarvex::resourcePath("DemoImgs_standard/large");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".jpg")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_GE(names.size(), 8u);
    EXPECT_LE(names.size(), 12u);
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        // A plain sort and a numeric sort agree only when the numbers have equal width.
        EXPECT_EQ(std::stoi(names[i]), static_cast<int>(i + 1));
        EXPECT_EQ(names[i].size(), names.front().size());
        const auto size = jpegSize(folder / names[i]);
        ASSERT_TRUE(size);
        EXPECT_EQ(size->width, 1080);
        EXPECT_EQ(size->height, 1440);
    }
}

TEST(ShippedPictures, StaySmall) {
    std::uintmax_t total = 0;
    for (const fs::path& root : {stylesFolder(), zarvex::resourcePath("DemoImgs_standard")})
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                total += entry.file_size();
    for (const auto& name : templateNames())
        total += fs::file_size(templatesFolder() / name / "icon.png");
    EXPECT_LT(total, 6u * 1024 * 1024);
}
