#include "base/Xml.h"

#include "base/Log.h"
#include "support/LogCapture.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <thread>

using namespace zarvex::xml;

namespace {

// Sends this process's standard error into a file while it lives.
class StderrCapture {
public:
    explicit StderrCapture(std::filesystem::path file) : file_(std::move(file)) {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Restores standard error and answers what was written meanwhile.
    std::string text() {
        restore();
        return zarvex::test::slurp(file_);
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }
    std::filesystem::path file_;
    int saved_ = -1;
};

} // namespace

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

TEST(Xml, HostileInputsLibraryMessagesGoToTheLogNeverToStandardError) {
    struct Case {
        const char* what;
        std::function<void()> run;
        const char* logged; // part of the libxml2 message the log must hold
    };
    const Case cases[] = {
        {"an attribute that starts with a stray UTF-8 continuation byte",
         [] {
             auto doc = Document::create("a");
             doc.root().setAttribute("url", "\x80x");
             toString(doc.root());
         },
         "not in UTF-8"},
        {"an attribute that starts with a UTF-16 byte-order mark",
         [] {
             auto doc = Document::create("a");
             doc.root().setAttribute("url", "\xFE\xFF");
             toString(doc.root());
         },
         "invalid character value"},
        {"a lenient parse of broken text",
         [] {
             std::string error;
             EXPECT_TRUE(Document::parse("<a><b>x</a>", ParseMode::Lenient, &error));
             EXPECT_NE(error.find("line 1"), std::string::npos) << "the caller still learns why";
         },
         nullptr},
    };
    zarvex::test::TempDir dir;
    zarvex::log::silence(); // the log's own console would write to standard error
    for (const auto& c : cases) {
        for (const bool onOwnThread : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (onOwnThread ? " on a new thread" : ""));
            zarvex::test::LogCapture log;
            StderrCapture err(dir / "stderr.txt");
            if (onOwnThread)
                std::thread(c.run).join();
            else
                c.run();
            EXPECT_EQ(err.text(), "");
            if (c.logged) {
                EXPECT_TRUE(log.contains(c.logged));
            }
        }
    }
}
