#include "common/pixel_frame.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace kvr;

namespace {

int alpha(uint32_t p) {
    return static_cast<int>(p >> 24);
}

double total_alpha(const PixelFrame& f) {
    double sum = 0;
    for (uint32_t p : f.px)
        sum += alpha(p) / 255.0;
    return sum;
}

} // namespace

TEST(PixelFrame, PremultiplyRoundTripsAndBlendsOver) {
    EXPECT_EQ(premultiply(0xFF123456), 0xFF123456u);
    EXPECT_EQ(premultiply(0x00FFFFFF), 0u);
    EXPECT_EQ(premultiply(0x80FF0000), 0x80800000u);
    EXPECT_EQ(unpremultiply(premultiply(0x80FF4020)), 0x80FF4020u);

    PixelFrame dst(4, 1), src(2, 1);
    for (uint32_t& p : dst.px)
        p = 0xFF0000FF; // opaque blue
    src.px = {premultiply(0xFFFF0000), premultiply(0x80FF0000)};
    blend_layer(dst, src, 1, 0, dst.bounds());
    EXPECT_EQ(dst.px[0], 0xFF0000FFu); // left of the layer: untouched
    EXPECT_EQ(dst.px[1], 0xFFFF0000u); // opaque source replaces
    EXPECT_EQ(dst.px[2], 0xFF80007Fu); // half red over blue
    EXPECT_EQ(dst.px[3], 0xFF0000FFu);
}

TEST(PixelFrame, LayersStayInsideClipAndFrameWithOffsetsAndOpacity) {
    PixelFrame dst(10, 10), src(6, 6);
    for (uint32_t& p : src.px)
        p = 0xFFFFFFFF;
    blend_layer(dst, src, -3, 7, {2, 0, 4, 10}); // hangs over the left and bottom edges
    int painted = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (dst.row(y)[x]) {
                ++painted;
                EXPECT_TRUE(x >= 2 && x < 3 && y >= 7) << x << "," << y;
            }
    EXPECT_EQ(painted, 3);

    PixelFrame faded(1, 1);
    blend_layer(faded, src, 0, 0, faded.bounds(), 51);
    EXPECT_EQ(faded.px[0], 0x33333333u); // a fifth of opaque white
    blend_layer(faded, src, 0, 0, faded.bounds(), 0);
    EXPECT_EQ(faded.px[0], 0x33333333u);
}

TEST(PixelFrame, CircleCoversItsAreaWithSoftEdge) {
    PixelFrame f(40, 40);
    fill_circle(f, 20, 20, 10, 0xFFFFC050);
    EXPECT_EQ(f.row(20)[20], 0xFFFFC050u);
    EXPECT_EQ(f.px[0], 0u);
    EXPECT_EQ(f.row(20)[26], 0u);
    EXPECT_NEAR(total_alpha(f), 3.14159 * 25, 1.5);
    // Sparks flying off the frame are cut, not wrapped or written out of bounds.
    fill_circle(f, -2, 39.5f, 8, 0xFFFFFFFF);
    fill_circle(f, 1000, -1000, 8, 0xFFFFFFFF);
    EXPECT_GT(alpha(f.row(39)[0]), 200);
}

TEST(PixelFrame, RoundedBoxFillAndBorder) {
    const RoundedBox box{10, 10, 60, 30, 8};
    EXPECT_LT(rounded_box_distance(box, 40, 25), -10);
    EXPECT_NEAR(rounded_box_distance(box, 10, 25), 0, 1e-4);
    EXPECT_NEAR(rounded_box_distance(box, 10, 10), 8 * std::sqrt(2.0f) - 8, 1e-3); // cut corner

    PixelFrame f(80, 50);
    fill_rounded(f, box, 0xFF204060, 0, 0, f.bounds());
    EXPECT_NEAR(total_alpha(f), 60 * 30 - (4 - 3.14159) * 64, 2.0);
    EXPECT_EQ(f.row(10)[10], 0u); // the rounded-off corner stays empty

    PixelFrame ring(80, 50);
    fill_rounded(ring, box, 0, 0xFFE2A83C, 2, ring.bounds());
    EXPECT_EQ(ring.row(25)[40], 0u);         // inside: nothing
    EXPECT_GT(alpha(ring.row(25)[10]), 200); // on the edge
    EXPECT_NEAR(total_alpha(ring), 2 * (2 * (44 + 14) + 2 * 3.14159 * 8), 8.0);

    PixelFrame clipped(80, 50);
    fill_rounded(clipped, box, 0xFFFFFFFF, 0xFFFFFFFF, 2, {0, 0, 40, 50});
    EXPECT_EQ(clipped.row(25)[45], 0u);
}

TEST(PixelFrame, SweepPeaksAtItsCentreAndFadesToNothing) {
    PixelFrame f(300, 4);
    fill_sweep(f, 150, 110, {0, 1, 300, 2}, 0x78FFDC96);
    EXPECT_EQ(f.row(0)[150], 0u); // outside the area's rows
    EXPECT_NEAR(alpha(f.row(1)[150]), 0x78, 1);
    EXPECT_NEAR(alpha(f.row(2)[95]), 0x78 / 2, 2);
    EXPECT_EQ(f.row(1)[39], 0u);
    EXPECT_EQ(f.row(1)[261], 0u);
}
