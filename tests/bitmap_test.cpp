#include <gtest/gtest.h>

#include "worklists/bitmap.h"

using namespace kararisu;

TEST(Bitmap, CopiesAreDeepAndIndependent) {
    Bitmap a(3, 2, PixelFormat::Bpp8);
    a.setIndex(1, 1, 7);
    Bitmap b = a;
    b.setIndex(1, 1, 9);
    EXPECT_EQ(a.index(1, 1), 7u);
    EXPECT_EQ(b.index(1, 1), 9u);
}

TEST(Bitmap, SixteenBitChannelsExpandWithRounding) {
    Bitmap a(1, 1, PixelFormat::Bpp16);
    // 5-6-5: red 1, green 1, blue 30
    const unsigned v = (1u << 11) | (1u << 5) | 30u;
    a.row(0)[0] = std::uint8_t(v);
    a.row(0)[1] = std::uint8_t(v >> 8);
    a.setFormat(PixelFormat::Bpp32);
    EXPECT_EQ(a.row32(0)[0], (8u << 16) | (4u << 8) | 247u);
}
