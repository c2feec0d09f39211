#include "app/Xml.h"

#include <gtest/gtest.h>

using namespace zarvex::xml;

TEST(Xml, StrictParseRejectsMalformedTextAndSaysWhere) {
    std::string error;
    EXPECT_FALSE(Document::parse("<a><b></a>", ParseMode::Strict, &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(Document::parse("", ParseMode::Strict));
    EXPECT_FALSE(Document::parse("just text", ParseMode::Lenient));
}

TEST(Xml, LenientParseKeepsWhatItCan) {
    auto doc = Document::parse("<a><b>one</b><c>two & three</c></a>", ParseMode::Lenient);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->root().child("b").text(), "one");
    EXPECT_TRUE(doc->root().child("c"));
}

TEST(Xml, WhiteSpaceAndCDataAreKept) {
    auto doc = Document::parse("<a>  <v><![CDATA[x < y]]></v>\n <w>  padded  </w></a>");
    ASSERT_TRUE(doc);
    const auto v = doc->root().child("v");
    ASSERT_EQ(v.childNodes().size(), 1u);
    EXPECT_TRUE(v.childNodes().front().isCData());
    EXPECT_EQ(v.text(), "x < y");
    EXPECT_EQ(doc->root().child("w").text(), "  padded  ");
    EXPECT_NE(doc->toString(false).find("<![CDATA[x < y]]>"), std::string::npos);
}

TEST(Xml, BuildAttributesAndCopiesAcrossDocuments) {
    auto doc = Document::create("root");
    auto item = doc.root().appendElement("item");
    item.setAttribute("href", "a&b\"c");
    item.setAttribute("n", "1");
    item.appendCData("]]> inside");
    EXPECT_EQ(item.attribute("href"), "a&b\"c");
    EXPECT_FALSE(item.attribute("missing"));
    EXPECT_EQ(item.attributeOr("missing", "x"), "x");
    ASSERT_EQ(item.attributes().size(), 2u);
    EXPECT_EQ(item.attributes()[0].first, "href");

    auto other = Document::create("other");
    other.root().appendCopy(doc.root());
    const auto text = other.toString(true);
    auto reparsed = Document::parse(text);
    ASSERT_TRUE(reparsed) << text;
    const auto copied = reparsed->root().child("root").child("item");
    EXPECT_EQ(copied.attribute("href"), "a&b\"c");
    EXPECT_EQ(copied.text(), "]]> inside");

    item.remove();
    EXPECT_FALSE(item);
    EXPECT_TRUE(doc.root().children().empty());
}

TEST(Xml, ElementToStringHasNoDeclaration) {
    auto doc = Document::create("pagesAnnos");
    doc.root().appendElement("pageAnnos");
    const auto text = toString(doc.root(), false);
    EXPECT_EQ(text, "<pagesAnnos><pageAnnos/></pagesAnnos>");
    EXPECT_EQ(doc.toString(false, false), text);
    EXPECT_EQ(doc.toString(false).rfind("<?xml", 0), 0u);
}
