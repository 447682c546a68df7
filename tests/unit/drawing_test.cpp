// Pixel rules of the drawing primitives on small 32-bit buffers: end points, bounds, symmetry,
// the outline and invert modes, clipping at the edges and at extreme coordinates, and drawing
// only between begin and end.
#include "runtime/drawing.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <vector>

#include "support/pixel_canvas.h"

namespace {

using namespace testing_canvas;

const int32_t kRed = PackColour(255, 0, 0);
constexpr uint32_t kRedPixel = 0x00FF0000;

class DrawingTest : public testing::Test {
  protected:
    void SetUp() override {
        DrawingSubsystemInit();
        releaseCount = 0;
    }
    void TearDown() override { DrawingEnd(); }
    static void Begin(Canvas& canvas) { ASSERT_NE(DrawingBegin(&canvas.target), 0); }
};

TEST_F(DrawingTest, PackColourAddsGreenTimes256AndBlueTimes65536WithoutMasking) {
    EXPECT_EQ(PackColour(0x12, 0x34, 0x56), 0x563412);
    EXPECT_EQ(PackColour(300, 0, 0), 300);
    EXPECT_EQ(PackColour(0, 0, 256), 0x1000000);
    EXPECT_EQ(PackColour(187, 255, 0), 187 + 255 * 256);
}

TEST_F(DrawingTest, ColourBecomesRedInTheHighByteOfAPixelAndBack) {
    EXPECT_EQ(ColourToPixel(PackColour(255, 0, 0)), 0x00FF0000u);
    EXPECT_EQ(ColourToPixel(PackColour(1, 2, 3)), 0x00010203u);
    EXPECT_EQ(PixelToColour(0x00010203), PackColour(1, 2, 3));
    EXPECT_EQ(PixelToColour(ColourToPixel(PackColour(187, 255, 0))), PackColour(187, 255, 0));
}

TEST_F(DrawingTest, EndGivesTheTargetBackOnceThroughItsReleaseCallback) {
    Canvas canvas(20, 20);
    Begin(canvas);
    DrawingEnd();
    DrawingEnd();
    EXPECT_EQ(releaseCount, 1);
}

TEST_F(DrawingTest, BeginEndsThePreviousDrawingFirst) {
    Canvas first(20, 20), second(20, 20);
    Begin(first);
    Begin(second);
    EXPECT_EQ(releaseCount, 1);
    DrawBox(0, 0, 3, 3, kRed);
    EXPECT_TRUE(first.Changed().empty());
    EXPECT_EQ(second.Changed().size(), 9u);
}

TEST_F(DrawingTest, BeginWithNoTargetEndsTheCurrentDrawingAndReturnsZero) {
    Canvas canvas(20, 20);
    Begin(canvas);
    EXPECT_EQ(DrawingBegin(nullptr), 0);
    EXPECT_EQ(releaseCount, 1);
    DrawBox(0, 0, 3, 3, kRed);
    EXPECT_TRUE(canvas.Changed().empty());
}

TEST_F(DrawingTest, TargetWithoutPixelsIsGivenBackAtOnceAndDrawsNothing) {
    Canvas canvas(20, 20);
    DrawingTarget empty = canvas.target;
    empty.pixels = nullptr;
    EXPECT_EQ(DrawingBegin(&empty), 0);
    EXPECT_EQ(releaseCount, 1);
    DrawBox(0, 0, 3, 3, kRed);
    EXPECT_TRUE(canvas.Changed().empty());
}

TEST_F(DrawingTest, PrimitivesDrawNothingBeforeBeginAndAfterEnd) {
    Canvas canvas(40, 40);
    const auto drawEverything = [] {
        DrawLineRel(1, 1, 20, 5, kRed);
        DrawLineAbs(1, 1, 20, 30, kRed);
        DrawLineAbs(2, 2, 20, 2, kFrontColour);
        DrawCircle(10, 10, 1, kRed);
        DrawCircle(20, 20, 6, kRed);
        DrawBox(3, 3, 8, 8, kRed);
        DrawBox(3, 3, 1, 1, kRed);
        DrawEllipse(20, 20, 9, 4, kRed);
        return DrawTextAt(1, 1, "Frame 7", kRed);
    };
    EXPECT_EQ(drawEverything(), 0);
    Begin(canvas);
    DrawingEnd();
    EXPECT_EQ(drawEverything(), 0);
    EXPECT_TRUE(canvas.Changed().empty());
}

TEST_F(DrawingTest, LineRelSetsTheDiagonalUpToButNotIncludingItsEndPoint) {
    Canvas canvas(60, 60);
    Begin(canvas);
    DrawLineRel(10, 10, 25, 25, kRed);
    EXPECT_EQ(canvas.Where(kRedPixel), Diagonal(10, 34));
}

TEST_F(DrawingTest, LineAbsSetsBothEndPoints) {
    Canvas canvas(60, 60);
    Begin(canvas);
    DrawLineAbs(10, 10, 35, 35, kRed);
    EXPECT_EQ(canvas.Where(kRedPixel), Diagonal(10, 35));
}

TEST_F(DrawingTest, HorizontalAndVerticalLinesCoverExactlyTheirRun) {
    Canvas canvas(60, 60);
    Begin(canvas);
    DrawLineAbs(5, 20, 40, 20, kRed);
    DrawLineRel(7, 30, 0, 12, kRed);   // rows 30 to 41
    DrawLineRel(50, 50, -10, 0, kRed); // columns 50 down to 41
    PixelSet expected;
    for (int32_t x = 5; x <= 40; ++x) {
        expected.insert({x, 20});
    }
    for (int32_t y = 30; y <= 41; ++y) {
        expected.insert({7, y});
    }
    for (int32_t x = 41; x <= 50; ++x) {
        expected.insert({x, 50});
    }
    EXPECT_EQ(canvas.Where(kRedPixel), expected);
}

TEST_F(DrawingTest, SlopedLinesRoundTheExactLineHalfDown) {
    Canvas canvas(60, 60);
    Begin(canvas);
    DrawLineAbs(0, 0, 4, 2, kRed);
    EXPECT_EQ(canvas.Where(kRedPixel), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));

    Canvas steep(60, 60);
    Begin(steep);
    DrawLineAbs(10, 10, 12, 14, kRed);
    EXPECT_EQ(steep.Where(kRedPixel), (PixelSet{{10, 10}, {10, 11}, {11, 12}, {11, 13}, {12, 14}}));

    Canvas falling(60, 60);
    Begin(falling);
    DrawLineAbs(10, 10, 14, 8, kRed); // y = 9.5 and 8.5 round down to 9 and 8
    EXPECT_EQ(falling.Where(kRedPixel), (PixelSet{{10, 10}, {11, 9}, {12, 9}, {13, 8}, {14, 8}}));
}

// The line's pixels worked out from distances: at each step along the longer axis, the pixel
// nearest the exact line, the lower coordinate where two are equally near.
PixelSet NearestPixelLine(Pixel from, Pixel to) {
    const bool majorIsX = std::abs(to.first - from.first) >= std::abs(to.second - from.second);
    const auto major = [majorIsX](Pixel pixel) { return majorIsX ? pixel.first : pixel.second; };
    const auto minor = [majorIsX](Pixel pixel) { return majorIsX ? pixel.second : pixel.first; };
    const Pixel start = major(from) <= major(to) ? from : to;
    const Pixel end = major(from) <= major(to) ? to : from;
    const int64_t run = std::max(major(end) - major(start), 1);
    const int64_t rise = minor(end) - minor(start);
    PixelSet pixels;
    for (int32_t step = 0; step <= major(end) - major(start); ++step) {
        const int64_t exactTimesRun = minor(start) * run + step * rise;
        int64_t lower = exactTimesRun / run;
        lower -= exactTimesRun % run != 0 && exactTimesRun < 0 ? 1 : 0;
        const bool upperNearer = 2 * (exactTimesRun - lower * run) > run;
        const auto chosen = static_cast<int32_t>(lower + (upperNearer ? 1 : 0));
        const int32_t along = major(start) + step;
        pixels.insert(majorIsX ? Pixel{along, chosen} : Pixel{chosen, along});
    }
    return pixels;
}

// Every end point of a small grid around a fixed start, so that each slope and direction is met,
// also those whose exact line passes through a pixel centre or halfway between two.
TEST_F(DrawingTest, LinesToEveryEndPointOfAGridSetTheNearestPixelOfEachStep) {
    const Pixel from{10, 10};
    for (int32_t x = 0; x <= 20; ++x) {
        for (int32_t y = 0; y <= 20; ++y) {
            const Pixel to{x, y};
            PixelSet expected = NearestPixelLine(from, to);
            Canvas whole(30, 30), relative(30, 30);
            Begin(whole);
            DrawLineAbs(from.first, from.second, to.first, to.second, kRed);
            Begin(relative);
            DrawLineRel(from.first, from.second, x - from.first, y - from.second, kRed);
            EXPECT_EQ(whole.Where(kRedPixel), expected) << "to " << x << ", " << y;
            expected.erase(to);
            EXPECT_EQ(relative.Where(kRedPixel), expected) << "to " << x << ", " << y;
        }
    }
}

TEST_F(DrawingTest, LineDrawnBackwardsSetsTheSamePixelsOnePerStep) {
    const std::vector<std::pair<Pixel, Pixel>> lines = {
        {{3, 4}, {50, 17}}, {{3, 40}, {50, 17}}, {{10, 2}, {17, 55}},  {{40, 2}, {17, 55}},
        {{5, 5}, {8, 50}},  {{0, 59}, {59, 0}},  {{20, 20}, {27, 23}}, {{1, 30}, {58, 31}},
    };
    for (const auto& [from, to] : lines) {
        Canvas forwards(60, 60), backwards(60, 60);
        Begin(forwards);
        DrawLineAbs(from.first, from.second, to.first, to.second, kRed);
        Begin(backwards);
        DrawLineAbs(to.first, to.second, from.first, from.second, kRed);
        const PixelSet pixels = forwards.Where(kRedPixel);
        EXPECT_EQ(pixels, backwards.Where(kRedPixel));
        const size_t steps = static_cast<size_t>(
            std::max(std::abs(to.first - from.first), std::abs(to.second - from.second)));
        EXPECT_EQ(pixels.size(), steps + 1);
        EXPECT_TRUE(pixels.count(from) && pixels.count(to));
    }
}

TEST_F(DrawingTest, LineRelDrawnBackwardsOmitsOnlyItsOwnEndPoint) {
    Canvas whole(60, 60), relative(60, 60);
    Begin(whole);
    DrawLineAbs(3, 4, 50, 17, kRed);
    Begin(relative);
    DrawLineRel(50, 17, -47, -13, kRed);
    PixelSet expected = whole.Where(kRedPixel);
    expected.erase({3, 4});
    EXPECT_EQ(relative.Where(kRedPixel), expected);
}

TEST_F(DrawingTest, ZeroLengthLineRelDrawsNothingAndLineAbsOnePixel) {
    Canvas canvas(20, 20);
    Begin(canvas);
    DrawLineRel(5, 5, 0, 0, kRed);
    EXPECT_TRUE(canvas.Changed().empty());
    DrawLineAbs(7, 8, 7, 8, kRed);
    EXPECT_EQ(canvas.Where(kRedPixel), (PixelSet{{7, 8}}));
}

TEST_F(DrawingTest, LineAbsInTheFrontColourDrawsBlack) {
    Canvas canvas(20, 20);
    Begin(canvas);
    DrawLineAbs(2, 3, 12, 3, kFrontColour);
    EXPECT_EQ(canvas.Where(0x000000).size(), 11u);
    EXPECT_EQ(canvas.Changed().size(), 11u);
}

TEST_F(DrawingTest, ClippedLinesSetTheVisiblePartOfTheWholeLine) {
    const std::vector<std::pair<Pixel, Pixel>> lines = {
        {{-50, -20}, {90, 60}},  {{20, -100}, {25, 200}}, {{-7, 35}, {45, -3}},
        {{39, 29}, {-100, -80}}, {{-30, 10}, {70, 12}},   {{15, -9}, {15, 45}},
        {{-1, -1}, {40, 30}},    {{41, 5}, {-60, 27}},    {{-90, 100}, {100, -90}},
    };
    constexpr int32_t kOffset = 120;
    for (const auto& line : lines) {
        const Pixel from = line.first; // lambdas below capture it, which a binding cannot be
        const Pixel to = line.second;
        for (const bool absolute : {true, false}) {
            Canvas small(40, 30), large(280, 280);
            const auto draw = [&](int32_t shift) {
                if (absolute) {
                    DrawLineAbs(from.first + shift, from.second + shift, to.first + shift,
                                to.second + shift, kRed);
                } else {
                    DrawLineRel(from.first + shift, from.second + shift, to.first - from.first,
                                to.second - from.second, kRed);
                }
            };
            Begin(large);
            draw(kOffset);
            Begin(small);
            draw(0);
            EXPECT_EQ(small.Where(kRedPixel),
                      Window(large.Where(kRedPixel), kOffset, kOffset, 40, 30));
            EXPECT_TRUE(small.GuardsIntact());
        }
    }
}

TEST_F(DrawingTest, LinesWithExtremeCoordinatesStayInTheBuffer) {
    Canvas canvas(40, 30);
    Begin(canvas);
    const std::vector<int32_t> values = {INT32_MIN, INT32_MIN + 1, -1, 0, 5, 39, 40, INT32_MAX};
    for (int32_t x1 : values) {
        for (int32_t y1 : values) {
            DrawLineAbs(x1, y1, values[(x1 & 7)], y1 == 0 ? INT32_MAX : y1 / -2, kRed);
            DrawLineRel(x1, y1, INT32_MAX, INT32_MIN, kRed);
            DrawLineRel(x1, y1, INT32_MIN, y1, kRed);
        }
    }
    EXPECT_TRUE(canvas.GuardsIntact());

    Canvas row(40, 30);
    Begin(row);
    DrawLineAbs(-2000000000, 5, 2000000000, 5, kRed);
    EXPECT_EQ(row.Where(kRedPixel).size(), 40u);
    EXPECT_EQ(row.Changed(), row.Where(kRedPixel));
    EXPECT_TRUE(row.Where(kRedPixel).count({0, 5}) && row.Where(kRedPixel).count({39, 5}));

    Canvas diagonal(40, 30);
    Begin(diagonal);
    DrawLineAbs(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, kRed);
    EXPECT_EQ(diagonal.Where(kRedPixel), Diagonal(0, 29));
}

TEST_F(DrawingTest, CircleOfRadiusOneIsTheTwoByTwoBoxAtItsCentre) {
    Canvas canvas(20, 20);
    Begin(canvas);
    DrawCircle(7, 9, 1, kRed);
    EXPECT_EQ(canvas.Where(kRedPixel), (PixelSet{{7, 9}, {8, 9}, {7, 10}, {8, 10}}));
    EXPECT_EQ(canvas.Changed().size(), 4u);
}

TEST_F(DrawingTest, CircleOfRadiusTenReachesButStaysWithin90And109) {
    Canvas canvas(220, 220);
    Begin(canvas);
    DrawCircle(100, 100, 10, kRed);
    const PixelSet disc = canvas.Where(kRedPixel);
    const Bounds bounds = BoundsOf(disc);
    EXPECT_EQ(bounds.left, 90);
    EXPECT_EQ(bounds.right, 109);
    EXPECT_EQ(bounds.top, 90);
    EXPECT_EQ(bounds.bottom, 109);
    for (const auto& [x, y] : disc) {
        EXPECT_TRUE(disc.count({199 - x, y})) << x << "," << y;
        EXPECT_TRUE(disc.count({x, 199 - y})) << x << "," << y;
        EXPECT_TRUE(disc.count({y, x})) << x << "," << y;
    }
    EXPECT_TRUE(disc.count({99, 99}) && disc.count({100, 100}));
}

TEST_F(DrawingTest, JointDiscOfRadiusFourHasItsRoundedEightByEightShape) {
    Canvas canvas(30, 30);
    Begin(canvas);
    DrawCircle(10, 10, 4, kRed);
    const PixelSet expected = FromPicture({"..####..", ".######.", "########", "########",
                                           "########", "########", ".######.", "..####.."},
                                          6, 6);
    EXPECT_EQ(canvas.Where(kRedPixel), expected);
    EXPECT_EQ(expected.size(), 52u);
}

TEST_F(DrawingTest, EllipseIsBoundedByItsRadiiAndSymmetric) {
    Canvas canvas(120, 80);
    Begin(canvas);
    DrawEllipse(60, 40, 20, 5, kRed);
    const PixelSet ellipse = canvas.Where(kRedPixel);
    const Bounds bounds = BoundsOf(ellipse);
    EXPECT_EQ(bounds.left, 40);
    EXPECT_EQ(bounds.right, 79);
    EXPECT_EQ(bounds.top, 35);
    EXPECT_EQ(bounds.bottom, 44);
    for (const auto& [x, y] : ellipse) {
        EXPECT_TRUE(ellipse.count({119 - x, y}) && ellipse.count({x, 79 - y}));
    }
}

TEST_F(DrawingTest, NegativeRadiiDrawTheSameEllipseAndZeroRadiiNothing) {
    Canvas positive(80, 60), negative(80, 60);
    Begin(positive);
    DrawEllipse(40, 30, 12, 7, kRed);
    Begin(negative);
    DrawEllipse(40, 30, -12, -7, kRed);
    DrawEllipse(10, 10, 0, 7, kRed);
    DrawEllipse(10, 10, 7, 0, kRed);
    DrawCircle(60, 50, 0, kRed);
    EXPECT_FALSE(positive.Changed().empty());
    EXPECT_EQ(negative.Changed(), positive.Changed());
}

TEST_F(DrawingTest, BoxWithUnitSidesSetsThePixelOnTheirSide) {
    const std::vector<std::pair<Pixel, Pixel>> cases = {
        {{1, 1}, {10, 10}}, {{1, -1}, {10, 9}}, {{-1, 1}, {9, 10}}, {{-1, -1}, {9, 9}}};
    for (const auto& [size, pixel] : cases) {
        Canvas canvas(20, 20);
        Begin(canvas);
        DrawBox(10, 10, size.first, size.second, kRed);
        EXPECT_EQ(canvas.Changed(), (PixelSet{pixel}));
    }
}

TEST_F(DrawingTest, BoxCoversItsRectangleWithoutTheRightAndBottomEdges) {
    Canvas canvas(30, 30);
    Begin(canvas);
    DrawBox(10, 10, 5, 3, kRed);
    PixelSet expected;
    for (int32_t y = 10; y < 13; ++y) {
        for (int32_t x = 10; x < 15; ++x) {
            expected.insert({x, y});
        }
    }
    EXPECT_EQ(canvas.Where(kRedPixel), expected);

    Canvas flipped(30, 30);
    Begin(flipped);
    DrawBox(15, 13, -5, -3, kRed);
    DrawBox(3, 3, 0, 8, kRed);
    EXPECT_EQ(flipped.Where(kRedPixel), expected);
}

TEST_F(DrawingTest, OutlineModeDrawsOnlyTheBorderOfABox) {
    Canvas canvas(30, 30);
    Begin(canvas);
    DrawingSetMode(DrawingOutline);
    DrawBox(10, 10, 6, 5, kRed);
    const PixelSet expected =
        FromPicture({"######", "#....#", "#....#", "#....#", "######"}, 10, 10);
    EXPECT_EQ(canvas.Where(kRedPixel), expected);
}

TEST_F(DrawingTest, OutlineModeDrawsTheBoundaryOfTheFilledShape) {
    for (const auto& [radiusX, radiusY] : std::vector<Pixel>{{10, 10}, {4, 4}, {28, 28}, {17, 6}}) {
        Canvas filled(80, 80), outline(80, 80);
        Begin(filled);
        DrawEllipse(40, 40, radiusX, radiusY, kRed);
        Begin(outline);
        DrawingSetMode(DrawingOutline);
        DrawEllipse(40, 40, radiusX, radiusY, kRed);
        EXPECT_EQ(outline.Where(kRedPixel), Boundary(filled.Where(kRedPixel)));
        EXPECT_EQ(outline.At(40, 40), kBackground);
    }
}

TEST_F(DrawingTest, InvertModeInvertsEachPixelOnceWhateverTheColour) {
    Canvas canvas(40, 40, 0x00123456);
    Begin(canvas);
    DrawingSetMode(DrawingInvert);
    DrawBox(2, 2, 5, 4, kRed);
    EXPECT_EQ(canvas.Where(0x00EDCBA9).size(), 20u);
    DrawBox(2, 2, 5, 4, PackColour(0, 255, 0));
    EXPECT_EQ(canvas.Where(0x00123456).size(), 1600u);

    DrawLineAbs(10, 10, 30, 20, kRed);
    EXPECT_EQ(canvas.Where(0x00EDCBA9).size(), 21u);
    DrawCircle(20, 30, 4, kRed);
    EXPECT_EQ(canvas.Where(0x00EDCBA9).size(), 21u + 52u);
}

TEST_F(DrawingTest, InvertedOutlineInvertsEachBoundaryPixelOnce) {
    for (const auto& [radiusX, radiusY] : std::vector<Pixel>{{17, 6}, {1, 10}, {2, 9}}) {
        Canvas filled(80, 80), outline(80, 80);
        Begin(filled);
        DrawEllipse(40, 40, radiusX, radiusY, kRed);
        Begin(outline);
        DrawingSetMode(DrawingOutline | DrawingInvert);
        DrawEllipse(40, 40, radiusX, radiusY, kRed);
        EXPECT_EQ(outline.Where(kBackground ^ 0x00FFFFFF), Boundary(filled.Where(kRedPixel)));
        EXPECT_EQ(outline.Changed(), outline.Where(kBackground ^ 0x00FFFFFF));
    }
    Canvas canvas(20, 20);
    Begin(canvas);
    DrawingSetMode(DrawingOutline | DrawingInvert);
    DrawBox(5, 2, 1, 6, kRed);
    EXPECT_EQ(canvas.Where(kBackground ^ 0x00FFFFFF).size(), 6u);
}

TEST_F(DrawingTest, BeginStartsWithFilledShapesAgain) {
    Canvas canvas(30, 30);
    Begin(canvas);
    DrawingSetMode(DrawingOutline | DrawingInvert);
    Begin(canvas);
    DrawBox(10, 10, 6, 5, kRed);
    EXPECT_EQ(canvas.Where(kRedPixel).size(), 30u);
}

TEST_F(DrawingTest, ShapesClippedAtTheEdgesSetTheVisiblePartOfTheWholeShape) {
    constexpr int32_t kOffset = 100;
    const auto shapes = std::vector<std::function<void(int32_t)>>{
        [](int32_t shift) { DrawCircle(shift + 0, shift + 0, 10, kRed); },
        [](int32_t shift) { DrawCircle(shift + 38, shift + 28, 28, kRed); },
        [](int32_t shift) { DrawEllipse(shift + 20, shift - 3, 30, 6, kRed); },
        [](int32_t shift) { DrawBox(shift - 5, shift + 25, 60, 9, kRed); },
        [](int32_t shift) { DrawCircle(shift + 40, shift + 15, 1, kRed); },
        [](int32_t shift) {
            DrawingSetMode(DrawingOutline);
            DrawCircle(shift + 20, shift + 32, 12, kRed);
        },
    };
    for (const auto& draw : shapes) {
        Canvas small(40, 30), large(240, 240);
        Begin(large);
        draw(kOffset);
        Begin(small);
        draw(0);
        EXPECT_EQ(small.Where(kRedPixel), Window(large.Where(kRedPixel), kOffset, kOffset, 40, 30));
        EXPECT_TRUE(small.GuardsIntact());
    }
}

TEST_F(DrawingTest, ShapesWithExtremeCoordinatesStayInTheBuffer) {
    Canvas canvas(40, 30);
    Begin(canvas);
    const std::vector<int32_t> values = {INT32_MIN, -1, 0, 7, 40, INT32_MAX};
    for (const int32_t a : values) {
        for (const int32_t b : values) {
            DrawBox(a, b, b, a, kRed);
            DrawBox(a, a, INT32_MAX, INT32_MIN, kRed);
            DrawEllipse(a, b, a, b, kRed);
            DrawCircle(b, a, a, kRed);
            DrawingSetMode(DrawingOutline);
            DrawEllipse(b, a, b, a, kRed);
            DrawingSetMode(0);
        }
    }
    EXPECT_TRUE(canvas.GuardsIntact());

    for (const int32_t radius : {INT32_MAX, INT32_MIN}) {
        Canvas covered(40, 30);
        Begin(covered);
        DrawCircle(20, 15, radius, kRed);
        EXPECT_EQ(covered.Where(kRedPixel).size(), 1200u);
    }
}

} // namespace
