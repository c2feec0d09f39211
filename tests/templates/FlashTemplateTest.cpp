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

std::string betaDeclaration() {
    return declaration(property("pageWidth", "100") + property("pageHeight", "200") +
                           property("languageSetting", "fr") + property("Text", "beta") +
                           property("Logo", "", "type=\"pt_file\""),
                       test::info("html\\page.html"));
}

class FlashTemplateTest : public ::testing::Test {
protected:
    FlashTemplateTest() {
        res.addTemplate("alpha", alphaDeclaration());
        res.addTemplate("beta", betaDeclaration());
        res.addTemplate("float", declaration(property("pageWidth", "960")));
    }

    std::map<std::string, std::string> values(const FlashTemplate& tmpl) {
        std::map<std::string, std::string> out;
        for (const FlashTemplateProperty* node : tmpl.allProperties())
            out[node->key().value_or("") + "@" + std::to_string(depth(*node))] =
                node->value().value_or("<absent>");
        return out;
    }
    static int depth(const FlashTemplateProperty& node) {
        int d = 0;
        for (const FlashTemplateProperty* p = node.parent(); p; p = p->parent())
            ++d;
        return d;
    }

    test::TemplateResources res;
};

TEST_F(FlashTemplateTest, CreationLoadsFloatWithDeclaredDefaults) {
    FlashTemplate tmpl;
    EXPECT_EQ(tmpl.tmplName(), "float");
    ASSERT_EQ(tmpl.properties().size(), 1u);
    EXPECT_EQ(tmpl.propertyValueFor("pageWidth", "?"), "960");
    EXPECT_EQ(tmpl.tmplVersion(), "3.0.0");
    EXPECT_TRUE(tmpl.needThumbs());
    EXPECT_FALSE(tmpl.styleName());
    EXPECT_FALSE(tmpl.tmplFilePath());
    EXPECT_FALSE(tmpl.loadError());
}

TEST_F(FlashTemplateTest, LoadReadsInfoAndTopLevelPropertiesInOrder) {
    FlashTemplate tmpl("alpha");
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
}

TEST_F(FlashTemplateTest, LoadKeepsStyleNameAndAppliesNoStyle) {
    FlashTemplate tmpl("alpha");
    tmpl.setStyleName("Blue");
    ASSERT_TRUE(tmpl.loadTemplate("beta"));
    EXPECT_EQ(tmpl.styleName(), "Blue");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "beta");
}

TEST_F(FlashTemplateTest, RejectedDeclarationsLeaveNameAndEmptyTree) {
    const std::string goodProps = property("k", "v");
    const std::string infoWithoutSwf =
        "<info><htmlPath>x.html</htmlPath><defaultStyle>d</defaultStyle>"
        "<macAppFilesFolder>m</macAppFilesFolder><mobileTmplFilesPath>p</mobileTmplFilesPath></"
        "info>";
    std::string noValue = property("broken", "v");
    noValue.erase(noValue.find("<value>"), std::string("<value>v</value>").size());

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty file", ""},
        {"not XML", "just some words, no markup"},
        {"no info", "<flashTemplate><properties>" + goodProps + "</properties></flashTemplate>"},
        {"info lacks swfPath", declaration(goodProps, infoWithoutSwf)},
        {"no properties", "<flashTemplate>" + test::info("x.html") + "</flashTemplate>"},
        {"property lacks value",
         declaration(goodProps + property("g", "", "", children(goodProps + noValue)))},
    };
    for (const auto& [what, text] : cases) {
        res.addTemplate("broken", text);
        FlashTemplate tmpl("alpha");
        EXPECT_FALSE(tmpl.loadTemplate("broken")) << what;
        EXPECT_EQ(tmpl.tmplName(), "broken") << what;
        EXPECT_TRUE(tmpl.properties().empty()) << what;
        EXPECT_TRUE(tmpl.loadError()) << what;
        // The previous info fields stay.
        EXPECT_EQ(tmpl.HTMLFilePath(), "index.html") << what;
        EXPECT_EQ(tmpl.propertyValueFor("k", "default"), "default") << what;
    }
}

TEST_F(FlashTemplateTest, MissingDeclarationLeavesEmptyTree) {
    FlashTemplate tmpl("nowhere");
    EXPECT_EQ(tmpl.tmplName(), "nowhere");
    EXPECT_TRUE(tmpl.properties().empty());
    EXPECT_TRUE(tmpl.loadError());
    EXPECT_TRUE(tmpl.loadTemplate("alpha"));
    EXPECT_FALSE(tmpl.loadError());
}

TEST_F(FlashTemplateTest, MalformedDeclarationIsReadLeniently) {
    std::string text = declaration(property("k", "v") + property("j", "w"));
    text.erase(text.rfind("</flashTemplate>")); // unclosed root
    res.addTemplate("sloppy", text);
    FlashTemplate tmpl("sloppy");
    EXPECT_TRUE(tmpl.properties().size() == 2u) << tmpl.loadError().value_or("");
    EXPECT_EQ(tmpl.propertyValueFor("j", ""), "w");
}

TEST_F(FlashTemplateTest, FolderPaths) {
    const fs::path r = res.root();
    EXPECT_EQ(FlashTemplate::tmplPathForName("alpha"), r / "AppFiles/Templates/alpha/");
    EXPECT_EQ(FlashTemplate::tmplPathForName("alpha").string().back(), '/');
    EXPECT_EQ(FlashTemplate::tmplMetaPathForName("alpha"),
              r / "AppFiles/Templates/alpha/flashTemplate.xml");
    EXPECT_EQ(FlashTemplate::stylePathFor("alpha", "Blue"), r / "AppFiles/Styles/alpha/Blue");
}

TEST_F(FlashTemplateTest, ListsOnlyTemplateAndStyleFoldersNotTheirContents) {
    fs::create_directories(res.templates() / "alpha/history/deeper");
    res.addStyle("alpha", "Blue", "");
    res.addStyle("alpha", "Green", "");
    fs::create_directories(res.styles() / "alpha/Blue/images");

    auto names = FlashTemplate::tmplNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<fs::path>{res.templates() / "alpha", res.templates() / "beta",
                                            res.templates() / "float"}));
    auto styles = FlashTemplate::tmplStyleNamesForTmpl("alpha");
    std::sort(styles.begin(), styles.end());
    EXPECT_EQ(styles,
              (std::vector<fs::path>{res.styles() / "alpha/Blue", res.styles() / "alpha/Green"}));
    EXPECT_TRUE(FlashTemplate::tmplStyleNamesForTmpl("beta").empty());
}

TEST_F(FlashTemplateTest, LookupAndSetTakeTheFirstKeyInPreOrder) {
    FlashTemplate tmpl("alpha");
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "inner");
    EXPECT_EQ(tmpl.propertyValueFor("missing", "fallback"), "fallback");

    tmpl.setPropertyValue("dup", "changed");
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "changed");
    EXPECT_EQ(tmpl.properties()[1]->value(), "outer");

    tmpl.setPropertyValue("missing", "x"); // changes nothing
    EXPECT_EQ(tmpl.findProperty("missing"), nullptr);

    tmpl.findProperty("Text")->setValue(std::nullopt);
    EXPECT_EQ(tmpl.propertyValueFor("Text", "fallback"), "fallback");
}

TEST_F(FlashTemplateTest, KeysAreMatchedExactly) {
    FlashTemplate tmpl("alpha");
    EXPECT_EQ(tmpl.propertyValueFor("text", "none"), "none");
    EXPECT_EQ(tmpl.propertyValueFor("Text ", "none"), "none");
}

TEST_F(FlashTemplateTest, SubtreeLookupSearchesDescendantsOnly) {
    FlashTemplate tmpl("alpha");
    FlashTemplateProperty& group = *tmpl.properties()[0];
    FlashTemplateProperty& deep = *group.childProperties()[4];
    EXPECT_EQ(tmpl.propertyValueFor(group, "dup"), "inner");
    EXPECT_EQ(tmpl.propertyValueFor(deep, "dup"), "deeper");
    EXPECT_EQ(tmpl.propertyValueFor(deep, "Deep"), std::nullopt); // not itself
    EXPECT_EQ(tmpl.propertyValueFor(deep, "Text"), std::nullopt);

    EXPECT_TRUE(tmpl.setPropertyValueAt(deep, "dup", "new"));
    EXPECT_EQ(deep.childProperties()[0]->value(), "new");
    EXPECT_EQ(tmpl.propertyValueFor("dup", ""), "inner");
    EXPECT_FALSE(tmpl.setPropertyValueAt(deep, "Text", "x"));
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "plain");
}

TEST_F(FlashTemplateTest, StyleResourceResolvesOnlyForFileProperties) {
    FlashTemplate tmpl("alpha");
    tmpl.setStyleName("Blue");
    const std::string blue = (res.styles() / "alpha/Blue").string();

    tmpl.setPropertyValue("Logo", "STYLE_RESOURCE:img/logo.png");
    EXPECT_EQ(tmpl.propertyValueFor("Logo", ""), blue + "/img/logo.png");
    tmpl.setPropertyValue("Background", "ignored/STYLE_RESOURCE:bg.jpg");
    EXPECT_EQ(tmpl.propertyValueFor("Background", ""), blue + "/bg.jpg");
    tmpl.setPropertyValue("Text", "STYLE_RESOURCE:bg.jpg");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "STYLE_RESOURCE:bg.jpg");
    tmpl.setPropertyValue("Background", "/home/me/picture.jpg");
    EXPECT_EQ(tmpl.propertyValueFor("Background", ""), "/home/me/picture.jpg");
}

TEST_F(FlashTemplateTest, StyleResourceStaysUnchangedWhileNoStyleIsApplied) {
    FlashTemplate tmpl("alpha");
    EXPECT_EQ(tmpl.valueAsFilePath("STYLE_RESOURCE:bg.jpg"), "STYLE_RESOURCE:bg.jpg");
    tmpl.setPropertyValue("Logo", "STYLE_RESOURCE:bg.jpg");
    EXPECT_EQ(tmpl.propertyValueFor("Logo", ""), "STYLE_RESOURCE:bg.jpg");
}

std::string exportText(const FlashTemplate& tmpl, const fs::path& file) {
    EXPECT_TRUE(tmpl.exportPropertiesSettingsTo(file));
    return slurp(file);
}

TEST_F(FlashTemplateTest, ExportWritesLfCrBeforeEveryLineInPreOrder) {
    res.addTemplate("ab", declaration(property("a", "1", "", children(property("b", "")))));
    FlashTemplate tmpl("ab");
    EXPECT_EQ(exportText(tmpl, res.root() / "out.txt"), "\n\ra=1\n\rb=");

    std::vector<std::string> lines;
    tmpl.exportPropertiesSettingsToArray(lines, tmpl.properties()[0].get());
    EXPECT_EQ(lines, std::vector<std::string>{"b="});
}

TEST_F(FlashTemplateTest, ExportWritesEveryNodeWithLfCrInKeysReplaced) {
    FlashTemplate tmpl("alpha");
    tmpl.findProperty("Text")->setKey("Te\n\rxt");
    const std::string text = exportText(tmpl, res.root() / "out.txt");
    EXPECT_NE(text.find("\n\rTe|||xt=plain"), std::string::npos);
    EXPECT_NE(text.find("\n\rGroup=\n\rpageWidth=540"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '='), 12);
}

TEST_F(FlashTemplateTest, ImportAcceptsEveryLineEnding) {
    for (const std::string eol : {"\n\r", "\r\n", "\n"}) {
        res.addTemplate("ab", declaration(property("a", "0", "", children(property("b", "0")))));
        const fs::path file = res.root() / "in.txt";
        writeFile(file, eol + "a=1" + eol + "b=" + eol);
        FlashTemplate tmpl("ab");
        EXPECT_TRUE(tmpl.importPropertiesSettingsFrom(file));
        EXPECT_EQ(tmpl.propertyValueFor("a", "?"), "1");
        EXPECT_EQ(tmpl.propertyValueFor("b", "?"), "");
    }
}

TEST_F(FlashTemplateTest, ImportSplitsAtTheFirstEqualsSign) {
    res.addTemplate("keys",
                    declaration(property("x", "0") + property("plain", "0") + property("", "0")));
    const fs::path file = res.root() / "in.txt";
    writeFile(file, "x=y=z\nplain\n=empty key\n");
    FlashTemplate tmpl("keys");
    tmpl.importPropertiesSettingsFrom(file);
    EXPECT_EQ(tmpl.propertyValueFor("x", ""), "y=z");
    EXPECT_EQ(tmpl.propertyValueFor("plain", ""), "0");
    EXPECT_EQ(tmpl.propertyValueFor("", ""), "empty key");
}

TEST_F(FlashTemplateTest, ImportKeepsThePageSize) {
    FlashTemplate tmpl("alpha");
    tmpl.setPropertyValue("pageWidth", "612");
    const fs::path file = res.root() / "in.txt";
    writeFile(file, "\n\rpageWidth=1\n\rpageHeight=2\n\rText=t");
    tmpl.importPropertiesSettingsFrom(file);
    EXPECT_EQ(tmpl.propertyValueFor("pageWidth", ""), "612");
    EXPECT_EQ(tmpl.propertyValueFor("pageHeight", ""), "720");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "t");
}

TEST_F(FlashTemplateTest, ImportOfAMissingFileChangesNothing) {
    FlashTemplate tmpl("alpha");
    const auto before = values(tmpl);
    EXPECT_FALSE(tmpl.importPropertiesSettingsFrom(res.root() / "missing.txt"));
    EXPECT_EQ(values(tmpl), before);
}

// A value as an export writes it, and as the import of that export gives it back.
struct ValueCase {
    std::string value;
    std::string line;     // after "Text="
    std::string readBack; // the value after export and import
};

const std::vector<ValueCase>& valueCases() {
    static const std::vector<ValueCase> cases = {
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
        {"lf cr\n\r", "lf cr|||", "lf cr\n"},
        {"a\rb\n\nc", "a|||b||||||c", "a\nb\n\nc"},
    };
    return cases;
}

TEST_F(FlashTemplateTest, ExportWritesEveryValueOnItsLineAndImportGivesItBack) {
    const fs::path file = res.root() / "settings.txt";
    for (const ValueCase& c : valueCases()) {
        FlashTemplate source("alpha");
        source.setPropertyValue("Text", c.value);
        const std::string text = exportText(source, file);
        EXPECT_NE(text.find("\n\rText=" + c.line + "\n\r"), std::string::npos) << c.value;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\r'),
                  static_cast<long>(source.allProperties().size()) +
                      (text.starts_with("\n\r#") ? 1 : 0))
            << c.value << ": a line break inside a value";

        FlashTemplate target("alpha");
        ASSERT_TRUE(target.importPropertiesSettingsFrom(file));
        EXPECT_EQ(target.propertyValueFor("Text", "?"), c.readBack) << c.value;
    }
}

TEST_F(FlashTemplateTest, ExportThenImportReproducesEveryNode) {
    FlashTemplate source("alpha");
    std::size_t i = 0;
    for (FlashTemplateProperty* node : source.allProperties()) {
        if (node->key() == "pageWidth" || node->key() == "pageHeight")
            continue;
        const ValueCase& c = valueCases()[i++ % valueCases().size()];
        node->setValue(c.value);
    }
    const fs::path file = res.root() / "settings.txt";
    ASSERT_TRUE(source.exportPropertiesSettingsTo(file));
    FlashTemplate target("alpha");
    ASSERT_TRUE(target.importPropertiesSettingsFrom(file));
    // Every node, those sharing the key "dup" included.
    i = 0;
    for (FlashTemplateProperty* node : source.allProperties()) {
        if (node->key() != "pageWidth" && node->key() != "pageHeight")
            node->setValue(valueCases()[i++ % valueCases().size()].readBack);
    }
    EXPECT_EQ(values(target), values(source));
}

TEST_F(FlashTemplateTest, ImportReadsDocumentedLinesAsWritten) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\new\\bg.jpg", "C:\\new\\bg.jpg"},
        {"C:\\new\\road.jpg", "C:\\new\\road.jpg"},
        {"\\\\server\\share\\x.png", "\\\\server\\share\\x.png"},
        {"ends with \\", "ends with \\"},
        {"two|||lines", "two\nlines"},
    };
    const fs::path file = res.root() / "in.txt";
    for (const auto& [line, value] : cases) {
        writeFile(file, "\n\rText=" + line + "\n\rdup=next");
        FlashTemplate tmpl("alpha");
        ASSERT_TRUE(tmpl.importPropertiesSettingsFrom(file));
        EXPECT_EQ(tmpl.propertyValueFor("Text", "?"), value) << line;
        EXPECT_EQ(tmpl.propertyValueFor("dup", "?"), "next") << line;
    }
}

TEST_F(FlashTemplateTest, ImportUndoesTheBackslashEscapesOfEarlierExports) {
    // Earlier exports wrote "\\" for a backslash, "\n" for LF and "\r" for CR.
    const std::vector<std::pair<std::string, std::pair<std::string, std::string>>> cases = {
        {"\n\rText=C:\\\\new\\\\bg.jpg\n\rdup=x", {"C:\\new\\bg.jpg", "x"}},
        {"\n\rText=two\\nlines\n\rdup=\\\\", {"two\nlines", "\\"}},
        {"\n\rText=a\\r\\nb|||c\n\rdup=d:\\\\", {"a\r\nb|||c", "d:\\"}},
    };
    const fs::path file = res.root() / "in.txt";
    for (const auto& [text, expected] : cases) {
        writeFile(file, text);
        FlashTemplate tmpl("alpha");
        ASSERT_TRUE(tmpl.importPropertiesSettingsFrom(file));
        EXPECT_EQ(tmpl.propertyValueFor("Text", "?"), expected.first) << text;
        EXPECT_EQ(tmpl.propertyValueFor("dup", "?"), expected.second) << text;
    }
}

TEST_F(FlashTemplateTest, RepeatedKeysSetTheirNodesInTreeOrder) {
    const fs::path file = res.root() / "in.txt";
    FlashTemplate tmpl("alpha");
    writeFile(file, "dup=first\ndup=second\n");
    tmpl.importPropertiesSettingsFrom(file);
    FlashTemplateProperty& group = *tmpl.properties()[0];
    EXPECT_EQ(group.childProperties()[2]->value(), "first");
    EXPECT_EQ(group.childProperties()[4]->childProperties()[0]->value(), "second");
    EXPECT_EQ(tmpl.properties()[1]->value(), "outer");

    // More lines than nodes: the extra ones go to the first node.
    writeFile(file, "Text=a\nText=b\n");
    tmpl.importPropertiesSettingsFrom(file);
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "b");
}

TEST_F(FlashTemplateTest, ImportDecodesUtf16AndEightBitFiles) {
    FlashTemplate tmpl("alpha");
    const fs::path file = res.root() / "in.txt";
    // UTF-16 little endian with byte-order mark: "Text=é"
    writeFile(file, std::string("\xFF\xFET\0e\0x\0t\0=\0\xE9\0", 14));
    tmpl.importPropertiesSettingsFrom(file);
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "\xC3\xA9");
    // ISO 8859-1 (not valid UTF-8).
    writeFile(file, "Text=caf\xE9");
    tmpl.importPropertiesSettingsFrom(file);
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "caf\xC3\xA9");
    // UTF-8 with byte-order mark.
    writeFile(file, "\xEF\xBB\xBFText=ok");
    tmpl.importPropertiesSettingsFrom(file);
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "ok");
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
    EXPECT_EQ(tmpl.propertyValueFor("pageWidth", ""), "612");
    EXPECT_EQ(tmpl.propertyValueFor("pageHeight", ""), "792");
    EXPECT_EQ(tmpl.propertyValueFor("languageSetting", ""), "it");
    EXPECT_EQ(tmpl.propertyValueFor("Text", ""), "red");
    EXPECT_EQ(tmpl.propertyValueFor("Logo", ""), (red / "logo.png").string());
    EXPECT_EQ(tmpl.propertyValueFor("dup", "none"), "none");
}

TEST_F(FlashTemplateTest, CopyOperationsReplaceTheDestination) {
    writeFile(res.templates() / "alpha/Main.swf", "theme");
    writeFile(res.templates() / "alpha/swfobject.js", "js");
    writeFile(res.templates() / "alpha/history/history.js", "history");
    writeFile(res.root() / "AppFiles/TmplData/book.swf", "book");
    writeFile(res.root() / "AppFiles/TmplData/mobile/Flip/index.html", "flip");
    const fs::path out = res.root() / "out";
    FlashTemplate tmpl("alpha");

    writeFile(out / "Main.swf", "old");
    EXPECT_TRUE(tmpl.copyThemeToFile(out / "Main.swf"));
    EXPECT_EQ(slurp(out / "Main.swf"), "theme");
    EXPECT_TRUE(tmpl.copyBookJSFile(out / "swfobject.js"));
    EXPECT_EQ(slurp(out / "swfobject.js"), "js");
    EXPECT_TRUE(tmpl.copyBookSWFToFile(out / "book.swf"));
    EXPECT_EQ(slurp(out / "book.swf"), "book");

    writeFile(out / "history/stale.js", "stale");
    EXPECT_TRUE(tmpl.copyHistoryDirToDir(out / "history"));
    EXPECT_EQ(slurp(out / "history/history.js"), "history");
    EXPECT_FALSE(fs::exists(out / "history/stale.js"));

    EXPECT_TRUE(tmpl.copyMobilePathToFile(out / "mobile", "Flip"));
    EXPECT_EQ(slurp(out / "mobile/index.html"), "flip");
}

TEST_F(FlashTemplateTest, CopyWithAMissingSourceLeavesNoDestination) {
    const fs::path out = res.root() / "out";
    writeFile(out / "playerProductInstall.swf", "old");
    FlashTemplate tmpl("alpha");
    EXPECT_FALSE(tmpl.copyElseSWFToFile(out / "playerProductInstall.swf"));
    EXPECT_FALSE(fs::exists(out / "playerProductInstall.swf"));
    EXPECT_FALSE(tmpl.copyThemeToFile(out / "Main.swf"));
    EXPECT_FALSE(fs::exists(out / "Main.swf"));
}

TEST_F(FlashTemplateTest, HtmlPageTemplateIsFoundWithBackslashesAndInTheSharedFolder) {
    FlashTemplate tmpl("beta"); // htmlPath html\page.html
    EXPECT_EQ(tmpl.tmplHTMLFilePath(), std::nullopt);

    writeFile(res.root() / "AppFiles/html/page.html", "shared");
    EXPECT_EQ(tmpl.tmplHTMLFilePath(), res.root() / "AppFiles/html/page.html");

    writeFile(res.templates() / "beta/html/page.html", "own");
    EXPECT_EQ(tmpl.tmplHTMLFilePath(), res.templates() / "beta/html/page.html");
}

TEST_F(FlashTemplateTest, PreviewMobileScriptLiesInTheMobileFolder) {
    FlashTemplate tmpl("alpha");
    EXPECT_EQ(
        tmpl.GetPreviewMobileFilePath(),
        fs::path(res.templates().string() + "/../TmplData/mobile/Flip/javascript/main_preview.js"));
}

} // namespace
} // namespace zarvex
