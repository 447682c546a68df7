// Figures: which joints one figure holds, placing a copy of one into free slots, and each
// operation on one figure of a frame, the others in it untouched to the byte.
#include "model/figures.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

class FiguresTest : public testing::Test {
  protected:
    void SetUp() override { EditorStateInit(); }

    // Frame 0: a figure of joints 0 to 3 (bones of all three kinds, joint 2 pinned), a figure of
    // joints 4 to 6 joined out of slot order, the lone joint 7, and a bone left from a damaged
    // file that names the empty slot 9 and so joins nothing.
    static void BuildTwoFigures(int32_t frame) {
        editor.currentFrame = frame;
        AddJoint(100, 100, JointNormal);
        AddJoint(140, 100, JointNormal);
        AddJoint(140, 150, JointStatic);
        AddJoint(100, 150, JointNormal);
        AddJoint(300, 300, JointNormal);
        AddJoint(330, 280, JointNormal);
        AddJoint(360, 300, JointNormal);
        AddJoint(500, 500, JointNormal);
        AddBone(0, 1, BoneStandard);
        AddBone(6, 5, BoneStandard);
        AddBone(1, 2, BoneStabilising);
        AddBone(4, 5, BoneFreeLength);
        AddBone(2, 3, BoneStandard);
        AddBone(7, 9, BoneStandard);
    }

    static std::vector<unsigned char> RowBytes(int32_t frame) {
        std::vector<unsigned char> bytes(sizeof(Joint) * kSlotCount + sizeof(Bone) * kSlotCount);
        std::memcpy(bytes.data(), &JointAt(frame, 0), sizeof(Joint) * kSlotCount);
        std::memcpy(bytes.data() + sizeof(Joint) * kSlotCount, &BoneAt(frame, 0),
                    sizeof(Bone) * kSlotCount);
        return bytes;
    }
};

TEST_F(FiguresTest, FindFigureGathersTheJointsThatBonesOfAnyKindJoin) {
    BuildTwoFigures(3);
    struct Case {
        int32_t joint;
        std::vector<int32_t> figure;
    };
    const Case cases[] = {
        {0, {0, 1, 2, 3}}, {2, {0, 1, 2, 3}}, {3, {0, 1, 2, 3}}, {6, {4, 5, 6}}, {4, {4, 5, 6}},
        {7, {7}},          {9, {}},           {-1, {}},          {501, {}},
    };
    std::vector<int32_t> slots;
    for (const Case& c : cases) {
        FindFigure(3, c.joint, &slots);
        EXPECT_EQ(slots, c.figure) << "joint " << c.joint;
    }
    FindFigure(2, 0, &slots);
    EXPECT_TRUE(slots.empty()) << "another frame's empty slot";
}

TEST_F(FiguresTest, PlaceFigureCopiesJointsAndTheirBonesIntoTheLowestFreeSlots) {
    BuildTwoFigures(0);
    DeleteJoint(1); // frees joint slot 1 and the bones 0 and 2 that held it
    std::vector<int32_t> figure{4, 5, 6};
    std::vector<unsigned char> before = RowBytes(0);
    std::vector<int32_t> placed;
    ASSERT_TRUE(PlaceFigure(&JointAt(0, 0), &BoneAt(0, 0), figure, 0, 20, -10, &placed));
    EXPECT_EQ(placed, (std::vector<int32_t>{1, 8, 9}));
    EXPECT_EQ(JointAt(0, 1).x, 320);
    EXPECT_EQ(JointAt(0, 1).y, 290);
    EXPECT_EQ(JointAt(0, 9).x, 380);
    // The two bones land in the freed slots 0 and 2, in their order, joining the new joints.
    EXPECT_EQ(BoneAt(0, 0).jointA, 9);
    EXPECT_EQ(BoneAt(0, 0).jointB, 8);
    EXPECT_EQ(BoneAt(0, 2).jointA, 1);
    EXPECT_EQ(BoneAt(0, 2).jointB, 8);
    EXPECT_EQ(BoneAt(0, 2).kind, BoneFreeLength);
    EXPECT_EQ(BoneAt(0, 2).restLength, BoneAt(0, 3).restLength);
    // Every slot that was in use is as it was.
    std::vector<unsigned char> after = RowBytes(0);
    for (int32_t slot : {0, 2, 3, 4, 5, 6, 7}) {
        EXPECT_EQ(
            std::memcmp(&before[slot * sizeof(Joint)], &after[slot * sizeof(Joint)], sizeof(Joint)),
            0)
            << "joint " << slot;
    }
}

TEST_F(FiguresTest, PlaceFigureRefusesWithoutRoomOrWithSlotsThatNameNoJoint) {
    BuildTwoFigures(1);
    const Joint* joints = &JointAt(1, 0);
    const Bone* bones = &BoneAt(1, 0);
    editor.currentFrame = 0;
    for (int32_t slot = 0; slot < kSlotCount - 3; ++slot) {
        AddJoint(slot, slot, JointNormal);
    }
    std::vector<unsigned char> nearlyFull = RowBytes(0);
    std::vector<int32_t> placed{42};
    EXPECT_FALSE(PlaceFigure(joints, bones, std::vector<int32_t>{0, 1, 2, 3}, 0, 0, 0, &placed));
    EXPECT_TRUE(placed.empty());
    EXPECT_FALSE(PlaceFigure(joints, bones, std::vector<int32_t>{4, 4}, 0, 0, 0, nullptr));
    EXPECT_FALSE(PlaceFigure(joints, bones, std::vector<int32_t>{4, 9}, 0, 0, 0, nullptr));
    EXPECT_FALSE(PlaceFigure(joints, bones, std::vector<int32_t>{4, 501}, 0, 0, 0, nullptr));
    EXPECT_EQ(RowBytes(0), nearlyFull);
    // Three joints fit exactly, but their two bones only once two bone slots are free.
    for (int32_t slot = 0; slot < kSlotCount - 1; ++slot) {
        AddBone(0, 1, BoneStandard);
    }
    nearlyFull = RowBytes(0);
    EXPECT_FALSE(PlaceFigure(joints, bones, std::vector<int32_t>{4, 5, 6}, 0, 0, 0, &placed));
    EXPECT_EQ(RowBytes(0), nearlyFull);
    BoneAt(0, 7).jointA = BoneAt(0, 7).jointB = -1;
    ASSERT_TRUE(PlaceFigure(joints, bones, std::vector<int32_t>{4, 5, 6}, 0, 0, 0, &placed));
    EXPECT_EQ(placed, (std::vector<int32_t>{498, 499, 500}));
    EXPECT_EQ(BoneAt(0, 7).jointA, 500);
    EXPECT_EQ(BoneAt(0, 500).jointA, 498);
}

} // namespace
