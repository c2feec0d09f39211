#pragma once

// Helpers of the archive tests: little-endian fields of archive bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zarvex::test {

// The `width`-byte little-endian number at `at`.
inline std::uint64_t le(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

// One header field: its offset, its width in bytes and the value it must hold.
struct Field {
    std::size_t at;
    int width;
    std::uint64_t value;
};

// Checks every field, counting offsets from `base`.
inline void expectFields(std::string_view bytes, std::size_t base, std::span<const Field> fields) {
    for (const auto& f : fields)
        EXPECT_EQ(le(bytes, base + f.at, f.width), f.value) << "field at " << base << " + " << f.at;
}

inline std::string fromHex(std::string_view hex) {
    std::string out;
    for (std::size_t n = 0; n + 1 < hex.size(); n += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(n, 2)), nullptr, 16)));
    return out;
}

} // namespace zarvex::test
