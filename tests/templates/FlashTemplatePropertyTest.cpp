#include "templates/FlashTemplateProperty.h"

#include "TemplateFixture.h"
#include "base/Xml.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace zarvex {
namespace {

using test::children;
using test::property;

// Parses `text` and loads the root element into a fresh node.
struct Loaded {
    explicit Loaded(const std::string& text)
        : document(xml::Document::parse(text).value()), ok(node.loadFromNode(document.root())) {}
    xml::Document document;
    FlashTemplateProperty node;
    bool ok;
};

// The type attribute names a type exactly (the codes are stored in settings and
// compared by the writers); an unknown name is text, and the aType attribute
// makes any property a switch.
TEST(FlashTemplatePropertyLoad, TypeAttributeNamesTheTypeExactly) {
    std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"type=\"PT_BOOL\"", pt_text},
        {"type=\"pt_bool \"", pt_text},
        {"type=\"bool\"", pt_text},
        {"", pt_text},
        {"type=\"pt_file\" aType=\"\"", pt_bool},
        {"aType=\"whatever\" type=\"pt_color\"", pt_bool},
    };
    std::istringstream names("pt_text pt_number pt_color pt_list pt_composite pt_file "
                             "pt_list_fromFunction pt_form_security pt_font "
                             "pt_form_contactabout pt_bool");
    std::int32_t code = 0;
    for (std::string name; names >> name; ++code)
        cases.emplace_back("type=\"" + name + "\"", code);
    EXPECT_EQ(code, 11);
    for (const auto& [attributes, code] : cases) {
        Loaded loaded(property("k", "v", attributes));
        ASSERT_TRUE(loaded.ok) << attributes;
        EXPECT_EQ(loaded.node.propertyType(), code) << attributes;
    }
}

TEST(FlashTemplatePropertyValueAsBool, AcceptsFourWordsInAnyCaseWithoutTrimming) {
    for (const char* yes : {"YES", "yes", "Show", "sHoW", "enable", "ENABLE", "True", "tRUE"}) {
        EXPECT_TRUE(FlashTemplateProperty::valueAsBool(yes)) << yes;
    }
    for (const char* no : {"1", "ON", "ENABLED", "NO", "", " YES", "SHOW ", "Hide", "false"}) {
        EXPECT_FALSE(FlashTemplateProperty::valueAsBool(no)) << no;
    }
    FlashTemplateProperty node;
    EXPECT_FALSE(node.valueAsBool()) << "an absent value";
    node.setValue("show");
    EXPECT_TRUE(node.valueAsBool());
}

// Every field as written (white space, line breaks and CDATA kept, the first of
// a repeated element), and children from the direct properties of the first
// childProperties only.
TEST(FlashTemplatePropertyLoad, ReadsEveryFieldAndTheDirectChildrenOfTheFirstChildList) {
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
    EXPECT_EQ(root.key(), " root ");
    EXPECT_EQ(root.title(), " root  title");
    EXPECT_EQ(root.desc(), " root  help");
    EXPECT_EQ(root.value(), "\n    first line\n      second & <b>raw</b>\n  ");
    EXPECT_EQ(root.valueSource(), "");
    EXPECT_EQ(root.defaultValue(), root.value());
    EXPECT_EQ(root.aTitle(), "Show it");
    EXPECT_EQ(root.propertyType(), pt_composite);
    EXPECT_EQ(root.parent(), nullptr);

    ASSERT_EQ(root.childCount(), 2u);
    const FlashTemplateProperty& a = *root.childProperties()[0];
    const FlashTemplateProperty& b = *root.childProperties()[1];
    EXPECT_EQ(a.key(), "a");
    EXPECT_EQ(a.aTitle(), "") << "a missing aTitle is empty text";
    EXPECT_EQ(a.parent(), &root);
    EXPECT_EQ(b.parent(), &root);
    ASSERT_EQ(b.childCount(), 1u);
    EXPECT_EQ(b.childProperties()[0]->key(), "c");
    EXPECT_EQ(b.childProperties()[0]->parent(), &b);
}

// A rejected element (not a property, or lacking a required element anywhere in
// its subtree) leaves nothing of itself in the node.
TEST(FlashTemplatePropertyLoad, RejectsAMissingRequiredElementAnywhereInTheSubtree) {
    for (const std::string element :
         {"key", "title", "desc", "value", "valueSource", "defaultValue"}) {
        std::string broken = property("inner", "v");
        const std::string open = "<" + element + ">";
        const std::string close = "</" + element + ">";
        broken.erase(broken.find(open), broken.find(close) + close.size() - broken.find(open));

        auto document = xml::Document::parse(property("outer", "o", "type=\"pt_composite\"",
                                                      children(property("ok", "1") + broken)));
        ASSERT_TRUE(document);
        FlashTemplateProperty node;
        node.setValue("before");
        std::string error;
        EXPECT_FALSE(node.loadFromNode(document->root(), &error)) << element;
        EXPECT_NE(error.find(element), std::string::npos) << error;
        EXPECT_EQ(node.value(), "before");
        EXPECT_FALSE(node.key());
        EXPECT_EQ(node.childCount(), 0u);
    }

    Loaded item("<item><key>k</key><title>t</title><desc/><value/><valueSource/>"
                "<defaultValue/></item>");
    EXPECT_FALSE(item.ok);
    EXPECT_EQ(item.node.title(), "Empty");
    EXPECT_FALSE(item.node.key());
    FlashTemplateProperty node;
    EXPECT_FALSE(node.loadFromNode(xml::Node()));
    EXPECT_EQ(node.title(), "Empty");
}

} // namespace
} // namespace zarvex
