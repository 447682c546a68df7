// The timeline on a scripted session: the frame edits through their keys and the strip's mouse,
// checked frame by frame against the order expected, then taken back and done again byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "editor/editor_picture.h"
#include "editor/status_line.h"
#include "editor/timeline.h"
#include "editor/undo_history.h"
#include "figure/timeline_strip.h"
#include "model/frame_range.h"
#include "runtime/picture_scaling.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

// Every frame's joints and bones as raw bytes.
using GridBytes = std::vector<std::vector<char>>;

GridBytes Grids() {
    GridBytes frames;
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        std::vector<char> bytes(sizeof(Joint) * kSlotCount + sizeof(Bone) * kSlotCount);
        std::memcpy(bytes.data(), &JointAt(frame, 0), sizeof(Joint) * kSlotCount);
        std::memcpy(bytes.data() + sizeof(Joint) * kSlotCount, &BoneAt(frame, 0),
                    sizeof(Bone) * kSlotCount);
        frames.push_back(std::move(bytes));
    }
    return frames;
}

// Frame `frame` of the animation as its own figure: a bone of rest length 50 whose joints stand
// at x = 100 + frame, so that the solver leaves it alone and each frame is told apart.
void PoseFrame(int32_t frame) {
    JointAt(frame, 0) = Joint{100 + frame, 100, JointNormal};
    JointAt(frame, 1) = Joint{100 + frame, 150, JointStatic};
    BoneAt(frame, 0) = Bone{50.0, 0, 1, BoneStandard};
}

enum class Action { Insert, Delete, PageUp, PageDown, Reverse, Drag, ShiftClick };

struct Row {
    const char* name;
    int32_t filledFirst; // frames filledFirst to filledLast hold figures, the rest nothing
    int32_t filledLast;
    int32_t current;
    int32_t selectionFirst; // -1: no selection
    int32_t selectionLast;
    Action action;
    int32_t dragTo; // Drag, ShiftClick: the frame of the cell dropped on or clicked
    int32_t shownFirst;
    std::vector<int32_t>
        shown; // which original frame each frame from shownFirst on holds (-1: none)
    int32_t currentAfter;
    bool refused;           // the status line "Kein Platz für weitere Bilder"
    bool stepFirst = false; // F7 is pressed before the action
};

std::vector<int32_t> Count(int32_t first, int32_t last) {
    std::vector<int32_t> frames;
    for (int32_t frame = first; frame <= last; ++frame) {
        frames.push_back(frame);
    }
    return frames;
}

class TimelineTest : public ScriptedSession {
  protected:
    static void PressKeyOf(Action action) {
        switch (action) {
        case Action::Insert:
            return Tap(ScanInsert);
        case Action::Delete:
            return Tap(ScanBackspace);
        case Action::PageUp:
            return Tap(ScanPageUp);
        case Action::PageDown:
            return Tap(ScanPageDown);
        case Action::Reverse:
            return Tap(ScanR);
        case Action::Drag:
        case Action::ShiftClick:
            return;
        }
    }
    // The middle of the strip's cell that shows `frame` now.
    static int32_t CellX(int32_t frame) {
        return 4 +
               66 * (frame -
                     StripFirstFrameFor(editor.session.currentFrame, editor.animation.maxFrame)) +
               32;
    }
    // Pressed on one cell, moved over another and released there.
    static void DragCell(int32_t from, int32_t to) {
        MoveCursor(CellX(from), 620);
        SetButtons(kLeftButton);
        Cycle();
        MoveCursor(CellX(to), 620);
        Cycle();
        SetButtons(0);
        Cycle();
    }
    static void Undo(char letter) {
        Hold(ScanLeftCtrl);
        Tap(ScanCodeOfLetter(letter));
        Release(ScanLeftCtrl);
        Cycle();
    }
};

TEST_F(TimelineTest, FrameEditsMoveWholeFramesAndAreTakenBackAndDoneAgainByteForByte) {
    const Row rows[] = {
        {"insert one frame",
         0,
         5,
         2,
         -1,
         -1,
         Action::Insert,
         0,
         0,
         {0, 1, 2, 2, 3, 4, 5},
         3,
         false},
        {"insert a selection",
         0,
         5,
         3,
         1,
         3,
         Action::Insert,
         0,
         0,
         {0, 1, 2, 3, 1, 2, 3, 4, 5},
         4,
         false},
        {"insert at frame 0", 0, 3, 0, -1, -1, Action::Insert, 0, 0, {0, 0, 1, 2, 3}, 1, false},
        {"insert refused when the last frame is used", 0, 500, 2, -1, -1, Action::Insert, 0, 0,
         Count(0, 500), 2, true},
        // clang-format off
        {"insert on frame 499 with frame 500 empty", 495, 499, 499, -1, -1, Action::Insert, 0,
         495, {495, 496, 497, 498, 499, 499}, 500, false},
        {"insert a selection whose copies end on frame 500", 493, 497, 497, 495, 497,
         Action::Insert, 0, 493, {493, 494, 495, 496, 497, 495, 496, 497}, 498, false},
        // clang-format on
        {"insert refused at frame 500", 495, 500, 500, -1, -1, Action::Insert, 0, 495,
         Count(495, 500), 500, true},
        {"insert refused when the copies would pass frame 500", 0, 3, 450, 400, 460, Action::Insert,
         0, 0, Count(0, 3), 450, true},
        {"delete one frame", 0, 5, 2, -1, -1, Action::Delete, 0, 0, {0, 1, 3, 4, 5, -1}, 2, false},
        {"delete a selection", 0, 5, 1, 1, 3, Action::Delete, 0, 0, {0, 4, 5, -1}, 1, false},
        {"delete at frame 0", 0, 3, 0, -1, -1, Action::Delete, 0, 0, {1, 2, 3, -1}, 0, false},
        {"delete at frame 500",
         495,
         500,
         500,
         -1,
         -1,
         Action::Delete,
         0,
         495,
         {495, 496, 497, 498, 499, -1},
         500,
         false},
        {"page up moves one frame earlier",
         0,
         5,
         3,
         -1,
         -1,
         Action::PageUp,
         0,
         0,
         {0, 1, 3, 2, 4, 5},
         2,
         false},
        {"page down moves a selection later",
         0,
         5,
         2,
         1,
         2,
         Action::PageDown,
         0,
         0,
         {0, 3, 1, 2, 4, 5},
         3,
         false},
        {"page up at frame 0 does nothing", 0, 3, 0, -1, -1, Action::PageUp, 0, 0, Count(0, 3), 0,
         false},
        {"page down at frame 500 does nothing", 495, 500, 500, -1, -1, Action::PageDown, 0, 495,
         Count(495, 500), 500, false},
        {"reverse a selection", 0, 5, 4, 1, 4, Action::Reverse, 0, 0, {0, 4, 3, 2, 1, 5}, 4, false},
        {"reverse without a selection does nothing", 0, 5, 2, -1, -1, Action::Reverse, 0, 0,
         Count(0, 5), 2, false},
        {"drag one frame later", 0, 5, 1, -1, -1, Action::Drag, 4, 0, {0, 2, 3, 4, 1, 5}, 4, false},
        {"drag a selection earlier",
         0,
         7,
         4,
         4,
         6,
         Action::Drag,
         1,
         0,
         {0, 4, 5, 6, 1, 2, 3, 7},
         1,
         false},
        // clang-format off
        {"shift click selects a later frame", 0, 5, 2, -1, -1, Action::ShiftClick, 5, 0,
         Count(0, 5), 5, false},
        {"shift click selects an earlier frame", 0, 5, 5, -1, -1, Action::ShiftClick, 1, 0,
         Count(0, 5), 1, false},
        {"F7 past a selection, then delete", 0, 5, 3, 1, 3, Action::Delete, 0, 0,
         {0, 1, 2, 3, 5, -1}, 4, false, true},
        {"F7 past a selection, then page up", 0, 5, 3, 1, 3, Action::PageUp, 0, 0,
         {0, 1, 2, 4, 3, 5}, 3, false, true},
        {"F7 past a selection, then reverse", 0, 5, 3, 1, 3, Action::Reverse, 0, 0,
         Count(0, 5), 4, false, true},
        // clang-format on
    };
    const GridBytes empty = Grids();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UndoClear();
        ClearSelection();
        for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
            std::memcpy(&JointAt(frame, 0), empty[frame].data(), sizeof(Joint) * kSlotCount);
            std::memcpy(&BoneAt(frame, 0), empty[frame].data() + sizeof(Joint) * kSlotCount,
                        sizeof(Bone) * kSlotCount);
        }
        for (int32_t frame = row.filledFirst; frame <= row.filledLast; ++frame) {
            PoseFrame(frame);
        }
        const GridBytes original = Grids();
        editor.session.currentFrame = row.current;
        editor.session.selectionFirst = row.selectionFirst;
        editor.session.selectionLast = row.selectionLast;
        HeadlessKeepFrames(8);
        int64_t slept = HeadlessSleptMicroseconds();
        if (row.stepFirst) {
            Tap(ScanF7);
        }
        if (row.action == Action::Drag) {
            DragCell(row.current, row.dragTo);
        } else if (row.action == Action::ShiftClick) {
            Hold(ScanLeftShift);
            DragCell(row.dragTo, row.dragTo);
            Release(ScanLeftShift);
            Cycle();
        } else {
            PressKeyOf(row.action);
        }
        const GridBytes after = Grids();
        for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
            int32_t index = frame - row.shownFirst;
            bool listed = index >= 0 && index < static_cast<int32_t>(row.shown.size());
            int32_t source = listed ? row.shown[index] : -1;
            ASSERT_EQ(after[frame], source < 0 ? empty[frame] : original[source])
                << "frame " << frame << " should hold " << source;
        }
        EXPECT_EQ(editor.session.currentFrame, row.currentAfter);
        if (row.action == Action::Drag) { // the dropped frames stay selected
            int32_t length =
                row.selectionFirst < 0 ? 1 : row.selectionLast - row.selectionFirst + 1;
            EXPECT_EQ(editor.session.selectionLast - editor.session.selectionFirst + 1, length)
                << row.name;
            EXPECT_TRUE(editor.session.currentFrame >= editor.session.selectionFirst &&
                        editor.session.currentFrame <= editor.session.selectionLast)
                << row.name;
        }
        if (row.action == Action::ShiftClick) { // from the current frame to the clicked one
            EXPECT_EQ(
                std::pair(editor.session.selectionFirst, editor.session.selectionLast),
                std::pair(std::min(row.current, row.dragTo), std::max(row.current, row.dragTo)));
        }
        bool refused = HeadlessSleptMicroseconds() - slept >= 500'000;
        EXPECT_EQ(refused, row.refused);
        if (row.refused) {
            std::vector<uint32_t> shown = HeadlessFrames()[HeadlessFrames().size() - 3].pixels;
            ShowStatusMessage("Kein Platz f\xfcr weitere Bilder");
            ShowPendingStatusLines();
            EXPECT_EQ(shown, HeadlessFrames().back().pixels) << "the status line";
        }
        bool changed = after != original;
        EXPECT_EQ(UndoStepCount(), changed ? 1U : 0U);
        Undo('Z');
        EXPECT_TRUE(Grids() == original) << "taken back";
        EXPECT_EQ(editor.session.currentFrame,
                  changed ? row.current + row.stepFirst : row.currentAfter);
        Undo('Y');
        EXPECT_TRUE(Grids() == after) << "done again";
        EXPECT_EQ(editor.session.currentFrame, row.currentAfter);
    }
}

} // namespace

namespace {

// The strip's counts and rate, clicked with either button; the wheel scrolls the row alone.
TEST_F(TimelineTest, CountsAndRateStepWithTheButtonsAndTheWheelScrollsTheRow) {
    struct Click {
        int32_t x;
        int32_t button;
        int32_t times;
        int32_t onionBack;
        int32_t onionAhead;
        int32_t rate;
    };
    const Click clicks[] = {
        {10, kLeftButton, 1, 2, 0, 40},   {10, kLeftButton, 9, 5, 0, 40},
        {10, kRightButton, 9, 0, 0, 40},  {200, kLeftButton, 2, 0, 2, 40},
        {200, kRightButton, 1, 0, 1, 40}, {300, kRightButton, 1, 0, 1, 30},
        {300, kRightButton, 3, 0, 1, 20}, {300, kLeftButton, 9, 0, 1, 40},
        {300, kRightButton, 20, 0, 1, 1},
    };
    for (const Click& click : clicks) {
        MoveCursor(click.x, 690);
        for (int32_t time = 0; time < click.times; ++time) {
            SetButtons(click.button);
            Cycle();
            SetButtons(0);
            Cycle();
        }
        EXPECT_EQ(editor.session.onionBack, click.onionBack);
        EXPECT_EQ(editor.session.onionAhead, click.onionAhead);
        EXPECT_EQ(editor.animation.playbackRate, click.rate);
    }
    editor.session.currentFrame = 40;
    MoveCursor(CellX(40), 620);
    HeadlessCurrentInput().wheel = -3; // towards the user: later frames
    Cycle();
    EXPECT_EQ(EditorStripView().firstFrame, 38);
    EXPECT_EQ(editor.session.currentFrame, 40);
    MoveCursor(4 + 32, 620); // the first cell
    SetButtons(kLeftButton);
    Cycle();
    SetButtons(0);
    Cycle();
    EXPECT_EQ(editor.session.currentFrame, 38);
    EXPECT_EQ(EditorStripView().firstFrame, 33) << "the row follows the current frame again";
}

// A window opened on a large display at twice the picture's size, the picture shown in sharp
// squares, a joint dragged through it, and the window resized to one and a half times.
TEST_F(TimelineTest, ScaledWindowShowsSharpSquaresAndMapsThePointerBack) {
    EditorShutdown();
    HeadlessReset();
    HeadlessSetDisplayArea(3840, 2100);
    char* argv[] = {program.data(), path.data(), nullptr};
    EditorStartup(2, argv);
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_EQ(HeadlessWindowSize(&width, &height), 1);
    EXPECT_EQ(width, 1600);
    EXPECT_EQ(height, 1400);
    MoveCursor(2 * 300, 2 * 330);
    Tap(ScanKey1);
    ASSERT_EQ(UsedJoints(), 1);
    EXPECT_EQ(CurrentJoint(0).x, 300);
    SetButtons(kLeftButton);
    Cycle();
    MoveCursor(2 * 500 + 1, 2 * 200 + 1);
    Cycle();
    SetButtons(0);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 500);
    EXPECT_EQ(CurrentJoint(0).y, 200);
    HeadlessFrame picture = HeadlessFrames().back();
    HeadlessFrame shown = HeadlessShownPicture();
    ASSERT_EQ(shown.width, 1600);
    bool squares = true;
    for (int32_t y = 0; y < shown.height; ++y) {
        for (int32_t x = 0; x < shown.width; ++x) {
            squares = squares && shown.pixels[y * shown.width + x] ==
                                     picture.pixels[y / 2 * picture.width + x / 2];
        }
    }
    EXPECT_TRUE(squares);

    HeadlessResizeWindow(1300, 1050); // 1.5 times: 1200 x 1050, a dark band of 50 each side
    Cycle();
    shown = HeadlessShownPicture();
    picture = HeadlessFrames().back();
    EXPECT_EQ(shown.pixels[550 * 1300 + 20], kDarkRest);
    EXPECT_EQ(shown.pixels[550 * 1300 + 1280], kDarkRest);
    EXPECT_EQ(shown.pixels[30 * 1300 + 650], picture.pixels[20 * 800 + 400]) << "background";
    MoveCursor(50 + 750, 300); // picture (500, 200)
    EXPECT_EQ(WindowCursorX(0), 500);
    EXPECT_EQ(WindowCursorY(0), 200);
    MoveCursor(20, 300);
    EXPECT_EQ(WindowCursorX(0), -1) << "over the dark band";
}

} // namespace

namespace {

// F12 with a selection plays the selected frames in a circle, pausing one frame's time at the
// strip's rate after each: 25 ms at 40 frames a second, as playback always paused.
TEST_F(TimelineTest, PlaybackLoopsTheSelectionAtTheStripsRate) {
    for (int32_t frame = 0; frame <= 3; ++frame) {
        PoseFrame(frame);
    }
    struct Rate {
        int32_t rate;
        int64_t pauseMicroseconds;
    };
    for (const Rate& row : {Rate{40, 25'000}, Rate{12, 83'333}, Rate{1, 1'000'000}}) {
        SCOPED_TRACE(row.rate);
        editor.animation.playbackRate = row.rate;
        editor.session.currentFrame = 1;
        editor.session.selectionFirst = 1;
        editor.session.selectionLast = 2;
        HeadlessKeepFrames(8);
        HeadlessInput input = HeadlessCurrentInput();
        input.keys[ScanF12] = 0x80;
        HeadlessCurrentInput() = input;
        HeadlessQueueInput(input);
        input.keys[ScanF12] = 0;
        for (int pass = 0; pass < 5; ++pass) {
            HeadlessQueueInput(input);
        }
        input.keys[ScanF12] = 0x80;
        HeadlessQueueInput(input);
        int64_t slept = HeadlessSleptMicroseconds();
        Cycle();
        // Seven passes, each with its pause; the frame pacing waits only for the two pictures
        // after them, at most 1/61 s each.
        int64_t total = HeadlessSleptMicroseconds() - slept;
        EXPECT_GE(total, 7 * row.pauseMicroseconds);
        EXPECT_LE(total, 7 * row.pauseMicroseconds + 2 * 16'400);
        // The last passes, each frame's bone at x = 100 + frame: frames 1, 2, 1, 2, 1, 2, 1.
        std::vector<int32_t> shown;
        const std::vector<HeadlessFrame>& frames = HeadlessFrames();
        for (std::size_t index = frames.size() - 8; index < frames.size() - 2; ++index) {
            int32_t which = -1;
            for (int32_t frame = 0; frame <= 3; ++frame) {
                if (frames[index].pixels[125 * 800 + 100 + frame] == 0xBBFF00) {
                    which = frame;
                }
            }
            shown.push_back(which);
        }
        EXPECT_EQ(shown, (std::vector<int32_t>{2, 1, 2, 1, 2, 1}));
        EXPECT_EQ(editor.session.currentFrame, 1) << "back on the selection's first frame";
        Release(ScanF12);
        Cycle();
    }
}

} // namespace
