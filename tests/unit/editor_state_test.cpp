// The figure model: start values and empty grids, lowest-slot placement of joints and bones, joint
// deletion with its bones, frame copying, the full reset and the toggle rules of the flags.
#include "model/editor_state.h"
#include "support/editor_frames.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

class EditorStateTest : public testing::Test {
  protected:
    void SetUp() override { EditorStateInit(); }

    static std::vector<unsigned char> RowBytes(int32_t frame) {
        std::vector<unsigned char> bytes(sizeof(Joint) * kSlotCount + sizeof(Bone) * kSlotCount);
        std::memcpy(bytes.data(), &JointAt(frame, 0), sizeof(Joint) * kSlotCount);
        std::memcpy(bytes.data() + sizeof(Joint) * kSlotCount, &BoneAt(frame, 0),
                    sizeof(Bone) * kSlotCount);
        return bytes;
    }

    static void FillFrameWithJoints() {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            ASSERT_EQ(AddJoint(slot, 2 * slot, JointNormal), slot);
        }
    }
};

TEST_F(EditorStateTest, StartValuesAreSetAndTheRestOfTheRecordIsZero) {
    EXPECT_EQ(SettingsRow(), kStartSettings);
    EXPECT_EQ(editor.animation.box, (Box{200, 150, 600, 450}));
}

TEST_F(EditorStateTest, StartValuesReplaceWhateverTheRecordHeldBefore) {
    editor.animation.collisionOn = 1;
    editor.session.boneMode = 2;
    editor.session.currentFrame = 7;
    editor.session.draggedJoint = 3;
    editor.animation.box.left = 11;
    EditorStateInit();
    EXPECT_EQ(SettingsRow(), kStartSettings);
    EXPECT_EQ(editor.animation.box.left, 200);
}

TEST_F(EditorStateTest, GridsAreFrameMajorWithFiveHundredAndOneSlotsPerFrame) {
    ASSERT_EQ(editor.animation.joints.size(), std::size_t{501} * 501);
    ASSERT_EQ(editor.animation.bones.size(), std::size_t{501} * 501);
    EXPECT_EQ(&JointAt(1, 0) - &JointAt(0, 0), 501);
    EXPECT_EQ(&BoneAt(500, 500) - &BoneAt(0, 0), 500 * 501 + 500);
    EXPECT_EQ(editor.session.mouseLatch, 0);
}

TEST_F(EditorStateTest, EverySlotOfEveryFrameStartsEmptyWithMinusOneMarks) {
    int32_t wrongJoints = 0;
    int32_t wrongBones = 0;
    for (int32_t frame = 0; frame <= 500; ++frame) {
        for (int32_t slot = 0; slot <= 500; ++slot) {
            const Joint& joint = JointAt(frame, slot);
            const Bone& bone = BoneAt(frame, slot);
            wrongJoints += joint.x != -1 || joint.y != -1 || joint.state != 0;
            wrongBones +=
                bone.jointA != -1 || bone.jointB != -1 || bone.restLength != 0.0 || bone.kind != 0;
        }
    }
    EXPECT_EQ(wrongJoints, 0);
    EXPECT_EQ(wrongBones, 0);
}

TEST_F(EditorStateTest, NewJointsTakeTheLowestFreeSlotAndADeletedSlotIsReused) {
    EXPECT_EQ(AddJoint(10, 20, JointNormal), 0);
    EXPECT_EQ(AddJoint(30, 40, JointNormal), 1);
    EXPECT_EQ(AddJoint(50, 60, JointStatic), 2);
    DeleteJoint(1);
    EXPECT_EQ(AddJoint(70, 80, JointNormal), 1);
    EXPECT_EQ(JointAt(0, 1).x, 70);
    EXPECT_EQ(JointAt(0, 1).y, 80);
    EXPECT_EQ(AddJoint(90, 100, JointNormal), 3);
    EXPECT_EQ(JointAt(0, 2).state, JointStatic);
}

TEST_F(EditorStateTest, AddJointKeepsTheLowEightBitsOfTheState) {
    EXPECT_EQ(AddJoint(0, 0, 0x102), 0);
    EXPECT_EQ(JointAt(0, 0).state, 2);
    EXPECT_EQ(AddJoint(0, 0, 0xFF), 1);
    EXPECT_EQ(JointAt(0, 1).state, -1);
}

TEST_F(EditorStateTest, AddJointWorksOnTheCurrentFrameOnly) {
    editor.session.currentFrame = 3;
    EXPECT_EQ(AddJoint(5, 6, JointNormal), 0);
    EXPECT_EQ(JointAt(3, 0).x, 5);
    EXPECT_EQ(JointAt(3, 0).state, JointNormal);
    EXPECT_EQ(JointAt(2, 0).state, JointEmpty);
    EXPECT_EQ(JointAt(4, 0).state, JointEmpty);
    EXPECT_EQ(JointAt(0, 0).state, JointEmpty);
}

TEST_F(EditorStateTest, AddBoneMeasuresTheRestLengthFromThePresentPositions) {
    AddJoint(100, 200, JointNormal);
    AddJoint(130, 240, JointNormal);
    EXPECT_EQ(AddBone(0, 1, BoneStandard), 0);
    EXPECT_EQ(BoneAt(0, 0).restLength, 50.0);
    EXPECT_EQ(BoneAt(0, 0).jointA, 0);
    EXPECT_EQ(BoneAt(0, 0).jointB, 1);
    EXPECT_EQ(BoneAt(0, 0).kind, BoneStandard);
    EXPECT_EQ(AddBone(1, 0, 0x102), 1);
    EXPECT_EQ(BoneAt(0, 1).kind, BoneFreeLength);
    EXPECT_EQ(BoneAt(0, 1).restLength, 50.0);
}

TEST_F(EditorStateTest, AddBoneMeasuresFarApartJointsWithoutOverflow) {
    AddJoint(INT32_MIN, 0, JointNormal);
    AddJoint(INT32_MAX, 0, JointNormal);
    AddBone(0, 1, BoneStandard);
    EXPECT_EQ(BoneAt(0, 0).restLength, 4294967295.0);
}

TEST_F(EditorStateTest, AddBoneTwiceBetweenTheSameJointsFillsTwoSlots) {
    AddJoint(0, 0, JointNormal);
    AddJoint(3, 4, JointNormal);
    EXPECT_EQ(AddBone(0, 1, BoneStandard), 0);
    EXPECT_EQ(AddBone(0, 1, BoneStabilising), 1);
    EXPECT_EQ(BoneAt(0, 1).jointA, 0);
    EXPECT_EQ(BoneAt(0, 1).jointB, 1);
    EXPECT_EQ(BoneAt(0, 1).restLength, 5.0);
}

TEST_F(EditorStateTest, AddBoneTakesOnlyASlotWithBothEndsFree) {
    AddJoint(0, 0, JointNormal);
    AddJoint(3, 4, JointNormal);
    BoneAt(0, 0).jointB = 1; // half a bone, as no operation leaves it
    BoneAt(0, 1).jointA = 0;
    EXPECT_EQ(AddBone(0, 1, BoneStandard), 2);
}

TEST_F(EditorStateTest, AddBoneToAnEmptySlotMeasuresItsStaleCoordinates) {
    AddJoint(0, 0, JointNormal);
    JointAt(0, 7).x = 6;
    JointAt(0, 7).y = 8;
    EXPECT_EQ(AddBone(0, 7, BoneStandard), 0);
    EXPECT_EQ(BoneAt(0, 0).restLength, 10.0);
}

TEST_F(EditorStateTest, AddBoneRefusesJointSlotsOutsideTheFrame) {
    AddJoint(0, 0, JointNormal);
    std::vector<unsigned char> before = RowBytes(0);
    EXPECT_EQ(AddBone(0, 501, BoneStandard), -1);
    EXPECT_EQ(AddBone(-1, 0, BoneStandard), -1);
    EXPECT_EQ(AddBone(0, -7, BoneStandard), -1);
    EXPECT_EQ(AddBone(32767, 0, BoneStandard), -1);
    EXPECT_EQ(RowBytes(0), before);
    EXPECT_EQ(AddBone(0, 500, BoneStandard), 0);
}

TEST_F(EditorStateTest, AddJointOnAFullFrameChangesNothingAndReturnsMinusOne) {
    FillFrameWithJoints();
    std::vector<unsigned char> before = RowBytes(0);
    std::vector<unsigned char> nextFrame = RowBytes(1);
    EXPECT_EQ(AddJoint(9, 9, JointNormal), -1);
    EXPECT_EQ(RowBytes(0), before);
    EXPECT_EQ(RowBytes(1), nextFrame);
    DeleteJoint(500);
    EXPECT_EQ(AddJoint(9, 9, JointNormal), 500);
}

TEST_F(EditorStateTest, AddBoneOnAFullFrameChangesNothingAndReturnsMinusOne) {
    FillFrameWithJoints();
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        ASSERT_EQ(AddBone(slot, (slot + 1) % kSlotCount, BoneStandard), slot);
    }
    std::vector<unsigned char> before = RowBytes(0);
    std::vector<unsigned char> nextFrame = RowBytes(1);
    EXPECT_EQ(AddBone(3, 4, BoneStandard), -1);
    EXPECT_EQ(RowBytes(0), before);
    EXPECT_EQ(RowBytes(1), nextFrame);
}

TEST_F(EditorStateTest, DeleteJointFreesEveryBoneTouchingItAndNothingElse) {
    for (int32_t slot = 0; slot < 5; ++slot) {
        AddJoint(10 * slot, 7 * slot, JointNormal);
    }
    AddBone(1, 2, BoneStandard);    // slot 0 keeps
    AddBone(0, 1, BoneStabilising); // slot 1 goes
    AddBone(2, 0, BoneFreeLength);  // slot 2 goes
    AddBone(0, 3, BoneStandard);    // slot 3 goes
    AddBone(3, 4, BoneStandard);    // slot 4 keeps
    double freedRestLength = BoneAt(0, 2).restLength;
    DeleteJoint(0);

    EXPECT_EQ(JointAt(0, 0).state, JointEmpty);
    EXPECT_EQ(JointAt(0, 0).x, 0); // an empty slot keeps its coordinates
    for (int32_t slot : {1, 2, 3}) {
        EXPECT_EQ(BoneAt(0, slot).jointA, -1) << slot;
        EXPECT_EQ(BoneAt(0, slot).jointB, -1) << slot;
    }
    EXPECT_EQ(BoneAt(0, 2).restLength, freedRestLength);
    EXPECT_EQ(BoneAt(0, 2).kind, BoneFreeLength);
    EXPECT_EQ(BoneAt(0, 0).jointA, 1);
    EXPECT_EQ(BoneAt(0, 4).jointB, 4);
    for (int32_t slot = 1; slot < 5; ++slot) {
        EXPECT_EQ(JointAt(0, slot).state, JointNormal) << slot;
        EXPECT_EQ(JointAt(0, slot).x, 10 * slot) << slot;
    }
    EXPECT_EQ(AddBone(4, 1, BoneStandard), 1); // the lowest freed bone slot is taken again
}

TEST_F(EditorStateTest, DeleteJointLeavesOtherFramesAlone) {
    editor.session.currentFrame = 1;
    AddJoint(1, 1, JointNormal);
    AddJoint(2, 2, JointNormal);
    AddBone(0, 1, BoneStandard);
    editor.session.currentFrame = 2;
    AddJoint(1, 1, JointNormal);
    AddJoint(2, 2, JointNormal);
    AddBone(0, 1, BoneStandard);
    DeleteJoint(0);
    EXPECT_EQ(JointAt(1, 0).state, JointNormal);
    EXPECT_EQ(BoneAt(1, 0).jointA, 0);
    EXPECT_EQ(BoneAt(2, 0).jointA, -1);
}

TEST_F(EditorStateTest, DeleteJointOutsideTheFrameTouchesNoRow) {
    editor.session.currentFrame = 4;
    AddJoint(1, 1, JointNormal);
    editor.session.currentFrame = 5;
    AddJoint(1, 1, JointNormal);
    editor.session.currentFrame = 4;
    std::vector<unsigned char> below = RowBytes(3);
    std::vector<unsigned char> row = RowBytes(4);
    std::vector<unsigned char> above = RowBytes(5);
    DeleteJoint(501);
    DeleteJoint(-1);
    EXPECT_EQ(RowBytes(3), below);
    EXPECT_EQ(RowBytes(4), row);
    EXPECT_EQ(RowBytes(5), above);
}

TEST_F(EditorStateTest, CopyPreviousFrameReplacesEverySlotIncludingEmptyOnes) {
    editor.session.currentFrame = 1;
    AddJoint(0, 0, JointNormal);
    AddJoint(3, 4, JointStatic);
    AddJoint(8, 8, JointNormal);
    AddBone(0, 1, BoneStandard);
    AddBone(1, 2, BoneStandard);
    editor.session.currentFrame = 0;
    AddJoint(10, 20, JointStatic);
    AddJoint(13, 24, JointNormal);
    AddBone(1, 0, BoneFreeLength);
    BoneAt(0, 0).restLength = 99.5; // copied as it stands, not measured again
    JointAt(0, 500).state = JointStatic;
    BoneAt(0, 500).jointA = 0;
    BoneAt(0, 500).jointB = 500;
    editor.session.currentFrame = 1;
    CopyPreviousFrame();

    EXPECT_EQ(RowBytes(1), RowBytes(0));
    EXPECT_EQ(JointAt(1, 0).x, 10);
    EXPECT_EQ(JointAt(1, 1).state, JointNormal);
    EXPECT_EQ(JointAt(1, 2).state, JointEmpty);
    EXPECT_EQ(BoneAt(1, 0).jointA, 1);
    EXPECT_EQ(BoneAt(1, 0).restLength, 99.5);
    EXPECT_EQ(BoneAt(1, 0).kind, BoneFreeLength);
    EXPECT_EQ(BoneAt(1, 1).jointA, -1);
    EXPECT_EQ(BoneAt(1, 1).jointB, -1);
    EXPECT_EQ(JointAt(1, 500).state, JointStatic);
    EXPECT_EQ(BoneAt(1, 500).jointB, 500);
    EXPECT_EQ(editor.session.currentFrame, 1);
}

TEST_F(EditorStateTest, CopyPreviousFrameOnFrameZeroDoesNothing) {
    AddJoint(5, 5, JointNormal);
    std::vector<unsigned char> before = RowBytes(0);
    CopyPreviousFrame();
    EXPECT_EQ(RowBytes(0), before);
}

TEST_F(EditorStateTest, CopyPreviousFrameIntoTheLastFrame) {
    editor.session.currentFrame = 499;
    AddJoint(42, 43, JointNormal);
    editor.session.currentFrame = 500;
    CopyPreviousFrame();
    EXPECT_EQ(JointAt(500, 0).x, 42);
    EXPECT_EQ(JointAt(500, 0).state, JointNormal);
}

TEST_F(EditorStateTest, ResetAllEmptiesEveryFrameAndKeepsStaleValues) {
    editor.session.currentFrame = 500;
    AddJoint(17, 19, JointStatic);
    AddJoint(20, 23, JointNormal);
    AddBone(0, 1, BoneFreeLength);
    editor.session.currentFrame = 0;
    AddJoint(1, 2, JointNormal);
    editor.session.currentFrame = 42;
    editor.animation.playbackEnd = 42;
    editor.animation.box.left = 1;
    editor.animation.box.top = 2;
    editor.animation.box.right = 3;
    editor.animation.box.bottom = 4;
    ResetAll();

    EXPECT_EQ(JointAt(500, 0).state, JointEmpty);
    EXPECT_EQ(JointAt(500, 1).state, JointEmpty);
    EXPECT_EQ(JointAt(0, 0).state, JointEmpty);
    EXPECT_EQ(JointAt(500, 0).x, 17);
    EXPECT_EQ(JointAt(500, 0).y, 19);
    EXPECT_EQ(BoneAt(500, 0).jointA, -1);
    EXPECT_EQ(BoneAt(500, 0).jointB, -1);
    EXPECT_EQ(BoneAt(500, 0).restLength, 5.0);
    EXPECT_EQ(BoneAt(500, 0).kind, BoneFreeLength);
    EXPECT_EQ(editor.session.currentFrame, 0);
    EXPECT_EQ(editor.animation.playbackEnd, 0);
    EXPECT_EQ(editor.animation.box, (Box{200, 150, 600, 450}));
}

TEST_F(EditorStateTest, ResetAllLeavesModesTogglesAndSelectionAlone) {
    char path[] = "walk.txt";
    const std::pair<int32_t*, int32_t> kept[] = {
        {&editor.session.boneMode, 2},       {&editor.animation.shadowOn, 1},
        {&editor.animation.collisionOn, 1},  {&editor.animation.headOn, 5},
        {&editor.session.helpVisible, 0},    {&editor.session.draggedJoint, 3},
        {&editor.session.boneStartJoint, 4},
    };
    for (const auto& [setting, value] : kept) {
        *setting = value;
    }
    editor.session.basePath = path;
    ResetAll();
    for (const auto& [setting, value] : kept) {
        EXPECT_EQ(*setting, value);
    }
    EXPECT_EQ(editor.session.basePath, path);
    EXPECT_EQ(editor.session.currentFrame, 0);
    EXPECT_EQ(editor.animation.playbackEnd, 0);
    editor.session.basePath = nullptr;
}

TEST_F(EditorStateTest, ResetAllDividesTheWindowSizeBeforeMultiplyingForTheBox) {
    editor.session.windowWidth = 802;
    editor.session.windowHeight = 603;
    ResetAll();
    // 802 / 4 * 3, not 802 * 3 / 4 = 601; 603 / 4 * 3, not 603 * 3 / 4 = 452
    EXPECT_EQ(editor.animation.box, (Box{200, 150, 600, 450}));
}

TEST_F(EditorStateTest, FlagTogglesTreatUnexpectedValuesByTheirOwnRule) {
    EXPECT_EQ(FlipZeroToOne(0), 1);
    EXPECT_EQ(FlipZeroToOne(1), 0);
    EXPECT_EQ(FlipZeroToOne(5), 0);
    EXPECT_EQ(FlipZeroToOne(-1), 0);
    EXPECT_EQ(FlipOneToZero(1), 0);
    EXPECT_EQ(FlipOneToZero(0), 1);
    EXPECT_EQ(FlipOneToZero(5), 1);
    EXPECT_EQ(FlipOneToZero(-1), 1);
}

} // namespace
