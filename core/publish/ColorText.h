#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Colour texts: "0x" followed by six lower-case hexadecimal digits RRGGBB.
namespace zarvex {

// A colour with red, green, blue and alpha as fractions from 0 to 1.
struct RgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// Reads a hexadecimal number the way a text scanner does: leading blanks
// skipped, an optional "0x"/"0X", then hexadecimal digits up to the first other
// character; a number too large for 32 bits reads as 0xFFFFFFFF. Text without a
// number there gives 0. The result is the number's bits as a signed integer.
std::int32_t colorWithHexString(std::string_view text);

// The colour of the number in `text` (bits 16-23 red, 8-15 green, 0-7 blue);
// black for absent or unreadable text. Alpha is 1.
RgbColor colorFromHexRGB(const std::optional<std::string>& text);

// "0x" and the three components as two lower-case hexadecimal digits each, red
// first. Components are clamped to 0..1; absent when one is not a number.
std::optional<std::string> colorToHexRGB(const RgbColor& color);

} // namespace zarvex
