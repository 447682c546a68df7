// The command keys in scripted sessions: press keys firing once per press, frame stepping and
// copying, the toggles and the bone mode, reset during a drag, the order of the keys within one
// cycle, and playback, whose presented frames are told apart by a bone drawn at its own height.
#include "editor/command_keys.h"
#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "figure/inbetweens.h"
#include "figure/timeline_strip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

class CommandKeys : public ScriptedSession {
  protected:
    // The current frame, the playback end, the dragged joint and the joint a bone starts from.
    static std::vector<int32_t> FrameAndGestures() {
        return {editor.session.currentFrame, editor.animation.playbackEnd,
                editor.session.draggedJoint, editor.session.boneStartJoint};
    }
    static void PutJoint(int32_t frame, int32_t slot, int32_t x, int32_t y) {
        JointAt(frame, slot) = Joint{x, y, JointNormal};
    }
    static void ExpectFramesEqual(int32_t copy, int32_t original) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Joint& joint = JointAt(copy, slot);
            const Joint& source = JointAt(original, slot);
            ASSERT_EQ(joint.state, source.state) << "joint " << slot;
            if (source.state != JointEmpty) {
                ASSERT_EQ(joint.x, source.x) << "joint " << slot;
                ASSERT_EQ(joint.y, source.y) << "joint " << slot;
            }
            const Bone& bone = BoneAt(copy, slot);
            const Bone& sourceBone = BoneAt(original, slot);
            ASSERT_EQ(bone.jointA, sourceBone.jointA) << "bone " << slot;
            ASSERT_EQ(bone.jointB, sourceBone.jointB) << "bone " << slot;
            if (BoneInUse(sourceBone)) {
                ASSERT_EQ(bone.restLength, sourceBone.restLength) << "bone " << slot;
                ASSERT_EQ(bone.kind, sourceBone.kind) << "bone " << slot;
            }
        }
    }
};

// Press and held keys

TEST_F(CommandKeys, HoldingAPressKeyFiresItOnceUntilReleased) {
    Tap(ScanF7);
    Tap(ScanF7);
    Tap(ScanF7);
    ASSERT_EQ(editor.session.currentFrame, 3);
    Hold(ScanF6);
    Cycles(5);
    EXPECT_EQ(editor.session.currentFrame, 2);
    Release(ScanF6);
    Cycle();
    Hold(ScanF6);
    Cycle();
    EXPECT_EQ(editor.session.currentFrame, 1);

    MoveCursor(100, 100);
    Hold(ScanKey1);
    Cycles(5);
    EXPECT_EQ(UsedJoints(), 1);
}

TEST_F(CommandKeys, KeysOfOneCycleActInTheOrderOfTheTable) {
    PlaceJoint(100, 100);
    PlaceJoint(300, 300);
    MoveCursor(300, 300);
    Hold(ScanX);
    Hold(ScanKey1);
    Hold(ScanTab);
    Cycle();
    // X empties the frame, 1 puts a joint into slot 0, Tab pins that new joint.
    EXPECT_EQ(UsedJoints(), 1);
    EXPECT_EQ(CurrentJoint(0).x, 300);
    EXPECT_EQ(CurrentJoint(0).state, JointStatic);
}

// Key changes that come between two cycles, as on a busy machine: a tap that begins and ends
// between them is one press, and so is a key let go and pressed again between them, though no
// cycle saw it up.
TEST_F(CommandKeys, PressesBetweenTwoCyclesAreNotLost) {
    struct Script {
        const char* name;
        bool upBeforeTheCycle; // F7 let go again before the cycle that follows its press
        bool pressedAgain;     // F7 let go and pressed again before the next cycles
        int32_t frame;         // the frame F7 has stepped to
    };
    const Script scripts[] = {
        {"a tap between two cycles", true, false, 1},
        {"held, then let go and pressed again between two cycles", false, true, 2},
        {"held across cycles", false, false, 1},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        editor.session.currentFrame = 0;
        Release(ScanF7);
        Cycle();
        Hold(ScanF7);
        if (script.upBeforeTheCycle) {
            Release(ScanF7);
        }
        Cycle();
        if (script.pressedAgain) {
            Release(ScanF7);
            Hold(ScanF7);
        }
        Cycles(2);
        EXPECT_EQ(editor.session.currentFrame, script.frame);
    }
}

TEST_F(CommandKeys, ResetDuringADragEmptiesEveryFrameAndEndsTheDrag) {
    PlaceJoint(100, 100);
    Tap(ScanF7);
    Tap(ScanF7);
    Tap(ScanF2);
    Tap(ScanF3);
    ASSERT_EQ(UsedJoints(1), 1);
    ASSERT_EQ(editor.session.currentFrame, 2);
    MoveCursor(100, 100);
    SetButtons(kLeftButton);
    Cycle();
    ASSERT_EQ(editor.session.draggedJoint, 0);

    Tap(ScanX);
    for (int32_t frame = 0; frame <= 2; ++frame) {
        EXPECT_EQ(UsedJoints(frame), 0) << "frame " << frame;
    }
    EXPECT_EQ(editor.session.currentFrame, 0);
    EXPECT_EQ(editor.animation.playbackEnd, 0);
    EXPECT_EQ(editor.session.draggedJoint, -1) << "the dragged joint is gone";
    EXPECT_EQ(editor.session.boneMode, 2);
    EXPECT_EQ(editor.animation.shadowOn, 1);
    EXPECT_EQ(editor.animation.box.left, 200);
    EXPECT_EQ(editor.animation.box.bottom, 450);
    PlaceJoint(100, 100); // with the button still down: no drag until a new press
    MoveCursor(150, 120);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 100);
}

// Frames

TEST_F(CommandKeys, SteppingMovesPlaybackEndAlongAndEndsTheGestures) {
    PlaceJoint(200, 200);
    Tap(ScanF7);
    Tap(ScanF7);
    EXPECT_EQ(editor.animation.playbackEnd, 2);

    MoveCursor(200, 200);
    SetButtons(kLeftButton | kRightButton);
    Cycle();
    ASSERT_EQ(editor.session.draggedJoint, 0);
    ASSERT_EQ(editor.session.boneStartJoint, 0);
    Hold(ScanF6);
    Cycle();
    EXPECT_EQ(FrameAndGestures(), (std::vector<int32_t>{1, 1, -1, -1}));
    // With both buttons still held, the bone gesture arms again on the copied joint in the next
    // cycle; the left drag waits for a new press.
    Release(ScanF6);
    Cycle();
    EXPECT_EQ(editor.session.boneStartJoint, 0);
    EXPECT_EQ(editor.session.draggedJoint, -1);
    MoveCursor(250, 260);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 200);
    SetButtons(0);
    Cycle();
    MoveCursor(200, 200);
    SetButtons(kLeftButton);
    Cycle();
    EXPECT_EQ(editor.session.draggedJoint, 0);
}

TEST_F(CommandKeys, StepForwardCopiesOnlyIntoAFrameWithNoJointBeyondSlotZero) {
    MoveCursor(300, 300);
    PlaceJoint(100, 100);
    PlaceJoint(400, 100);
    AddBone(0, 1, BoneFreeLength);
    Tap(ScanF7);
    ExpectFramesEqual(1, 0);

    PutJoint(2, 7, 10, 20);
    Tap(ScanF7);
    EXPECT_EQ(UsedJoints(2), 1);
    EXPECT_EQ(JointAt(2, 7).state, JointNormal);
    EXPECT_EQ(UsedBones(2), 0);

    PutJoint(3, 0, 5, 5);
    Tap(ScanF7);
    ExpectFramesEqual(3, 2);
    EXPECT_EQ(JointAt(3, 0).state, JointEmpty);
}

TEST_F(CommandKeys, StepsBeyondTheFirstOrLastFrameChangeNothing) {
    PlaceJoint(200, 200);
    MoveCursor(200, 200);
    SetButtons(kLeftButton | kRightButton);
    Cycle();
    Tap(ScanF6);
    EXPECT_EQ(FrameAndGestures(), (std::vector<int32_t>{0, 0, 0, 0}));
    SetButtons(0);
    Cycle();

    editor.session.currentFrame = editor.animation.maxFrame;
    editor.animation.playbackEnd = 9;
    PlaceJoint(200, 200);
    MoveCursor(200, 200);
    SetButtons(kLeftButton | kRightButton);
    Cycle();
    Tap(ScanF7);
    EXPECT_EQ(FrameAndGestures(), (std::vector<int32_t>{500, 9, 0, 0}));
    EXPECT_EQ(UsedJoints(), 1);
}

TEST_F(CommandKeys, CopyPreviousFrameKeyActsOnlyAfterTheFirstFrame) {
    PlaceJoint(100, 100);
    Tap(ScanF11);
    EXPECT_EQ(UsedJoints(0), 1);
    EXPECT_EQ(JointAt(0, 0).x, 100);

    editor.session.currentFrame = 4;
    PlaceJoint(150, 150);
    PlaceJoint(250, 150);
    AddBone(0, 1, BoneStandard);
    editor.session.currentFrame = 5;
    PlaceJoint(50, 50);
    PlaceJoint(60, 60);
    PlaceJoint(70, 70);
    Tap(ScanF11);
    ExpectFramesEqual(5, 4);
    EXPECT_EQ(JointAt(5, 2).state, JointEmpty);
}

// Frame 0 leaves the latch clear, so F11 held from there onto the next frame copies at once.
TEST_F(CommandKeys, CopyKeyHeldFromTheFirstFrameCopiesOnTheFrameItIsHeldOnto) {
    PutJoint(0, 0, 100, 100);
    PutJoint(0, 1, 200, 100);
    PutJoint(1, 3, 50, 50); // frame 1 is not empty, so stepping onto it copies nothing
    Hold(ScanF11);
    Cycles(2);
    Hold(ScanF7); // steps before F11 is looked at in the same cycle
    Cycle();
    ASSERT_EQ(editor.session.currentFrame, 1);
    ExpectFramesEqual(1, 0);
    PutJoint(1, 3, 50, 50);
    Cycle();
    EXPECT_EQ(JointAt(1, 3).state, JointNormal) << "the held key has fired";
}

// Toggles and the bone mode

TEST_F(CommandKeys, BoneModeCyclesThroughAllThreeKinds) {
    ASSERT_EQ(editor.session.boneMode, 1);
    Tap(ScanF2);
    EXPECT_EQ(editor.session.boneMode, 2);
    Tap(ScanF2);
    EXPECT_EQ(editor.session.boneMode, 0);
    Tap(ScanF2);
    EXPECT_EQ(editor.session.boneMode, 1);
}

TEST_F(CommandKeys, TogglesFlipAndTurnOddValuesIntoTheirRule) {
    struct Toggle {
        int32_t scanCode;
        int32_t* flag;
        int32_t fromOdd; // what a value other than 0 and 1 turns into
    };
    const std::vector<Toggle> toggles = {
        {ScanF1, &editor.session.helpVisible, 1},
        {ScanF3, &editor.animation.shadowOn, 0},
        {ScanF4, &editor.animation.collisionOn, 1},
        {ScanF5, &editor.animation.headOn, 1},
    };
    for (const Toggle& toggle : toggles) {
        *toggle.flag = 0;
        Tap(toggle.scanCode);
        EXPECT_EQ(*toggle.flag, 1) << "scan code " << toggle.scanCode;
        Tap(toggle.scanCode);
        EXPECT_EQ(*toggle.flag, 0) << "scan code " << toggle.scanCode;
        *toggle.flag = 5;
        Tap(toggle.scanCode);
        EXPECT_EQ(*toggle.flag, toggle.fromOdd) << "scan code " << toggle.scanCode;
        *toggle.flag = -1;
        Tap(toggle.scanCode);
        EXPECT_EQ(*toggle.flag, toggle.fromOdd) << "scan code " << toggle.scanCode;
    }
}

// Where the scene is too low for the help list, F1 steps through its pages, then hides it and
// shows it again from the first; the second page opens with the line that stood below the first
// page's last.
TEST_F(CommandKeys, F1StepsThroughTheHelpPagesWhereTheSceneIsTooLowForTheList) {
    // The overlay's rows from `top`, 12 of them, drawn alone.
    auto rows = [](int32_t top) {
        SurfaceClear(0);
        DrawEditorOverlay();
        std::vector<uint32_t> pixels;
        for (int32_t y = top; y < top + 12; ++y) {
            for (int32_t x = 0; x < 800; ++x) {
                pixels.push_back(static_cast<uint32_t>(SurfaceColourAt(x, y)));
            }
        }
        return pixels;
    };
    ASSERT_EQ(EditorHelpPageCount(), 1);
    const std::vector<uint32_t> lineAt300 = rows(300);
    ASSERT_NE(lineAt300, rows(590)) << "a line stands at y 300, where a page of 300 rows ends";

    editor.session.windowHeight = 300; // 23 lines end above it
    ASSERT_EQ(EditorHelpPageCount(), 2);
    const std::vector<uint32_t> firstLine = rows(24);
    struct Step {
        int32_t helpVisible;
        int32_t helpPage;
    };
    for (Step step : {Step{1, 1}, Step{0, 0}, Step{1, 0}, Step{1, 1}}) {
        Tap(ScanF1);
        EXPECT_EQ(editor.session.helpVisible, step.helpVisible);
        EXPECT_EQ(editor.session.helpPage, step.helpPage);
        if (step.helpVisible == 1) {
            EXPECT_EQ(rows(24), step.helpPage == 1 ? lineAt300 : firstLine);
        }
    }
    editor.session.windowHeight = 600; // the page shown now is beyond the last one
    EXPECT_EQ(rows(24), firstLine);
    Tap(ScanF1);
    EXPECT_EQ(editor.session.helpVisible, 0);
}

// Playback

constexpr uint32_t kLimePixel = 0xBBFF00;
constexpr int32_t kMarkColumn = 400;
constexpr int32_t kFirstMarkRow = 300;
constexpr int32_t kMarkSpacing = 20;
constexpr int32_t kMarkCount = 4;

class Playback : public CommandKeys {
  protected:
    // A standard bone across the middle of `frame`, at the height that stands for `mark`.
    static void MarkFrame(int32_t frame, int32_t mark) {
        int32_t saved = editor.session.currentFrame;
        editor.session.currentFrame = frame;
        int32_t y = kFirstMarkRow + mark * kMarkSpacing;
        int32_t left = AddJoint(300, y, JointNormal);
        int32_t right = AddJoint(500, y, JointNormal);
        AddBone(left, right, BoneStandard);
        editor.session.currentFrame = saved;
    }
    // Which mark a presented picture shows: -1 for none, -2 for more than one.
    static int32_t ShownMark(const HeadlessFrame& picture) {
        int32_t shown = -1;
        for (int32_t mark = 0; mark < kMarkCount; ++mark) {
            int32_t y = kFirstMarkRow + mark * kMarkSpacing;
            if (picture.pixels[static_cast<size_t>(y * picture.width + kMarkColumn)] ==
                kLimePixel) {
                shown = shown == -1 ? mark : -2;
            }
        }
        return shown;
    }
    static HeadlessInput F12Input(bool down) {
        HeadlessInput input;
        input.cursorX = 700;
        input.cursorY = 550;
        input.keys[ScanF12] = down ? 0x80 : 0;
        return input;
    }
};

TEST_F(Playback, ShowsFramesUpToPlaybackEndInACircleAndStopsOnANewPress) {
    for (int32_t frame = 0; frame < kMarkCount; ++frame) {
        MarkFrame(frame, frame);
    }
    MoveCursor(700, 550);
    Tap(ScanF7);
    Tap(ScanF7);
    Tap(ScanF7);
    ASSERT_EQ(editor.animation.playbackEnd, 3);
    HeadlessKeepFrames(16);
    int64_t before = HeadlessPresentCount();

    // Each present brings the next input: the starting press is held for two more passes, then
    // released for four, then pressed again.
    Hold(ScanF12);
    for (bool down : {true, true, false, false, false, false, true, true}) {
        HeadlessQueueInput(F12Input(down));
    }
    EXPECT_TRUE(Cycle());

    // Seven passes, the picture after playback, and the cycle's own picture.
    ASSERT_EQ(HeadlessPresentCount(), before + 9);
    const std::vector<HeadlessFrame>& frames = HeadlessFrames();
    ASSERT_GE(frames.size(), 9u);
    size_t firstPass = frames.size() - 9;
    std::vector<int32_t> shown;
    for (size_t index = firstPass; index < firstPass + 7; ++index) {
        shown.push_back(ShownMark(frames[index]));
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{0, 1, 2, 0, 1, 2, 0}));
    EXPECT_EQ(ShownMark(frames[firstPass + 7]), 0); // the editing picture of frame 0
    EXPECT_EQ(editor.session.currentFrame, 0);
    EXPECT_EQ(editor.session.playing, 0);
    EXPECT_EQ(editor.animation.playbackEnd, 3);

    // The press that stopped playback is still held: it starts nothing until released.
    int64_t afterStop = HeadlessPresentCount();
    Cycles(3);
    EXPECT_EQ(HeadlessPresentCount(), afterStop + 3);
    EXPECT_EQ(editor.session.playing, 0);
}

TEST_F(Playback, WithoutAnEndPlaybackWrapsToTheFirstFrameAfterTheLast) {
    MarkFrame(0, 0);
    MarkFrame(1, 1);
    MarkFrame(499, 2);
    MarkFrame(500, 3);
    ASSERT_EQ(editor.animation.playbackEnd, 0);
    HeadlessKeepFrames(8);

    // Passes 0 to 500 show frames 0 to 500; passes 501 to 503 frames 0, 1 and 2.
    MoveCursor(700, 550);
    Hold(ScanF12);
    HeadlessQueueInput(F12Input(true));
    for (int pass = 1; pass <= 502; ++pass) {
        HeadlessQueueInput(F12Input(false));
    }
    HeadlessQueueInput(F12Input(true));
    int64_t before = HeadlessPresentCount();
    Cycle();
    ASSERT_EQ(HeadlessPresentCount(), before + 506);

    const std::vector<HeadlessFrame>& frames = HeadlessFrames();
    ASSERT_EQ(frames.size(), 8u);
    std::vector<int32_t> shown;
    for (size_t index = 0; index < 6; ++index) {
        shown.push_back(ShownMark(frames[index]));
    }
    // Passes 498 to 503: frames 498 (unmarked), 499, 500, 0, 1 and 2 (unmarked).
    EXPECT_EQ(shown, (std::vector<int32_t>{-1, 2, 3, 0, 1, -1}));
    EXPECT_EQ(editor.session.currentFrame, 0);
}

TEST_F(Playback, EachPassShowsAGreyPlayMarkAndFrameNumberInsteadOfTheOverlay) {
    MarkFrame(1, 1);
    Tap(ScanF7);
    Tap(ScanF7);
    ASSERT_EQ(editor.animation.playbackEnd, 2);
    HeadlessKeepFrames(8);
    MoveCursor(700, 550);
    Hold(ScanF12);
    for (bool down : {true, false, true}) {
        HeadlessQueueInput(F12Input(down));
    }
    Cycle();
    // Three passes (frames 0, 1, 0), the picture after playback and the cycle's own picture.
    const std::vector<HeadlessFrame>& frames = HeadlessFrames();
    ASSERT_EQ(frames.size(), 8u);
    const HeadlessFrame pass = frames[frames.size() - 4]; // a copy: presenting again shifts them
    ASSERT_EQ(ShownMark(pass), 1);

    auto at = [&pass](int32_t x, int32_t y) {
        return pass.pixels[static_cast<size_t>(y * pass.width + x)];
    };
    // The outline of the triangle (10, 10), (35, 35), (10, 60): every corner and a point on each
    // side is grey, the inside keeps the background.
    constexpr uint32_t kGreyPixel = 0x9B9696;
    constexpr uint32_t kBackgroundPixel = 0x141414;
    for (auto [x, y] : {std::pair{10, 10},
                        {22, 22},
                        {34, 34},
                        {35, 35},
                        {20, 50},
                        {11, 59},
                        {10, 60},
                        {10, 35},
                        {10, 11}}) {
        EXPECT_EQ(at(x, y), kGreyPixel) << x << ", " << y;
    }
    EXPECT_EQ(at(20, 35), kBackgroundPixel);
    EXPECT_EQ(at(36, 36), kBackgroundPixel);
    EXPECT_EQ(at(10, 61), kBackgroundPixel);

    // "Frame 1" in grey at (10, 65) in the overlay font, compared with the same text drawn
    // directly; the overlay's lime frame line at (1, 1) and its command list are absent.
    SurfaceClear(PackColour(20, 20, 20));
    DrawingBegin(SurfaceDrawTarget());
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(FontHandle(editor.session.hudFont));
    DrawTextAt(10, 65, "Frame 1", PackColour(155, 150, 150));
    DrawingEnd();
    PresentSurface();
    const HeadlessFrame& expected = HeadlessFrames().back();
    int32_t textPixels = 0;
    for (int32_t y = 0; y < 100; ++y) {
        for (int32_t x = 0; x < 190; ++x) {
            size_t index = static_cast<size_t>(y * pass.width + x);
            // Around the triangle, whose pixels were checked above, only its grey may differ.
            bool besideTriangle = x <= 35 && y <= 60 && pass.pixels[index] == kGreyPixel;
            if (!besideTriangle) {
                ASSERT_EQ(pass.pixels[index], expected.pixels[index]) << x << ", " << y;
            }
            textPixels += expected.pixels[index] == kGreyPixel ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 20);
}

} // namespace

// In-betweens

// Whether the strip presented last shows the yellow mark of an untouched copy on the frame's cell.
bool MarkedAsCopy(int32_t frame) {
    const HeadlessFrame& shown = HeadlessFrames().back();
    int32_t cell =
        frame - StripFirstFrameFor(editor.session.currentFrame, editor.animation.maxFrame);
    int32_t x = 4 + 66 * cell + 56 + 3;
    return shown.pixels[static_cast<std::size_t>(606 + 3) * shown.width + x] == 0xFFC800u;
}

// From frame 0, a bone of 100 pixels from a pinned joint at (400, 300) pointing right, the rows
// step on with F7 and change the frames; then I is pressed on the last frame. The strip's mark
// promises no fill that I refuses.
TEST_F(CommandKeys, InbetweenKeyFillsOnlyTheUntouchedCopiesBeforeTheCurrentFrameOrChangesNoFrame) {
    struct Row {
        const char* name;
        int32_t steps;
        void (*change)();
        std::vector<int32_t> filled;
        bool copyBeforeMarked; // the strip marks the frame before as an untouched copy
    };
    const std::vector<Row> rows = {
        {"frame 1 posed, 2 and 3 its copies, one settled by a pixel, 4 posed",
         4,
         [] {
             JointAt(1, 1) = JointAt(3, 1) = Joint{480, 360, JointNormal};
             JointAt(2, 1) = Joint{481, 360, JointNormal};
             JointAt(4, 1) = Joint{400, 400, JointNormal};
         },
         {2, 3},
         true},
        {"copies jittered by +1 and -1 pixel, each within a pixel of the key pose",
         5,
         [] {
             JointAt(1, 1) = Joint{480, 360, JointNormal};
             JointAt(2, 1) = JointAt(4, 1) = Joint{481, 360, JointNormal};
             JointAt(3, 1) = Joint{479, 361, JointNormal};
             JointAt(5, 1) = Joint{400, 400, JointNormal};
         },
         {2, 3, 4},
         true},
        {"the key pose on frame 0, its copies jittered",
         3,
         [] {
             JointAt(1, 1) = Joint{501, 300, JointNormal};
             JointAt(2, 1) = Joint{499, 299, JointNormal};
             JointAt(3, 1) = Joint{400, 400, JointNormal};
         },
         {1, 2},
         true},
        {"a joint nudged by one pixel a frame",
         4,
         [] {
             for (int32_t frame = 1; frame <= 3; ++frame) {
                 JointAt(frame, 1) = Joint{480 + frame, 360, JointNormal};
             }
             JointAt(4, 1) = Joint{400, 400, JointNormal};
         },
         {},
         false},
        {"a copy two pixels from the key pose",
         3,
         [] {
             JointAt(1, 1) = Joint{480, 360, JointNormal};
             JointAt(2, 1) = Joint{482, 360, JointNormal};
             JointAt(3, 1) = Joint{400, 400, JointNormal};
         },
         {},
         false},
        {"at frame 0", 0, [] {}, {}, false},
        {"at frame 1", 1, [] {}, {}, false},
        {"the frame before is no copy", 2, [] { JointAt(1, 1).y = 305; }, {}, false},
        {"a joint pinned only now", 3, [] { JointAt(3, 1).state = JointStatic; }, {}, true},
        {"a bone of another kind", 3, [] { BoneAt(3, 0).kind = BoneFreeLength; }, {}, true},
        {"a bone more", 3, [] { AddBone(1, 0, BoneStandard); }, {}, true},
        {"a joint more", 3, [] { AddJoint(10, 10, JointNormal); }, {}, true},
    };
    auto frames = [] { // each frame's joints and bones, byte for byte
        std::vector<std::vector<char>> bytes;
        for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
            const auto* joints = reinterpret_cast<const char*>(&JointAt(frame, 0));
            const auto* bones = reinterpret_cast<const char*>(&BoneAt(frame, 0));
            bytes.emplace_back(joints, joints + kSlotCount * sizeof(Joint));
            bytes.back().insert(bytes.back().end(), bones, bones + kSlotCount * sizeof(Bone));
        }
        return bytes;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetAll();
        PutJoint(0, 0, 400, 300);
        JointAt(0, 0).state = JointStatic;
        PutJoint(0, 1, 500, 300);
        AddBone(0, 1, BoneStandard);
        for (int32_t step = 0; step < row.steps; ++step) {
            Tap(ScanF7);
        }
        row.change();
        Cycles(2); // the solver has nothing left to settle
        if (editor.session.currentFrame > 0) {
            EXPECT_EQ(MarkedAsCopy(editor.session.currentFrame - 1), row.copyBeforeMarked);
        }
        for (int32_t frame : row.filled) {
            EXPECT_TRUE(MarkedAsCopy(frame)) << "I fills frame " << frame << " unmarked";
        }
        std::vector<std::vector<char>> before = frames();
        HeadlessKeepFrames(8);
        int64_t presented = HeadlessPresentCount();
        Hold(ScanI); // held for three cycles, it fires once
        Cycles(3);
        Release(ScanI);
        Cycle();
        ASSERT_EQ(HeadlessPresentCount(), presented + 5) << "four cycles and one status line";
        std::vector<uint32_t> shown = HeadlessFrames()[HeadlessFrames().size() - 5].pixels;
        std::vector<std::vector<char>> after = frames();
        std::vector<int32_t> changed;
        for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
            if (after[frame] != before[frame]) {
                changed.push_back(frame);
            }
        }
        EXPECT_EQ(changed, row.filled);
        for (int32_t frame : row.filled) { // turning down towards (400, 400)
            EXPECT_LT(JointAt(frame - 1, 1).y, JointAt(frame, 1).y) << frame;
            EXPECT_LT(JointAt(frame, 1).y, JointAt(frame + 1, 1).y) << frame;
        }
        ShowStatusMessage(row.filled.empty() ? "Keine Zwischenbilder m\xf6glich"
                                             : "Zwischenbilder erstellt");
        ShowPendingStatusLines();
        EXPECT_EQ(shown, HeadlessFrames().back().pixels) << "the status line";
    }
}

namespace {

// Whether frames first to last hold the same bytes in both animations.
bool SameFrames(const Animation& one, const Animation& other, int32_t first, int32_t last) {
    std::size_t slots = static_cast<std::size_t>(last - first + 1) * kSlotCount;
    return std::memcmp(&one.JointAt(first, 0), &other.JointAt(first, 0), slots * sizeof(Joint)) ==
               0 &&
           std::memcmp(&one.BoneAt(first, 0), &other.BoneAt(first, 0), slots * sizeof(Bone)) == 0;
}

// Key poses on frames 0, 4, 8, 12 and 16 of a bone about a pinned joint, untouched copies between,
// frames 1 to 14 selected: I fills the three runs of copies within the selection, each between
// its own poses with the pen's easing, as one undo step; the run that reaches past it stays.
TEST_F(CommandKeys, InbetweenKeyFillsEveryRunOfCopiesWithinTheSelectionAsOneUndoStep) {
    const Joint poses[] = {{500, 300, JointNormal},
                           {400, 400, JointNormal},
                           {300, 300, JointNormal},
                           {400, 200, JointNormal},
                           {500, 300, JointNormal}};
    for (int32_t frame = 0; frame <= 16; ++frame) {
        JointAt(frame, 0) = Joint{400, 300, JointStatic};
        JointAt(frame, 1) = poses[frame / 4];
        BoneAt(frame, 0) = Bone{100.0, 0, 1, BoneStandard};
    }
    editor.session.currentFrame = 14;
    editor.session.selectionFirst = 1, editor.session.selectionLast = 14;
    Tap(ScanN), Tap(ScanN), Tap(ScanN); // Ein-Aus
    Animation before = editor.animation;
    Animation expected = editor.animation;
    for (int32_t key : {0, 4, 8}) {
        ASSERT_TRUE(FillInbetweens(expected, key, key + 4, 3));
    }
    std::size_t steps = UndoStepCount();
    Tap(ScanI);
    EXPECT_EQ(UndoStepCount(), steps + 1);
    EXPECT_TRUE(SameFrames(editor.animation, expected, 0, editor.animation.maxFrame));
    for (int32_t frame = 0; frame <= 16; ++frame) {
        EXPECT_EQ(SameFrames(editor.animation, before, frame, frame), frame >= 12 || frame % 4 == 0)
            << frame;
    }
    Hold(ScanLeftCtrl);
    Tap(ScanZ);
    Release(ScanLeftCtrl);
    EXPECT_TRUE(SameFrames(editor.animation, before, 0, editor.animation.maxFrame));
}

} // namespace
