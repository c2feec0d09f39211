// Text: its encodings, its replacements and XML.
#include "base/StringUtil.h"
#include "base/TextEncoding.h"
#include "base/Xml.h"

#include "base/Log.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace zarvex;
using namespace zarvex::text;
using namespace zarvex::xml;

// Undeclared text is UTF-16 by its mark, UTF-8 when valid, otherwise ISO 8859-1.
TEST(TextEncoding, UndeclaredFilesAreUtf16ByMarkUtf8WhenValidElseLatin1) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"\xEF\xBB\xBFmark", "mark"},
        {"caf\xE9", "caf\xC3\xA9"},
        {std::string("\xFE\xFF\0a\0\xE9", 6), "a\xC3\xA9"},
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80"}, // surrogate pair
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(decodeText(bytes), text);
}

TEST(StringUtil, ReplaceAllNeverRescansReplacedTextAndIgnoresAnEmptyPattern) {
    std::string text = "a-a-a";
    EXPECT_EQ(replaceAll(text, "a", "aa"), 3u); // "aa" holds "a" again: not replaced twice
    EXPECT_EQ(replaceAll(text, "-", ""), 2u);
    EXPECT_EQ(replaceAll(text, "", "x") + replaceAll(text, "b", "x"), 0u);
    EXPECT_EQ(text, "aaaaaa");
}

// CDATA is read as such; attributes and CDATA that look like markup come back as
// they were, also copied into another document. (A malformed text is the page list's.)
TEST(Xml, BuiltAndParsedDocumentsSerialiseBackToTheSameValues) {
    const auto parsed = Document::parse("<a><v><![CDATA[x < y]]></v></a>");
    const auto v = parsed->root().child("v");
    EXPECT_TRUE(v.childNodes().size() == 1 && v.childNodes().front().isCData() &&
                v.text() == "x < y");
    auto doc = Document::create("root");
    auto item = doc.root().appendElement("item");
    item.setAttribute("href", "a&b\"c");
    item.setAttribute("n", "1");
    item.appendCData("]]> inside");
    EXPECT_TRUE(!item.attribute("missing") && item.attributeOr("missing", "x") == "x");
    EXPECT_EQ(item.attributes(),
              (std::vector<std::pair<std::string, std::string>>{{"href", "a&b\"c"}, {"n", "1"}}));
    auto other = Document::create("other");
    other.root().appendCopy(doc.root());
    auto reparsed = Document::parse(other.toString(true));
    ASSERT_TRUE(reparsed) << other.toString(true);
    const auto copied = reparsed->root().child("root").child("item");
    EXPECT_EQ(std::tuple(copied.attributeOr("href", ""), copied.text()),
              std::tuple("a&b\"c", "]]> inside"));

    item.remove();
    EXPECT_FALSE(item);
    doc.root().appendElement("empty");
    EXPECT_EQ(toString(doc.root(), false) + doc.toString(false, false),
              "<root><empty/></root><root><empty/></root>");
    EXPECT_TRUE(doc.toString(false).starts_with("<?xml"));
}

TEST(Xml, HostileInputsLibraryMessagesGoToTheLogNeverToStandardError) {
    struct Case {
        const char* what;
        std::function<void()> run;
        const char* logged; // part of the libxml2 message the log must hold
    };
    const auto serialiseAttribute = [](const char* value) {
        return [value] {
            auto doc = Document::create("a");
            doc.root().setAttribute("url", value);
            toString(doc.root());
        };
    };
    const Case cases[] = {
        {"an attribute that starts with a stray UTF-8 continuation byte",
         serialiseAttribute("\x80x"), "not in UTF-8"},
        {"an attribute that starts with a UTF-16 byte-order mark", serialiseAttribute("\xFE\xFF"),
         "invalid character value"},
        {"a lenient parse of broken text",
         [] {
             std::string error;
             EXPECT_TRUE(Document::parse("<a><b>x</a>", ParseMode::Lenient, &error));
             EXPECT_NE(error.find("line 1"), std::string::npos) << "the caller still learns why";
         },
         nullptr},
    };
    zarvex::log::silence(); // the log's own console would write to standard error
    for (const auto& c : cases) {
        for (const bool onOwnThread : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (onOwnThread ? " on a new thread" : ""));
            zarvex::test::LogCapture log;
            testing::internal::CaptureStderr();
            if (onOwnThread)
                std::thread(c.run).join();
            else
                c.run();
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
            if (c.logged) {
                EXPECT_TRUE(log.contains(c.logged));
            }
        }
    }
}
