#include "templates/FlashTemplateProperty.h"

#include "TemplateFixture.h"
#include "base/Xml.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zarvex {
namespace {

// Parses `text` and loads the root element into a fresh node.
struct Loaded {
    explicit Loaded(const std::string& text)
        : document(xml::Document::parse(text).value()), ok(node.loadFromNode(document.root())) {}
    xml::Document document;
    FlashTemplateProperty node;
    bool ok;
};

std::unique_ptr<Loaded> load(const std::string& text) {
    return std::make_unique<Loaded>(text);
}

TEST(FlashTemplatePropertyType, NamesMapToCodesExactly) {
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"pt_text", 0},
        {"pt_number", 1},
        {"pt_color", 2},
        {"pt_list", 3},
        {"pt_composite", 4},
        {"pt_file", 5},
        {"pt_list_fromFunction", 6},
        {"pt_form_security", 7},
        {"pt_font", 8},
        {"pt_form_contactabout", 9},
        {"pt_bool", 10},
        {"PT_BOOL", 0},
        {"pt_bool ", 0},
        {"", 0},
        {"bool", 0},
    };
    for (const auto& [name, code] : cases)
        EXPECT_EQ(FlashTemplateProperty::flashTemplatePropertyTypeFromString(name), code) << name;
}

TEST(FlashTemplatePropertyValueAsBool, AcceptsFourWordsInAnyCaseWithoutTrimming) {
    for (const char* yes : {"YES", "yes", "Show", "sHoW", "enable", "ENABLE", "True", "tRUE"})
        EXPECT_TRUE(FlashTemplateProperty::valueAsBool(yes)) << yes;
    for (const char* no : {"1", "ON", "ENABLED", "NO", "", " YES", "SHOW ", "Hide", "false"})
        EXPECT_FALSE(FlashTemplateProperty::valueAsBool(no)) << no;
}

TEST(FlashTemplatePropertyValueAsBool, AbsentValueIsFalse) {
    FlashTemplateProperty node;
    EXPECT_FALSE(node.valueAsBool());
    node.setValue("show");
    EXPECT_TRUE(node.valueAsBool());
}

TEST(FlashTemplateProperty, NewNodeIsEmpty) {
    FlashTemplateProperty node;
    EXPECT_EQ(node.title(), "Empty");
    EXPECT_EQ(node.propertyType(), pt_text);
    EXPECT_EQ(node.childCount(), 0u);
    EXPECT_EQ(node.parent(), nullptr);
    EXPECT_FALSE(node.key());
    EXPECT_FALSE(node.aTitle());
    EXPECT_FALSE(node.value());
    EXPECT_FALSE(node.readOnly());
}

TEST(FlashTemplatePropertyLoad, ReadsEveryField) {
    auto loaded =
        load(test::property("Logo", "a.png", "type=\"pt_file\"", "<aTitle>Show it</aTitle>"));
    ASSERT_TRUE(loaded->ok);
    const FlashTemplateProperty& node = loaded->node;
    EXPECT_EQ(node.key(), "Logo");
    EXPECT_EQ(node.title(), "Logo title");
    EXPECT_EQ(node.desc(), "Logo help");
    EXPECT_EQ(node.value(), "a.png");
    EXPECT_EQ(node.valueSource(), "");
    EXPECT_EQ(node.defaultValue(), "a.png");
    EXPECT_EQ(node.aTitle(), "Show it");
    EXPECT_EQ(node.propertyType(), pt_file);
}

TEST(FlashTemplatePropertyLoad, TypeAttributeCases) {
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"type=\"pt_bool\"", pt_bool},
        {"type=\"PT_BOOL\"", pt_text},
        {"", pt_text},
        {"type=\"pt_file\" aType=\"\"", pt_bool},
        {"aType=\"whatever\" type=\"pt_color\"", pt_bool},
        {"type=\"pt_list\"", pt_list},
    };
    for (const auto& [attributes, code] : cases) {
        auto loaded = load(test::property("k", "v", attributes));
        ASSERT_TRUE(loaded->ok) << attributes;
        EXPECT_EQ(loaded->node.propertyType(), code) << attributes;
    }
}

TEST(FlashTemplatePropertyLoad, MissingATitleGivesEmptyText) {
    auto loaded = load(test::property("k", "v"));
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->node.aTitle(), "");
}

TEST(FlashTemplatePropertyLoad, KeepsWhiteSpaceLineBreaksAndCData) {
    auto loaded =
        load("<property><key> k </key><title>t</title><desc>d</desc>"
             "<value>\n    first line\n      second &amp; <![CDATA[<b>raw</b>]]>\n  </value>"
             "<valueSource/><defaultValue/></property>");
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->node.key(), " k ");
    EXPECT_EQ(loaded->node.value(), "\n    first line\n      second & <b>raw</b>\n  ");
}

TEST(FlashTemplatePropertyLoad, FirstOccurrenceOfARepeatedElementCounts) {
    auto loaded = load("<property><key>first</key><key>second</key><title>t</title><desc/>"
                       "<value>1</value><value>2</value><valueSource/><defaultValue/></property>");
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->node.key(), "first");
    EXPECT_EQ(loaded->node.value(), "1");
}

TEST(FlashTemplatePropertyLoad, BuildsChildrenWithParentLinks) {
    using test::children;
    using test::property;
    auto loaded =
        load(property("root", "", "type=\"pt_composite\"",
                      children(property("a", "1") + property("b", "2", "type=\"pt_composite\"",
                                                             children(property("c", "3"))))));
    ASSERT_TRUE(loaded->ok);
    const FlashTemplateProperty& root = loaded->node;
    EXPECT_EQ(root.parent(), nullptr);
    ASSERT_EQ(root.childCount(), 2u);
    const FlashTemplateProperty& b = *root.childProperties()[1];
    EXPECT_EQ(root.childProperties()[0]->key(), "a");
    EXPECT_EQ(root.childProperties()[0]->parent(), &root);
    EXPECT_EQ(b.parent(), &root);
    ASSERT_EQ(b.childCount(), 1u);
    EXPECT_EQ(b.childProperties()[0]->key(), "c");
    EXPECT_EQ(b.childProperties()[0]->parent(), &b);
}

TEST(FlashTemplatePropertyLoad, OnlyDirectPropertiesOfTheFirstChildPropertiesCount) {
    using test::property;
    auto loaded = load(
        property("root", "", "type=\"pt_composite\"",
                 "<childProperties>" + property("a", "1") + "<group>" + property("hidden", "x") +
                     "</group><note>text</note></childProperties>" + "<childProperties>" +
                     property("second", "2") + "</childProperties>" + property("stray", "s")));
    ASSERT_TRUE(loaded->ok);
    ASSERT_EQ(loaded->node.childCount(), 1u);
    EXPECT_EQ(loaded->node.childProperties()[0]->key(), "a");
}

TEST(FlashTemplatePropertyLoad, IgnoresElementsNotNamedProperty) {
    auto loaded = load("<item><key>k</key><title>t</title><desc/><value/><valueSource/>"
                       "<defaultValue/></item>");
    EXPECT_FALSE(loaded->ok);
    EXPECT_EQ(loaded->node.title(), "Empty");
    EXPECT_FALSE(loaded->node.key());

    FlashTemplateProperty node;
    EXPECT_FALSE(node.loadFromNode(xml::Node()));
    EXPECT_EQ(node.title(), "Empty");
}

TEST(FlashTemplatePropertyLoad, RejectsAMissingRequiredElementAnywhereInTheSubtree) {
    using test::children;
    using test::property;
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
        // Nothing of the rejected element is left behind.
        EXPECT_EQ(node.value(), "before");
        EXPECT_FALSE(node.key());
        EXPECT_EQ(node.childCount(), 0u);
    }
}

} // namespace
} // namespace zarvex
