// The frame line and the command list over the scene, on the headless surface. Texts are checked
// against the same texts drawn directly at their places, so position, bytes and colour decide and
// the font's glyph shapes do not.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/surface.h"
#include "support/drawing_session.h"

namespace {

const int32_t kBackground = PackColour(20, 20, 20);
const int32_t kLime = PackColour(187, 255, 0);
const int32_t kCommandGrey = PackColour(155, 155, 155);
const int32_t kPurple = PackColour(187, 0, 255);
const int32_t kBlue = PackColour(0, 0, 255);
const int32_t kRed = PackColour(255, 0, 0);

// Where the mode word and the toggle values stand: x from 70, one 12-pixel line each.
constexpr PixelArea kModeWordArea{70, 108, 300, 120};
constexpr PixelArea kShadowWordArea{70, 120, 300, 132};
constexpr PixelArea kCollisionWordArea{70, 132, 300, 144};
constexpr PixelArea kHeadWordArea{70, 144, 300, 156};

struct PlacedText {
    int32_t x;
    int32_t y;
    const char* text; // null: a colour swatch, framed in the command grey, on the line at y
    int32_t colour;
};

class HelpOverlayTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(session.opened); }

    DrawingSession session;

    static std::vector<int32_t> Overlay() {
        SurfaceClear(kBackground);
        DrawEditorOverlay();
        return SurfaceSnapshot();
    }

    static std::vector<int32_t> Texts(const std::vector<PlacedText>& texts) {
        SurfaceClear(kBackground);
        DrawingBegin(SurfaceDrawTarget());
        DrawingSetMode(DrawingTransparentText);
        DrawingSetFont(FontHandle(editor.session.hudFont));
        for (const PlacedText& placed : texts) {
            if (placed.text == nullptr) {
                DrawBox(placed.x, placed.y + 1, 16, 9, kCommandGrey);
                DrawBox(placed.x + 1, placed.y + 2, 14, 7, placed.colour);
                continue;
            }
            DrawTextAt(placed.x, placed.y, placed.text, placed.colour);
        }
        DrawingEnd();
        return SurfaceSnapshot();
    }

    // Pixels in the area that the overlay changed from the background.
    static int32_t PaintedPixels(PixelArea area) {
        SurfaceClear(kBackground);
        DrawEditorOverlay();
        int32_t areaSize = (area.right - area.left) * (area.bottom - area.top);
        return areaSize - CountColour(kBackground, area);
    }
};

// The command list as the user reads it, typed here independently of the drawing code.
std::vector<PlacedText> CommandList(const char* modeWord, int32_t modeColour,
                                    const char* shadowWord, int32_t shadowColour,
                                    const char* collisionWord, int32_t collisionColour,
                                    const char* headWord, int32_t headColour) {
    std::vector<PlacedText> texts = {
        {1, 24, "1 - Neues Gelenk", kCommandGrey},
        {1, 36, "Tab - Gelenk statisch/nicht statisch", kCommandGrey},
        {1, 48, "W - Rechteck", kCommandGrey},
        {1, 60,
         "X - Alles zur\xfc"
         "cksetzen",
         kCommandGrey},
        {1, 72, "LStrg - Alles bewegen", kCommandGrey},
        {1, 84, "LShift - Gelenke frei bewegen", kCommandGrey},
        {1, 108, "F2 - Modus: ", kCommandGrey},
        {70, 108, modeWord, modeColour},
        {1, 120, "F3 - Schatten:", kCommandGrey},
        {70, 120, shadowWord, shadowColour},
        {1, 132, "F4 - Kollision:", kCommandGrey},
        {70, 132, collisionWord, collisionColour},
        {1, 144, "F5 - Kopf:", kCommandGrey},
        {70, 144, headWord, headColour},
        {1, 156,
         "F6 - Frame Zur\xfc"
         "ck",
         kCommandGrey},
        {1, 168, "F7 - Frame Vor", kCommandGrey},
        {1, 180, "F8 - Laden", kCommandGrey},
        {1, 192, "F9 - Speichern", kCommandGrey},
        {1, 204, "F10 - Exportieren", kCommandGrey},
        {1, 216, "F11 - Vorigen Frame in aktuellen kopieren", kCommandGrey},
        {1, 228, "F12 - Animation Abspielen", kCommandGrey},
        {1, 240,
         "Strg+Z - R\xfc"
         "ckg\xe4"
         "ngig",
         kCommandGrey},
        {1, 252, "Strg+Y - Wiederholen", kCommandGrey},
        {1, 264, "I - Zwischenbilder", kCommandGrey},
        {1, 276,
         "Einfg - Bild einf\xfc"
         "gen",
         kCommandGrey},
        {1, 288,
         "R\xfc"
         "cktaste - Bild l\xf6schen",
         kCommandGrey},
        {1, 300, "Bild auf/ab - Bild verschieben", kCommandGrey},
        {1, 312, "Pos1/Ende - Erstes/letztes Bild", kCommandGrey},
        {1, 324, "R - Reihenfolge umkehren", kCommandGrey},
        {1, 336, "E - Video exportieren", kCommandGrey},
        {1, 348, "F - Farbe:", kCommandGrey},
        {70, 348, nullptr, modeColour}, // the pen's colour is the kind's
        {90, 348, "Art", kLime},
        {1, 360, "+/- - Dicke:", kCommandGrey},
        {70, 360, "1", kLime},
        {1, 372, "K - Form:", kCommandGrey},
        {70, 372, "Linie", kLime},
        {1, 384, "A - Stil anwenden", kCommandGrey},
        {1, 396, "B - Hintergrund", kCommandGrey},
        {1, 408, "Mitteltaste - Figur bewegen", kCommandGrey},
        {1, 420, "D - Figur drehen", kCommandGrey},
        {1, 432, "S - Figur skalieren", kCommandGrey},
        {1, 444, "M - Figur spiegeln", kCommandGrey},
        {1, 456, "C - Figur kopieren", kCommandGrey},
        {1, 468, "L - Figur l\xf6schen", kCommandGrey},
        {1, 480, "V/H - Figur nach vorn/hinten", kCommandGrey},
        {1, 492, "G - Figur speichern", kCommandGrey},
        {1, 504, "O - Figur einf\xfcgen", kCommandGrey},
        {1, 516, "T - Ton laden / Shift+T entfernen", kCommandGrey},
        {1, 528, "U - Bewegung importieren", kCommandGrey},
    };
    return texts;
}

TEST_F(HelpOverlayTest, HiddenHelpDrawsOnlyTheFrameLine) {
    editor.session.helpVisible = 0;
    editor.session.currentFrame = 7;
    std::vector<int32_t> actual = Overlay();
    EXPECT_GT(CountColour(kLime, {1, 1, 60, 16}), 0);
    EXPECT_EQ(CountColour(kCommandGrey), 0);
    EXPECT_EQ(actual, Texts({{1, 1, "Frame 7", kLime}}));
}

TEST_F(HelpOverlayTest, FrameLineShowsTheCurrentFrameNumber) {
    editor.session.helpVisible = 0;
    const int32_t frames[] = {0, 500};
    const char* lines[] = {"Frame 0", "Frame 500"};
    for (int32_t index = 0; index < 2; ++index) {
        editor.session.currentFrame = frames[index];
        std::vector<int32_t> actual = Overlay();
        EXPECT_EQ(actual, Texts({{1, 1, lines[index], kLime}})) << lines[index];
    }
}

TEST_F(HelpOverlayTest, HelpIsShownOnlyWhenHelpVisibleIsExactlyOne) {
    editor.session.helpVisible = 2;
    Overlay();
    EXPECT_EQ(CountColour(kCommandGrey), 0);
    editor.session.helpVisible = 1;
    Overlay();
    EXPECT_GT(CountColour(kCommandGrey), 0);
}

TEST_F(HelpOverlayTest, StartUpHelpListsTheCommandsWithStandardModeAndAllTogglesOff) {
    std::vector<PlacedText> expected =
        CommandList("Standard", kLime, "Aus", kRed, "Aus", kRed, "Aus", kRed);
    expected.push_back({1, 1, "Frame 0", kLime});
    std::vector<int32_t> actual = Overlay();
    EXPECT_EQ(actual, Texts(expected));
}

TEST_F(HelpOverlayTest, FreeLengthModeAndTogglesOnShowTheirWordsInCodePage1252) {
    editor.session.currentFrame = 42;
    editor.session.boneMode = BoneFreeLength;
    editor.animation.shadowOn = 1;
    editor.animation.collisionOn = 5; // any value but 0 is on
    editor.animation.headOn = 0;
    std::vector<PlacedText> expected =
        CommandList("Freie L\xe4nge", kBlue, "An", kLime, "An", kLime, "Aus", kRed);
    expected.push_back({1, 1, "Frame 42", kLime});
    std::vector<int32_t> actual = Overlay();
    EXPECT_EQ(actual, Texts(expected));
}

TEST_F(HelpOverlayTest, ModeWordColourFollowsTheBoneMode) {
    editor.session.boneMode = BoneStabilising;
    EXPECT_GT(PaintedPixels(kModeWordArea), 0);
    EXPECT_GT(CountColour(kPurple, kModeWordArea), 0);
    EXPECT_EQ(CountColour(PackColour(255, 0, 187), kModeWordArea), 0);
    editor.session.boneMode = BoneStandard;
    Overlay();
    EXPECT_GT(CountColour(kLime, kModeWordArea), 0);
    editor.session.boneMode = BoneFreeLength;
    Overlay();
    EXPECT_GT(CountColour(kBlue, kModeWordArea), 0);
}

TEST_F(HelpOverlayTest, UnknownBoneModeShowsNoWord) {
    editor.session.boneMode = 5;
    EXPECT_EQ(PaintedPixels(kModeWordArea), 0);
    EXPECT_GT(PaintedPixels({1, 108, 70, 120}), 0); // the label itself stays
}

TEST_F(HelpOverlayTest, ToggleWordsAreRedAusForZeroAndLimeAnOtherwise) {
    editor.animation.shadowOn = 0;
    editor.animation.collisionOn = 1;
    editor.animation.headOn = -3;
    Overlay();
    EXPECT_GT(CountColour(kRed, kShadowWordArea), 0);
    EXPECT_EQ(CountColour(kLime, kShadowWordArea), 0);
    EXPECT_GT(CountColour(kLime, kCollisionWordArea), 0);
    EXPECT_EQ(CountColour(kRed, kCollisionWordArea), 0);
    EXPECT_GT(CountColour(kLime, kHeadWordArea), 0);
    EXPECT_EQ(CountColour(kRed, kHeadWordArea), 0);
}

TEST_F(HelpOverlayTest, OverlayLeavesTheSceneAroundItsTexts) {
    const int32_t scene = PackColour(60, 70, 80);
    SurfaceClear(scene);
    DrawEditorOverlay();
    // Everything beyond the text column and below the last line keeps the scene's colour, and so
    // do the gaps between glyphs.
    EXPECT_EQ(CountColour(scene, {300, 0, kSurfaceWidth, kSurfaceHeight}), 500 * kSurfaceHeight);
    EXPECT_EQ(CountColour(scene, {0, 541, 300, kSurfaceHeight}), 300 * (kSurfaceHeight - 541));
    EXPECT_GT(CountColour(scene, {1, 24, 100, 36}), 0);
    EXPECT_EQ(CountColour(scene, {0, 96, 300, 108}), 300 * 12); // the empty line
}

} // namespace
