#include "publish/WebText.h"
#include "publish/ColorText.h"
#include "publish/FastCopy.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>

namespace zarvex {
namespace {

TEST(ColorText, ReadsHexNumbersLikeATextScanner) {
    const std::pair<std::string, std::int32_t> cases[] = {
        {"0x804000", 8404992},
        {"0x808000", 8421376},
        {"0xFF9900", 16750848},
        {"0xe8ac4d", 15248461},
        {"FF0000", 16711680},
        {"0xFF0000", 16711680},
        {"0XFF0000", 16711680},
        {"#FF0000", 0},
        {"", 0},
        {"  0x10", 16},
        {"12zz", 0x12},
        {"0xffffffff", -1},
        {"0x123456789", -1},
        {"zz", 0},
        {"0x", 0},
        {"\n0xa", 10},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(colorWithHexString(text), expected) << text;
}

TEST(ColorText, ConvertsBetweenTextAndColour) {
    EXPECT_EQ(colorToHexRGB({1, 0.6, 0, 1}), "0xff9900");
    EXPECT_EQ(colorToHexRGB({1, 0, 0, 1}), "0xff0000");
    EXPECT_EQ(colorToHexRGB({2, -1, 0.5, 1}), "0xff007f");
    EXPECT_EQ(colorToHexRGB({std::nan(""), 0, 0, 1}), std::nullopt);
    EXPECT_EQ(colorFromHexRGB(std::string("0xff9900")), colorFromHexRGB(std::string("ff9900")));
    EXPECT_EQ(colorFromHexRGB(std::nullopt), (RgbColor{0, 0, 0, 1}));
    EXPECT_EQ(colorFromHexRGB(std::string("#ff9900")), (RgbColor{0, 0, 0, 1}));
    for (const char* text : {"0x000000", "0xff9900", "0x12ab7f", "0xffffff"})
        EXPECT_EQ(colorToHexRGB(colorFromHexRGB(std::string(text))), text);
}

TEST(WebText, ScriptLiteralsEscapeEverythingThatCouldBreakAScript) {
    EXPECT_EQ(jsStringLiteral("plain"), "\"plain\"");
    EXPECT_EQ(jsStringLiteral("a\"b\\c\nd\re\tf"), "\"a\\\"b\\\\c\\nd\\re\\tf\"");
    EXPECT_EQ(jsStringLiteral(std::string("\x01\x7f", 2)), "\"\\u0001\\u007f\"");
    EXPECT_EQ(jsStringLiteral("x\xe2\x80\xa8y\xe2\x80\xa9"), "\"x\\u2028y\\u2029\"");
    EXPECT_EQ(jsStringLiteral("</script>"), "\"<\\/script>\"");
    EXPECT_EQ(jsStringLiteral("a/b caf\xc3\xa9"), "\"a/b caf\xc3\xa9\"");
    EXPECT_EQ(jsStringLiteral("bad\xff"), "\"bad\\ufffd\"");
}

TEST(WebText, PathPieces) {
    EXPECT_EQ(pathExtension("/a/b/logo.png"), "png");
    EXPECT_EQ(pathExtension("/a/b.d/logo"), "");
    EXPECT_EQ(pathExtension("archive.tar.gz"), "gz");
    EXPECT_EQ(pathExtension("/a/logo.PNG/"), "PNG");
    EXPECT_EQ(pathExtension(""), "");
    EXPECT_EQ(deletingPathExtension("mybook.html"), "mybook");
    EXPECT_EQ(deletingPathExtension("mybook"), "mybook");
    EXPECT_EQ(deletingPathExtension("/x.y/mybook"), "/x.y/mybook");
    EXPECT_EQ(deletingPathExtension("my.book.html"), "my.book");
}

TEST(FastCopy, CopiesContentAndRefusesAnExistingTarget) {
    test::TempDir dir;
    test::writeFile(dir / "a.jpg", "jpeg bytes");
    std::error_code error;
    ASSERT_TRUE(fastCopyFile(dir / "a.jpg", dir / "b.jpg", error)) << error.message();
    EXPECT_EQ(test::slurp(dir / "b.jpg"), "jpeg bytes");
    EXPECT_FALSE(fastCopyFile(dir / "a.jpg", dir / "b.jpg", error));
    EXPECT_EQ(error, std::errc::file_exists);
    EXPECT_FALSE(fastCopyFile(dir / "missing.jpg", dir / "c.jpg", error));
    EXPECT_FALSE(std::filesystem::exists(dir / "c.jpg"));
    EXPECT_FALSE(fastCopyFile(dir / "a.jpg", dir / "no/folder/c.jpg", error));

    // Replacing the copy (remove, copy anew) never changes the original.
    std::filesystem::remove(dir / "b.jpg");
    test::writeFile(dir / "b.jpg", "other");
    EXPECT_EQ(test::slurp(dir / "a.jpg"), "jpeg bytes");
}

TEST(FastCopy, CopiesFoldersWhole) {
    test::TempDir dir;
    test::writeFile(dir / "src/x/1.txt", "1");
    test::writeFile(dir / "src/2.txt", "2");
    std::error_code error;
    ASSERT_TRUE(copyItem(dir / "src", dir / "dst", error)) << error.message();
    EXPECT_EQ(test::slurp(dir / "dst/x/1.txt"), "1");
    EXPECT_EQ(test::slurp(dir / "dst/2.txt"), "2");
    EXPECT_FALSE(copyItem(dir / "src", dir / "dst", error));
    EXPECT_FALSE(copyItem(dir / "missing", dir / "dst2", error));
}

} // namespace
} // namespace zarvex
