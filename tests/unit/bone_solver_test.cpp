// The bone solver on hand-computed frames: which joint moves for each pair of joint states, the
// rounding of every corrected coordinate, the order of bones and passes, the box collision, the
// bones it skips and the extreme values a loaded file could hold.
#include "figure/bone_solver.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/editor_state.h"
#include "support/editor_frames.h"

namespace {

using Point = std::pair<int32_t, int32_t>;

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

class BoneSolverTest : public testing::Test {
  protected:
    void SetUp() override { EditorStateInit(); }

    static void Place(int32_t slot, int32_t x, int32_t y, int8_t state = JointNormal) {
        Joint& joint = JointAt(editor.session.currentFrame, slot);
        joint.x = x;
        joint.y = y;
        joint.state = state;
    }

    static void Link(int32_t slot, int32_t jointA, int32_t jointB, double restLength,
                     int8_t kind = BoneStandard) {
        Bone& bone = BoneAt(editor.session.currentFrame, slot);
        bone.jointA = jointA;
        bone.jointB = jointB;
        bone.restLength = restLength;
        bone.kind = kind;
    }

    static Point At(int32_t slot) {
        const Joint& joint = JointAt(editor.session.currentFrame, slot);
        return {joint.x, joint.y};
    }

    static std::vector<unsigned char> JointRowBytes(int32_t frame) {
        std::vector<unsigned char> bytes(sizeof(Joint) * kSlotCount);
        std::memcpy(bytes.data(), &JointAt(frame, 0), bytes.size());
        return bytes;
    }

    static std::vector<unsigned char> BoneRowBytes(int32_t frame) {
        std::vector<unsigned char> bytes(sizeof(Bone) * kSlotCount);
        std::memcpy(bytes.data(), &BoneAt(frame, 0), bytes.size());
        return bytes;
    }
};

// --- Which joint moves, and by how much ---

TEST_F(BoneSolverTest, BoneAtItsRestLengthLeavesBothJointsInPlace) {
    Place(0, 3, 4);
    Place(1, 33, 44);
    Link(0, 0, 1, 50.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(3, 4));
    EXPECT_EQ(At(1), Point(33, 44));
}

TEST_F(BoneSolverTest, StretchedBoneBetweenMovableJointsMovesBothHalfway) {
    Place(0, 0, 0);
    Place(1, 10, 0);
    Link(0, 0, 1, 6.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(2, 0));
    EXPECT_EQ(At(1), Point(8, 0));
}

TEST_F(BoneSolverTest, CompressedBoneBetweenMovableJointsPushesBothApartHalfway) {
    Place(0, 0, 0);
    Place(1, 0, 10);
    Link(0, 0, 1, 14.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, -2));
    EXPECT_EQ(At(1), Point(0, 12));
}

TEST_F(BoneSolverTest, RestLengthZeroPullsBothJointsOntoTheMidpointWhereTheyStay) {
    Place(0, 0, 0);
    Place(1, 10, 0);
    Link(0, 0, 1, 0.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(5, 0));
    EXPECT_EQ(At(1), Point(5, 0));
}

TEST_F(BoneSolverTest, StaticFirstJointHoldsAndTheSecondTakesTheFullError) {
    Place(0, 100, 100, JointStatic);
    Place(1, 130, 140);
    Link(0, 0, 1, 25.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(100, 100));
    EXPECT_EQ(At(1), Point(115, 120));
}

TEST_F(BoneSolverTest, StaticSecondJointHoldsAndTheFirstTakesTheFullError) {
    Place(0, 130, 140);
    Place(1, 100, 100, JointStatic);
    Link(0, 0, 1, 25.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(115, 120));
    EXPECT_EQ(At(1), Point(100, 100));
}

TEST_F(BoneSolverTest, TwoStaticJointsWithNothingDraggedMoveTheSecondJoint) {
    Place(0, 0, 0, JointStatic);
    Place(1, 10, 0, JointStatic);
    Link(0, 0, 1, 6.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    EXPECT_EQ(At(1), Point(6, 0));
}

TEST_F(BoneSolverTest, TwoStaticJointsGiveWayAtTheFirstJointWhileItIsDragged) {
    Place(0, 0, 0, JointStatic);
    Place(1, 10, 0, JointStatic);
    Link(0, 0, 1, 6.0);
    editor.session.draggedJoint = 0;
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(4, 0));
    EXPECT_EQ(At(1), Point(10, 0));
}

TEST_F(BoneSolverTest, TwoStaticJointsMoveTheSecondWhenItOrAnUnrelatedJointIsDragged) {
    for (int32_t dragged : {1, 7}) {
        Place(0, 0, 0, JointStatic);
        Place(1, 10, 0, JointStatic);
        Link(0, 0, 1, 6.0);
        editor.session.draggedJoint = dragged;
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        EXPECT_EQ(At(0), Point(0, 0)) << "dragged " << dragged;
        EXPECT_EQ(At(1), Point(6, 0)) << "dragged " << dragged;
    }
}

TEST_F(BoneSolverTest, OnlyStateTwoCountsAsStatic) {
    // State 3 against a static joint: only the state-3 joint moves, by the full error.
    Place(0, 0, 0, 3);
    Place(1, 10, 0, JointStatic);
    Link(0, 0, 1, 6.0);
    // Two joints of state -2 with the first dragged: both movable, so both move halfway.
    Place(2, 0, 50, -2);
    Place(3, 10, 50, -2);
    Link(1, 2, 3, 6.0);
    editor.session.draggedJoint = 2;
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(4, 0));
    EXPECT_EQ(At(1), Point(10, 0));
    EXPECT_EQ(At(2), Point(2, 50));
    EXPECT_EQ(At(3), Point(8, 50));
}

TEST_F(BoneSolverTest, DraggedMovableJointIsCorrectedLikeAnyOther) {
    Place(0, 0, 0);
    Place(1, 10, 0);
    Link(0, 0, 1, 6.0);
    editor.session.draggedJoint = 1;
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(2, 0));
    EXPECT_EQ(At(1), Point(8, 0));
}

TEST_F(BoneSolverTest, DraggedJointIsPutBackOntoTheCircleAroundItsStaticPartner) {
    Place(0, 400, 300, JointStatic);
    Link(0, 0, 1, 50.0);
    editor.session.draggedJoint = 1;
    Place(1, 460, 380); // the mouse, 100 away down to the right
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(1), Point(430, 340));
    Place(1, 310, 420); // the mouse, 150 away down to the left
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(1), Point(370, 340));
    EXPECT_EQ(At(0), Point(400, 300));
}

// --- Rounding ---

TEST_F(BoneSolverTest, ExactHalfPixelSumsRoundToTheEvenNeighbour) {
    Place(0, 0, 0); // 2.5 for both ends
    Place(1, 5, 0);
    Place(2, 0, 10); // 3.5 for both ends
    Place(3, 7, 10);
    Place(4, -5, 20); // -2.5 for both ends
    Place(5, 0, 20);
    Place(6, 30, 1); // y 2.5 for both ends
    Place(7, 30, 4);
    for (int32_t bone = 0; bone < 4; ++bone) {
        Link(bone, 2 * bone, 2 * bone + 1, 0.0);
    }
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(2, 0));
    EXPECT_EQ(At(1), Point(2, 0));
    EXPECT_EQ(At(2), Point(4, 10));
    EXPECT_EQ(At(3), Point(4, 10));
    EXPECT_EQ(At(4), Point(-2, 20));
    EXPECT_EQ(At(5), Point(-2, 20));
    EXPECT_EQ(At(6), Point(30, 2));
    EXPECT_EQ(At(7), Point(30, 2));
}

TEST_F(BoneSolverTest, TheWholeSumIsRoundedNotTheShiftAlone) {
    // Both ends get 3.5; rounding the shift 2.5 alone would leave the first joint at 1 + 2 = 3.
    Place(0, 1, 0);
    Place(1, 6, 0);
    Link(0, 0, 1, 0.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(4, 0));
    EXPECT_EQ(At(1), Point(4, 0));
}

TEST_F(BoneSolverTest, CorrectionsBelowHalfAPixelAreLost) {
    Place(0, 0, 0); // stretched by 0.4, two movable ends
    Place(1, 10, 0);
    Link(0, 0, 1, 9.6);
    Place(2, 0, 20, JointStatic); // stretched by 0.4, one movable end
    Place(3, 10, 20);
    Link(1, 2, 3, 9.6);
    Place(4, 50, 0, JointStatic); // compressed by 0.4 vertically
    Place(5, 50, 10);
    Link(2, 4, 5, 10.4);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    EXPECT_EQ(At(1), Point(10, 0));
    EXPECT_EQ(At(3), Point(10, 20));
    EXPECT_EQ(At(5), Point(50, 10));
}

TEST_F(BoneSolverTest, CorrectionsAboveHalfAPixelAreKept) {
    Place(0, 0, 20, JointStatic);
    Place(1, 10, 20);
    Link(0, 0, 1, 9.4);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(1), Point(9, 20));
}

TEST_F(BoneSolverTest, ChainSettlesThroughExactHalfPixelTiesRoundedToEven) {
    // Hand-computed: 45 and 15 -> 10; 42.5 -> 42 and 12.5 -> 12 -> 10; 41 and 11 -> 10;
    // 40.5 -> 40 and 10.5 -> 10. Rounding ties upwards would stop at 41.
    Place(0, 0, 0, JointStatic);
    Place(1, 20, 0);
    Place(2, 40, 0);
    Link(0, 1, 2, 30.0);
    Link(1, 0, 1, 10.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    EXPECT_EQ(At(1), Point(10, 0));
    EXPECT_EQ(At(2), Point(40, 0));
}

// --- Order of bones and passes ---

TEST_F(BoneSolverTest, EachBoneSeesThePositionsLeftByTheBonesBeforeIt) {
    // The first bone pulls joint 1 to 10, so the second bone finds itself at rest: 40 stays.
    Place(0, 0, 0, JointStatic);
    Place(1, 20, 0);
    Place(2, 40, 0);
    Link(0, 0, 1, 10.0);
    Link(1, 1, 2, 30.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(1), Point(10, 0));
    EXPECT_EQ(At(2), Point(40, 0));
}

TEST_F(BoneSolverTest, TheLaterBoneSlotHasTheLastWordInEachPass) {
    // A movable joint between two static ones that cannot both be satisfied.
    for (int32_t frame : {0, 1}) {
        editor.session.currentFrame = frame;
        Place(0, 0, 0, JointStatic);
        Place(1, 15, 0);
        Place(2, 30, 0, JointStatic);
    }
    editor.session.currentFrame = 0;
    Link(0, 0, 1, 10.0);
    Link(1, 1, 2, 10.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    editor.session.currentFrame = 1;
    Link(0, 1, 2, 10.0);
    Link(1, 0, 1, 10.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(JointAt(0, 1).x, 20);
    EXPECT_EQ(JointAt(1, 1).x, 10);
}

TEST_F(BoneSolverTest, ElevenPassesCarryACorrectionElevenBonesDownAChainSolvedFromItsFarEnd) {
    // Static joints 0 to 13 ten apart, each bone moving its second joint; slot 0 holds the far
    // end, so the lengthened first bone pushes one more joint along in every pass.
    constexpr int32_t kLastJoint = 13;
    for (int32_t joint = 0; joint <= kLastJoint; ++joint) {
        Place(joint, 10 * joint, 0, JointStatic);
    }
    for (int32_t slot = 0; slot < kLastJoint; ++slot) {
        int32_t first = kLastJoint - 1 - slot;
        Link(slot, first, first + 1, first == 0 ? 11.0 : 10.0);
    }
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    for (int32_t joint = 1; joint <= 11; ++joint) {
        EXPECT_EQ(At(joint), Point(10 * joint + 1, 0)) << "joint " << joint;
    }
    EXPECT_EQ(At(12), Point(120, 0));
    EXPECT_EQ(At(13), Point(130, 0));
}

TEST_F(BoneSolverTest, BoneAndJointsInTheLastSlotsAreSolved) {
    Place(499, 0, 0);
    Place(500, 10, 0);
    Link(500, 499, 500, 6.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(499), Point(2, 0));
    EXPECT_EQ(At(500), Point(8, 0));
}

TEST_F(BoneSolverTest, SolverWritesOnlyTheJointsOfTheCurrentFrame) {
    for (int32_t frame : {6, 7, 8}) {
        editor.session.currentFrame = frame;
        Place(0, 0, 0);
        Place(1, 900, 900, JointStatic);
        Link(0, 0, 1, 6.0);
    }
    editor.session.currentFrame = 7;
    editor.animation.collisionOn = 1;
    std::vector<unsigned char> previousRow = JointRowBytes(6);
    std::vector<unsigned char> nextRow = JointRowBytes(8);
    std::vector<unsigned char> bones = BoneRowBytes(7);
    std::vector<unsigned char> record(sizeof(EditorState));
    std::memcpy(record.data(), &editor, record.size());
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_NE(At(0), Point(0, 0));
    EXPECT_EQ(JointRowBytes(6), previousRow);
    EXPECT_EQ(JointRowBytes(8), nextRow);
    EXPECT_EQ(BoneRowBytes(7), bones);
    EXPECT_EQ(std::memcmp(record.data(), &editor, record.size()), 0);
}

// --- The box ---

TEST_F(BoneSolverTest, CollisionClampsEveryUsedJointIntoTheShrunkBox) {
    editor.animation.collisionOn = 1;
    Place(0, 900, 500);
    Place(1, -20, -30, JointStatic);
    Place(2, 300, 1000, 7);
    Place(3, 900, 900, JointEmpty);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(595, 445));
    EXPECT_EQ(At(1), Point(205, 155));
    EXPECT_EQ(At(2), Point(300, 445));
    EXPECT_EQ(At(3), Point(900, 900));
}

TEST_F(BoneSolverTest, CollisionRunsOnlyWhileTheFlagIsExactlyOne) {
    Place(0, 900, 500);
    for (int32_t flag : {0, 5, -1}) {
        editor.animation.collisionOn = flag;
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        EXPECT_EQ(At(0), Point(900, 500)) << "collisionOn " << flag;
    }
    editor.animation.collisionOn = 1;
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(595, 445));
}

TEST_F(BoneSolverTest, CollisionIsNotAppliedAfterTheLastPass) {
    // Every pass clamps the joint back to 595 and the bone pushes it out to 700 again.
    editor.animation.collisionOn = 1;
    Place(0, 300, 300, JointStatic);
    Place(1, 310, 300);
    Link(0, 0, 1, 400.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(300, 300));
    EXPECT_EQ(At(1), Point(700, 300));
}

TEST_F(BoneSolverTest, BoxNarrowerThanTenPixelsLeavesJointsAtTheLeftAndTopInnerEdges) {
    editor.animation.box.left = 300;
    editor.animation.box.top = 200;
    editor.animation.box.right = 306;
    editor.animation.box.bottom = 204;
    Place(0, 0, 0);
    Place(1, 400, 400);
    Place(2, 302, 202);
    ApplyBoxCollision(editor.animation, editor.session.currentFrame);
    EXPECT_EQ(At(0), Point(305, 205));
    EXPECT_EQ(At(1), Point(305, 205));
    EXPECT_EQ(At(2), Point(305, 205));
}

TEST_F(BoneSolverTest, BoxOfZeroWidthPutsEveryJointFiveRightOfIt) {
    editor.animation.box.left = 300;
    editor.animation.box.right = 300;
    Place(0, 0, 300);
    Place(1, 800, 300);
    ApplyBoxCollision(editor.animation, editor.session.currentFrame);
    EXPECT_EQ(At(0), Point(305, 300));
    EXPECT_EQ(At(1), Point(305, 300));
}

TEST_F(BoneSolverTest, BoxEdgesAtTheEndsOfTheIntegerRangeDoNotWrap) {
    editor.animation.box.left = std::numeric_limits<int32_t>::max();
    editor.animation.box.top = std::numeric_limits<int32_t>::max();
    editor.animation.box.right = std::numeric_limits<int32_t>::min();
    editor.animation.box.bottom = std::numeric_limits<int32_t>::min();
    Place(0, 0, 0);
    ApplyBoxCollision(editor.animation, editor.session.currentFrame);
    EXPECT_EQ(At(0),
              Point(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()));
}

TEST_F(BoneSolverTest, BoxCollisionTouchesOnlyTheCurrentFrame) {
    editor.session.currentFrame = 1;
    Place(0, 900, 900);
    editor.session.currentFrame = 2;
    Place(0, 900, 900);
    std::vector<unsigned char> otherRow = JointRowBytes(1);
    ApplyBoxCollision(editor.animation, editor.session.currentFrame);
    EXPECT_EQ(At(0), Point(595, 445));
    EXPECT_EQ(JointRowBytes(1), otherRow);
}

// --- Bones that are skipped ---

TEST_F(BoneSolverTest, FreeLengthBonesNeverMoveTheirJoints) {
    Place(0, 0, 0);
    Place(1, 1000, 0);
    Link(0, 0, 1, 5.0, BoneFreeLength);
    Place(2, 0, 0, JointStatic);
    Place(3, 0, 700, JointStatic);
    Link(1, 2, 3, 5.0, BoneFreeLength);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    EXPECT_EQ(At(1), Point(1000, 0));
    EXPECT_EQ(At(3), Point(0, 700));
}

TEST_F(BoneSolverTest, StabilisingAndUnknownKindsAreSolvedLikeStandardBones) {
    const int8_t kinds[] = {BoneStabilising, 7, -1, 3};
    for (int32_t index = 0; index < 4; ++index) {
        Place(2 * index, 0, 30 * index);
        Place(2 * index + 1, 10, 30 * index);
        Link(index, 2 * index, 2 * index + 1, 6.0, kinds[index]);
    }
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    for (int32_t index = 0; index < 4; ++index) {
        EXPECT_EQ(At(2 * index), Point(2, 30 * index)) << "kind " << int32_t{kinds[index]};
        EXPECT_EQ(At(2 * index + 1), Point(8, 30 * index)) << "kind " << int32_t{kinds[index]};
    }
}

TEST_F(BoneSolverTest, BoneSlotsWithAFreeEndAreSkipped) {
    Place(0, 0, 0);
    Place(1, 10, 0);
    Link(0, -1, 1, 6.0);
    Link(1, 0, -1, 6.0);
    Link(2, -5, -5, 6.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    EXPECT_EQ(At(1), Point(10, 0));
}

TEST_F(BoneSolverTest, BoneNamingASlotBeyondTheFrameIsSkipped) {
    // Slot 501 of frame 3 would be slot 0 of frame 4.
    editor.session.currentFrame = 4;
    Place(0, 10, 0);
    editor.session.currentFrame = 3;
    Place(0, 0, 0);
    Link(0, 0, 501, 6.0);
    Link(1, 501, 0, 6.0);
    Link(2, 0, std::numeric_limits<int32_t>::max(), 6.0);
    std::vector<unsigned char> nextRow = JointRowBytes(4);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    EXPECT_EQ(JointRowBytes(4), nextRow);
}

TEST_F(BoneSolverTest, BoneToAnEmptyJointSlotMovesItsStoredCoordinates) {
    Place(0, 0, 0);
    Place(1, 10, 0, JointEmpty);
    Link(0, 0, 1, 6.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(2, 0));
    EXPECT_EQ(At(1), Point(8, 0));
    EXPECT_EQ(JointAt(0, 1).state, JointEmpty);
}

TEST_F(BoneSolverTest, JointsOnOnePixelAreLeftUncorrectedWhileLaterBonesStillWork) {
    Place(0, 5, 5);
    Place(1, 5, 5);
    Link(0, 0, 1, 10.0);
    Link(1, 0, 0, 10.0);
    Place(2, 100, 100, JointStatic);
    Place(3, 100, 100, JointStatic);
    Link(2, 2, 3, 10.0);
    Place(4, 0, 50);
    Place(5, 10, 50);
    Link(3, 4, 5, 6.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(5, 5));
    EXPECT_EQ(At(1), Point(5, 5));
    EXPECT_EQ(At(3), Point(100, 100));
    EXPECT_EQ(At(4), Point(2, 50));
    EXPECT_EQ(At(5), Point(8, 50));
}

// --- Values only a damaged file can hold ---

TEST_F(BoneSolverTest, NonFiniteRestLengthsLeaveTheJointsInPlace) {
    const double restLengths[] = {kNotANumber, kInfinity, -kInfinity};
    for (int32_t index = 0; index < 3; ++index) {
        Place(2 * index, 0, 40 * index);
        Place(2 * index + 1, 30, 40 * index + 40);
        Link(index, 2 * index, 2 * index + 1, restLengths[index]);
    }
    Place(6, 0, 500, JointStatic);
    Place(7, 0, 510);
    Link(3, 6, 7, kInfinity);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    for (int32_t index = 0; index < 3; ++index) {
        EXPECT_EQ(At(2 * index), Point(0, 40 * index)) << restLengths[index];
        EXPECT_EQ(At(2 * index + 1), Point(30, 40 * index + 40)) << restLengths[index];
    }
    EXPECT_EQ(At(7), Point(0, 510));
}

TEST_F(BoneSolverTest, HugeRestLengthsPinJointsToTheEndsOfTheIntegerRange) {
    constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
    constexpr int32_t kHighest = std::numeric_limits<int32_t>::max();
    Place(0, 0, 0);
    Place(1, 10, 0);
    Link(0, 0, 1, 1e300);
    Place(2, 0, 100, JointStatic);
    Place(3, 0, 90);
    Link(1, 2, 3, std::numeric_limits<double>::max());
    Place(4, 50, 50);
    Place(5, 60, 60);
    Link(2, 4, 5, -1e300);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(kLowest, 0));
    EXPECT_EQ(At(1), Point(kHighest, 0));
    EXPECT_EQ(At(2), Point(0, 100));
    EXPECT_EQ(At(3), Point(0, kLowest));
    // Pushed through each other to opposite ends, swapping sides in every pass.
    EXPECT_EQ(At(4), Point(kHighest, kHighest));
    EXPECT_EQ(At(5), Point(kLowest, kLowest));
}

TEST_F(BoneSolverTest, JointsAtOppositeEndsOfTheIntegerRangeMeetInTheMiddle) {
    // dx = 2^32 - 1 does not fit an int32; each end moves by 2147483647.5 to -0.5, which rounds to
    // 0.
    Place(0, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    Place(1, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min());
    Link(0, 0, 1, 0.0);
    SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    EXPECT_EQ(At(0), Point(0, 0));
    EXPECT_EQ(At(1), Point(0, 0));
}

// --- Random frames: thousands of frames with anything a file or the mouse could leave ---

constexpr int32_t kLowestCoordinate = std::numeric_limits<int32_t>::min();
constexpr int32_t kHighestCoordinate = std::numeric_limits<int32_t>::max();

class RandomFrames {
  public:
    explicit RandomFrames(uint32_t seed) : generator(seed) {}

    int64_t Between(int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(generator);
    }
    bool Chance(int32_t percent) { return Between(0, 99) < percent; }

    // Screen pixels mostly, sometimes far away, sometimes anywhere in the int32 range.
    int32_t Coordinate(int64_t reach) {
        int32_t percent = static_cast<int32_t>(Between(0, 99));
        int64_t limit = percent < 60 ? 0 : percent < 80 ? 1000000 : reach;
        return static_cast<int32_t>(limit == 0 ? Between(-100, 900) : Between(-limit, limit));
    }

    int8_t State() {
        int32_t percent = static_cast<int32_t>(Between(0, 99));
        if (percent < 30) {
            return JointEmpty;
        }
        if (percent < 70) {
            return JointNormal;
        }
        if (percent < 90) {
            return JointStatic;
        }
        return static_cast<int8_t>(Between(-128, 127));
    }

    int32_t JointSlot() { return static_cast<int32_t>(Between(0, kSlotCount - 1)); }

    double RestLength(int32_t jointA, int32_t jointB, bool finiteOnly) {
        const Joint& a = JointAt(editor.session.currentFrame, jointA);
        const Joint& b = JointAt(editor.session.currentFrame, jointB);
        double measured =
            std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
        int32_t percent = static_cast<int32_t>(Between(0, 99));
        if (percent < 30) {
            return measured;
        }
        if (percent < 60) {
            return measured * std::uniform_real_distribution<double>(0.5, 1.5)(generator);
        }
        if (percent < 90 || finiteOnly) {
            return std::uniform_real_distribution<double>(0.0, 1000.0)(generator);
        }
        const double extremes[] = {
            0.0,       -5.0,       1e300,  -1e300,       kNotANumber,
            kInfinity, -kInfinity, 1e-300, 4294967296.0, std::numeric_limits<double>::max()};
        return extremes[Between(0, 9)];
    }

    int8_t Kind() {
        int32_t percent = static_cast<int32_t>(Between(0, 99));
        return percent < 80 ? static_cast<int8_t>(Between(0, 2))
                            : static_cast<int8_t>(Between(-128, 127));
    }

    // A bone the solver must skip: free or half-free slot, a slot beyond the frame, free length,
    // or a joint linked to itself.
    void Junk(Bone& bone) {
        int32_t outside = static_cast<int32_t>(Between(kSlotCount, kHighestCoordinate));
        switch (Between(0, 4)) {
        case 0:
            bone = {RestLength(JointSlot(), JointSlot(), false), -1, -1, Kind()};
            break;
        case 1:
            bone = {5.0, Chance(50) ? -1 : JointSlot(), static_cast<int32_t>(Between(-50, -1)), 1};
            break;
        case 2:
            bone = Chance(50) ? Bone{5.0, JointSlot(), outside, 1} : Bone{5.0, outside, 0, 0};
            break;
        case 3:
            bone = {1.0, JointSlot(), JointSlot(), BoneFreeLength};
            break;
        default:
            int32_t joint = JointSlot();
            bone = {RestLength(joint, joint, false), joint, joint, Kind()};
        }
    }

    void FillJoints(int64_t reach) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            Joint& joint = JointAt(editor.session.currentFrame, slot);
            joint.x = Coordinate(reach);
            joint.y = Coordinate(reach);
            joint.state = State();
        }
    }

    // Solvable bones in about half the slots, the rest free; junk in some free slots if asked.
    void FillBones(int32_t junkPercent, bool finiteOnly) {
        int32_t used = static_cast<int32_t>(Between(0, 60));
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            Bone& bone = BoneAt(editor.session.currentFrame, slot);
            bone = {0.0, -1, -1, 0};
            if (Chance(used)) {
                int32_t jointA = JointSlot();
                int32_t jointB = JointSlot();
                int8_t kind = Kind();
                if (kind == BoneFreeLength) {
                    kind = BoneStandard;
                }
                bone = {RestLength(jointA, jointB, finiteOnly), jointA, jointB, kind};
            } else if (Chance(junkPercent)) {
                Junk(bone);
            }
        }
    }

    void ChooseSettings() {
        editor.session.currentFrame = static_cast<int32_t>(Between(0, 500));
        editor.session.draggedJoint = Chance(50) ? -1 : JointSlot();
        const int32_t flags[] = {0, 1, 1, 5};
        editor.animation.collisionOn = flags[Between(0, 3)];
        int32_t percent = static_cast<int32_t>(Between(0, 99));
        if (percent < 40) {
            return; // the start-up box
        }
        int64_t reach = percent < 80 ? 1000 : kHighestCoordinate;
        editor.animation.box.left = static_cast<int32_t>(Between(-reach, reach));
        editor.animation.box.top = static_cast<int32_t>(Between(-reach, reach));
        editor.animation.box.right = static_cast<int32_t>(Between(-reach, reach));
        editor.animation.box.bottom = static_cast<int32_t>(Between(-reach, reach));
    }

  private:
    std::mt19937 generator;
};

// Where a coordinate ends after clamping into [low + 5, high - 5]; an inverted range gives the
// low edge.
int32_t InsideTheBox(int32_t value, int32_t low, int32_t high) {
    auto toInt32 = [](int64_t inner) {
        return std::clamp<int64_t>(inner, kLowestCoordinate, kHighestCoordinate);
    };
    int64_t lowInner = toInt32(int64_t{low} + 5);
    int64_t highInner = toInt32(int64_t{high} - 5);
    if (highInner < lowInner) {
        return static_cast<int32_t>(lowInner);
    }
    return static_cast<int32_t>(std::clamp<int64_t>(value, lowInner, highInner));
}

bool IsSolvable(const Bone& bone) {
    return bone.jointA >= 0 && bone.jointB >= 0 && bone.jointA < kSlotCount &&
           bone.jointB < kSlotCount && bone.jointA != bone.jointB && bone.kind != BoneFreeLength;
}

struct JointLinks {
    std::vector<bool> bound = std::vector<bool>(kSlotCount);         // any solvable bone
    std::vector<bool> boundToStatic = std::vector<bool>(kSlotCount); // a bone with two static ends
};

JointLinks LinksOfCurrentFrame() {
    JointLinks links;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = BoneAt(editor.session.currentFrame, slot);
        if (!IsSolvable(bone)) {
            continue;
        }
        links.bound[bone.jointA] = links.bound[bone.jointB] = true;
        bool bothStatic = JointAt(editor.session.currentFrame, bone.jointA).state == JointStatic &&
                          JointAt(editor.session.currentFrame, bone.jointB).state == JointStatic;
        if (bothStatic) {
            links.boundToStatic[bone.jointA] = links.boundToStatic[bone.jointB] = true;
        }
    }
    return links;
}

std::vector<Joint> CurrentJoints() {
    const Joint* row = &JointAt(editor.session.currentFrame, 0);
    return std::vector<Joint>(row, row + kSlotCount);
}

void RestoreJoints(const std::vector<Joint>& joints) {
    std::copy(joints.begin(), joints.end(), &JointAt(editor.session.currentFrame, 0));
}

// A joint that no bone may move ends where it was, or clamped into the box while collision is on.
Point ExpectedWithoutBones(const Joint& joint) {
    if (editor.animation.collisionOn != 1 || joint.state == JointEmpty) {
        return {joint.x, joint.y};
    }
    return {InsideTheBox(joint.x, editor.animation.box.left, editor.animation.box.right),
            InsideTheBox(joint.y, editor.animation.box.top, editor.animation.box.bottom)};
}

TEST_F(BoneSolverTest, RandomFramesMoveOnlyWhatBonesAndTheBoxMayMove) {
    RandomFrames random(20240611);
    int32_t framesWithMovement = 0;
    for (int32_t round = 0; round < 3000; ++round) {
        random.ChooseSettings();
        random.FillJoints(kHighestCoordinate);
        random.FillBones(40, false);
        int32_t frame = editor.session.currentFrame;
        std::vector<Joint> before = CurrentJoints();
        std::vector<unsigned char> bones = BoneRowBytes(frame);
        std::vector<unsigned char> lower = JointRowBytes(std::max(frame - 1, 0));
        std::vector<unsigned char> upper = JointRowBytes(std::min(frame + 1, 500));
        JointLinks links = LinksOfCurrentFrame();
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);

        ASSERT_EQ(BoneRowBytes(frame), bones) << "round " << round;
        if (frame > 0) {
            ASSERT_EQ(JointRowBytes(frame - 1), lower) << "round " << round;
        }
        if (frame < 500) {
            ASSERT_EQ(JointRowBytes(frame + 1), upper) << "round " << round;
        }
        bool moved = false;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Joint& joint = before[slot];
            ASSERT_EQ(JointAt(frame, slot).state, joint.state);
            moved = moved || At(slot) != Point(joint.x, joint.y);
            bool heldStill =
                !links.bound[slot] || (joint.state == JointStatic && !links.boundToStatic[slot]);
            if (heldStill) {
                ASSERT_EQ(At(slot), ExpectedWithoutBones(joint))
                    << "round " << round << " slot " << slot << " state " << int32_t{joint.state};
            }
        }
        framesWithMovement += moved;
    }
    EXPECT_GT(framesWithMovement, 2000);
}

TEST_F(BoneSolverTest, RandomFramesAtTheirMeasuredLengthsStayWhereTheyAre) {
    RandomFrames random(77);
    for (int32_t round = 0; round < 1000; ++round) {
        random.ChooseSettings();
        editor.animation.collisionOn = 0;
        random.FillJoints(kHighestCoordinate);
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            BoneAt(editor.session.currentFrame, slot) = {0.0, -1, -1, 0};
        }
        int32_t count = static_cast<int32_t>(random.Between(1, kSlotCount));
        for (int32_t bone = 0; bone < count; ++bone) {
            ASSERT_EQ(AddBone(random.JointSlot(), random.JointSlot(), random.Kind()), bone);
        }
        std::vector<unsigned char> joints = JointRowBytes(editor.session.currentFrame);
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        ASSERT_EQ(JointRowBytes(editor.session.currentFrame), joints) << "round " << round;
    }
}

TEST_F(BoneSolverTest, RandomFramesGiveTheSameResultWithSkippedBonesAdded) {
    RandomFrames random(4711);
    for (int32_t round = 0; round < 1000; ++round) {
        random.ChooseSettings();
        random.FillJoints(kHighestCoordinate);
        random.FillBones(0, false);
        std::vector<Joint> start = CurrentJoints();
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        std::vector<unsigned char> plain = JointRowBytes(editor.session.currentFrame);

        RestoreJoints(start);
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            Bone& bone = BoneAt(editor.session.currentFrame, slot);
            if (bone.jointA == -1 && bone.jointB == -1 && random.Chance(50)) {
                random.Junk(bone);
            }
        }
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        ASSERT_EQ(JointRowBytes(editor.session.currentFrame), plain) << "round " << round;
    }
}

TEST_F(BoneSolverTest, RandomFramesGiveTransposedResultsWhenXAndYSwap) {
    RandomFrames random(99);
    for (int32_t round = 0; round < 1000; ++round) {
        random.ChooseSettings();
        random.FillJoints(kHighestCoordinate);
        random.FillBones(20, false);
        std::vector<Joint> start = CurrentJoints();
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        std::vector<Joint> plain = CurrentJoints();

        for (Joint& joint : start) {
            std::swap(joint.x, joint.y);
        }
        RestoreJoints(start);
        std::swap(editor.animation.box.left, editor.animation.box.top);
        std::swap(editor.animation.box.right, editor.animation.box.bottom);
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            ASSERT_EQ(At(slot), Point(plain[slot].y, plain[slot].x))
                << "round " << round << " slot " << slot;
        }
    }
}

TEST_F(BoneSolverTest, RandomFramesGiveMirroredResultsWhenXChangesSign) {
    // Rounding ties to even is symmetric about zero; rounding ties upwards would not be.
    RandomFrames random(31337);
    for (int32_t round = 0; round < 1000; ++round) {
        random.ChooseSettings();
        editor.animation.collisionOn = 0;
        random.FillJoints(1000000);
        random.FillBones(20, true);
        std::vector<Joint> start = CurrentJoints();
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        std::vector<Joint> plain = CurrentJoints();

        for (Joint& joint : start) {
            joint.x = -joint.x;
        }
        RestoreJoints(start);
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            ASSERT_EQ(At(slot), Point(-plain[slot].x, plain[slot].y))
                << "round " << round << " slot " << slot;
        }
    }
}

} // namespace
