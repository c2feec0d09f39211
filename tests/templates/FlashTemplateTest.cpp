#include "templates/FlashTemplate.h"

#include "TemplateFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::children;
using test::declaration;
using test::property;
using test::slurp;
using test::writeFile;

// "alpha": a group holding the page size, a file property and a nested group, with
// the key "dup" at three depths; pre-order meets Group/dup first, then Deep/dup,
// then the top-level dup.
std::string alphaDeclaration() {
    return declaration(property("Group", "", "type=\"pt_composite\"",
                                children(property("pageWidth", "540", "type=\"pt_number\"") +
                                         property("pageHeight", "720", "type=\"pt_number\"") +
                                         property("dup", "inner") +
                                         property("Logo", "logo.png", "type=\"pt_file\"") +
                                         property("Deep", "", "type=\"pt_composite\"",
                                                  children(property("dup", "deeper"))))) +
                       property("dup", "outer") + property("Text", "plain") +
                       property("languageSetting", "en", "type=\"pt_list\"") +
                       property("Show", "YES", "aType=\"\"") +
                       property("Background", "", "type=\"pt_file\""));
}

class FlashTemplateTest : public ::testing::Test {
protected:
    FlashTemplateTest() {
        res.addTemplate("alpha", alphaDeclaration());
        res.addTemplate(
            "beta", declaration(property("pageWidth", "100") + property("pageHeight", "200") +
                                    property("languageSetting", "fr") + property("Text", "beta") +
                                    property("Logo", "", "type=\"pt_file\""),
                                test::info("html\\page.html")));
        res.addTemplate("float", declaration(property("pageWidth", "960")));
    }

    // Every node's value by key and depth.
    static std::map<std::string, std::string> values(const FlashTemplate& tmpl) {
        std::map<std::string, std::string> out;
        for (const FlashTemplateProperty* node : tmpl.allProperties()) {
            int depth = 0;
            for (const FlashTemplateProperty* p = node->parent(); p; p = p->parent())
                ++depth;
            out[node->key().value_or("") + "@" + std::to_string(depth)] =
                node->value().value_or("<absent>");
        }
        return out;
    }

    test::TemplateResources res;
};

TEST_F(FlashTemplateTest, LoadReadsInfoAndTheTreeAndKeepsTheStyleName) {
    EXPECT_EQ(FlashTemplate().propertyValueFor("pageWidth", "?"), "960") << "float by default";
    FlashTemplate tmpl("alpha");
    EXPECT_FALSE(tmpl.loadError());
    EXPECT_EQ(tmpl.HTMLFilePath(), "index.html");
    EXPECT_EQ(tmpl.SWFFilePath(), "Main.swf");
    EXPECT_EQ(tmpl.defaultSytleName(), "Plain");
    EXPECT_EQ(tmpl.macAppFilesFolder(), "mac");
    EXPECT_EQ(tmpl.mobileTmplFilesPath(), "../TmplData/mobile/");
    std::vector<std::string> keys;
    for (const auto& node : tmpl.properties()) {
        keys.push_back(node->key().value_or(""));
        EXPECT_EQ(node->parent(), nullptr);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Group", "dup", "Text", "languageSetting", "Show",
                                              "Background"}));
    EXPECT_EQ(tmpl.allProperties().size(), 12u);

    tmpl.setStyleName("Blue");
    ASSERT_TRUE(tmpl.loadTemplate("beta"));
    EXPECT_EQ(tmpl.styleName(), "Blue");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "beta") << "no style applied";
}

// A declaration that cannot be read leaves the name, an empty tree and the
// previous info fields; one that is not well-formed is read leniently.
TEST_F(FlashTemplateTest, RejectedDeclarationsLeaveNameAndEmptyTree) {
    const std::string goodProps = property("k", "v") + property("j", "w");
    const std::string infoWithoutSwf =
        "<info><htmlPath>x.html</htmlPath><defaultStyle>d</defaultStyle>"
        "<macAppFilesFolder>m</macAppFilesFolder><mobileTmplFilesPath>p</mobileTmplFilesPath></"
        "info>";
    std::string noValue = property("broken", "v");
    noValue.erase(noValue.find("<value>"), std::string("<value>v</value>").size());
    std::string unclosed = declaration(goodProps);
    unclosed.erase(unclosed.rfind("</flashTemplate>"));

    const std::vector<std::tuple<std::string, std::optional<std::string>, std::size_t>> cases = {
        {"missing file", std::nullopt, 0},
        {"empty file", "", 0},
        {"not XML", "just some words, no markup", 0},
        {"no info", "<flashTemplate><properties>" + goodProps + "</properties></flashTemplate>", 0},
        {"info lacks swfPath", declaration(goodProps, infoWithoutSwf), 0},
        {"no properties", "<flashTemplate>" + test::info("x.html") + "</flashTemplate>", 0},
        {"property lacks value",
         declaration(goodProps + property("g", "", "", children(goodProps + noValue))), 0},
        {"unclosed root", unclosed, 2},
    };
    for (const auto& [what, text, count] : cases) {
        SCOPED_TRACE(what);
        fs::remove_all(res.templates() / "broken");
        if (text)
            res.addTemplate("broken", *text);
        FlashTemplate tmpl("alpha");
        EXPECT_EQ(tmpl.loadTemplate("broken"), count > 0);
        EXPECT_EQ(tmpl.tmplName(), "broken");
        EXPECT_EQ(tmpl.properties().size(), count);
        EXPECT_EQ(tmpl.loadError().has_value(), count == 0);
        EXPECT_EQ(tmpl.HTMLFilePath(), "index.html");
        EXPECT_EQ(tmpl.propertyValueFor("j", "default"), count ? "w" : "default");
    }
}

TEST_F(FlashTemplateTest, ListsOnlyTemplateAndStyleFoldersNotTheirContents) {
    fs::create_directories(res.templates() / "alpha/history/deeper");
    res.addStyle("alpha", "Blue", "");
    res.addStyle("alpha", "Green", "");
    fs::create_directories(res.styles() / "alpha/Blue/images");

    EXPECT_EQ(FlashTemplate::tmplNames(),
              (std::vector<fs::path>{res.templates() / "alpha", res.templates() / "beta",
                                     res.templates() / "float"}));
    EXPECT_EQ(FlashTemplate::tmplStyleNamesForTmpl("alpha"),
              (std::vector<fs::path>{res.styles() / "alpha/Blue", res.styles() / "alpha/Green"}));
    EXPECT_TRUE(FlashTemplate::tmplStyleNamesForTmpl("beta").empty());
}

// Keys match exactly; the whole-tree lookup takes the first in pre-order, the
// subtree lookup searches the node's descendants only.
TEST_F(FlashTemplateTest, LookupAndSetTakeTheFirstKeyInPreOrder) {
    FlashTemplate tmpl("alpha");
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "inner");
    for (const char* key : {"missing", "text", "Text "}) {
        EXPECT_EQ(tmpl.propertyValueFor(key, "fallback"), "fallback") << key;
    }
    tmpl.setPropertyValue("dup", "changed");
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "changed");
    EXPECT_EQ(tmpl.properties()[1]->value(), "outer");
    tmpl.setPropertyValue("missing", "x");
    EXPECT_EQ(tmpl.findProperty("missing"), nullptr);
    tmpl.findProperty("Text")->setValue(std::nullopt);
    EXPECT_EQ(tmpl.propertyValueFor("Text", "fallback"), "fallback");

    FlashTemplateProperty& deep = *tmpl.properties()[0]->childProperties()[4];
    EXPECT_EQ(tmpl.propertyValueFor(*tmpl.properties()[0], "dup"), "changed");
    EXPECT_EQ(tmpl.propertyValueFor(deep, "dup"), "deeper");
    EXPECT_EQ(tmpl.propertyValueFor(deep, "Deep"), std::nullopt) << "not itself";
    EXPECT_EQ(tmpl.propertyValueFor(deep, "Show"), std::nullopt);
    EXPECT_TRUE(tmpl.setPropertyValueAt(deep, "dup", "new"));
    EXPECT_EQ(deep.childProperties()[0]->value(), "new");
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "changed");
    EXPECT_FALSE(tmpl.setPropertyValueAt(deep, "Show", "x"));
    EXPECT_EQ(tmpl.propertyValueFor("Show", ""), "YES");
}

// "STYLE_RESOURCE:" names a file in the applied style's folder, for file
// properties only.
TEST_F(FlashTemplateTest, StyleResourceResolvesOnlyForFilePropertiesOfAStyledTemplate) {
    const std::string blue = (res.styles() / "alpha/Blue").string();
    const std::vector<std::tuple<bool, std::string, std::string, std::string>> cases = {
        {true, "Logo", "STYLE_RESOURCE:img/logo.png", blue + "/img/logo.png"},
        {true, "Background", "ignored/STYLE_RESOURCE:bg.jpg", blue + "/bg.jpg"},
        {true, "Text", "STYLE_RESOURCE:bg.jpg", "STYLE_RESOURCE:bg.jpg"},
        {true, "Background", "/home/me/picture.jpg", "/home/me/picture.jpg"},
        {false, "Logo", "STYLE_RESOURCE:bg.jpg", "STYLE_RESOURCE:bg.jpg"},
    };
    for (const auto& [styled, key, value, expected] : cases) {
        FlashTemplate tmpl("alpha");
        if (styled)
            tmpl.setStyleName("Blue");
        tmpl.setPropertyValue(key, value);
        EXPECT_EQ(tmpl.propertyValueFor(key, ""), expected) << key << "=" << value;
    }
}

// The settings text: "\n\r" before every node's line, in pre-order; line breaks
// in a key become "|||".
TEST_F(FlashTemplateTest, ExportWritesEveryNodeInPreOrder) {
    res.addTemplate("ab", declaration(property("a", "1", "", children(property("b", "")))));
    FlashTemplate ab("ab");
    ASSERT_TRUE(ab.exportPropertiesSettingsTo(res.root() / "ab.txt"));
    EXPECT_EQ(slurp(res.root() / "ab.txt"), "\n\ra=1\n\rb=");
    std::vector<std::string> lines;
    ab.exportPropertiesSettingsToArray(lines, ab.properties()[0].get());
    EXPECT_EQ(lines, std::vector<std::string>{"b="});

    FlashTemplate tmpl("alpha");
    tmpl.findProperty("Text")->setKey("Te\n\rxt");
    ASSERT_TRUE(tmpl.exportPropertiesSettingsTo(res.root() / "out.txt"));
    const std::string text = slurp(res.root() / "out.txt");
    EXPECT_NE(text.find("\n\rTe|||xt=plain"), std::string::npos);
    EXPECT_NE(text.find("\n\rGroup=\n\rpageWidth=540"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '='), 12);
    EXPECT_FALSE(tmpl.exportPropertiesSettingsTo(res.root() / "missing/out.txt"));
}

// A value as an export writes it (a line break, CR LF and LF CR included, as
// "|||"; backslashes as they are), and as the import of that export gives it back.
struct ValueCase {
    std::string value;
    std::string line;     // after "Text="
    std::string readBack; // the value after export and import
};

const ValueCase kValueCases[] = {
    {"plain", "plain", "plain"},
    {"", "", ""},
    {"x=y", "x=y", "x=y"},
    {" spaced ", " spaced ", " spaced "},
    {"ünïcödé €", "ünïcödé €", "ünïcödé €"},
    {"C:\\new\\bg.jpg", "C:\\new\\bg.jpg", "C:\\new\\bg.jpg"},
    {"a\\nb", "a\\nb", "a\\nb"},
    {"back\\", "back\\", "back\\"},
    {"\\\\server\\share", "\\\\server\\share", "\\\\server\\share"},
    // Looks like the backslash escapes of earlier exports; still read as written.
    {"\\\\server\\new", "\\\\server\\new", "\\\\server\\new"},
    {"two\nlines", "two|||lines", "two\nlines"},
    {"cr\r\nlf", "cr|||lf", "cr\nlf"},
    {"lf cr\n\r\n", "lf cr||||||", "lf cr\n\n"}, // a pair, then a single break
    {"a\rb\n\nc", "a|||b||||||c", "a\nb\n\nc"},
};

// Every node but the page size (those sharing the key "dup" included) gets the
// value of the case after its own number.
TEST_F(FlashTemplateTest, ExportThenImportReproducesEveryNode) {
    const auto fill = [](const FlashTemplate& tmpl, const std::string& value) {
        const auto nodes = tmpl.allProperties();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i]->key() != "pageWidth" && nodes[i]->key() != "pageHeight")
                nodes[i]->setValue(std::to_string(i) + ":" + value);
    };
    const fs::path file = res.root() / "settings.txt";
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.value);
        FlashTemplate source("alpha");
        fill(source, c.value);
        ASSERT_TRUE(source.exportPropertiesSettingsTo(file));
        const std::string text = slurp(file);
        EXPECT_NE(text.find("\n\rText=8:" + c.line + "\n\r"), std::string::npos);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\r'),
                  static_cast<long>(source.allProperties().size()) +
                      (text.starts_with("\n\r#") ? 1 : 0))
            << "a line break inside a value";

        FlashTemplate target("alpha");
        ASSERT_TRUE(target.importPropertiesSettingsFrom(file));
        fill(source, c.readBack);
        EXPECT_EQ(values(target), values(source));
    }
}

// What an import makes of the lines of a settings file: any line end, the key
// before the first "=", values as written (or with the backslash escapes of
// earlier exports undone), any text encoding; never the page size.
TEST_F(FlashTemplateTest, ImportReadsEveryLineAsWritten) {
    using Values = std::map<std::string, std::string>;
    const std::vector<std::tuple<const char*, std::optional<std::string>, Values>> cases = {
        {"LF CR", "\n\rText=t\n\rdup=d", {{"Text", "t"}, {"dup", "d"}}},
        {"CR LF", "Text=t\r\ndup=d\r\n", {{"Text", "t"}, {"dup", "d"}}},
        {"LF", "Text=t\ndup=\n", {{"Text", "t"}, {"dup", ""}}},
        {"first equals sign", "Text=y=z\nShow\n", {{"Text", "y=z"}, {"Show", "YES"}}},
        {"more lines than nodes", "Text=a\nText=b", {{"Text", "b"}}},
        {"page size",
         "\n\rpageWidth=1\n\rpageHeight=2",
         {{"pageWidth", "540"}, {"pageHeight", "720"}}},
        {"windows path", "Text=C:\\new\\road.jpg", {{"Text", "C:\\new\\road.jpg"}}},
        {"share", "Text=\\\\server\\share\\x.png", {{"Text", "\\\\server\\share\\x.png"}}},
        {"trailing backslash", "Text=ends with \\", {{"Text", "ends with \\"}}},
        {"doubled then trailing backslash", "Text=\\\\ends \\", {{"Text", "\\\\ends \\"}}},
        {"line break mark", "Text=two|||lines", {{"Text", "two\nlines"}}},
        // Earlier exports wrote "\\" for a backslash, "\n" for LF and "\r" for CR.
        {"escaped path",
         "Text=C:\\\\new\\\\bg.jpg\n\rdup=x",
         {{"Text", "C:\\new\\bg.jpg"}, {"dup", "x"}}},
        {"escaped line break",
         "Text=two\\nlines\ndup=\\\\",
         {{"Text", "two\nlines"}, {"dup", "\\"}}},
        {"escapes and mark",
         "Text=a\\r\\nb|||c\ndup=d:\\\\",
         {{"Text", "a\r\nb|||c"}, {"dup", "d:\\"}}},
        {"UTF-16", std::string("\xFF\xFET\0e\0x\0t\0=\0\xE9\0", 14), {{"Text", "\xC3\xA9"}}},
        {"ISO 8859-1", "Text=caf\xE9", {{"Text", "caf\xC3\xA9"}}},
        {"UTF-8 with mark", "\xEF\xBB\xBFText=ok", {{"Text", "ok"}}},
        {"missing file", std::nullopt, {{"Text", "plain"}}},
    };
    const fs::path file = res.root() / "in.txt";
    for (const auto& [what, bytes, expected] : cases) {
        SCOPED_TRACE(what);
        fs::remove(file);
        if (bytes)
            writeFile(file, *bytes);
        FlashTemplate tmpl("alpha");
        EXPECT_EQ(tmpl.importPropertiesSettingsFrom(file), bytes.has_value());
        for (const auto& [key, value] : expected) {
            EXPECT_EQ(tmpl.propertyValueFor(key, "?"), value) << key;
        }
    }
}

TEST_F(FlashTemplateTest, StyleAppliesOverCurrentValuesAndResolvesIntoItsFolder) {
    res.addStyle("alpha", "Blue", "\n\rLogo=STYLE_RESOURCE:logo.png\n\rdup=styled\n\rpageWidth=1");
    FlashTemplate tmpl("alpha");
    tmpl.setPropertyValue("Text", "mine");
    tmpl.loadStyleByStyleName("Blue");
    EXPECT_EQ(tmpl.styleName(), "Blue");
    EXPECT_EQ(tmpl.propertyValueFor("Logo", ""), (res.styles() / "alpha/Blue/logo.png").string());
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "styled");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "mine");
    EXPECT_EQ(tmpl.propertyValueFor("pageWidth", ""), "540");
}

TEST_F(FlashTemplateTest, ChangeTemplateKeepsPageSizeAndLanguage) {
    const fs::path red =
        res.addStyle("beta", "Red",
                     "\n\rpageWidth=1\n\rpageHeight=2\n\rlanguageSetting=de\n\rText=red\n\r"
                     "Logo=STYLE_RESOURCE:logo.png");
    FlashTemplate tmpl("alpha");
    tmpl.setPropertyValue("pageWidth", "612");
    tmpl.setPropertyValue("pageHeight", "792");
    tmpl.setPropertyValue("languageSetting", "it");

    tmpl.changeTmplTo("beta", red);
    EXPECT_EQ(tmpl.tmplName(), "beta");
    EXPECT_EQ(tmpl.styleName(), "Red");
    EXPECT_EQ(values(tmpl),
              (std::map<std::string, std::string>{{"pageWidth@0", "612"},
                                                  {"pageHeight@0", "792"},
                                                  {"languageSetting@0", "it"},
                                                  {"Text@0", "red"},
                                                  {"Logo@0", (red / "logo.png").string()}}));
}

// A copy replaces its destination whole (the book writer's copies are checked
// with the book folder); a missing source leaves no destination.
TEST_F(FlashTemplateTest, CopiesReplaceTheDestinationAndAMissingSourceLeavesNone) {
    writeFile(res.templates() / "alpha/history/history.js", "history");
    const fs::path out = res.root() / "out";
    FlashTemplate tmpl("alpha");
    writeFile(out / "history/stale.js", "stale");
    EXPECT_TRUE(tmpl.copyHistoryDirToDir(out / "history"));
    EXPECT_EQ(test::listFolder(out / "history"), std::vector<std::string>{"history.js"});
    writeFile(out / "playerProductInstall.swf", "old");
    EXPECT_FALSE(tmpl.copyElseSWFToFile(out / "playerProductInstall.swf"));
    EXPECT_FALSE(fs::exists(out / "playerProductInstall.swf"));
}

// The HTML page template is looked up with "\" read as "/", in the template's
// folder first, then in the shared one; the mobile folder is relative to the
// templates folder.
TEST_F(FlashTemplateTest, PageTemplatesAreFoundWhereTheDeclarationSays) {
    FlashTemplate tmpl("beta"); // htmlPath html\page.html
    EXPECT_EQ(tmpl.tmplHTMLFilePath(), std::nullopt);
    writeFile(res.root() / "AppFiles/html/page.html", "shared");
    EXPECT_EQ(tmpl.tmplHTMLFilePath(), res.root() / "AppFiles/html/page.html");
    writeFile(res.templates() / "beta/html/page.html", "own");
    EXPECT_EQ(tmpl.tmplHTMLFilePath(), res.templates() / "beta/html/page.html");

    EXPECT_EQ(
        FlashTemplate("alpha").GetPreviewMobileFilePath(),
        fs::path(res.templates().string() + "/../TmplData/mobile/Flip/javascript/main_preview.js"));
}

} // namespace
} // namespace zarvex
