// The in-betweens over a table of figures and pose pairs. Every frame between the two poses is
// checked for what the user relies on: even timing, still joints staying put, limbs turning the
// short way on their arcs, bones keeping their lengths, and the figure itself staying as it was.
#include "figure/inbetweens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "model/editor_state.h"

namespace {

constexpr int32_t kFirst = 3;
constexpr int32_t kLast = 7;             // three in-betweens, at 1/4, 1/2 and 3/4
constexpr double kLengthTolerance = 1.5; // both ends are rounded to whole pixels

struct PosedJoint {
    int32_t slot;
    int32_t x, y;         // in the first frame
    int32_t lastX, lastY; // in the last frame
    int8_t state;
};
struct Link {
    int32_t slot, jointA, jointB;
    int8_t kind;
};
struct Case {
    const char* name;
    std::vector<PosedJoint> joints;
    std::vector<Link> bones;
    bool bends = false; // still joints hold the figure: bones cannot simply turn
    std::optional<std::pair<double, double>> middle = std::nullopt; // joint 1 in frame 5
};

constexpr int8_t N = JointNormal;
constexpr int8_t S = JointStatic;

// clang-format off
const std::vector<Case> kCases = {
    {"bone swung 90 degrees about a pinned joint",
     {{0, 400, 300, 400, 300, S}, {1, 500, 300, 400, 400, N}}, {{0, 0, 1, BoneStandard}}, false,
     std::pair(400 + 100 * std::numbers::sqrt2 / 2, 300 + 100 * std::numbers::sqrt2 / 2)},
    {"swing across the opposite direction goes the short way",
     {{0, 400, 300, 400, 300, N}, {1, 300, 310, 300, 290, N}}, {{0, 1, 0, BoneStandard}}, false,
     std::pair(400 - std::sqrt(100.0 * 100 + 10 * 10), 300.0)},
    {"two-bone arm whose both joints turn while the forearm grows",
     {{0, 300, 300, 300, 300, N}, {1, 380, 300, 300, 380, N}, {2, 440, 300, 238, 416, N}},
     {{0, 0, 1, BoneStandard}, {1, 1, 2, BoneStandard}}},
    {"pure move of a figure with a static joint and a loose joint",
     {{0, 200, 200, 237, 177, N}, {1, 240, 230, 277, 207, S}, {2, 260, 280, 297, 257, N},
      {3, 100, 100, 137, 77, N}},
     {{0, 0, 1, BoneStandard}, {1, 2, 1, BoneStabilising}}},
    {"free-length bone stretching as it turns",
     {{0, 300, 300, 300, 300, N}, {1, 350, 300, 300, 420, N}}, {{0, 0, 1, BoneFreeLength}}},
    {"stabilising triangle turned 60 degrees about a corner",
     {{0, 400, 300, 400, 300, N}, {1, 460, 300, 430, 352, N}, {2, 430, 250, 458, 301, N}},
     {{0, 0, 1, BoneStandard}, {1, 1, 2, BoneStandard}, {2, 2, 0, BoneStabilising}}},
    {"two separate figures, one swinging and one walking off",
     {{0, 100, 100, 100, 100, N}, {1, 150, 100, 100, 150, N}, {2, 500, 300, 540, 320, N},
      {3, 540, 300, 560, 355, N}, {4, 580, 300, 610, 355, N}},
     {{0, 0, 1, BoneStandard}, {1, 2, 3, BoneStandard}, {2, 3, 4, BoneStandard}}},
    {"gaps in the slots, a loose joint and a bone to an empty slot",
     {{0, 300, 300, 300, 300, N}, {3, 300, 380, 380, 300, N}, {7, 300, 440, 440, 300, N},
      {9, 10, 20, 50, 100, N}},
     {{2, 0, 3, BoneStandard}, {5, 3, 7, BoneStandard}, {8, 7, 4, BoneStandard}}},
    {"both feet pinned while the hip sinks",
     {{0, 300, 400, 300, 400, S}, {1, 310, 350, 290, 360, N}, {2, 350, 300, 350, 320, N},
      {3, 390, 350, 410, 360, N}, {4, 400, 400, 400, 400, S}},
     {{0, 0, 1, BoneStandard}, {1, 1, 2, BoneStandard}, {2, 2, 3, BoneStandard},
      {3, 3, 4, BoneStandard}}, true},
};
// clang-format on

double Lerp(double from, double to, double t) {
    return from + t * (to - from);
}

double Direction(int32_t frame, const Bone& bone) {
    const Joint& a = JointAt(frame, bone.jointA);
    const Joint& b = JointAt(frame, bone.jointB);
    return std::atan2(b.y - a.y, b.x - a.x);
}

// Rest lengths measured in each pose, the frames between copies of the first.
void Pose(const Case& row) {
    for (const PosedJoint& joint : row.joints) {
        JointAt(kFirst, joint.slot) = Joint{joint.x, joint.y, joint.state};
        JointAt(kLast, joint.slot) = Joint{joint.lastX, joint.lastY, joint.state};
    }
    for (int32_t frame : {kFirst, kLast}) {
        for (const Link& link : row.bones) {
            double length = JointDistance(JointAt(frame, link.jointA), JointAt(frame, link.jointB));
            BoneAt(frame, link.slot) = Bone{length, link.jointA, link.jointB, link.kind};
        }
    }
    for (int32_t frame = kFirst + 1; frame < kLast; ++frame) {
        editor.currentFrame = frame;
        CopyPreviousFrame();
    }
}

void CheckJoints(const Case& row, int32_t frame, double t, bool pureMove) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = JointAt(frame, slot);
        const Joint& from = JointAt(kFirst, slot);
        const Joint& to = JointAt(kLast, slot);
        ASSERT_EQ(joint.state, from.state) << "joint " << slot;
        if (joint.state == JointEmpty || (from.x == to.x && from.y == to.y)) {
            EXPECT_EQ(std::pair(joint.x, joint.y), std::pair(from.x, from.y)) << slot;
            continue;
        }
        bool loose = std::ranges::none_of(row.bones, [slot](const Link& link) {
            return link.jointA == slot || link.jointB == slot;
        });
        if (pureMove || loose) { // off only by rounding
            EXPECT_NEAR(joint.x, Lerp(from.x, to.x, t), 0.5 + 1e-6) << "joint " << slot;
            EXPECT_NEAR(joint.y, Lerp(from.y, to.y, t), 0.5 + 1e-6) << "joint " << slot;
        }
    }
}

void CheckBone(const Case& row, int32_t frame, double t, const Link& link) {
    const Bone& bone = BoneAt(frame, link.slot);
    const Bone& from = BoneAt(kFirst, link.slot);
    const Bone& to = BoneAt(kLast, link.slot);
    ASSERT_EQ(std::tuple(bone.jointA, bone.jointB, bone.kind),
              std::tuple(from.jointA, from.jointB, from.kind));
    EXPECT_NEAR(bone.restLength, Lerp(from.restLength, to.restLength, t), 1e-9);
    const Joint& a = JointAt(frame, bone.jointA);
    const Joint& b = JointAt(frame, bone.jointB);
    if (a.state == JointEmpty || b.state == JointEmpty) {
        return;
    }
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    double expected =
        from.kind == BoneFreeLength
            ? Lerp(JointDistance(JointAt(kFirst, from.jointA), JointAt(kFirst, from.jointB)),
                   JointDistance(JointAt(kLast, to.jointA), JointAt(kLast, to.jointB)), t)
            : bone.restLength;
    EXPECT_NEAR(std::hypot(dx, dy), expected, kLengthTolerance);
    if (row.bends) {
        return;
    }
    // On the arc: turned by t of the short-way turn, no further off it than rounding puts it.
    double start = Direction(kFirst, from);
    double angle = start + t * std::remainder(Direction(kLast, to) - start, 2 * std::numbers::pi);
    EXPECT_NEAR(-dx * std::sin(angle) + dy * std::cos(angle), 0.0, kLengthTolerance);
    EXPECT_GT(dx * std::cos(angle) + dy * std::sin(angle), 0.0) << "the short way round";
}

TEST(Inbetweens, EveryInbetweenMovesEvenlyOnArcsAndKeepsTheFigure) {
    for (const Case& row : kCases) {
        SCOPED_TRACE(row.name);
        EditorStateInit();
        Pose(row);
        ASSERT_TRUE(FillInbetweens(kFirst, kLast));
        bool pureMove = std::ranges::all_of(row.joints, [&](const PosedJoint& joint) {
            return joint.lastX - joint.x == row.joints[0].lastX - row.joints[0].x &&
                   joint.lastY - joint.y == row.joints[0].lastY - row.joints[0].y;
        });
        for (int32_t frame = kFirst + 1; frame < kLast; ++frame) {
            SCOPED_TRACE(frame);
            double t = static_cast<double>(frame - kFirst) / (kLast - kFirst);
            CheckJoints(row, frame, t, pureMove);
            for (const Link& link : row.bones) {
                CheckBone(row, frame, t, link);
            }
        }
        if (row.middle) {
            const Joint& joint = JointAt((kFirst + kLast) / 2, 1);
            EXPECT_LE(std::hypot(joint.x - row.middle->first, joint.y - row.middle->second),
                      kLengthTolerance);
        }
    }
}

} // namespace
