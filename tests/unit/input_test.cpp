// Keyboard snapshots, the cursor in client coordinates and the mouse buttons, on the headless
// backend with input scripted cycle by cycle.
#include <gtest/gtest.h>

#include "runtime/headless.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "runtime/window.h"

namespace {

class InputTest : public testing::Test {
  protected:
    void SetUp() override {
        HeadlessReset();
        WindowSubsystemInit();
        SurfaceSubsystemInit();
        KeyboardInit();
        intptr_t window = WindowOpen(0, 10, 10, 800, 600, "input", 0xCA0000);
        ASSERT_EQ(SurfaceOpenInWindow(window, 0, 0, 800, 600, 1, 0, 0), 1);
    }
    void TearDown() override {
        SurfaceSubsystemShutdown();
        WindowSubsystemShutdown();
        KeyboardShutdown();
    }
};

TEST_F(InputTest, HeldKeyReadsDownEveryCycleWithoutRepeatOrEdge) {
    HeadlessSetKey(ScanF2, true);
    for (int cycle = 0; cycle < 5; ++cycle) {
        ASSERT_EQ(SampleKeyboard(), 1);
        EXPECT_EQ(IsKeyDown(0x3C), 0x80);
        EXPECT_EQ(IsKeyDown(ScanF3), 0);
        PresentSurface();
    }
}

TEST_F(InputTest, KeysReadUpBeforeTheFirstSample) {
    HeadlessSetKey(ScanEscape, true);
    EXPECT_EQ(IsKeyDown(ScanEscape), 0);
    EXPECT_EQ(IsKeyDown(-1), 0);
}

TEST_F(InputTest, AnyKeyQuestionLeavesOutScanCode0xFF) {
    HeadlessSetKey(0xFF, true);
    ASSERT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(0xFF), 0x80);
    EXPECT_EQ(IsKeyDown(-1), 0);
    HeadlessSetKey(0xFE, true);
    ASSERT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(-1), 1);
}

TEST_F(InputTest, ScanCodesOutsideTheSnapshotReadUp) {
    HeadlessSetKey(ScanEscape, true);
    ASSERT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(256), 0);
    EXPECT_EQ(IsKeyDown(-2), 0);
}

TEST_F(InputTest, UnfocusedWindowReadsEveryKeyUpUntilFocusReturns) {
    HeadlessSetKey(ScanEscape, true);
    ASSERT_EQ(SampleKeyboard(), 1);
    ASSERT_EQ(IsKeyDown(ScanEscape), 0x80);
    HeadlessCurrentInput().focused = false;
    EXPECT_EQ(SampleKeyboard(), 0);
    EXPECT_EQ(IsKeyDown(ScanEscape), 0);
    EXPECT_EQ(IsKeyDown(-1), 0);
    HeadlessCurrentInput().focused = true;
    EXPECT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(ScanEscape), 0x80);
}

TEST_F(InputTest, KeyboardAfterShutdownReadsNothing) {
    HeadlessSetKey(ScanTab, true);
    ASSERT_EQ(SampleKeyboard(), 1);
    KeyboardShutdown();
    EXPECT_EQ(SampleKeyboard(), 0);
    EXPECT_EQ(IsKeyDown(ScanTab), 0);
    KeyboardInit();
    EXPECT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(ScanTab), 0x80);
}

TEST_F(InputTest, ScriptedInputComesIntoForceAtTheNextPresent) {
    HeadlessInput next;
    next.keys[ScanX] = 0x80;
    HeadlessQueueInput(next);
    ASSERT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(ScanX), 0);
    PresentSurface();
    ASSERT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(ScanX), 0x80);
    PresentSurface(); // the queue is empty: the last state stays
    ASSERT_EQ(SampleKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(ScanX), 0x80);
}

TEST_F(InputTest, CursorInsideTheClientAreaReadsBothCoordinates) {
    HeadlessSetCursor(799, 599);
    EXPECT_EQ(WindowCursorX(0), 799);
    EXPECT_EQ(WindowCursorY(0), 599);
    HeadlessSetCursor(0, 0);
    EXPECT_EQ(WindowCursorX(0), 0);
    EXPECT_EQ(WindowCursorY(0), 0);
}

TEST_F(InputTest, CursorOutsideInEitherDirectionReadsMinusOneForBoth) {
    for (auto [x, y] : {std::pair{800, 10}, {10, 600}, {-1, 10}, {10, -1}}) {
        HeadlessSetCursor(x, y);
        EXPECT_EQ(WindowCursorX(0), -1) << x << ", " << y;
        EXPECT_EQ(WindowCursorY(0), -1) << x << ", " << y;
    }
}

TEST_F(InputTest, CursorOfAWindowThatDoesNotExistIsMinusOne) {
    HeadlessSetCursor(100, 100);
    EXPECT_EQ(WindowCursorX(1), -1);
    EXPECT_EQ(WindowCursorY(1), -1);
    WindowClose(0);
    EXPECT_EQ(WindowCursorX(0), -1);
    EXPECT_EQ(WindowCursorY(0), -1);
}

TEST_F(InputTest, ButtonsReadTheirOwnBitAlsoWithTheCursorOutside) {
    HeadlessSetCursor(900, 700);
    HeadlessSetButtons(1);
    EXPECT_NE(MouseButtonPressed(MouseLeft), 0);
    EXPECT_EQ(MouseButtonPressed(MouseRight), 0);
    HeadlessSetButtons(2);
    EXPECT_EQ(MouseButtonPressed(MouseLeft), 0);
    EXPECT_NE(MouseButtonPressed(MouseRight), 0);
    HeadlessSetButtons(3);
    EXPECT_EQ(MouseButtonPressed(3), 0);
    EXPECT_EQ(MouseButtonPressed(0), 0);
}

TEST_F(InputTest, ClickWithinOneCycleReadsDownOnceForItsButton) {
    HeadlessCurrentInput().presses = 2;
    EXPECT_EQ(MouseButtonPressed(MouseLeft), 0);
    EXPECT_NE(MouseButtonPressed(MouseRight), 0);
    EXPECT_EQ(MouseButtonPressed(MouseRight), 0);
    HeadlessCurrentInput().presses = 1;
    EXPECT_NE(MouseButtonPressed(MouseLeft), 0);
    EXPECT_EQ(MouseButtonPressed(MouseLeft), 0);
}

TEST_F(InputTest, ReleasedButtonReadsUpAtItsNextQuery) {
    HeadlessSetButtons(1);
    EXPECT_NE(MouseButtonPressed(MouseLeft), 0);
    EXPECT_EQ(MouseButtonPressed(MouseRight), 0);
    HeadlessSetButtons(0);
    EXPECT_EQ(MouseButtonPressed(MouseLeft), 0);
}

// A press keeps the place where its button or key went down while the pointer moves on: a held
// button until it is let go and a picture presented, a click until the picture after it, a key
// while it is held; outside the window it reads (-1, -1), and without a press the pointer now.
TEST_F(InputTest, PressPositionIsWhereTheButtonOrKeyWentDownWhileThePressLasts) {
    auto at = [](ClientPoint point) { return std::pair{point.x, point.y}; };
    HeadlessSetCursor(100, 200);
    EXPECT_EQ(at(MousePressPosition(0, MouseMiddle)), std::pair(100, 200)) << "no press";
    HeadlessSetButtons(MouseMiddle);
    HeadlessSetCursor(300, 400);
    HeadlessSetKey(ScanS, true);
    HeadlessSetCursor(500, 500);
    EXPECT_EQ(at(MousePressPosition(0, MouseMiddle)), std::pair(100, 200));
    EXPECT_EQ(at(MousePressPosition(0, MouseLeft)), std::pair(500, 500));
    EXPECT_EQ(at(KeyPressPosition(0, ScanS)), std::pair(300, 400));
    PresentSurface();
    EXPECT_EQ(at(MousePressPosition(0, MouseMiddle)), std::pair(100, 200)) << "still held";
    HeadlessSetButtons(0);
    HeadlessSetKey(ScanS, false);
    EXPECT_EQ(at(KeyPressPosition(0, ScanS)), std::pair(500, 500));
    PresentSurface();
    EXPECT_EQ(at(MousePressPosition(0, MouseMiddle)), std::pair(500, 500));

    HeadlessInput click = HeadlessCurrentInput();
    click.presses = MouseRight;
    click.movedAfterPress = true;
    click.pressX = 900; // outside the window
    click.pressY = 10;
    HeadlessQueueInput(click);
    PresentSurface();
    EXPECT_NE(MouseButtonPressed(MouseRight), 0);
    EXPECT_EQ(at(MousePressPosition(0, MouseRight)), std::pair(-1, -1));
    PresentSurface();
    EXPECT_EQ(at(MousePressPosition(0, MouseRight)), std::pair(500, 500)) << "the click is over";
}

} // namespace
