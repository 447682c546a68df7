// The scene picture on the headless surface: exact pixels for the background, joints, bones, head,
// shadow, rubber band and box; labels checked against the same text drawn directly at the place
// where it belongs. One reference image of a typical scene with the help text, compared with a
// small tolerance inside the text areas; to regenerate it deliberately after an intended change,
// run LIMBRADO_UPDATE_REFERENCE=1 unit_tests --gtest_filter='SceneReference*' and look at it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/headless.h"
#include "runtime/surface.h"
#include "support/drawing_session.h"
#include "support/editor_frames.h"

namespace {

const int32_t kBackground = PackColour(20, 20, 20);
const int32_t kLime = PackColour(187, 255, 0);
const int32_t kBlue = PackColour(0, 0, 255);
const int32_t kPink = PackColour(255, 0, 187);
const int32_t kGreen = PackColour(0, 255, 0);
const int32_t kRed = PackColour(255, 0, 0);
const int32_t kHeadGrey = PackColour(80, 80, 80);
const int32_t kShadowHeadGrey = PackColour(40, 40, 40);
const int32_t kShadowBoneGrey = PackColour(80, 80, 80);
const int32_t kHoverGrey = PackColour(100, 100, 100);
const int32_t kWhite = PackColour(255, 255, 255);
const int32_t kBoxLabelGrey = PackColour(200, 200, 200);

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

class SceneTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(session.opened); }

    DrawingSession session;

    static int32_t PlaceJoint(int32_t x, int32_t y, int32_t state = JointNormal) {
        return AddJoint(x, y, state);
    }
    static void Link(int32_t a, int32_t b, int32_t kind) { AddBone(a, b, kind); }

    // The picture DrawScene would give without its labels, with the expected label drawn on top.
    static std::vector<int32_t> SceneWithText(int32_t x, int32_t y, const char* text,
                                              int32_t colour) {
        DrawEditorScene();
        DrawingBegin(SurfaceDrawTarget());
        DrawingSetMode(DrawingTransparentText);
        DrawingSetFont(FontHandle(editor.session.hudFont));
        DrawTextAt(x, y, text, colour);
        DrawingEnd();
        return SurfaceSnapshot();
    }
};

TEST_F(SceneTest, EmptyEditorShowsOnlyTheBoxOutlineOnTheBackground) {
    DrawEditorScene();
    // The start-up box runs from (200, 150) to (600, 450): 401 by 301 pixels, edges included.
    EXPECT_EQ(CountColour(kLime), 2 * 401 + 2 * 301 - 4);
    EXPECT_EQ(CountColour(kBackground), kSurfaceWidth * kSurfaceHeight - CountColour(kLime));
    EXPECT_EQ(SurfaceColourAt(200, 150), kLime);
    EXPECT_EQ(SurfaceColourAt(600, 450), kLime);
    EXPECT_EQ(SurfaceColourAt(200, 450), kLime);
    EXPECT_EQ(SurfaceColourAt(600, 150), kLime);
    EXPECT_EQ(SurfaceColourAt(400, 150), kLime);
    EXPECT_EQ(SurfaceColourAt(200, 300), kLime);
    EXPECT_EQ(SurfaceColourAt(201, 151), kBackground);
    EXPECT_EQ(SurfaceColourAt(601, 450), kBackground);
    EXPECT_EQ(SurfaceColourAt(0, 0), kBackground);
}

TEST_F(SceneTest, EveryCallRepaintsThePictureFromScratch) {
    PlaceJoint(100, 100);
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(100, 100), kGreen);
    DeleteJoint(0);
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(100, 100), kBackground);
}

TEST_F(SceneTest, NormalJointIsAGreenDiscAndAnyOtherStateARedOne) {
    PlaceJoint(100, 100, JointNormal);
    PlaceJoint(140, 100, JointStatic);
    PlaceJoint(180, 100, 7);
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(100, 100), kGreen);
    EXPECT_EQ(SurfaceColourAt(140, 100), kRed);
    EXPECT_EQ(SurfaceColourAt(180, 100), kRed);
    // Radius 4: a disc within the square from (x - 4, y - 4) to (x + 3, y + 3).
    EXPECT_EQ(SurfaceColourAt(102, 101), kGreen);
    EXPECT_EQ(SurfaceColourAt(98, 98), kGreen);
    EXPECT_EQ(SurfaceColourAt(105, 100), kBackground);
    EXPECT_EQ(SurfaceColourAt(95, 100), kBackground);
    EXPECT_EQ(SurfaceColourAt(100, 105), kBackground);
    EXPECT_EQ(SurfaceColourAt(100, 95), kBackground);
    EXPECT_LE(CountColour(kGreen), 64);
    EXPECT_GE(CountColour(kGreen), 36);
    EXPECT_EQ(CountColour(kRed), 2 * CountColour(kGreen));
}

TEST_F(SceneTest, JointsAreLeftOutWhilePlaying) {
    PlaceJoint(100, 100, JointNormal);
    PlaceJoint(140, 100, JointStatic);
    editor.session.playing = 1;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kGreen), 0);
    EXPECT_EQ(CountColour(kRed), 0);
}

// Four horizontal bones, one per kind 0, 1, 2 and 5, at y = 100, 140, 180, 220.
class SceneBoneTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        const int32_t kinds[] = {BoneStabilising, BoneStandard, BoneFreeLength, 5};
        int32_t y = 100;
        for (int32_t kind : kinds) {
            int32_t left = PlaceJoint(20, y);
            int32_t right = PlaceJoint(120, y);
            Link(left, right, kind);
            y += 40;
        }
    }
};

TEST_F(SceneBoneTest, EditingDrawsEachKindInItsOwnColourAndNoOtherKinds) {
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(70, 100), kPink);
    EXPECT_EQ(SurfaceColourAt(70, 140), kLime);
    EXPECT_EQ(SurfaceColourAt(70, 180), kBlue);
    EXPECT_EQ(SurfaceColourAt(70, 220), kBackground);
    EXPECT_EQ(SurfaceColourAt(70, 101), kBackground);
    // The bone runs between the two joints, under their discs.
    EXPECT_EQ(SurfaceColourAt(25, 140), kLime);
    EXPECT_EQ(SurfaceColourAt(115, 140), kLime);
    EXPECT_EQ(SurfaceColourAt(20, 140), kGreen);
    EXPECT_EQ(SurfaceColourAt(120, 140), kGreen);
}

TEST_F(SceneBoneTest, PlayingDrawsStandardAndFreeLengthBonesLimeAndNothingElse) {
    editor.session.playing = 1;
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(70, 100), kBackground);
    EXPECT_EQ(SurfaceColourAt(70, 140), kLime);
    EXPECT_EQ(SurfaceColourAt(70, 180), kLime);
    EXPECT_EQ(SurfaceColourAt(70, 220), kBackground);
    // No joint discs cover the ends, so the lines show to their end points and no further.
    EXPECT_EQ(SurfaceColourAt(20, 140), kLime);
    EXPECT_EQ(SurfaceColourAt(120, 140), kLime);
    EXPECT_EQ(SurfaceColourAt(121, 140), kBackground);
    EXPECT_EQ(CountColour(kPink), 0);
    EXPECT_EQ(CountColour(kBlue), 0);
}

TEST_F(SceneTest, BoneNamingASlotOutsideTheGridIsSkipped) {
    editor.session.currentFrame = editor.animation.maxFrame;
    int32_t joint = PlaceJoint(100, 300);
    Bone& damaged = BoneAt(editor.session.currentFrame, 0);
    damaged.jointA = joint;
    damaged.jointB = 5'000'000;
    damaged.kind = BoneStandard;
    Bone& other = BoneAt(editor.session.currentFrame, 1);
    other.jointA = kSlotCount;
    other.jointB = joint;
    other.kind = BoneFreeLength;
    editor.animation.shadowOn = 1;
    BoneAt(editor.session.currentFrame - 1, 0) = damaged;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kBlue), 0);
    EXPECT_EQ(CountColour(kShadowBoneGrey), 0);
    EXPECT_EQ(CountColour(kLime), 2 * 401 + 2 * 301 - 4); // the box alone
}

TEST_F(SceneTest, HeadIsAGreyDiscOfRadius28AroundJointZeroUnderTheBones) {
    int32_t head = PlaceJoint(400, 520);
    int32_t neck = PlaceJoint(400, 580);
    Link(head, neck, BoneStandard);
    editor.animation.headOn = 1;
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(420, 520), kHeadGrey);
    EXPECT_EQ(SurfaceColourAt(380, 520), kHeadGrey);
    EXPECT_EQ(SurfaceColourAt(400, 495), kHeadGrey);
    EXPECT_EQ(SurfaceColourAt(429, 520), kBackground);
    EXPECT_EQ(SurfaceColourAt(371, 520), kBackground);
    EXPECT_EQ(SurfaceColourAt(400, 491), kBackground);
    EXPECT_EQ(SurfaceColourAt(400, 540), kLime);  // the bone over the head
    EXPECT_EQ(SurfaceColourAt(400, 520), kGreen); // the joint over both
}

TEST_F(SceneTest, HeadStaysHiddenUnlessHeadOnIsExactlyOne) {
    PlaceJoint(400, 520);
    editor.animation.headOn = 5;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kHeadGrey), 0);
}

TEST_F(SceneTest, HeadOfAnEmptySlotZeroIsACornerPieceAtTopLeft) {
    editor.animation.headOn = 1;
    DrawEditorScene();
    // The disc around (-1, -1) reaches 27 pixels into the surface.
    EXPECT_EQ(SurfaceColourAt(0, 0), kHeadGrey);
    EXPECT_EQ(SurfaceColourAt(10, 10), kHeadGrey);
    EXPECT_EQ(SurfaceColourAt(20, 0), kHeadGrey);
    EXPECT_EQ(SurfaceColourAt(30, 0), kBackground);
    EXPECT_EQ(SurfaceColourAt(25, 25), kBackground);
    EXPECT_EQ(CountColour(kGreen), 0);
    EXPECT_GT(CountColour(kHeadGrey, {0, 0, 28, 28}), 400);
    EXPECT_EQ(CountColourOutside(kHeadGrey, {0, 0, 28, 28}), 0);
}

TEST_F(SceneTest, HeadIsDrawnWhilePlaying) {
    PlaceJoint(400, 520);
    editor.animation.headOn = 1;
    editor.session.playing = 1;
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(400, 520), kHeadGrey);
}

// Frame 0 holds a head, a standard, a free-length and a stabilising bone; frame 1 is current and
// holds one joint far away from all of them.
class SceneShadowTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        PlaceJoint(100, 500); // slot 0, the head
        int32_t a = PlaceJoint(20, 100);
        int32_t b = PlaceJoint(120, 100);
        int32_t c = PlaceJoint(20, 140);
        int32_t d = PlaceJoint(120, 140);
        int32_t e = PlaceJoint(20, 180);
        int32_t f = PlaceJoint(120, 180);
        Link(a, b, BoneStandard);
        Link(c, d, BoneFreeLength);
        Link(e, f, BoneStabilising);
        editor.session.currentFrame = 1;
        PlaceJoint(700, 560);
        editor.animation.shadowOn = 1;
        editor.animation.headOn = 1;
    }
};

TEST_F(SceneShadowTest, PreviousFrameShowsItsHeadAndNonStabilisingBonesInGrey) {
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(100, 500), kShadowHeadGrey);
    EXPECT_EQ(SurfaceColourAt(120, 500), kShadowHeadGrey);
    EXPECT_EQ(SurfaceColourAt(70, 100), kShadowBoneGrey);
    EXPECT_EQ(SurfaceColourAt(20, 100), kShadowBoneGrey); // the shadow has no joints
    EXPECT_EQ(SurfaceColourAt(70, 140), kShadowBoneGrey);
    EXPECT_EQ(SurfaceColourAt(70, 180), kBackground);
    EXPECT_EQ(SurfaceColourAt(700, 560), kGreen); // the current frame on top
    EXPECT_EQ(SurfaceColourAt(720, 560), kHeadGrey);
}

TEST_F(SceneShadowTest, CurrentHeadCoversTheShadowHead) {
    JointAt(1, 0).x = 100;
    JointAt(1, 0).y = 500;
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(120, 500), kHeadGrey);
    EXPECT_EQ(CountColour(kShadowHeadGrey), 0);
}

TEST_F(SceneShadowTest, NoShadowWhilePlaying) {
    editor.session.playing = 1;
    editor.animation.headOn = 0;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kShadowHeadGrey), 0);
    EXPECT_EQ(CountColour(kShadowBoneGrey), 0);
}

TEST_F(SceneShadowTest, NoShadowUnlessShadowOnIsExactlyOne) {
    editor.animation.shadowOn = 2;
    editor.animation.headOn = 0;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kShadowHeadGrey), 0);
    EXPECT_EQ(CountColour(kShadowBoneGrey), 0);
}

TEST_F(SceneShadowTest, NoShadowAtFrameZero) {
    editor.session.currentFrame = 0;
    editor.animation.headOn = 0;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kShadowHeadGrey), 0);
    EXPECT_EQ(CountColour(kShadowBoneGrey), 0);
    EXPECT_EQ(SurfaceColourAt(70, 100), kLime); // frame 0 itself
}

TEST_F(SceneTest, RubberBandRunsFromTheStartJointToTheCursorEndIncluded) {
    PlaceJoint(600, 500);
    editor.session.boneStartJoint = PlaceJoint(100, 500);
    HeadlessSetCursor(300, 500);
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(200, 500), kWhite);
    EXPECT_EQ(SurfaceColourAt(300, 500), kWhite);
    EXPECT_EQ(SurfaceColourAt(301, 500), kBackground);
    EXPECT_EQ(SurfaceColourAt(100, 500), kWhite); // over the start joint's disc
    EXPECT_EQ(CountColourOutside(kWhite, {100, 500, 301, 501}), 0);
}

TEST_F(SceneTest, RubberBandRunsToMinusOneWhenTheCursorLeavesTheWindow) {
    editor.session.boneStartJoint = PlaceJoint(100, 100);
    HeadlessSetCursor(900, 100);
    editor.session.playing = 1;
    DrawEditorScene();
    EXPECT_EQ(SurfaceColourAt(50, 50), kWhite);
    EXPECT_EQ(SurfaceColourAt(0, 0), kWhite);
    EXPECT_EQ(SurfaceColourAt(100, 100), kWhite);
}

TEST_F(SceneTest, NoRubberBandWithoutAValidStartJoint) {
    PlaceJoint(100, 100);
    HeadlessSetCursor(300, 500);
    const int32_t starts[] = {-1, kSlotCount, 70'000'000, kInt32Min};
    for (int32_t start : starts) {
        editor.session.boneStartJoint = start;
        DrawEditorScene();
        EXPECT_EQ(CountColour(kWhite), 0) << "start joint " << start;
    }
}

TEST_F(SceneTest, HoverLabelGivesThePositionRelativeToTheBoxAboveLeftOfTheJoint) {
    PlaceJoint(230, 138);
    HeadlessSetCursor(236, 146);
    DrawEditorScene();
    std::vector<int32_t> actual = SurfaceSnapshot();
    HeadlessSetCursor(700, 20);
    std::vector<int32_t> expected = SceneWithText(210, 118, "30, -12", kHoverGrey);
    EXPECT_GT(CountColour(kHoverGrey), 0);
    EXPECT_EQ(actual, expected);
}

TEST_F(SceneTest, HoverLabelDifferencesDoNotOverflowThirtyTwoBits) {
    PlaceJoint(230, 138);
    // A box edge at the far end of the coordinate range: 138 - (-2147483648) needs 64 bits.
    editor.animation.box.top = kInt32Min;
    editor.animation.box.bottom = kInt32Min;
    HeadlessSetCursor(236, 146);
    DrawEditorScene();
    std::vector<int32_t> actual = SurfaceSnapshot();
    HeadlessSetCursor(700, 20);
    std::vector<int32_t> expected = SceneWithText(210, 118, "30, 2147483786", kHoverGrey);
    EXPECT_EQ(actual, expected);
}

TEST_F(SceneTest, HoverLabelNeedsARoundedDistanceBelowFifty) {
    PlaceJoint(300, 300);
    HeadlessSetCursor(300, 349);
    DrawEditorScene();
    EXPECT_GT(CountColour(kHoverGrey, {280, 280, 380, 296}), 0);
    HeadlessSetCursor(300, 350);
    DrawEditorScene();
    EXPECT_EQ(CountColour(kHoverGrey), 0);
}

TEST_F(SceneTest, HoverLabelBelongsToTheLowerSlotOnEqualDistance) {
    PlaceJoint(300, 300);
    PlaceJoint(300, 330);
    HeadlessSetCursor(300, 315);
    DrawEditorScene();
    // Slot 0's label stands at y = 280, slot 1's would stand at y = 310.
    EXPECT_GT(CountColour(kHoverGrey, {280, 280, 380, 296}), 0);
    EXPECT_EQ(CountColourOutside(kHoverGrey, {280, 280, 380, 296}), 0);
}

TEST_F(SceneTest, HoverLabelIsLeftOutWhilePlaying) {
    PlaceJoint(300, 300);
    HeadlessSetCursor(300, 305);
    editor.session.playing = 1;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kHoverGrey), 0);
}

TEST_F(SceneTest, BoxSizeLabelStandsAtTheBoxCentreWhileTheBoxIsDrawn) {
    editor.animation.box.right = 601;
    editor.animation.box.bottom = 451;
    editor.session.drawingBox = 1;
    DrawEditorScene();
    std::vector<int32_t> actual = SurfaceSnapshot();
    EXPECT_GT(CountColour(kBoxLabelGrey), 0);
    editor.session.drawingBox = 0;
    std::vector<int32_t> expected = SceneWithText(380, 280, "401, 301", kBoxLabelGrey);
    EXPECT_EQ(actual, expected);
}

TEST_F(SceneTest, BoxSizeLabelIsAbsentUnlessDrawingBoxIsExactlyOne) {
    editor.session.drawingBox = 2;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kBoxLabelGrey), 0);
}

TEST_F(SceneTest, BoxSizeLabelOfABoxSpanningTheWholeRangeNeedsSixtyFourBits) {
    // Width 4294967295 and height 0; centre x = -2147483648 + 2147483647 = -1.
    editor.animation.box.left = kInt32Min;
    editor.animation.box.right = std::numeric_limits<int32_t>::max();
    editor.animation.box.top = 300;
    editor.animation.box.bottom = 300;
    editor.session.drawingBox = 1;
    DrawEditorScene();
    std::vector<int32_t> actual = SurfaceSnapshot();
    editor.session.drawingBox = 0;
    std::vector<int32_t> expected = SceneWithText(-21, 280, "4294967295, 0", kBoxLabelGrey);
    EXPECT_GT(CountColour(kBoxLabelGrey), 0);
    EXPECT_EQ(actual, expected);
}

TEST_F(SceneTest, BoxSizeLabelNearTheLowestCoordinateStaysOffTheSurface) {
    // Its anchor x - 20 lies below the 32-bit range: held there, it must not wrap round onto the
    // surface (and the sanitizer build traps any overflow on the way).
    editor.animation.box.left = kInt32Min;
    editor.animation.box.right = kInt32Min + 10;
    editor.animation.box.top = 300;
    editor.animation.box.bottom = 310;
    editor.session.drawingBox = 1;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kBoxLabelGrey), 0);
    EXPECT_EQ(CountColour(kBackground), kSurfaceWidth * kSurfaceHeight);
}

TEST_F(SceneTest, BoxOutlineFollowsTheBoxEdges) {
    editor.animation.box.left = 10;
    editor.animation.box.top = 20;
    editor.animation.box.right = 30;
    editor.animation.box.bottom = 60;
    DrawEditorScene();
    EXPECT_EQ(CountColour(kLime), 2 * 21 + 2 * 41 - 4);
    EXPECT_EQ(CountColour(kLime, {10, 20, 31, 61}), CountColour(kLime));
    EXPECT_EQ(SurfaceColourAt(11, 21), kBackground);
}

// The reference image: a binary PPM (P6) of the whole surface.
const std::string kReferencePath =
    std::string(LIMBRADO_SOURCE_DIR) + "/tests/unit/reference/scene_with_help.ppm";
const std::string kActualPath = std::string(LIMBRADO_BINARY_DIR) + "/scene_with_help_actual.ppm";

void WritePpm(const std::string& path, const std::vector<int32_t>& colours) {
    std::ofstream file(path, std::ios::binary);
    file << "P6\n" << kSurfaceWidth << " " << kSurfaceHeight << "\n255\n";
    for (int32_t colour : colours) {
        const char rgb[3] = {static_cast<char>(colour & 0xFF),
                             static_cast<char>(colour >> 8 & 0xFF),
                             static_cast<char>(colour >> 16 & 0xFF)};
        file.write(rgb, 3);
    }
}

// The image as PackColour values; empty when the file is missing or not an 800 x 600 P6 image.
std::vector<int32_t> ReadPpm(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int32_t width = 0;
    int32_t height = 0;
    int32_t maximum = 0;
    file >> magic >> width >> height >> maximum;
    file.get();
    if (!file || magic != "P6" || width != kSurfaceWidth || height != kSurfaceHeight ||
        maximum != 255) {
        return {};
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (bytes.size() != static_cast<std::size_t>(width) * height * 3) {
        return {};
    }
    std::vector<int32_t> colours;
    for (std::size_t index = 0; index < bytes.size(); index += 3) {
        colours.push_back(PackColour(bytes[index], bytes[index + 1], bytes[index + 2]));
    }
    return colours;
}

// A figure with bones of every kind and a static joint, posed in frames 0 and 1; frame 1 is shown
// with its shadow, the head and the help text, the cursor next to the static joint.
void PoseTypicalFigure() {
    const int32_t positions[][2] = {{380, 230}, {380, 280}, {380, 350}, {330, 320},
                                    {430, 300}, {350, 420}, {410, 420}};
    for (const auto& position : positions) {
        AddJoint(position[0], position[1], JointNormal);
    }
    JointAt(0, 4).state = JointStatic;
    const int32_t links[][3] = {{0, 1, BoneStandard},    {1, 2, BoneStandard},
                                {1, 3, BoneStandard},    {1, 4, BoneFreeLength},
                                {2, 5, BoneStandard},    {2, 6, BoneStandard},
                                {5, 6, BoneStabilising}, {3, 2, BoneStabilising}};
    for (const auto& link : links) {
        AddBone(link[0], link[1], link[2]);
    }
    editor.session.currentFrame = 1;
    CopyPreviousFrame();
    const int32_t moves[][3] = {{0, 12, 0}, {1, 8, 0}, {3, -10, -40}, {4, 20, -20}, {6, 30, -10}};
    for (const auto& move : moves) {
        JointAt(1, move[0]).x += move[1];
        JointAt(1, move[0]).y += move[2];
    }
    editor.animation.shadowOn = 1;
    editor.animation.headOn = 1;
    HeadlessSetCursor(455, 286);
}

// Text can differ between font rasterisers; everything else must match exactly.
bool InTextArea(int32_t x, int32_t y) {
    constexpr PixelArea kHelpText{0, 0, 200, 494};
    constexpr PixelArea kHoverLabel{428, 258, 500, 276}; // anchored at the joint (450, 280)
    return kHelpText.Contains(x, y) || kHoverLabel.Contains(x, y);
}

TEST(SceneReference, TypicalSceneWithHelpMatchesTheReferenceImage) {
    DrawingSession session;
    ASSERT_TRUE(session.opened);
    PoseTypicalFigure();
    DrawEditorScene();
    DrawEditorOverlay();
    std::vector<int32_t> actual = SurfaceSnapshot();
    const char* update = std::getenv("LIMBRADO_UPDATE_REFERENCE");
    if (update != nullptr && std::string(update) == "1") {
        WritePpm(kReferencePath, actual);
        GTEST_SKIP() << "reference image written to " << kReferencePath;
    }
    std::vector<int32_t> reference = ReadPpm(kReferencePath);
    ASSERT_EQ(reference.size(), actual.size()) << "no readable reference at " << kReferencePath;
    int32_t textDifferences = 0;
    int32_t otherDifferences = 0;
    for (int32_t y = 0; y < kSurfaceHeight; ++y) {
        for (int32_t x = 0; x < kSurfaceWidth; ++x) {
            std::size_t index = static_cast<std::size_t>(y) * kSurfaceWidth + x;
            if (actual[index] != reference[index]) {
                (InTextArea(x, y) ? textDifferences : otherDifferences) += 1;
            }
        }
    }
    constexpr int32_t kTextTolerance = 600;
    bool matches = otherDifferences == 0 && textDifferences <= kTextTolerance;
    if (!matches) {
        WritePpm(kActualPath, actual);
    }
    EXPECT_TRUE(matches) << otherDifferences << " pixels differ outside the text areas and "
                         << textDifferences << " inside (at most " << kTextTolerance
                         << " allowed); actual image written to " << kActualPath
                         << ", reference at " << kReferencePath;
}

} // namespace
