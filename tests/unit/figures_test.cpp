// Figures in the model: which joints one figure holds, a copy placed in the lowest free slots or
// refused whole, and mirroring that keeps the shape to the pixel. The operations through the keys
// are tested with them.
#include "model/figures.h"
#include "support/editor_frames.h"

#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

class FiguresTest : public testing::Test {
  protected:
    void SetUp() override { EditorStateInit(); }

    // A figure of joints 0 to 3 (bones of all three kinds, joint 2 pinned), a figure of joints 4
    // to 6 joined out of slot order, the lone joint 7, and a bone that names the empty slot 9,
    // as only a damaged file has, and so joins nothing.
    static void BuildTwoFigures(int32_t frame) {
        editor.session.currentFrame = frame;
        const int32_t xs[] = {100, 140, 140, 100, 300, 330, 360, 500};
        const int32_t ys[] = {100, 100, 150, 150, 300, 280, 300, 500};
        for (int32_t slot = 0; slot < 8; ++slot) {
            AddJoint(xs[slot], ys[slot], slot == 2 ? JointStatic : JointNormal);
        }
        const int32_t ends[][3] = {{0, 1, BoneStandard},    {6, 5, BoneStandard},
                                   {1, 2, BoneStabilising}, {4, 5, BoneFreeLength},
                                   {2, 3, BoneStandard},    {7, 9, BoneStandard}};
        for (const auto& bone : ends) {
            AddBone(bone[0], bone[1], bone[2]);
        }
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
    const Case cases[] = {{0, {0, 1, 2, 3}}, {3, {0, 1, 2, 3}}, {6, {4, 5, 6}}, {4, {4, 5, 6}},
                          {7, {7}},          {9, {}},           {-1, {}},       {501, {}}};
    std::vector<int32_t> slots;
    for (const Case& c : cases) {
        FindFigure(editor.animation, 3, c.joint, &slots);
        EXPECT_EQ(slots, c.figure) << "joint " << c.joint;
    }
    FindFigure(editor.animation, 2, 0, &slots);
    EXPECT_TRUE(slots.empty()) << "another frame's empty slot";
}

// Copies within one frame, their moves, pins and bones are tested through key C.
TEST_F(FiguresTest, PlaceFigureRefusesWholeWithoutRoomOrForSlotsThatNameNoJoint) {
    BuildTwoFigures(1);
    const Joint* joints = &JointAt(1, 0);
    const Bone* bones = &BoneAt(1, 0);
    // Frame 0 keeps three joint slots and one bone slot free.
    editor.session.currentFrame = 0;
    for (int32_t slot = 0; slot < kSlotCount - 1; ++slot) {
        AddJoint(slot, slot, JointNormal);
        AddBone(0, 1, BoneStandard);
    }
    DeleteJoint(7);
    DeleteJoint(8);
    std::vector<unsigned char> nearlyFull = RowBytes(0);
    std::vector<int32_t> placed{42};
    const std::vector<int32_t> refused[] = {{0, 1, 2, 3}, {4, 5, 6}, {4, 4}, {4, 10}, {4, 501}};
    for (const std::vector<int32_t>& slots : refused) {
        EXPECT_FALSE(PlaceFigure(joints, bones, slots, editor.animation, 0, 0, 0, &placed))
            << slots.size();
        EXPECT_TRUE(placed.empty());
    }
    EXPECT_EQ(RowBytes(0), nearlyFull);
    ASSERT_TRUE(
        PlaceFigure(joints, bones, std::vector<int32_t>{2, 3}, editor.animation, 0, 5, 0, &placed));
    EXPECT_EQ(placed, (std::vector<int32_t>{7, 8}));
    EXPECT_EQ(JointAt(0, 8).x, 105);
    EXPECT_EQ(BoneAt(0, 500).jointA, 7);
}

TEST_F(FiguresTest, MirroringKeepsTheShapeAndTwiceGivesEveryJointBackWhereverTheCentreFalls) {
    // Centres on a pixel, a half, a quarter and three quarters of one: 0, 1/2, 1/4, 3/4.
    const std::vector<int32_t> rows[] = {{-4, 0, 4}, {0, 1}, {0, 0, 0, 1}, {0, 1, 1, 1}};
    for (const std::vector<int32_t>& xs : rows) {
        EditorStateInit();
        std::vector<int32_t> slots;
        for (int32_t x : xs) {
            slots.push_back(AddJoint(x, 7 * x, JointNormal));
        }
        std::vector<unsigned char> before = RowBytes(0);
        MirrorFigure(editor.animation, 0, slots);
        EXPECT_EQ(JointAt(0, 0).x - JointAt(0, slots.back()).x, xs.back() - xs[0]) << "the shape";
        // The line through the centre to the nearest half pixel: the centre moves half a pixel at
        // most.
        double centre = 0, mirrored = 0;
        for (std::size_t index = 0; index < xs.size(); ++index) {
            centre += static_cast<double>(xs[index]) / static_cast<double>(xs.size());
            mirrored +=
                static_cast<double>(JointAt(0, slots[index]).x) / static_cast<double>(xs.size());
        }
        EXPECT_LE(std::abs(mirrored - centre), 0.5) << xs.size() << " joints";
        MirrorFigure(editor.animation, 0, slots);
        EXPECT_EQ(RowBytes(0), before) << xs.size() << " joints";
    }
}

} // namespace
