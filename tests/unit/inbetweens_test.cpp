// The in-betweens over a table of figures and pose pairs, and over random ones. Every frame between
// the two poses is checked for what the user relies on: still joints put, bones at their lengths,
// limbs on their arcs, even timing, and every other frame, the poses included, exactly as it was.
#include "figure/inbetweens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <numeric>
#include <optional>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "model/bone_style.h"
#include "model/easing.h"
#include "model/editor_state.h"
#include "support/editor_frames.h"

namespace {

constexpr int32_t kFirst = 3;
constexpr int32_t kLast = 7;             // three in-betweens, at 1/4, 1/2 and 3/4
constexpr double kLengthTolerance = 1.5; // both ends are rounded to whole pixels
constexpr double kPi = std::numbers::pi;

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
    std::string name;
    std::vector<PosedJoint> joints;
    std::vector<Link> bones;
    // Bones need not follow their own short-way arcs: still joints hold the figure, or a loop
    // turns as a whole.
    bool bends = false;
    std::optional<std::pair<double, double>> middle = std::nullopt; // joint 1 in frame 5
    bool staleFreeLengths = false; // free-length bones keep a rest length of 1 in both poses
    int32_t last = kLast;
    double loopTurn = 0; // degrees a loop turns as a whole, every bone with it (0: none)
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
    {"a closed loop with nothing still or pinned moving across the scene",
     {{0, 100, 100, 500, 140, N}, {1, 160, 100, 560, 140, N}, {2, 160, 160, 560, 200, N},
      {3, 100, 160, 500, 200, N}},
     {{0, 0, 1, BoneStandard}, {1, 1, 2, BoneStandard}, {2, 2, 3, BoneStandard},
      {3, 3, 0, BoneStabilising}}},
    {"a loop of four bones changing its shape keeps its closing bone",
     {{0, 400, 300, 400, 300, S}, {1, 500, 300, 500, 300, N}, {2, 433, 280, 463, 241, N},
      {3, 390, 359, 452, 330, N}},
     {{0, 0, 1, BoneStandard}, {1, 0, 3, BoneStandard}, {2, 3, 2, BoneStandard},
      {3, 2, 1, BoneStandard}}, true},
    {"free-length bone with an out-of-date rest length stretching as it turns",
     {{0, 300, 300, 300, 300, N}, {1, 350, 300, 300, 420, N}}, {{0, 0, 1, BoneFreeLength}},
     false, std::nullopt, true},
    {"limb swinging from a still joint, closed by a free-length bone first among the bones",
     {{0, 400, 400, 400, 400, S}, {1, 300, 300, 300, 300, S}, {2, 380, 300, 300, 380, N},
      {3, 420, 300, 300, 420, N}},
     {{0, 0, 3, BoneFreeLength}, {1, 1, 2, BoneStandard}, {2, 2, 3, BoneStandard}}, true},
    {"the same limb with the free-length bone last among the bones",
     {{0, 400, 400, 400, 400, S}, {1, 300, 300, 300, 300, S}, {2, 380, 300, 300, 380, N},
      {3, 420, 300, 300, 420, N}},
     {{0, 1, 2, BoneStandard}, {1, 2, 3, BoneStandard}, {2, 0, 3, BoneFreeLength}}, true},
    {"a knee bent the other way between a still hip and a still ankle",
     {{0, 300, 200, 300, 200, S}, {1, 340, 250, 260, 250, N}, {2, 300, 300, 300, 300, S}},
     {{0, 0, 1, BoneStandard}, {1, 1, 2, BoneStandard}}, true},
};
// clang-format on

int32_t Pixel(double coordinate) {
    return static_cast<int32_t>(std::lround(coordinate));
}

// A pinned hub with spokes of 20 pixels and rim bones between them, turned by `degrees`; the first
// spoke lies a little off the axes, so that some spokes' own turns round to either side of a half
// turn. With `wayChecked`, every bone must turn with the wheel the short way round, for wheels
// whose rounded pixels turn clearly less than a half turn (the others turn by exactly one).
Case Wheel(int32_t spokes, int32_t degrees, bool wayChecked = false) {
    Case wheel{std::to_string(spokes) + " spokes turned " + std::to_string(degrees) + " degrees",
               {{0, 400, 300, 400, 300, S}},
               {},
               true};
    wheel.loopTurn = wayChecked ? degrees : 0;
    for (int32_t spoke = 1; spoke <= spokes; ++spoke) {
        double angle = 2 * kPi * spoke / spokes + 0.1;
        double turned = angle + degrees * kPi / 180.0;
        wheel.joints.push_back(
            {spoke, Pixel(400 + 20 * std::cos(angle)), Pixel(300 + 20 * std::sin(angle)),
             Pixel(400 + 20 * std::cos(turned)), Pixel(300 + 20 * std::sin(turned)), N});
        wheel.bones.push_back({2 * spoke - 2, 0, spoke, BoneStandard});
        wheel.bones.push_back({2 * spoke - 1, spoke, spoke % spokes + 1, BoneStabilising});
    }
    return wheel;
}

// Twelve joints between two pinned ends 220 pixels apart, sagging 60 pixels, the sag mirrored.
Case MirroredRope() {
    Case rope{"a rope of twelve joints between pinned ends whose sag is mirrored", {}, {}, true};
    for (int32_t joint = 0; joint < 12; ++joint) {
        int8_t state = joint == 0 || joint == 11 ? S : N;
        int32_t x = 200 + 20 * joint;
        auto sag = static_cast<int32_t>(std::lround(60 * std::sin(kPi * joint / 11)));
        rope.joints.push_back({joint, x, 300 + sag, x, 300 - sag, state});
        if (joint > 0) {
            rope.bones.push_back({joint - 1, joint - 1, joint, BoneStandard});
        }
    }
    return rope;
}

// One to three figures, each a tree of limbs laid out from its root, some limbs bound by
// stabilising bones into triangles, some bones of free length; the last pose turns each limb by
// its own random amount (about half of them by up to half a turn either way), the root keeps its
// place or moves, and free-length bones join random joints.
Case RandomFigures(std::mt19937& random, int32_t number) {
    auto uniform = [&random](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    auto upTo = [&random](size_t count) { return static_cast<int32_t>(random() % count); };
    Case row{"random figures " + std::to_string(number), {}, {}, true};
    row.last = kFirst + 2 + upTo(11);
    std::vector<std::array<double, 6>> at; // angle, x and y in the first pose, then in the last
    for (int32_t figures = 1 + upTo(3); figures > 0; --figures) {
        auto root = static_cast<int32_t>(at.size());
        int32_t end = root + 3 + upTo(12);
        double angle = uniform(-kPi, kPi), x = uniform(200, 600), y = uniform(150, 450);
        bool still = uniform(0, 1) < 0.5;
        at.push_back({angle, x, y, angle + uniform(-kPi, kPi), still ? x : uniform(200, 600),
                      still ? y : uniform(150, 450)});
        for (int32_t joint = root + 1; joint < end; ++joint) {
            int32_t parent = root + upTo(joint - root);
            const std::array<double, 6> from = at[parent];
            double bend = uniform(-1.5, 1.5);
            double turn = uniform(0, 1) < 0.5 ? uniform(-kPi, kPi) : 0.0;
            bool free = uniform(0, 1) < 0.15;
            double length = uniform(20, 70),
                   lastLength = free ? length * uniform(0.5, 1.5) : length;
            at.push_back({from[0] + bend, from[1] + length * std::cos(from[0] + bend),
                          from[2] + length * std::sin(from[0] + bend), from[3] + bend + turn,
                          from[4] + lastLength * std::cos(from[3] + bend + turn),
                          from[5] + lastLength * std::sin(from[3] + bend + turn)});
            auto slot = static_cast<int32_t>(row.bones.size());
            row.bones.push_back({slot, parent, joint, free ? BoneFreeLength : BoneStandard});
            if (parent != root && uniform(0, 1) < 0.3) { // a triangle with the parent's limb
                const Link& limb = *std::ranges::find(row.bones, parent, &Link::jointB);
                row.bones.push_back({slot + 1, joint, limb.jointA, BoneStabilising});
            }
        }
    }
    for (int32_t joint = 0; joint < static_cast<int32_t>(at.size()); ++joint) {
        const std::array<double, 6>& place = at[joint];
        row.joints.push_back({joint, Pixel(place[1]), Pixel(place[2]), Pixel(place[4]),
                              Pixel(place[5]), uniform(0, 1) < 0.2 ? S : N});
    }
    for (int32_t extra = upTo(3); extra > 0; --extra) {
        auto slot = static_cast<int32_t>(row.bones.size());
        row.bones.push_back({slot, upTo(at.size()), upTo(at.size()), BoneFreeLength});
    }
    return row;
}

double Lerp(double from, double to, double t) {
    return from + t * (to - from);
}

double Direction(int32_t frame, const Bone& bone) {
    const Joint& a = JointAt(frame, bone.jointA);
    const Joint& b = JointAt(frame, bone.jointB);
    return std::atan2(b.y - a.y, b.x - a.x);
}

bool IsStill(int32_t slot, int32_t last) {
    return JointAt(kFirst, slot).x == JointAt(last, slot).x &&
           JointAt(kFirst, slot).y == JointAt(last, slot).y;
}

// A free-length bone is free to change its length evenly unless its ends stay joined without it,
// by other bones or through two still joints.
bool FreeToChangeEvenly(const Case& row, const Link& free) {
    std::vector<int32_t> joinedTo(kSlotCount + 1); // kSlotCount stands for the ground
    std::iota(joinedTo.begin(), joinedTo.end(), 0);
    auto group = [&joinedTo](int32_t joint) {
        while (joinedTo[joint] != joint) {
            joint = joinedTo[joint];
        }
        return joint;
    };
    for (const Link& link : row.bones) {
        joinedTo[group(link.jointA)] =
            link.slot == free.slot ? group(link.jointA) : group(link.jointB);
    }
    for (const PosedJoint& joint : row.joints) {
        joinedTo[group(joint.slot)] =
            IsStill(joint.slot, row.last) ? group(kSlotCount) : group(joint.slot);
    }
    return group(free.jointA) != group(free.jointB);
}

// Rest lengths measured in each pose, the frames between copies of the first.
void Pose(const Case& row) {
    int32_t slots = (kFirst + 15) * kSlotCount; // every frame a row can reach
    std::fill_n(&JointAt(0, 0), slots, Joint{-1, -1, JointEmpty});
    std::fill_n(&BoneAt(0, 0), slots, Bone{0.0, -1, -1, BoneStandard});
    // The last pose's free slots hold other bytes than the first's, so that any write shows.
    std::fill_n(&JointAt(row.last, 0), kSlotCount, Joint{-7, -7, JointEmpty});
    std::fill_n(&BoneAt(row.last, 0), kSlotCount, Bone{7.0, -1, -1, BoneFreeLength});
    for (const PosedJoint& joint : row.joints) {
        JointAt(kFirst, joint.slot) = Joint{joint.x, joint.y, joint.state};
        JointAt(row.last, joint.slot) = Joint{joint.lastX, joint.lastY, joint.state};
    }
    for (int32_t frame : {kFirst, row.last}) {
        for (const Link& link : row.bones) {
            double length = JointDistance(JointAt(frame, link.jointA), JointAt(frame, link.jointB));
            if (row.staleFreeLengths && link.kind == BoneFreeLength) {
                length = 1.0;
            }
            BoneAt(frame, link.slot) = Bone{length, link.jointA, link.jointB, link.kind};
        }
    }
    for (int32_t frame = kFirst + 1; frame < row.last; ++frame) {
        editor.session.currentFrame = frame;
        CopyPreviousFrame();
    }
    for (int32_t frame : {kFirst - 1, row.last + 1}) { // frames outside the run
        editor.session.currentFrame = frame;
        AddJoint(frame, 2 * frame, JointStatic);
    }
}

void CheckJoints(const Case& row, int32_t frame, double t, bool pureMove) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = JointAt(frame, slot);
        const Joint& from = JointAt(kFirst, slot);
        const Joint& to = JointAt(row.last, slot);
        ASSERT_EQ(joint.state, from.state) << "joint " << slot;
        if (joint.state == JointEmpty || IsStill(slot, row.last)) {
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
    const Bone& to = BoneAt(row.last, link.slot);
    ASSERT_EQ(std::tuple(bone.jointA, bone.jointB, bone.kind),
              std::tuple(from.jointA, from.jointB, from.kind));
    EXPECT_NEAR(bone.restLength, Lerp(from.restLength, to.restLength, t), 1e-9);
    if (JointAt(frame, bone.jointA).state == JointEmpty ||
        JointAt(frame, bone.jointB).state == JointEmpty) {
        return;
    }
    double dx = JointAt(frame, bone.jointB).x - JointAt(frame, bone.jointA).x;
    double dy = JointAt(frame, bone.jointB).y - JointAt(frame, bone.jointA).y;
    if (from.kind != BoneFreeLength) {
        EXPECT_NEAR(std::hypot(dx, dy), bone.restLength, kLengthTolerance) << "bone " << link.slot;
    } else if (FreeToChangeEvenly(row, link)) {
        double drawn =
            Lerp(JointDistance(JointAt(kFirst, from.jointA), JointAt(kFirst, from.jointB)),
                 JointDistance(JointAt(row.last, to.jointA), JointAt(row.last, to.jointB)), t);
        EXPECT_NEAR(std::hypot(dx, dy), drawn, kLengthTolerance) << "free bone " << link.slot;
    }
    if (row.bends && row.loopTurn == 0) {
        return;
    }
    // On the arc: turned by t of the short-way turn (a loop's by t of its own), no further off it
    // than rounding puts it.
    double start = Direction(kFirst, from);
    double turn = row.loopTurn != 0 ? row.loopTurn * kPi / 180
                                    : std::remainder(Direction(row.last, to) - start, 2 * kPi);
    double angle = start + t * turn;
    EXPECT_NEAR(-dx * std::sin(angle) + dy * std::cos(angle), 0.0, kLengthTolerance);
    EXPECT_GT(dx * std::cos(angle) + dy * std::sin(angle), 0.0) << "the short way round";
}

std::vector<char> Bytes(int32_t frame) {
    std::vector<char> bytes(kSlotCount * (sizeof(Joint) + sizeof(Bone)));
    std::memcpy(bytes.data(), &JointAt(frame, 0), kSlotCount * sizeof(Joint));
    std::memcpy(bytes.data() + kSlotCount * sizeof(Joint), &BoneAt(frame, 0),
                kSlotCount * sizeof(Bone));
    return bytes;
}

// Fills the row's in-betweens and checks every frame; returns how many in-betweens it checked.
int32_t FillAndCheck(const Case& row) {
    SCOPED_TRACE(row.name);
    Pose(row);
    std::vector<std::vector<char>> before;
    for (int32_t frame = 0; frame <= row.last + 1; ++frame) {
        before.push_back(Bytes(frame));
    }
    EXPECT_TRUE(FillInbetweens(editor.animation, kFirst, row.last));
    for (int32_t frame = 0; frame <= row.last + 1; ++frame) {
        if (frame <= kFirst || frame >= row.last) {
            EXPECT_EQ(Bytes(frame), before[frame]) << "frame " << frame << " changed";
        }
    }
    bool pureMove = std::ranges::all_of(row.joints, [&](const PosedJoint& joint) {
        return joint.lastX - joint.x == row.joints[0].lastX - row.joints[0].x &&
               joint.lastY - joint.y == row.joints[0].lastY - row.joints[0].y;
    });
    for (int32_t frame = kFirst + 1; frame < row.last; ++frame) {
        SCOPED_TRACE(frame);
        double t = static_cast<double>(frame - kFirst) / (row.last - kFirst);
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
    return row.last - kFirst - 1;
}

TEST(Inbetweens, EveryInbetweenMovesEvenlyOnArcsAndKeepsTheFigure) {
    EditorStateInit();
    std::vector<Case> rows = kCases;
    std::mt19937 random(20);
    for (const Case& generated : {Wheel(4, 179), Wheel(8, 179), Wheel(4, -179), Wheel(6, 179, true),
                                  Wheel(8, -179, true), MirroredRope(), RandomFigures(random, 0)}) {
        rows.push_back(generated);
    }
    for (const Case& row : rows) {
        FillAndCheck(row);
    }
}

// Random figures and pose pairs from a fixed seed, each with 1 to 11 in-betweens.
TEST(Inbetweens, RandomFiguresKeepStillJointsAndBoneLengthsInEveryInbetween) {
    constexpr int32_t kPairs = 300;
    EditorStateInit();
    std::mt19937 random(2026);
    int32_t frames = 0;
    for (int32_t pair = 0; pair < kPairs && !HasFailure(); ++pair) {
        frames += FillAndCheck(RandomFigures(random, pair));
    }
    RecordProperty("pairs", kPairs);
    RecordProperty("frames", frames);
}

// A bone's style in the three in-betweens at 1/4, 1/2 and 3/4: colour (0xRRGGBB, -1 the kind's)
// and width in pixels change evenly, the shape is the second pose's from halfway on.
TEST(Inbetweens, StylesChangeColourAndThicknessEvenlyAndSwitchShapeHalfway) {
    struct Style {
        int32_t colour, pixels, shape;
    };
    struct Row {
        const char* name;
        int8_t kind;
        Style from, to;
        std::array<Style, 3> between;
    } rows[] = {
        {"the kind's lime to thick red discs",
         BoneStandard,
         {-1, 1, ShapeLine},
         {0xFF0000, 32, ShapeDisc},
         {{{0xCCBF00, 9, ShapeLine}, {0xDD8000, 17, ShapeDisc}, {0xEE4000, 24, ShapeDisc}}}},
        {"white to black circles on a free-length bone",
         BoneFreeLength,
         {0xFFFFFF, 4, ShapeCircle},
         {0x000000, 8, ShapeCircle},
         {{{0xBFBFBF, 5, ShapeCircle}, {0x808080, 6, ShapeCircle}, {0x404040, 7, ShapeCircle}}}},
        {"the kind's colour on both stays the kind's",
         BoneStandard,
         {-1, 2, ShapeLine},
         {-1, 10, ShapeCircle},
         {{{-1, 4, ShapeLine}, {-1, 6, ShapeCircle}, {-1, 8, ShapeCircle}}}},
        {"one style on both stays",
         BoneStandard,
         {0x0060FF, 12, ShapeDisc},
         {0x0060FF, 12, ShapeDisc},
         {{{0x0060FF, 12, ShapeDisc}, {0x0060FF, 12, ShapeDisc}, {0x0060FF, 12, ShapeDisc}}}},
    };
    auto make = [](const Style& style) {
        BoneStyle made{};
        made.ownColour = style.colour >= 0 ? 1 : 0;
        made.red = static_cast<uint8_t>(style.colour < 0 ? 0 : style.colour >> 16);
        made.green = static_cast<uint8_t>(style.colour < 0 ? 0 : style.colour >> 8 & 0xFF);
        made.blue = static_cast<uint8_t>(style.colour < 0 ? 0 : style.colour & 0xFF);
        made.thickness = static_cast<uint8_t>(style.pixels - 1);
        made.shape = static_cast<uint8_t>(style.shape);
        return made;
    };
    EditorStateInit();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int32_t frame : {kFirst, kLast}) {
            editor.session.currentFrame = frame;
            AddJoint(300, 300, JointStatic);
            AddJoint(300 + frame * 10, 340, JointNormal);
            AddBone(0, 1, row.kind);
            BoneAt(frame, 0).style = make(frame == kFirst ? row.from : row.to);
        }
        ASSERT_TRUE(FillInbetweens(editor.animation, kFirst, kLast));
        for (int32_t index = 0; index < 3; ++index) {
            BoneStyle expected = make(row.between[static_cast<std::size_t>(index)]);
            EXPECT_TRUE(SameStyle(BoneAt(kFirst + 1 + index, 0).style, expected)) << index;
        }
        ResetAll();
    }
}

// A bone of 100 pixels turned a quarter turn about its pinned joint over ten frames: each easing
// puts frame k at 90 * s(k / 10) degrees on the bone's arc, off only by the rounding to pixels,
// past the quarter turn and back where s goes past 1.
TEST(Inbetweens, EachEasingTurnsEveryFrameByItsShareOfTheQuarterTurn) {
    auto bounce = [](double t) { // parabolas of 7.5625 t^2 ending at 1/2.75, 2/2.75, 2.5/2.75, 1
        const double ends[] = {1, 2, 2.5, 2.75}, lifts[] = {0, 0.75, 0.9375, 0.984375};
        int32_t piece = 0;
        while (t >= ends[piece] / 2.75 && piece < 3) {
            ++piece;
        }
        double from = piece == 0 ? t : t - (ends[piece] + ends[piece - 1]) / 2 / 2.75;
        return 7.5625 * from * from + lifts[piece];
    };
    // clang-format off
    const std::pair<const char*, std::function<double(double)>> rows[] = {
        {"Linear", [](double t) { return t; }},
        {"Ein", [](double t) { return std::pow(t, 3); }},
        {"Aus", [](double t) { return 1 - std::pow(1 - t, 3); }},
        {"Ein-Aus", [](double t) { return t < 0.5 ? 4 * std::pow(t, 3) : 1 - std::pow(2 - 2 * t, 3) / 2; }},
        {"Sanft", [](double t) { return (1 - std::cos(kPi * t)) / 2; }},
        {"\xdc" "berschwingen", [](double t) { return 1 + 2.70158 * std::pow(t - 1, 3) + 1.70158 * std::pow(t - 1, 2); }},
        {"Federnd", [](double t) { return std::pow(2, -10 * t) * std::sin((10 * t - 0.75) * 2 * kPi / 3) + 1; }},
        {"Aufprall", bounce},
        {"Halten", [](double) { return 0.0; }},
    };
    // clang-format on
    ASSERT_EQ(std::size(rows), static_cast<std::size_t>(kEasingCount));
    bool pastTheTurn = false;
    for (int32_t easing = 0; easing < kEasingCount; ++easing) {
        const auto& [name, share] = rows[easing];
        SCOPED_TRACE(name);
        EXPECT_STREQ(EasingName(easing), name);
        ResetAll();
        for (int32_t frame = 0; frame <= 10; ++frame) {
            JointAt(frame, 0) = Joint{400, 300, JointStatic};
            JointAt(frame, 1) = Joint{frame < 10 ? 500 : 400, frame < 10 ? 300 : 400, JointNormal};
            BoneAt(frame, 0) = Bone{100.0, 0, 1, BoneStandard};
        }
        ASSERT_TRUE(FillInbetweens(editor.animation, 0, 10, easing));
        for (int32_t frame = 1; frame < 10; ++frame) {
            double angle = kPi / 2 * share(frame / 10.0);
            pastTheTurn |= angle > kPi / 2;
            EXPECT_EQ(std::pair(JointAt(frame, 0).x, JointAt(frame, 0).y), std::pair(400, 300));
            EXPECT_NEAR(JointAt(frame, 1).x, 400 + 100 * std::cos(angle), 0.5 + 1e-9) << frame;
            EXPECT_NEAR(JointAt(frame, 1).y, 300 + 100 * std::sin(angle), 0.5 + 1e-9) << frame;
        }
    }
    EXPECT_TRUE(pastTheTurn) << "overshoot and elastic turn past the second pose";
}

} // namespace
