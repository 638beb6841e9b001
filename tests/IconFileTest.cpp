// The .ico the Windows build carries: the directory Windows reads first, and
// each picture where its entry says, in the form its size calls for.
#include "tools/IconFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

using Sorva::IconPicture;

std::uint32_t at32(const std::vector<std::uint8_t>& b, std::size_t i) {
    return b[i] | b[i + 1] << 8 | b[i + 2] << 16 | std::uint32_t(b[i + 3]) << 24;
}

IconPicture picture(int size) {
    IconPicture p{size, std::vector<std::uint8_t>(std::size_t(size) * size * 4, 0)};
    // The top-left pixel red and opaque, to find it again.
    if (size > 0) {
        p.rgba[0] = 255;
        p.rgba[3] = 255;
    }
    return p;
}

TEST(IconFileTest, EachPictureLiesWhereItsEntrySaysInItsForm) {
    const std::vector<IconPicture> pictures = {picture(16), picture(48), picture(256)};
    const std::vector<std::uint8_t> ico = Sorva::iconFile(pictures);
    ASSERT_GE(ico.size(), 6u + 16 * 3);
    EXPECT_EQ(ico[2] | ico[3] << 8, 1); // an icon, not a cursor
    EXPECT_EQ(ico[4] | ico[5] << 8, 3);
    struct Case {
        int size;
        int widthByte; // 256 is written 0
        bool png;
    } cases[] = {{16, 16, false}, {48, 48, false}, {256, 0, true}};
    for (std::size_t i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], c.widthByte) << c.size;
        EXPECT_EQ(ico[entry + 1], c.widthByte) << c.size;
        EXPECT_EQ(ico[entry + 6], 32) << c.size; // bits per pixel
        const std::uint32_t bytes = at32(ico, entry + 8), offset = at32(ico, entry + 12);
        ASSERT_LE(std::size_t(offset) + bytes, ico.size()) << c.size;
        if (c.png) {
            EXPECT_EQ(ico[offset + 1], 'P') << c.size;
            EXPECT_EQ(ico[offset + 2], 'N') << c.size;
            continue;
        }
        // A bitmap twice as high (colour, then mask), BGRA bottom row first,
        // then a mask of rows padded to 32 bits.
        const std::uint32_t mask = (c.size + 31) / 32 * 4 * c.size;
        EXPECT_EQ(bytes, 40 + std::uint32_t(c.size * c.size * 4) + mask) << c.size;
        EXPECT_EQ(at32(ico, offset + 4), std::uint32_t(c.size)) << c.size;
        EXPECT_EQ(at32(ico, offset + 8), std::uint32_t(2 * c.size)) << c.size;
        const std::size_t topLeft = offset + 40 + std::size_t(c.size - 1) * c.size * 4;
        // Its bytes B 0, G 0, R 255, A 255.
        EXPECT_EQ(at32(ico, topLeft), 0xffff0000u) << c.size;
    }
}

TEST(IconFileTest, RefusesPicturesItCannotHold) {
    for (IconPicture bad :
         {picture(0), picture(257), IconPicture{16, std::vector<std::uint8_t>(10)}})
        EXPECT_THROW(Sorva::iconFile({bad}), std::invalid_argument) << bad.size;
}

} // namespace
