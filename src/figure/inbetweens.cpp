// The in-betweens of two frames. Each separate piece of the figure (joints joined by bones) gets a
// root joint that moves on a straight line; a spanning tree of its bones is walked outwards from
// the root, each tree bone turning the short way and changing its length evenly. Bones outside the
// tree (closed loops) and joints that stand still are then settled by relaxation passes in double
// precision, and only the finished pose is rounded to pixels.
#include "figure/inbetweens.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "model/editor_state.h"

namespace {

constexpr int32_t kNone = -1;
constexpr double kFullTurn = 2.0 * std::numbers::pi;
constexpr int32_t kMostSettlingPasses = 200;
// Settling ends once no bone is further than this from its length: with the rounding to whole
// pixels (up to 1.42 pixels on a bone) every bone stays within 1.5 pixels of its length.
constexpr double kSettledError = 0.05;
constexpr double kLowestCoordinate = std::numeric_limits<int32_t>::min();
constexpr double kHighestCoordinate = std::numeric_limits<int32_t>::max();

struct Point {
    double x;
    double y;
};

// A joint placed by walking the tree: from its parent along a bone whose direction turns and whose
// length changes evenly between the two frames.
struct TreeStep {
    int32_t joint;
    int32_t parent; // kNone for the piece's root, which moves on a straight line
    double startAngle;
    double turn; // -pi to pi: the short way round
    double startLength;
    double endLength;
};

// A bone of a piece as settling sees it: its ends and its lengths in the two frames. A tree bone
// runs from parent (jointA) to child (jointB); while no held joint lies beyond it, only the child
// end moves, so that a correction carries outwards instead of spreading back through the tree.
struct Link {
    int32_t jointA;
    int32_t jointB;
    double startLength;
    double endLength;
    bool childOnly;
};

struct Piece {
    int32_t firstStep;
    int32_t stepCount;
    int32_t firstLink;
    int32_t linkCount;
    bool needsSettling; // a closed loop, or a joint besides the root that must keep its place
};

// What the two frames have in common, worked out once for all the frames between them.
struct Plan {
    std::array<TreeStep, kSlotCount> steps;
    std::array<Link, kSlotCount> links;
    std::array<Piece, kSlotCount> pieces;
    std::array<bool, kSlotCount> held;           // the root and every joint still in both frames
    std::array<bool, kSlotCount> heldBeyond;     // a held joint in the subtree of the joint
    std::array<int32_t, kSlotCount> linkOfJoint; // the tree bone that reaches the joint
    int32_t stepCount;
    int32_t linkCount;
    int32_t pieceCount;
};

// The bones between two different used joints, listed per joint in bone-slot order: the entries
// of joint j are first[j] to first[j + 1] - 1.
struct Adjacency {
    std::array<int32_t, kSlotCount + 1> first;
    std::array<int32_t, 2 * kSlotCount> bone;
    std::array<int32_t, 2 * kSlotCount> other;
};

Plan plan;
Adjacency adjacency;

double Lerp(double from, double to, double t) {
    return from + t * (to - from);
}

bool IsUsedJoint(int32_t frame, int32_t slot) {
    return IsJointSlot(slot) && JointAt(frame, slot).state != JointEmpty;
}

// A bone naming an empty slot (only a file can make one) or joining a joint to itself gives no
// direction to turn; such bones are left out of the pieces.
bool JoinsTwoJoints(int32_t frame, const Bone& bone) {
    return BoneInUse(bone) && bone.jointA != bone.jointB && IsUsedJoint(frame, bone.jointA) &&
           IsUsedJoint(frame, bone.jointB);
}

bool IsStill(int32_t first, int32_t last, int32_t slot) {
    const Joint& from = JointAt(first, slot);
    const Joint& to = JointAt(last, slot);
    return from.x == to.x && from.y == to.y;
}

// The length bone slot `slot` keeps in a frame: its rest length there, or for a free-length bone
// the distance its joints happen to have.
double KeptLength(int32_t frame, int32_t slot) {
    const Bone& bone = BoneAt(frame, slot);
    if (bone.kind == BoneFreeLength) {
        return JointDistance(JointAt(frame, bone.jointA), JointAt(frame, bone.jointB));
    }
    return bone.restLength;
}

double Angle(int32_t frame, int32_t from, int32_t to) {
    const Joint& a = JointAt(frame, from);
    const Joint& b = JointAt(frame, to);
    return std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x);
}

void BuildAdjacency(int32_t frame) {
    std::array<int32_t, kSlotCount + 1> count{};
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = BoneAt(frame, slot);
        if (JoinsTwoJoints(frame, bone)) {
            ++count[bone.jointA + 1];
            ++count[bone.jointB + 1];
        }
    }
    for (int32_t joint = 0; joint < kSlotCount; ++joint) {
        count[joint + 1] += count[joint];
    }
    adjacency.first = count;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = BoneAt(frame, slot);
        if (!JoinsTwoJoints(frame, bone)) {
            continue;
        }
        int32_t entryA = count[bone.jointA]++;
        adjacency.bone[entryA] = slot;
        adjacency.other[entryA] = bone.jointB;
        int32_t entryB = count[bone.jointB]++;
        adjacency.bone[entryB] = slot;
        adjacency.other[entryB] = bone.jointA;
    }
}

// The joints of the piece that holds `start`, in breadth-first order; returns their number.
int32_t CollectPiece(int32_t start, std::array<bool, kSlotCount>& seen,
                     std::array<int32_t, kSlotCount>& members) {
    int32_t count = 0;
    members[count++] = start;
    seen[start] = true;
    for (int32_t next = 0; next < count; ++next) {
        int32_t joint = members[next];
        for (int32_t entry = adjacency.first[joint]; entry < adjacency.first[joint + 1]; ++entry) {
            int32_t other = adjacency.other[entry];
            if (!seen[other]) {
                seen[other] = true;
                members[count++] = other;
            }
        }
    }
    return count;
}

// The lowest joint that stands still in both frames, else the lowest static joint, else the
// lowest joint: the piece then turns about what the user pinned.
int32_t ChooseRoot(int32_t first, int32_t last, const std::array<int32_t, kSlotCount>& members,
                   int32_t count) {
    int32_t still = kSlotCount;
    int32_t pinned = kSlotCount;
    int32_t lowest = kSlotCount;
    for (int32_t index = 0; index < count; ++index) {
        int32_t joint = members[index];
        lowest = std::min(lowest, joint);
        if (IsStill(first, last, joint)) {
            still = std::min(still, joint);
        }
        if (JointAt(first, joint).state == JointStatic) {
            pinned = std::min(pinned, joint);
        }
    }
    return still < kSlotCount ? still : (pinned < kSlotCount ? pinned : lowest);
}

void AddTreeStep(int32_t first, int32_t last, int32_t joint, int32_t parent, int32_t bone) {
    TreeStep& step = plan.steps[plan.stepCount++];
    step = TreeStep{joint, parent, 0.0, 0.0, 0.0, 0.0};
    if (parent == kNone) {
        return;
    }
    step.startAngle = Angle(first, parent, joint);
    step.turn = std::remainder(Angle(last, parent, joint) - step.startAngle, kFullTurn);
    step.startLength = KeptLength(first, bone);
    step.endLength = KeptLength(last, bone);
}

// A tree bone moves only its child while no held joint lies in the child's subtree; the steps are
// in breadth-first order, so walking them backwards meets every subtree before its parent.
void MarkChildOnlyLinks(const Piece& piece) {
    for (int32_t index = piece.stepCount - 1; index > 0; --index) {
        const TreeStep& step = plan.steps[piece.firstStep + index];
        plan.heldBeyond[step.joint] |= plan.held[step.joint];
        plan.heldBeyond[step.parent] |= plan.heldBeyond[step.joint];
        plan.links[plan.linkOfJoint[step.joint]].childOnly = !plan.heldBeyond[step.joint];
    }
}

// Walks the piece breadth-first from its root: the first bone that reaches a joint becomes its
// tree bone; a bone between two joints already reached closes a loop.
void PlanPiece(int32_t first, int32_t last, int32_t root, std::array<bool, kSlotCount>& placed,
               std::array<bool, kSlotCount>& linked) {
    Piece& piece = plan.pieces[plan.pieceCount++];
    piece = Piece{plan.stepCount, 0, plan.linkCount, 0, false};
    placed[root] = true;
    AddTreeStep(first, last, root, kNone, kNone);
    for (int32_t next = piece.firstStep; next < plan.stepCount; ++next) {
        int32_t joint = plan.steps[next].joint;
        piece.needsSettling |= joint != root && plan.held[joint];
        for (int32_t entry = adjacency.first[joint]; entry < adjacency.first[joint + 1]; ++entry) {
            int32_t slot = adjacency.bone[entry];
            if (linked[slot]) {
                continue;
            }
            linked[slot] = true;
            int32_t other = adjacency.other[entry];
            plan.links[plan.linkCount++] =
                Link{joint, other, KeptLength(first, slot), KeptLength(last, slot), false};
            if (placed[other]) {
                piece.needsSettling = true;
                continue;
            }
            placed[other] = true;
            plan.linkOfJoint[other] = plan.linkCount - 1;
            AddTreeStep(first, last, other, joint, slot);
        }
    }
    piece.stepCount = plan.stepCount - piece.firstStep;
    piece.linkCount = plan.linkCount - piece.firstLink;
    MarkChildOnlyLinks(piece);
}

void MakePlan(int32_t first, int32_t last) {
    BuildAdjacency(first);
    plan.stepCount = 0;
    plan.linkCount = 0;
    plan.pieceCount = 0;
    std::array<bool, kSlotCount> seen{};
    std::array<bool, kSlotCount> placed{};
    std::array<bool, kSlotCount> linked{};
    std::array<int32_t, kSlotCount> members{};
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        plan.held[slot] = IsUsedJoint(first, slot) && IsStill(first, last, slot);
        plan.heldBeyond[slot] = false;
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (!IsUsedJoint(first, slot) || seen[slot]) {
            continue;
        }
        int32_t count = CollectPiece(slot, seen, members);
        int32_t root = ChooseRoot(first, last, members, count);
        plan.held[root] = true;
        PlanPiece(first, last, root, placed, linked);
    }
}

// Relaxation passes over all bones of the piece, in double precision: each bone is brought to its
// length along the line between its ends. A held end does not move, a tree bone with nothing held
// beyond it moves its child, and otherwise the two ends share the work.
void SettlePiece(const Piece& piece, double t, std::array<Point, kSlotCount>& at) {
    const Link* links = &plan.links[piece.firstLink];
    for (int32_t pass = 0; pass < kMostSettlingPasses; ++pass) {
        double worst = 0.0;
        for (int32_t index = 0; index < piece.linkCount; ++index) {
            const Link& link = links[index];
            bool heldA = plan.held[link.jointA];
            bool heldB = plan.held[link.jointB];
            Point& a = at[link.jointA];
            Point& b = at[link.jointB];
            double dx = b.x - a.x;
            double dy = b.y - a.y;
            double distance = std::sqrt(dx * dx + dy * dy);
            if (distance == 0.0 || (heldA && heldB)) {
                continue;
            }
            double error = distance - Lerp(link.startLength, link.endLength, t);
            worst = std::max(worst, std::abs(error));
            double share = error / distance;
            if (heldA || (link.childOnly && !heldB)) {
                b = Point{b.x - dx * share, b.y - dy * share};
            } else if (heldB) {
                a = Point{a.x + dx * share, a.y + dy * share};
            } else {
                b = Point{b.x - dx * share * 0.5, b.y - dy * share * 0.5};
                a = Point{a.x + dx * share * 0.5, a.y + dy * share * 0.5};
            }
        }
        if (worst < kSettledError) {
            return;
        }
    }
}

void PlacePiece(const Piece& piece, int32_t first, int32_t last, double t,
                std::array<Point, kSlotCount>& at) {
    for (int32_t index = 0; index < piece.stepCount; ++index) {
        const TreeStep& step = plan.steps[piece.firstStep + index];
        if (step.parent == kNone) {
            const Joint& from = JointAt(first, step.joint);
            const Joint& to = JointAt(last, step.joint);
            at[step.joint] = Point{Lerp(from.x, to.x, t), Lerp(from.y, to.y, t)};
            continue;
        }
        double angle = step.startAngle + t * step.turn;
        double length = Lerp(step.startLength, step.endLength, t);
        const Point& parent = at[step.parent];
        at[step.joint] =
            Point{parent.x + length * std::cos(angle), parent.y + length * std::sin(angle)};
    }
    if (!piece.needsSettling) {
        return;
    }
    // A joint still in both frames goes back to its place; the tree walk only came near it.
    for (int32_t index = 0; index < piece.stepCount; ++index) {
        int32_t joint = plan.steps[piece.firstStep + index].joint;
        if (plan.held[joint] && IsStill(first, last, joint)) {
            at[joint] = Point{static_cast<double>(JointAt(first, joint).x),
                              static_cast<double>(JointAt(first, joint).y)};
        }
    }
    SettlePiece(piece, t, at);
}

int32_t RoundToPixel(double coordinate) {
    return static_cast<int32_t>(
        std::clamp(std::rint(coordinate), kLowestCoordinate, kHighestCoordinate));
}

// The in-between takes frame first's joints and bones, with the placed positions and the rest
// lengths at t of the way to frame last's.
void WriteFrame(int32_t frame, int32_t first, int32_t last, double t,
                const std::array<Point, kSlotCount>& at) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Joint joint = JointAt(first, slot);
        if (joint.state != JointEmpty) {
            joint.x = RoundToPixel(at[slot].x);
            joint.y = RoundToPixel(at[slot].y);
        }
        JointAt(frame, slot) = joint;
        Bone bone = BoneAt(first, slot);
        if (BoneInUse(bone)) {
            bone.restLength = Lerp(bone.restLength, BoneAt(last, slot).restLength, t);
        }
        BoneAt(frame, slot) = bone;
    }
}

} // namespace

bool FramesShareFigure(int32_t frame, int32_t other) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (JointAt(frame, slot).state != JointAt(other, slot).state) {
            return false;
        }
        const Bone& bone = BoneAt(frame, slot);
        const Bone& otherBone = BoneAt(other, slot);
        if (BoneInUse(bone) != BoneInUse(otherBone)) {
            return false;
        }
        if (BoneInUse(bone) && (bone.jointA != otherBone.jointA ||
                                bone.jointB != otherBone.jointB || bone.kind != otherBone.kind)) {
            return false;
        }
    }
    return true;
}

bool FillInbetweens(int32_t first, int32_t last) {
    if (!IsFrame(first) || !IsFrame(last) || last - first < 2 || !FramesShareFigure(first, last)) {
        return false;
    }
    MakePlan(first, last);
    std::array<Point, kSlotCount> at{};
    for (int32_t frame = first + 1; frame < last; ++frame) {
        double t = static_cast<double>(frame - first) / static_cast<double>(last - first);
        for (int32_t index = 0; index < plan.pieceCount; ++index) {
            PlacePiece(plan.pieces[index], first, last, t, at);
        }
        WriteFrame(frame, first, last, t, at);
    }
    return true;
}
