// Numbered fonts loaded by face name and point size, and text drawn with them: placement from
// the top-left corner, the returned x, transparent and opaque backgrounds, the code page 1252
// umlauts, the default font and clipping. Glyph shapes belong to the installed face, so text is
// checked by bounding boxes, sizes and colours rather than exact pixels.
#include "runtime/fonts.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "runtime/drawing.h"
#include "runtime/object_table.h"
#include "support/pixel_canvas.h"

namespace {

using namespace testing_canvas;

const int32_t kLime = PackColour(187, 255, 0);
constexpr uint32_t kLimePixel = 0x00BBFF00;
constexpr uint32_t kGrey = 0x00505050;
constexpr uint32_t kWhite = 0x00FFFFFF;

class FontTest : public testing::Test {
  protected:
    void SetUp() override {
        DrawingSubsystemInit();
        FontSubsystemInit();
        hudFont = FontLoad(kAutomaticNumber, "Arial", 8);
        ASSERT_NE(hudFont, 0);
    }
    void TearDown() override {
        DrawingEnd();
        FontSubsystemShutdown();
    }

    // Draws the text at (x, y) in mode 1 with the given font on a fresh canvas; returns the x.
    int32_t Draw(Canvas& canvas, int32_t x, int32_t y, const char* text, intptr_t font,
                 int32_t mode = DrawingTransparentText) {
        EXPECT_NE(DrawingBegin(&canvas.target), 0);
        DrawingSetMode(mode);
        DrawingSetFont(font);
        return DrawTextAt(x, y, text, kLime);
    }
    int32_t Width(const char* text) {
        Canvas canvas(10, 10);
        const int32_t after = Draw(canvas, 0, 0, text, FontHandle(hudFont));
        DrawingEnd();
        return after;
    }
    Bounds InkOf(const char* text, intptr_t font) {
        Canvas canvas(200, 60);
        Draw(canvas, 10, 10, text, font);
        DrawingEnd();
        return BoundsOf(canvas.Where(kLimePixel));
    }

    intptr_t hudFont = 0;
};

TEST_F(FontTest, AutomaticNumbersAreDistinctAndHoldAFont) {
    EXPECT_GE(hudFont, kFirstAutomaticNumber);
    EXPECT_NE(FontHandle(hudFont), 0);
    const intptr_t second = FontLoad(kAutomaticNumber, "Arial", 12);
    EXPECT_NE(second, hudFont);
    EXPECT_NE(FontHandle(second), 0);
    EXPECT_NE(FontHandle(second), FontHandle(hudFont));
}

TEST_F(FontTest, LoadingIntoANumberReturnsTheHandleAndReplacesTheFontThere) {
    const intptr_t first = FontLoad(3, "Arial", 8);
    EXPECT_NE(first, 0);
    EXPECT_EQ(FontHandle(3), first);
    const intptr_t replacement = FontLoad(3, "Arial", 16);
    EXPECT_NE(replacement, 0);
    EXPECT_EQ(FontHandle(3), replacement);
    EXPECT_GT(InkOf("H", replacement).bottom - InkOf("H", replacement).top,
              InkOf("H", FontHandle(hudFont)).bottom - InkOf("H", FontHandle(hudFont)).top);
}

TEST_F(FontTest, NumbersWithoutAFontHaveHandleZero) {
    EXPECT_EQ(FontHandle(7), 0);
    EXPECT_EQ(FontHandle(-5), 0);
    EXPECT_EQ(FontHandle(hudFont + 1), 0);
    EXPECT_EQ(FontHandle(intptr_t{1} << 40), 0);
}

TEST_F(FontTest, ImpossibleSizesAndNumbersGiveNoFont) {
    EXPECT_EQ(FontLoad(4, "Arial", 0), 0);
    EXPECT_EQ(FontHandle(4), 0);
    EXPECT_EQ(FontLoad(5, "Arial", -8), 0);
    EXPECT_EQ(FontLoad(6, "Arial", INT32_MAX), 0);
    EXPECT_EQ(FontLoad(-2, "Arial", 8), 0);
}

TEST_F(FontTest, UnknownFaceIsSubstitutedLikeAnyMissingFont) {
    const intptr_t number = FontLoad(kAutomaticNumber, "No Such Face Anywhere", 8);
    ASSERT_NE(number, 0);
    Canvas canvas(100, 30);
    EXPECT_GT(Draw(canvas, 1, 1, "Hallo", FontHandle(number)), 1);
    EXPECT_FALSE(canvas.Where(kLimePixel).empty());
}

TEST_F(FontTest, ShutdownDeletesEveryFont) {
    const intptr_t numbered = FontLoad(2, "Arial", 8);
    ASSERT_NE(numbered, 0);
    FontSubsystemShutdown();
    EXPECT_EQ(FontHandle(2), 0);
    EXPECT_EQ(FontHandle(hudFont), 0);
}

TEST_F(FontTest, EightPointArialHasAnElevenPixelEm) {
    // Capitals stand about 0.72 em tall: 8 pixels at an em of 11, against 7 at 10 and 9 at 12.
    // A line (ascent plus descent) is about 1.15 em.
    // The baseline lies one ascent (10 pixels) below the top of the line.
    const Bounds capital = InkOf("H", FontHandle(hudFont)); // drawn at y = 10
    EXPECT_EQ(capital.top, 12);
    EXPECT_EQ(capital.bottom, 19);
    Canvas canvas(100, 40, kGrey);
    Draw(canvas, 10, 10, "H", FontHandle(hudFont), 0);
    const Bounds cell = BoundsOf(canvas.Changed());
    EXPECT_GE(cell.bottom - cell.top + 1, 12);
    EXPECT_LE(cell.bottom - cell.top + 1, 14);
}

TEST_F(FontTest, TextLiesRightOfAndBelowItsTopLeftCornerWithinOneLine) {
    Canvas canvas(200, 60);
    const int32_t after = Draw(canvas, 20, 30, "Frame 7", FontHandle(hudFont));
    const Bounds ink = BoundsOf(canvas.Where(kLimePixel));
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.left, 22);
    EXPECT_GE(ink.top, 30);
    EXPECT_LE(ink.top, 33); // the capital's top, just under the line's top
    EXPECT_LT(ink.bottom, 30 + 14);
    EXPECT_LT(ink.right, after);
}

TEST_F(FontTest, EmptyTextReturnsItsXAndDrawsNothing) {
    for (const int32_t mode : {0, static_cast<int32_t>(DrawingTransparentText)}) {
        Canvas canvas(40, 30);
        EXPECT_EQ(Draw(canvas, 1, 1, "", FontHandle(hudFont), mode), 1);
        EXPECT_EQ(DrawTextAt(5, 5, nullptr, kLime), 5);
        EXPECT_TRUE(canvas.Changed().empty());
    }
}

TEST_F(FontTest, ReturnedXMovesOnByTheWidthOfEachCharacter) {
    Canvas canvas(200, 40);
    const int32_t after = Draw(canvas, 1, 1, "Frame 7", FontHandle(hudFont));
    int32_t sum = 0;
    for (const char* single : {"F", "r", "a", "m", "e", " ", "7"}) {
        EXPECT_GT(Width(single), 0) << single;
        sum += Width(single);
    }
    EXPECT_EQ(after, 1 + sum);
    EXPECT_EQ(Width("AVAV"), 2 * Width("AV"));
    EXPECT_EQ(Width("Tw") + Width("ei"), Width("Twei"));
}

TEST_F(FontTest, TextPixelsAreExactlyTheTextColour) {
    Canvas canvas(200, 40);
    Draw(canvas, 3, 3, "Freie L\xE4nge", FontHandle(hudFont));
    EXPECT_FALSE(canvas.Where(kLimePixel).empty());
    EXPECT_EQ(canvas.Changed(), canvas.Where(kLimePixel));
}

TEST_F(FontTest, TransparentTextLeavesTheBackgroundVisibleBetweenItsGlyphs) {
    Canvas canvas(200, 40, kGrey);
    const int32_t after = Draw(canvas, 10, 10, "H H", FontHandle(hudFont));
    const PixelSet ink = canvas.Where(kLimePixel);
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(ink.size() + canvas.Where(kGrey).size(), 200u * 40u);
    const Bounds box = BoundsOf(ink);
    int32_t greyInside = 0;
    for (int32_t x = box.left; x <= box.right; ++x) {
        greyInside += canvas.At(x, (box.top + box.bottom) / 2) == kGrey ? 1 : 0;
    }
    EXPECT_GT(greyInside, 0);
    EXPECT_LT(box.right, after);
}

TEST_F(FontTest, OpaqueTextFillsItsCellsInWhite) {
    Canvas canvas(200, 40, kGrey);
    const int32_t after = Draw(canvas, 10, 10, "H H", FontHandle(hudFont), 0);
    const Bounds cells = BoundsOf(canvas.Changed());
    EXPECT_EQ(cells.left, 10);
    EXPECT_EQ(cells.right, after - 1);
    EXPECT_EQ(cells.top, 10);
    const size_t area = static_cast<size_t>(cells.right - cells.left + 1) *
                        static_cast<size_t>(cells.bottom - cells.top + 1);
    EXPECT_EQ(canvas.Where(kWhite).size() + canvas.Where(kLimePixel).size(), area);
    EXPECT_FALSE(canvas.Where(kLimePixel).empty());
}

TEST_F(FontTest, UmlautsCarryTheirDotsAboveThePlainLetters) {
    const intptr_t font = FontHandle(hudFont);
    for (const auto& [plain, umlaut] : {std::pair{"a", "\xE4"}, std::pair{"u", "\xFC"}}) {
        const Bounds letter = InkOf(plain, font);
        const Bounds dotted = InkOf(umlaut, font);
        EXPECT_LT(dotted.top, letter.top - 1) << plain;
        EXPECT_EQ(dotted.bottom, letter.bottom) << plain;
        EXPECT_GE(dotted.left, letter.left - 1) << plain;
        EXPECT_LE(dotted.right, letter.right + 1) << plain;
    }
}

TEST_F(FontTest, BytesAreReadInCodePage1252) {
    // 0x80 is the euro sign there; 0x81 is unassigned and shows the face's missing glyph.
    const intptr_t font = FontHandle(hudFont);
    Canvas euro(40, 30), unassigned(40, 30);
    Draw(euro, 5, 5, "\x80", font);
    Draw(unassigned, 5, 5, "\x81", font);
    EXPECT_FALSE(euro.Where(kLimePixel).empty());
    EXPECT_NE(euro.Where(kLimePixel), unassigned.Where(kLimePixel));
}

TEST_F(FontTest, TextWithoutAUsableFontUsesEightPointArial) {
    ASSERT_NE(FontLoad(kAutomaticNumber, "Arial", 20), 0);
    Canvas reference(200, 40);
    const int32_t referenceX = Draw(reference, 5, 5, "Stabilisierend", FontHandle(hudFont));
    for (const intptr_t font : {intptr_t{0}, kSystemFont, intptr_t{0x1234}}) {
        Canvas canvas(200, 40);
        EXPECT_EQ(Draw(canvas, 5, 5, "Stabilisierend", font), referenceX);
        EXPECT_EQ(canvas.Where(kLimePixel), reference.Where(kLimePixel));
    }
    Canvas unselected(200, 40);
    ASSERT_NE(DrawingBegin(&unselected.target), 0);
    DrawingSetMode(DrawingTransparentText);
    EXPECT_EQ(DrawTextAt(5, 5, "Stabilisierend", kLime), referenceX);
    EXPECT_EQ(unselected.Where(kLimePixel), reference.Where(kLimePixel));
}

TEST_F(FontTest, HandleOfAReplacedFontFallsBackSafely) {
    const intptr_t replaced = FontLoad(5, "Arial", 8);
    FontLoad(5, "Arial", 20);
    Canvas canvas(200, 40);
    EXPECT_GT(Draw(canvas, 1, 1, "Gespeichert", replaced), 1);
    EXPECT_FALSE(canvas.Where(kLimePixel).empty());
}

TEST_F(FontTest, ClippedTextSetsTheVisiblePartOfTheWholeText) {
    constexpr int32_t kOffset = 100;
    for (const auto& [x, y] : std::vector<Pixel>{{-7, -4}, {20, 25}, {-30, 12}, {30, -6}}) {
        for (const int32_t mode : {0, static_cast<int32_t>(DrawingTransparentText)}) {
            Canvas small(40, 30), large(240, 240);
            const int32_t largeX = Draw(large, x + kOffset, y + kOffset, "Knochen", 0, mode);
            const int32_t smallX = Draw(small, x, y, "Knochen", 0, mode);
            EXPECT_EQ(smallX, largeX - kOffset);
            EXPECT_EQ(small.Changed(), Window(large.Changed(), kOffset, kOffset, 40, 30));
            EXPECT_TRUE(small.GuardsIntact());
        }
    }
}

TEST_F(FontTest, TextAtExtremeCoordinatesStaysInTheBufferAndSaturatesTheReturnedX) {
    const int32_t width = Width("Frame");
    Canvas canvas(40, 30);
    EXPECT_EQ(Draw(canvas, INT32_MAX - 3, 0, "Frame", 0, 0), INT32_MAX);
    EXPECT_EQ(DrawTextAt(INT32_MIN, INT32_MIN, "Frame", kLime), INT32_MIN + width);
    DrawTextAt(INT32_MIN, INT32_MAX, "Frame", kLime);
    DrawTextAt(0, INT32_MAX - 2, "Frame", kLime);
    EXPECT_TRUE(canvas.Changed().empty());
    EXPECT_TRUE(canvas.GuardsIntact());
}

} // namespace
