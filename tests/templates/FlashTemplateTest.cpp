// The template model over hand-made declarations and styles in a private resource
// folder, so that it does not depend on the shipped library.
#include "templates/FlashTemplate.h"

#include "base/Xml.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::slurp;
using test::writeFile;
using Strings = std::vector<std::string>;

// One property element. `extra` is placed inside the element after the six
// required children; `attributes` goes into the tag.
std::string property(const std::string& key, const std::string& value,
                     const std::string& attributes = "type=\"pt_text\"",
                     const std::string& extra = "") {
    return "<property " + attributes + "><key>" + key + "</key><title>" + key +
           " title</title><desc>" + key + " help</desc><value>" + value +
           "</value><valueSource></valueSource><defaultValue>" + value + "</defaultValue>" + extra +
           "</property>";
}

std::string children(const std::string& properties) {
    return "<childProperties>" + properties + "</childProperties>";
}

std::string info(const std::string& htmlPath = "index.html") {
    return "<info><htmlPath>" + htmlPath +
           "</htmlPath><swfPath>Main.swf</swfPath><defaultStyle>Plain</defaultStyle>"
           "<macAppFilesFolder>mac</macAppFilesFolder>"
           "<mobileTmplFilesPath>../TmplData/mobile/</mobileTmplFilesPath></info>";
}

std::string declaration(const std::string& properties, const std::string& infoElement = info()) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<flashTemplate>" + infoElement +
           "<properties>" + properties + "</properties></flashTemplate>\n";
}

// `text` without its first `element`, tags and content.
std::string without(std::string text, const std::string& element) {
    const auto from = text.find("<" + element + ">");
    return text.erase(from, text.find("</" + element + ">") + element.size() + 3 - from);
}

// Parses `text` and loads the root element into a fresh node.
struct Loaded {
    explicit Loaded(const std::string& text)
        : document(xml::Document::parse(text).value()),
          ok(node.loadFromNode(document.root(), &error)) {}
    xml::Document document;
    FlashTemplateProperty node;
    std::string error;
    bool ok;
};

// The type attribute names a type exactly (the codes are stored in settings and
// compared by the writers); an unknown name is text, and the aType attribute
// makes any property a switch, which takes four words in any case, untrimmed.
TEST(FlashTemplatePropertyLoad, TypesAreNamedExactlyAndSwitchesTakeFourWords) {
    const std::pair<std::string, std::int32_t> cases[] = {{"type=\"PT_BOOL\"", pt_text},
                                                          {"type=\"pt_bool \"", pt_text},
                                                          {"type=\"pt_color\"", pt_color},
                                                          {"type=\"pt_file\" aType=\"\"", pt_bool}};
    for (const auto& [attributes, expected] : cases)
        EXPECT_EQ(Loaded(property("k", "v", attributes)).node.propertyType(), expected)
            << attributes;
    for (const char* yes : {"YES", "sHoW", "enable", "True"})
        EXPECT_TRUE(FlashTemplateProperty::valueAsBool(yes)) << yes;
    for (const char* no : {"1", "ENABLED", " YES", "Hide"})
        EXPECT_FALSE(FlashTemplateProperty::valueAsBool(no)) << no;
}

// Every field as written (white space, line breaks and CDATA kept, the first of
// a repeated element), and children from the direct properties of the first
// childProperties only. A rejected element (not a property, or lacking a
// required element anywhere in its subtree) leaves nothing of itself.
TEST(FlashTemplatePropertyLoad, ReadsEveryFieldAndRejectsAMissingRequiredElementAnywhere) {
    const std::string value = "\n    first line\n      second &amp; <![CDATA[<b>raw</b>]]>\n  ";
    Loaded loaded(property(
        " root ", value, "type=\"pt_composite\"",
        "<aTitle>Show it</aTitle><key>second</key><value>2</value><childProperties>" +
            property("a", "1") +
            property("b", "2", "type=\"pt_composite\"", children(property("c", "3"))) + "<group>" +
            property("hidden", "x") + "</group><note>text</note></childProperties>" +
            children(property("second", "2")) + property("stray", "s")));
    ASSERT_TRUE(loaded.ok);
    const FlashTemplateProperty& root = loaded.node;
    const std::string read = "\n    first line\n      second & <b>raw</b>\n  ";
    EXPECT_EQ(std::make_tuple(root.key(), root.title(), root.desc(), root.value(),
                              root.valueSource(), root.defaultValue(), root.aTitle()),
              std::make_tuple(" root ", " root  title", " root  help", read, "", read, "Show it"));
    ASSERT_EQ(root.childCount(), 2u);
    EXPECT_EQ(root.childProperties()[0]->aTitle(), "") << "a missing aTitle is empty text";
    const FlashTemplateProperty& b = *root.childProperties()[1];
    ASSERT_EQ(b.childCount(), 1u);
    EXPECT_EQ(std::tuple(b.childProperties()[0]->key(), b.childProperties()[0]->parent()),
              std::tuple("c", &b));

    for (const char* element : {"key", "title", "desc", "value", "valueSource", "defaultValue"}) {
        Loaded outer(
            property("outer", "o", "type=\"pt_composite\"",
                     children(property("ok", "1") + without(property("i", "v"), element))));
        EXPECT_EQ(std::tuple(outer.ok, outer.node.key(), outer.node.value(),
                             outer.node.childCount(),
                             outer.error.find(element) != std::string::npos),
                  std::tuple(false, std::nullopt, std::nullopt, 0u, true))
            << outer.error;
    }
    Loaded item("<item><key>k</key><title>t</title><desc/><value/><valueSource/>"
                "<defaultValue/></item>");
    EXPECT_EQ(std::tuple(item.ok, item.node.title(), item.node.key()),
              std::tuple(false, "Empty", std::nullopt));
    FlashTemplateProperty node;
    EXPECT_FALSE(node.loadFromNode(xml::Node()));
}

// A private resource folder (ZARVEX_RESOURCES) and home with three templates:
// "alpha", a group holding the page size, a file property and a nested group,
// with the key "dup" at three depths (pre-order meets Group/dup first, then
// Deep/dup, then the top-level dup); "beta", flat, with its page template in a
// sub-folder; "float", the default.
class FlashTemplateTest : public ::testing::Test {
protected:
    FlashTemplateTest() {
        addTemplate(
            "alpha",
            declaration(property("Group", "", "type=\"pt_composite\"",
                                 children(property("pageWidth", "540", "type=\"pt_number\"") +
                                          property("pageHeight", "720", "type=\"pt_number\"") +
                                          property("dup", "inner") +
                                          property("Logo", "logo.png", "type=\"pt_file\"") +
                                          property("Deep", "", "type=\"pt_composite\"",
                                                   children(property("dup", "deeper"))))) +
                        property("dup", "outer") + property("Text", "plain") +
                        property("languageSetting", "en", "type=\"pt_list\"") +
                        property("Show", "YES", "aType=\"\"") +
                        property("Background", "", "type=\"pt_file\"")));
        addTemplate("beta",
                    declaration(property("pageWidth", "100") + property("pageHeight", "200") +
                                    property("languageSetting", "fr") + property("Text", "beta") +
                                    property("Logo", "", "type=\"pt_file\""),
                                info("html\\page.html")));
        addTemplate("float", declaration(property("pageWidth", "960")));
    }

    const fs::path& root() const { return resources.path(); }
    fs::path templates() const { return root() / "AppFiles/Templates"; }
    fs::path styles() const { return root() / "AppFiles/Styles"; }
    void addTemplate(const std::string& name, const std::string& text) const {
        writeFile(templates() / name / "flashTemplate.xml", text);
    }
    // A style folder with its preset; returns the folder.
    fs::path addStyle(const std::string& tmpl, const std::string& style,
                      const std::string& preset) const {
        writeFile(styles() / tmpl / style / "tmplSetting.txt", preset);
        return styles() / tmpl / style;
    }

    // Every node as "key@depth=value", in pre-order.
    static Strings values(const FlashTemplate& tmpl) {
        Strings out;
        for (const FlashTemplateProperty* node : tmpl.allProperties()) {
            int depth = 0;
            for (const FlashTemplateProperty* p = node->parent(); p; p = p->parent())
                ++depth;
            out.push_back(node->key().value_or("") + "@" + std::to_string(depth) + "=" +
                          node->value().value_or("<absent>"));
        }
        return out;
    }

    test::TempHome home;
    test::TempDir resources{"zarvex-res"};
    test::ScopedEnv env{"ZARVEX_RESOURCES", resources.path().string()};
};

TEST_F(FlashTemplateTest, LoadReadsInfoAndTheTreeAndKeepsTheStyleName) {
    EXPECT_EQ(FlashTemplate().propertyValueFor("pageWidth", "?"), "960") << "float by default";
    FlashTemplate tmpl("alpha");
    EXPECT_EQ(std::make_tuple(tmpl.HTMLFilePath(), tmpl.SWFFilePath(), tmpl.defaultSytleName(),
                              tmpl.macAppFilesFolder(), tmpl.mobileTmplFilesPath()),
              std::make_tuple("index.html", "Main.swf", "Plain", "mac", "../TmplData/mobile/"));
    EXPECT_EQ(values(tmpl),
              (Strings{"Group@0=", "pageWidth@1=540", "pageHeight@1=720", "dup@1=inner",
                       "Logo@1=logo.png", "Deep@1=", "dup@2=deeper", "dup@0=outer", "Text@0=plain",
                       "languageSetting@0=en", "Show@0=YES", "Background@0="}));

    tmpl.setStyleName("Blue");
    ASSERT_TRUE(tmpl.loadTemplate("beta"));
    EXPECT_EQ(tmpl.styleName(), "Blue");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "beta") << "no style applied";
}

// A declaration that cannot be read leaves the name, an empty tree and the
// previous info fields; one that is not well-formed is read leniently.
TEST_F(FlashTemplateTest, RejectedDeclarationsLeaveNameAndEmptyTree) {
    const std::string goodProps = property("k", "v") + property("j", "w");
    std::string unclosed = declaration(goodProps);
    unclosed.erase(unclosed.rfind("</flashTemplate>"));
    const std::string noValue = without(property("broken", "v"), "value");
    const std::vector<std::tuple<std::string, std::optional<std::string>, std::size_t>> cases = {
        {"missing file", std::nullopt, 0},
        {"empty file", "", 0},
        {"not XML", "just some words, no markup", 0},
        {"no info", "<flashTemplate><properties>" + goodProps + "</properties></flashTemplate>", 0},
        {"info lacks swfPath", declaration(goodProps, without(info("x.html"), "swfPath")), 0},
        {"no properties", "<flashTemplate>" + info("x.html") + "</flashTemplate>", 0},
        {"property lacks value",
         declaration(goodProps + property("g", "", "", children(goodProps + noValue))), 0},
        {"unclosed root", unclosed, 2},
    };
    for (const auto& [what, text, count] : cases) {
        SCOPED_TRACE(what);
        fs::remove_all(templates() / "broken");
        if (text)
            addTemplate("broken", *text);
        FlashTemplate tmpl("alpha");
        const bool loaded = tmpl.loadTemplate("broken");
        EXPECT_EQ(std::make_tuple(loaded, tmpl.tmplName(), tmpl.properties().size(),
                                  tmpl.loadError().has_value(), tmpl.HTMLFilePath(),
                                  tmpl.propertyValueFor("j", "default")),
                  std::make_tuple(count > 0, "broken", count, count == 0, "index.html",
                                  count ? "w" : "default"));
    }
}

TEST_F(FlashTemplateTest, ListsOnlyTemplateAndStyleFoldersNotTheirContents) {
    fs::create_directories(templates() / "alpha/history/deeper");
    addStyle("alpha", "Blue", "");
    addStyle("alpha", "Green", "");
    fs::create_directories(styles() / "alpha/Blue/images");
    EXPECT_EQ(FlashTemplate::tmplNames(),
              (std::vector<fs::path>{templates() / "alpha", templates() / "beta",
                                     templates() / "float"}));
    EXPECT_EQ(FlashTemplate::tmplStyleNamesForTmpl("alpha"),
              (std::vector<fs::path>{styles() / "alpha/Blue", styles() / "alpha/Green"}));
    EXPECT_TRUE(FlashTemplate::tmplStyleNamesForTmpl("beta").empty());
}

// Keys match exactly; the whole-tree lookup takes the first in pre-order, the
// subtree lookup searches the node's descendants only.
TEST_F(FlashTemplateTest, LookupAndSetTakeTheFirstKeyInPreOrderAndResolveStyleResources) {
    FlashTemplate tmpl("alpha");
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "inner");
    for (const char* key : {"missing", "text", "Text "})
        EXPECT_EQ(tmpl.propertyValueFor(key, "fallback"), "fallback") << key;
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

    // "STYLE_RESOURCE:" names a file in the applied style's folder, for file properties only.
    const std::string blue = (styles() / "alpha/Blue").string();
    const std::vector<std::tuple<bool, std::string, std::string, std::string>> cases = {
        {true, "Logo", "STYLE_RESOURCE:img/logo.png", blue + "/img/logo.png"},
        {true, "Background", "ignored/STYLE_RESOURCE:bg.jpg", blue + "/bg.jpg"},
        {true, "Text", "STYLE_RESOURCE:bg.jpg", "STYLE_RESOURCE:bg.jpg"},
        {true, "Background", "/home/me/picture.jpg", "/home/me/picture.jpg"},
        {false, "Logo", "STYLE_RESOURCE:bg.jpg", "STYLE_RESOURCE:bg.jpg"},
    };
    for (const auto& [styled, key, value, expected] : cases) {
        FlashTemplate styledTmpl("alpha");
        if (styled)
            styledTmpl.setStyleName("Blue");
        styledTmpl.setPropertyValue(key, value);
        EXPECT_EQ(styledTmpl.propertyValueFor(key, ""), expected) << key << "=" << value;
    }
}

// A value as an export writes it (a line break, CR LF and LF CR included, as
// "|||"; backslashes as they are), and as the import of that export gives it back.
struct ValueCase {
    std::string value;
    std::string line;     // after "Text="
    std::string readBack; // the value after export and import
};

const ValueCase kValueCases[] = {
    {"", "", ""},
    {" spaced ", " spaced ", " spaced "},
    {"ünïcödé €", "ünïcödé €", "ünïcödé €"},
    {"back\\", "back\\", "back\\"},
    // Looks like the backslash escapes of earlier exports; still read as written.
    {"\\\\server\\new", "\\\\server\\new", "\\\\server\\new"},
    {"two\nlines", "two|||lines", "two\nlines"},
    {"cr\r\nlf", "cr|||lf", "cr\nlf"},
    {"lf cr\n\r\n", "lf cr||||||", "lf cr\n\n"}, // a pair, then a single break
    {"a\rb\n\nc", "a|||b||||||c", "a\nb\n\nc"},
};

// Every node but the page size (those sharing the key "dup" included) gets the
// value of the case after its own number. The settings text has "\n\r" before
// every node's line, in pre-order; line breaks in a key become "|||".
TEST_F(FlashTemplateTest, ExportWritesEveryNodeInPreOrderAndImportReproducesIt) {
    addTemplate("ab", declaration(property("a", "1", "", children(property("b", "")))));
    FlashTemplate ab("ab");
    ab.findProperty("b")->setKey("b\n\rc");
    ASSERT_TRUE(ab.exportPropertiesSettingsTo(root() / "ab.txt"));
    EXPECT_EQ(slurp(root() / "ab.txt"), "\n\ra=1\n\rb|||c=");
    Strings lines;
    ab.exportPropertiesSettingsToArray(lines, ab.properties()[0].get());
    EXPECT_EQ(lines, Strings{"b|||c="});
    EXPECT_FALSE(ab.exportPropertiesSettingsTo(root() / "missing/out.txt"));

    const auto fill = [](const FlashTemplate& tmpl, const std::string& value) {
        const auto nodes = tmpl.allProperties();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i]->key() != "pageWidth" && nodes[i]->key() != "pageHeight")
                nodes[i]->setValue(std::to_string(i) + ":" + value);
    };
    const fs::path file = root() / "settings.txt";
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.value);
        FlashTemplate source("alpha");
        fill(source, c.value);
        ASSERT_TRUE(source.exportPropertiesSettingsTo(file));
        const std::string text = slurp(file);
        EXPECT_NE(text.find("\n\rText=8:" + c.line + "\n\r"), std::string::npos) << text;

        FlashTemplate target("alpha");
        ASSERT_TRUE(target.importPropertiesSettingsFrom(file));
        fill(source, c.readBack);
        EXPECT_EQ(values(target), values(source));
    }
}

// What an import makes of the lines of a settings file: any line end, the key
// before the first "=", values as written (or with the backslash escapes of
// earlier exports undone), any text encoding; never the page size. The lines an
// export writes are read back by the table above.
TEST_F(FlashTemplateTest, ImportReadsEveryLineAsWritten) {
    using Values = std::vector<std::pair<std::string, std::string>>;
    const std::vector<std::tuple<const char*, std::optional<std::string>, Values>> cases = {
        {"LF CR", "\n\rText=t\n\rdup=d", {{"Text", "t"}, {"dup", "d"}}},
        {"CR LF", "Text=t\r\ndup=d\r\n", {{"Text", "t"}, {"dup", "d"}}},
        {"LF", "Text=t\ndup=\n", {{"Text", "t"}, {"dup", ""}}},
        {"first equals sign", "Text=y=z\nShow\n", {{"Text", "y=z"}, {"Show", "YES"}}},
        {"more lines than nodes", "Text=a\nText=b", {{"Text", "b"}}},
        {"page size (the width: with the styles)", "\n\rpageHeight=2", {{"pageHeight", "720"}}},
        {"doubled then trailing backslash", "Text=\\\\ends \\", {{"Text", "\\\\ends \\"}}},
        // Earlier exports wrote "\\" for a backslash, "\n" for LF and "\r" for CR.
        {"escaped path", "Text=C:\\\\new\n\rdup=x", {{"Text", "C:\\new"}, {"dup", "x"}}},
        {"escaped break", "Text=two\\nlines\ndup=\\\\", {{"Text", "two\nlines"}, {"dup", "\\"}}},
        {"escapes; a mark", "Text=a\\r\\nb|||c\ndup=\\\\", {{"Text", "a\r\nb|||c"}, {"dup", "\\"}}},
        {"ISO 8859-1", "Text=caf\xE9", {{"Text", "caf\xC3\xA9"}}},
        {"missing file", std::nullopt, {{"Text", "plain"}}},
    };
    const fs::path file = root() / "in.txt";
    for (const auto& [what, bytes, expected] : cases) {
        SCOPED_TRACE(what);
        fs::remove(file);
        if (bytes)
            writeFile(file, *bytes);
        FlashTemplate tmpl("alpha");
        EXPECT_EQ(tmpl.importPropertiesSettingsFrom(file), bytes.has_value());
        for (const auto& [key, value] : expected)
            EXPECT_EQ(tmpl.propertyValueFor(key, "?"), value) << key;
    }
}

// A style applies over the current values and resolves into its folder; a
// change of template keeps the page size and the language.
TEST_F(FlashTemplateTest, StylesApplyOverCurrentValuesAndChangesKeepPageSizeAndLanguage) {
    addStyle("alpha", "Blue", "\n\rLogo=STYLE_RESOURCE:logo.png\n\rdup=styled\n\rpageWidth=1");
    const fs::path red =
        addStyle("beta", "Red",
                 "\n\rpageWidth=1\n\rpageHeight=2\n\rlanguageSetting=de\n\rText=red\n\r"
                 "Logo=STYLE_RESOURCE:logo.png");
    FlashTemplate tmpl("alpha");
    tmpl.setPropertyValue("Text", "mine");
    tmpl.setPropertyValue("pageHeight", "792");
    tmpl.setPropertyValue("languageSetting", "it");
    tmpl.loadStyleByStyleName("Blue");
    EXPECT_EQ(tmpl.styleName(), "Blue");
    EXPECT_EQ(tmpl.propertyValueFor("Logo", ""), (styles() / "alpha/Blue/logo.png").string());
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "styled");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "mine");
    EXPECT_EQ(tmpl.propertyValueFor("pageWidth", ""), "540");

    tmpl.changeTmplTo("beta", red);
    EXPECT_EQ(tmpl.tmplName(), "beta");
    EXPECT_EQ(tmpl.styleName(), "Red");
    EXPECT_EQ(values(tmpl), (Strings{"pageWidth@0=540", "pageHeight@0=792", "languageSetting@0=it",
                                     "Text@0=red", "Logo@0=" + (red / "logo.png").string()}));
}

// A copy replaces its destination whole (the book writer's copies are checked
// with the book folder); a missing source leaves no destination.
TEST_F(FlashTemplateTest, CopiesReplaceTheDestinationAndPageTemplatesAreFound) {
    writeFile(templates() / "alpha/history/history.js", "history");
    const fs::path out = root() / "out";
    FlashTemplate tmpl("alpha");
    writeFile(out / "history/stale.js", "stale");
    EXPECT_TRUE(tmpl.copyHistoryDirToDir(out / "history"));
    EXPECT_EQ(test::listFolder(out / "history"), Strings{"history.js"});
    writeFile(out / "playerProductInstall.swf", "old");
    EXPECT_FALSE(tmpl.copyElseSWFToFile(out / "playerProductInstall.swf"));
    EXPECT_FALSE(fs::exists(out / "playerProductInstall.swf"));

    // The HTML page template (html\page.html) is looked up in the template's folder
    // first, its "\" read as "/", then in the shared one.
    FlashTemplate beta("beta");
    writeFile(root() / "AppFiles/html/page.html", "shared");
    EXPECT_EQ(beta.tmplHTMLFilePath(), root() / "AppFiles/html/page.html");
    writeFile(templates() / "beta/html/page.html", "own");
    EXPECT_EQ(beta.tmplHTMLFilePath(), templates() / "beta/html/page.html");
}

} // namespace
} // namespace zarvex
