// Mouse editing in scripted sessions: picking the joint under the cursor, dragging with the left
// button, bones with the right button, and the cursor-driven keys 1, Tab, Delete, left Shift,
// left Ctrl and W, each checked on the grids after whole main-loop cycles.
#include "editor/mouse_editing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

class MouseEditing : public ScriptedSession {
  protected:
    // A right-button gesture: pressed at `from`, released at `to`, one cycle at each end.
    static void DrawBone(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
        MoveCursor(fromX, fromY);
        SetButtons(kRightButton);
        Cycle();
        MoveCursor(toX, toY);
        Cycle();
        SetButtons(0);
        Cycle();
    }
    static double Distance(const Joint& joint, int32_t x, int32_t y) {
        return std::hypot(joint.x - x, joint.y - y);
    }
};

// Picking

TEST_F(MouseEditing, DragPickReachesRoundedNineteenButNotRoundedTwenty) {
    PlaceJoint(200, 200);
    MoveCursor(213, 214); // 19.1
    EXPECT_EQ(PickJoint(kDragPickRadius), 0);
    MoveCursor(187, 186); // 19.1 on the other side
    EXPECT_EQ(PickJoint(kDragPickRadius), 0);
    MoveCursor(214, 214); // 19.8 rounds to the radius itself
    EXPECT_EQ(PickJoint(kDragPickRadius), -1);

    SetButtons(kLeftButton);
    Cycle();
    EXPECT_EQ(editor.session.draggedJoint, -1);
    SetButtons(0);
    Cycle();
    MoveCursor(213, 214);
    SetButtons(kLeftButton);
    Cycle();
    EXPECT_EQ(editor.session.draggedJoint, 0);
    EXPECT_EQ(CurrentJoint(0).x, 213);
}

TEST_F(MouseEditing, EqualRoundedDistancesPickTheLowerSlotEvenWhenTheHigherIsTrulyNearer) {
    PlaceJoint(387, 286); // 19.1 from (400, 300)
    PlaceJoint(419, 300); // 19.0 from (400, 300)
    MoveCursor(400, 300);
    EXPECT_EQ(PickJoint(kDragPickRadius), 0);

    CurrentJoint(1).x = 418; // 18: now strictly nearer
    EXPECT_EQ(PickJoint(kDragPickRadius), 1);
}

TEST_F(MouseEditing, PickSkipsEmptySlotsAndJointsAtTheEndsOfTheCoordinateRange) {
    AddJoint(kInt32Min, kInt32Max, JointNormal);
    AddJoint(kInt32Max, kInt32Min, JointStatic);
    AddJoint(50, 50, JointNormal);
    AddJoint(52, 50, JointNormal);
    DeleteJoint(2); // its coordinates stay behind in the empty slot
    MoveCursor(50, 50);
    EXPECT_EQ(PickJoint(kDragPickRadius), 3);
    EXPECT_EQ(PickJoint(kInt32Max), 3);
}

// The left button

TEST_F(MouseEditing, DraggedJointWithoutBonesFollowsTheCursorExactly) {
    PlaceJoint(300, 300);
    MoveCursor(305, 308);
    SetButtons(kLeftButton);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 305);
    EXPECT_EQ(CurrentJoint(0).y, 308);
    MoveCursor(420, 350);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 420);
    EXPECT_EQ(CurrentJoint(0).y, 350);

    SetButtons(0);
    Cycle();
    EXPECT_EQ(editor.session.draggedJoint, -1);
    MoveCursor(500, 500);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 420);
    EXPECT_EQ(CurrentJoint(0).y, 350);
}

TEST_F(MouseEditing, CursorLeavingTheWindowPutsTheDraggedJointAtMinusOne) {
    PlaceJoint(300, 300);
    SetButtons(kLeftButton);
    Cycle();
    MoveCursor(-50, 100);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, -1);
    EXPECT_EQ(CurrentJoint(0).y, -1);
    MoveCursor(800, 10); // one past the right edge
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, -1);
    EXPECT_EQ(CurrentJoint(0).y, -1);
    MoveCursor(799, 599);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 799);
    EXPECT_EQ(CurrentJoint(0).y, 599);
}

TEST_F(MouseEditing, PressBesideAJointThenMovingOntoItDragsNothing) {
    PlaceJoint(300, 300);
    MoveCursor(340, 300);
    SetButtons(kLeftButton);
    Cycle();
    MoveCursor(300, 300);
    Cycle();
    MoveCursor(350, 360);
    Cycle();
    EXPECT_EQ(editor.session.draggedJoint, -1);
    EXPECT_EQ(CurrentJoint(0).x, 300);
    EXPECT_EQ(CurrentJoint(0).y, 300);
}

TEST_F(MouseEditing, PressOutsideTheWindowPicksNearMinusOne) {
    PlaceJoint(5, 5);   // 8.5 from (-1, -1)
    PlaceJoint(30, 30); // 43.8 from (-1, -1)
    MoveCursor(-40, 300);
    SetButtons(kLeftButton);
    Cycle();
    EXPECT_EQ(editor.session.draggedJoint, 0);
    EXPECT_EQ(CurrentJoint(0).x, -1);
    EXPECT_EQ(CurrentJoint(1).x, 30);
}

TEST_F(MouseEditing, DraggingAJointPullsItsPartnerThroughTheSolver) {
    PlaceJoint(300, 300);
    PlaceJoint(350, 300);
    DrawBone(300, 300, 350, 300);
    ASSERT_EQ(UsedBones(), 1);
    EXPECT_DOUBLE_EQ(CurrentBone(0).restLength, 50.0);

    MoveCursor(300, 300);
    SetButtons(kLeftButton);
    Cycle();
    MoveCursor(300, 400);
    Cycles(40);
    const Joint& partner = CurrentJoint(1);
    EXPECT_NEAR(Distance(partner, 300, 400), 50.0, 3.0);
    EXPECT_GT(partner.y, 340); // pulled down along with the dragged joint
    EXPECT_DOUBLE_EQ(CurrentBone(0).restLength, 50.0);
}

// The right button

class RightButtonBones : public MouseEditing {
  protected:
    void SetUp() override {
        MouseEditing::SetUp();
        // Far enough apart that every 80-pixel pick finds exactly one of them.
        PlaceJoint(100, 100);
        PlaceJoint(400, 100);
        PlaceJoint(100, 400);
        PlaceJoint(400, 400);
    }
};

TEST_F(RightButtonBones, PressOnOneJointAndReleaseOnAnotherMakesABoneOfTheCurrentMode) {
    DrawBone(110, 95, 395, 130);
    ASSERT_EQ(UsedBones(), 1);
    EXPECT_EQ(CurrentBone(0).jointA, 0);
    EXPECT_EQ(CurrentBone(0).jointB, 1);
    EXPECT_EQ(CurrentBone(0).kind, BoneStandard);
    EXPECT_DOUBLE_EQ(CurrentBone(0).restLength, 300.0);
    EXPECT_EQ(editor.session.boneStartJoint, -1);

    Tap(ScanF2); // Freie Länge
    DrawBone(400, 100, 400, 400);
    EXPECT_EQ(CurrentBone(1).jointA, 1);
    EXPECT_EQ(CurrentBone(1).jointB, 3);
    EXPECT_EQ(CurrentBone(1).kind, BoneFreeLength);
}

TEST_F(RightButtonBones, PressInEmptySpaceArmsOnTheFirstJointSweptOver) {
    MoveCursor(250, 250);
    SetButtons(kRightButton);
    Cycle();
    EXPECT_EQ(editor.session.boneStartJoint, -1);
    MoveCursor(130, 390);
    Cycle();
    EXPECT_EQ(editor.session.boneStartJoint, 2);
    MoveCursor(250, 390); // still held; the start stays
    Cycle();
    EXPECT_EQ(editor.session.boneStartJoint, 2);
    MoveCursor(400, 390);
    Cycle();
    SetButtons(0);
    Cycle();
    ASSERT_EQ(UsedBones(), 1);
    EXPECT_EQ(CurrentBone(0).jointA, 2);
    EXPECT_EQ(CurrentBone(0).jointB, 3);
}

TEST_F(RightButtonBones, ReleaseOnTheStartJointOrInEmptySpaceForgetsTheStart) {
    DrawBone(400, 100, 420, 140);
    EXPECT_EQ(UsedBones(), 0);
    EXPECT_EQ(editor.session.boneStartJoint, -1);

    DrawBone(400, 100, 250, 250);
    EXPECT_EQ(UsedBones(), 0);
    EXPECT_EQ(editor.session.boneStartJoint, -1);

    // A later release over another joint makes nothing either: the gesture has ended.
    MoveCursor(100, 400);
    Cycle();
    EXPECT_EQ(UsedBones(), 0);
}

TEST_F(RightButtonBones, DeletingTheStartJointEndsTheGesture) {
    MoveCursor(100, 100);
    SetButtons(kRightButton);
    Cycle();
    ASSERT_EQ(editor.session.boneStartJoint, 0);
    Tap(ScanDelete);
    EXPECT_EQ(editor.session.boneStartJoint, -1);
    MoveCursor(400, 100); // the sweep arms on this joint, and releasing on it makes nothing
    Cycle();
    SetButtons(0);
    Cycle();
    PlaceJoint(100, 100); // takes the deleted joint's slot 0
    EXPECT_EQ(UsedBones(), 0);
}

TEST_F(RightButtonBones, ASecondGestureBetweenLinkedJointsAddsASecondBone) {
    DrawBone(100, 100, 400, 100);
    DrawBone(400, 100, 100, 100);
    ASSERT_EQ(UsedBones(), 2);
    EXPECT_EQ(CurrentBone(1).jointA, 1);
    EXPECT_EQ(CurrentBone(1).jointB, 0);
    EXPECT_DOUBLE_EQ(CurrentBone(1).restLength, 300.0);
}

// Left Shift, left Ctrl and W

TEST_F(MouseEditing, LeftShiftStretchesBonesThatKeepTheirNewLengthAfterRelease) {
    PlaceJoint(300, 300);
    PlaceJoint(350, 300);
    DrawBone(300, 300, 350, 300);

    Hold(ScanLeftShift);
    MoveCursor(350, 300);
    SetButtons(kLeftButton);
    Cycle();
    EXPECT_EQ(editor.session.solverSuspended, 1);
    MoveCursor(450, 380);
    Cycle();
    Cycle(); // the re-measure runs before the move, so the length lags one cycle behind
    EXPECT_EQ(CurrentJoint(0).x, 300);
    EXPECT_EQ(CurrentJoint(0).y, 300);
    EXPECT_DOUBLE_EQ(CurrentBone(0).restLength, 170.0);

    SetButtons(0);
    Cycle();
    Release(ScanLeftShift);
    Cycles(5);
    EXPECT_EQ(editor.session.solverSuspended, 0);
    EXPECT_DOUBLE_EQ(CurrentBone(0).restLength, 170.0);
    EXPECT_EQ(CurrentJoint(0).x, 300);
    EXPECT_EQ(CurrentJoint(0).y, 300);
    EXPECT_EQ(CurrentJoint(1).x, 450);
    EXPECT_EQ(CurrentJoint(1).y, 380);
}

TEST_F(MouseEditing, LeftCtrlMovesEveryJointOfTheCurrentFrameByTheCursorDelta) {
    PlaceJoint(200, 200);
    PlaceJoint(260, 220);
    Tap(ScanF7); // frame 1, a copy of frame 0
    ASSERT_EQ(editor.session.currentFrame, 1);
    MoveCursor(260, 220);
    Tap(ScanTab); // static joints move too
    ASSERT_EQ(CurrentJoint(1).state, JointStatic);

    MoveCursor(400, 300);
    Cycle();
    Hold(ScanLeftCtrl);
    MoveCursor(410, 300);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 210);
    EXPECT_EQ(CurrentJoint(1).x, 270);
    MoveCursor(410, 290);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).y, 190);
    EXPECT_EQ(CurrentJoint(1).y, 210);
    EXPECT_EQ(JointAt(0, 0).x, 200);
    EXPECT_EQ(JointAt(0, 1).y, 220);

    MoveCursor(900, 300); // outside: the cursor reads -1, -1
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 210 - 411);
    EXPECT_EQ(CurrentJoint(0).y, 190 - 291);

    Release(ScanLeftCtrl);
    MoveCursor(100, 100);
    Cycle();
    EXPECT_EQ(CurrentJoint(0).x, 210 - 411);
}

TEST_F(MouseEditing, MovingAllJointsHoldsCoordinatesInsideTheInt32Range) {
    AddJoint(kInt32Max - 5, kInt32Min + 5, JointNormal);
    editor.session.lastMouseX = -1;
    editor.session.lastMouseY = 599;
    MoveCursor(799, 0);
    MoveAllJoints();
    EXPECT_EQ(CurrentJoint(0).x, kInt32Max);
    EXPECT_EQ(CurrentJoint(0).y, kInt32Min);
}

TEST_F(MouseEditing, HoldingWDrawsTheBoxAndReleasingSwitchesCollisionOn) {
    Tap(ScanF4);
    ASSERT_EQ(editor.animation.collisionOn, 1);
    MoveCursor(100, 100);
    Hold(ScanW);
    Cycle();
    EXPECT_EQ(editor.animation.collisionOn, 0);
    EXPECT_EQ(editor.session.drawingBox, 1);
    EXPECT_EQ(editor.animation.box.right, 100);
    MoveCursor(300, 250);
    Cycle();
    EXPECT_EQ(editor.animation.collisionOn, 0);
    Release(ScanW);
    Cycle();
    EXPECT_EQ(editor.animation.box, (Box{100, 100, 300, 250}));
    EXPECT_EQ(editor.animation.collisionOn, 1);
    EXPECT_EQ(editor.session.drawingBox, 0);
}

TEST_F(MouseEditing, BoxCollapsesToItsFirstCornerWhenTheCursorGoesAboveOrLeft) {
    MoveCursor(100, 100);
    Hold(ScanW);
    Cycle();
    MoveCursor(300, 250);
    Cycle();
    MoveCursor(50, 200);
    Cycle();
    EXPECT_EQ(editor.animation.box.right, 100);
    EXPECT_EQ(editor.animation.box.bottom, 100);
    MoveCursor(150, 90);
    Cycle();
    EXPECT_EQ(editor.animation.box.right, 100);
    EXPECT_EQ(editor.animation.box.bottom, 100);
    MoveCursor(300, 250);
    Cycle();
    EXPECT_EQ(editor.animation.box, (Box{100, 100, 300, 250}));
}

// The keys 1, Tab and Delete

TEST_F(MouseEditing, KeyOneAddsANormalJointAtTheCursorOrAtMinusOneOutside) {
    MoveCursor(123, 456);
    Tap(ScanKey1);
    EXPECT_EQ(CurrentJoint(0).state, JointNormal);
    EXPECT_EQ(CurrentJoint(0).x, 123);
    EXPECT_EQ(CurrentJoint(0).y, 456);
    MoveCursor(-30, 700);
    Tap(ScanKey1);
    EXPECT_EQ(CurrentJoint(1).state, JointNormal);
    EXPECT_EQ(CurrentJoint(1).x, -1);
    EXPECT_EQ(CurrentJoint(1).y, -1);
    EXPECT_EQ(UsedBones(), 0);
}

TEST_F(MouseEditing, TabPinsAndUnpinsTheJointUnderTheCursor) {
    PlaceJoint(200, 200);
    MoveCursor(210, 205);
    Tap(ScanTab);
    EXPECT_EQ(CurrentJoint(0).state, JointStatic);
    Tap(ScanTab);
    EXPECT_EQ(CurrentJoint(0).state, JointNormal);
    MoveCursor(300, 300);
    Tap(ScanTab);
    EXPECT_EQ(CurrentJoint(0).state, JointNormal);

    CurrentJoint(0).state = 5; // only a loaded file makes such a state
    MoveCursor(200, 200);
    Tap(ScanTab);
    EXPECT_EQ(CurrentJoint(0).state, JointNormal);
}

TEST_F(MouseEditing, DeleteRemovesTheJointUnderTheCursorWithItsBones) {
    PlaceJoint(100, 100);
    PlaceJoint(300, 100);
    PlaceJoint(100, 300);
    DrawBone(100, 100, 300, 100);
    DrawBone(100, 100, 100, 300);
    DrawBone(300, 100, 100, 300);
    ASSERT_EQ(UsedBones(), 3);

    MoveCursor(250, 250);
    Tap(ScanDelete);
    EXPECT_EQ(UsedJoints(), 3);

    MoveCursor(105, 100);
    Tap(ScanDelete);
    EXPECT_EQ(CurrentJoint(0).state, JointEmpty);
    EXPECT_EQ(UsedJoints(), 2);
    ASSERT_EQ(UsedBones(), 1);
    EXPECT_EQ(CurrentBone(2).jointA, 1);
    EXPECT_EQ(CurrentBone(2).jointB, 2);
    EXPECT_EQ(PickJoint(kDragPickRadius), -1);

    EXPECT_EQ(PlaceJoint(150, 150), 0); // the freed slot is taken first
}

// Gestures on a slow machine: a button or key goes down on the joint at (100, 100) of a figure
// of two (its partner at (140, 100), their centre at (120, 100)), and the pointer moves on before
// the cycle looks, far from any joint. The gesture starts where the button or key went down.
TEST_F(MouseEditing, PressAndMoveInOneCycleStartTheGestureWhereTheButtonOrKeyWentDown) {
    struct Row {
        const char* name;
        int32_t buttons;
        int32_t key; // -1: none
        int32_t movedX;
        int32_t movedY;
        int32_t joint0X; // where the joints stand after that cycle
        int32_t joint0Y;
        int32_t joint1X;
        int32_t joint1Y;
    };
    const Row rows[] = {
        {"middle button moves the figure", kMiddleButton, -1, 60, 130, 60, 130, 100, 130},
        {"left button drags the joint", kLeftButton, -1, 100, 160, 100, 160, 140, 100},
        {"S scales from the centre", 0, ScanS, 60, 100, 60, 100, 180, 100},
        {"D turns about the centre", 0, ScanD, 120, 80, 120, 80, 120, 120},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetAll();
        PlaceJoint(100, 100);
        PlaceJoint(140, 100);
        AddBone(0, 1, BoneFreeLength); // free length: the solver leaves the partner alone
        MoveCursor(100, 100);
        SetButtons(row.buttons);
        if (row.key >= 0) {
            Hold(row.key);
        }
        MoveCursor(row.movedX, row.movedY);
        Cycle();
        EXPECT_NEAR(CurrentJoint(0).x, row.joint0X, 1);
        EXPECT_NEAR(CurrentJoint(0).y, row.joint0Y, 1);
        EXPECT_NEAR(CurrentJoint(1).x, row.joint1X, 1);
        EXPECT_NEAR(CurrentJoint(1).y, row.joint1Y, 1);
        SetButtons(0);
        if (row.key >= 0) {
            Release(row.key);
        }
        Cycle();
    }

    ResetAll();
    PlaceJoint(100, 100);
    MoveCursor(100, 100);
    SetButtons(kRightButton);
    MoveCursor(400, 400);
    Cycle();
    EXPECT_EQ(editor.session.boneStartJoint, 0) << "the right button's bone starts at the joint";
    SetButtons(0);
    Cycle();

    // The strip's count is stepped by a press on it, though the pointer is back in the scene.
    MoveCursor(10, 690);
    int32_t onionBack = editor.session.onionBack;
    SetButtons(kLeftButton);
    MoveCursor(300, 300);
    Cycle();
    EXPECT_EQ(editor.session.onionBack, onionBack + 1);
    SetButtons(0);
    Cycle();
}

} // namespace
