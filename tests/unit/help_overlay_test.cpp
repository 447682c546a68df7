// The frame line and the command list over the scene, on the headless surface. The editor's list is
// compared with reference pictures, German and English; the frame line and the pages of a longer
// list with the same texts drawn directly at their places, so position, bytes and colour decide
// and the font's glyph shapes do not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "model/bone_style.h"
#include "model/easing.h"
#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/surface.h"
#include "storage/picture_files.h"
#include "storage/translation.h"
#include "support/drawing_session.h"
#include "support/picture_decoding.h"

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

// The reference pictures of the editor's overlay over an even ground, written again by
// LIMBRADO_UPDATE_REFERENCE=1 build/release/unit_tests --gtest_filter='HelpOverlayPicture*'.
struct OverlayPicture {
    const char* name; // tests/unit/reference/NAME.png
    const char* language;
    void (*pose)();
};

const OverlayPicture kOverlayPictures[] = {
    {"help_overlay_start", "de", [] {}},
    {"help_overlay_values", "de",
     [] {
         editor.session.currentFrame = 42;
         editor.session.boneMode = BoneFreeLength;
         editor.animation.shadowOn = 1;
         editor.animation.collisionOn = 5; // any value but 0 is on
         editor.session.pen = StepShape(StepThickness(StepPenColour(BoneStyle{}, 3), 4), 2);
         editor.session.penEasing = StepEasing(kEasingLinear, 5); // Überschwingen
     }},
    {"help_overlay_values_en", "en",
     [] {
         editor.session.currentFrame = 42;
         editor.session.boneMode = BoneStabilising;
         editor.animation.headOn = 1;
         editor.session.pen = StepShape(StepThickness(BoneStyle{}, 9), 1);
         editor.session.penEasing = StepEasing(kEasingLinear, 2); // Aus, no toggle's "Off"
     }},
};

std::string ReferencePath(const char* name) {
    return std::string(LIMBRADO_SOURCE_DIR) + "/tests/unit/reference/" + name + ".png";
}

// The scene's rows of the surface, as 0x00RRGGBB.
std::vector<uint32_t> ScenePixels() {
    const uint32_t* pixels = SurfacePixels();
    return {pixels, pixels + static_cast<std::size_t>(kSurfaceWidth) * kSurfaceHeight};
}

TEST(HelpOverlayPicture, EditorsOverlayMatchesItsReferencePictureInGermanAndEnglish) {
    const bool update = std::getenv("LIMBRADO_UPDATE_REFERENCE") != nullptr &&
                        std::string(std::getenv("LIMBRADO_UPDATE_REFERENCE")) == "1";
    for (const OverlayPicture& picture : kOverlayPictures) {
        SCOPED_TRACE(picture.name);
        DrawingSession session;
        ASSERT_TRUE(session.opened);
        ASSERT_EQ(UseLanguage({picture.language},
                              CatalogFolders(std::string(LIMBRADO_BINARY_DIR) + "/unit_tests")),
                  picture.language);
        picture.pose();
        SurfaceClear(kBackground);
        DrawEditorOverlay();
        UseLanguage({}, {});
        std::vector<uint32_t> actual = ScenePixels();
        std::string error;
        if (update) {
            EXPECT_TRUE(WritePngPicture(ReferencePath(picture.name).c_str(), actual.data(),
                                        kSurfaceWidth, kSurfaceHeight, &error))
                << error;
            continue;
        }
        DecodedPng reference = DecodePng(ReferencePath(picture.name));
        ASSERT_EQ(reference.width, kSurfaceWidth) << "no readable " << ReferencePath(picture.name);
        ASSERT_EQ(reference.height, kSurfaceHeight);
        // Where the pictures differ, as a box, to find the line.
        PixelArea differ{kSurfaceWidth, kSurfaceHeight, 0, 0};
        int32_t count = 0;
        for (std::size_t index = 0; index < actual.size(); ++index) {
            if (actual[index] != reference.pixels[index]) {
                auto x = static_cast<int32_t>(index % kSurfaceWidth);
                auto y = static_cast<int32_t>(index / kSurfaceWidth);
                differ = {std::min(differ.left, x), std::min(differ.top, y),
                          std::max(differ.right, x + 1), std::max(differ.bottom, y + 1)};
                ++count;
            }
        }
        if (count > 0) {
            std::string actualPath =
                std::string(LIMBRADO_BINARY_DIR) + "/" + picture.name + "_actual.png";
            WritePngPicture(actualPath.c_str(), actual.data(), kSurfaceWidth, kSurfaceHeight,
                            &error);
            ADD_FAILURE() << count << " pixels differ, within x " << differ.left << " to "
                          << differ.right << ", y " << differ.top << " to " << differ.bottom
                          << "; the picture drawn is " << actualPath;
        }
    }
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
    EXPECT_EQ(CountColour(scene, {0, 553, 300, kSurfaceHeight}), 300 * (kSurfaceHeight - 553));
    EXPECT_GT(CountColour(scene, {1, 24, 100, 36}), 0);
    EXPECT_EQ(CountColour(scene, {0, 96, 300, 108}), 300 * 12); // the empty line
}

// A list longer than the scene: each page starts at the top, holds the lines that end above the
// target's bottom, and leaves out an empty line that would open it; a page beyond shows the last.
TEST_F(HelpOverlayTest, LinesBeyondThePageGoOnTheNextPagesFromTheTop) {
    std::vector<std::string> texts;
    std::vector<HelpLine> lines(60);
    for (int32_t index = 0; index < 60; ++index) {
        texts.push_back("Zeile " + std::to_string(index));
    }
    for (int32_t index = 0; index < 60; ++index) {
        lines[index].text = index == 6 || index == 48 ? nullptr : texts[index].c_str();
    }
    struct Page {
        int32_t height;
        int32_t page;
        int32_t pageCount;
        std::vector<int32_t> shown; // the lines from the top down; -1 an empty slot
    };
    auto run = [](int32_t first, int32_t last) {
        std::vector<int32_t> shown;
        for (int32_t index = first; index <= last; ++index) {
            shown.push_back(index == 6 || index == 48 ? -1 : index);
        }
        return shown;
    };
    const std::vector<Page> pages = {
        {600, 0, 2, run(0, 47)},  // lines 0 to 47 end at y 600
        {600, 1, 2, run(49, 59)}, // 48 is empty and opens no page
        {600, 7, 2, run(49, 59)}, // beyond the last
        {300, 0, 3, run(0, 22)},  // 23 lines end above y 300
        {300, 1, 3, run(23, 45)}, {300, 2, 3, run(46, 59)}, {36, 3, 60 - 2, {3}}, // one line a page
    };
    for (const Page& page : pages) {
        SCOPED_TRACE("height " + std::to_string(page.height) + ", page " +
                     std::to_string(page.page));
        EXPECT_EQ(HelpPageCount(lines, page.height), page.pageCount);
        DrawingTarget target = *SurfaceDrawTarget();
        target.height = page.height;
        OverlayView view;
        view.helpVisible = 1;
        view.helpPage = page.page;
        view.lines = lines;
        view.font = FontHandle(editor.session.hudFont);
        SurfaceClear(kBackground);
        DrawHelpOverlay(view, &target);
        std::vector<int32_t> drawn = SurfaceSnapshot();
        std::vector<PlacedText> expected = {{1, 1, "Frame 0", kLime}};
        for (std::size_t place = 0; place < page.shown.size(); ++place) {
            if (page.shown[place] >= 0) {
                expected.push_back({1, 24 + 12 * static_cast<int32_t>(place),
                                    texts[page.shown[place]].c_str(), kCommandGrey});
            }
        }
        EXPECT_EQ(drawn, Texts(expected));
    }
    EXPECT_EQ(HelpPageCount(lines, 10), 60 - 2) << "at least one line a page";
    EXPECT_EQ(HelpPageCount({}, 600), 1);
}

} // namespace
