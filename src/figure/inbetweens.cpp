// The in-betweens of two frames. Joints joined by standard and stabilising bones form groups, each
// walked outwards from a root along a spanning tree whose bones turn and change length evenly, then
// settled by relaxation in double precision where loops or still joints hold it. Free-length bones
// only hang groups from one another; only the finished pose is rounded to pixels.
#include "figure/inbetweens.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "model/animation.h"
#include "model/bone_style.h"
#include "model/easing.h"

namespace {

constexpr int32_t kNone = -1;
constexpr double kFullTurn = 2.0 * std::numbers::pi;
constexpr int32_t kSettlingPassesPerRound = 200;
constexpr int32_t kSettlingRounds = 4;
// Settling ends once no bone is further than this from its length: with the rounding to whole
// pixels (up to 1.42 pixels on a bone) every bone stays within 1.5 pixels of its length.
constexpr double kSettledError = 0.05;
// A settling stuck in a straight line (a chain pushed together between two held joints) is bent
// sideways by this share of each bone's length, so that it can fold to one side.
constexpr double kSidewaysBend = 0.05;
constexpr double kNoGain = 0.99;
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
    int32_t parent; // kNone for a root that moves on a straight line
    double startAngle;
    double turn;
    double startLength;
    double endLength;
};

// A bone of a group as settling sees it: its ends and its lengths in the two frames. A tree bone
// runs from parent (jointA) to child (jointB); while it lies on no loop and no held joint lies
// beyond it, only the child end moves, so that a correction carries outwards instead of spreading
// back through the tree.
struct Link {
    int32_t jointA;
    int32_t jointB;
    double startLength;
    double endLength;
    bool onLoop;
    bool childOnly;
};

struct Group {
    int32_t firstStep;
    int32_t stepCount;
    int32_t firstLink;
    int32_t linkCount;
    bool needsSettling; // a closed loop, or a joint besides the root that must keep its place
};

// How a closed loop of kept bones turns as a whole: its best-fitting rotation between the frames.
struct LoopTurn {
    double sumX, sumY, lastSumX, lastSumY; // positions summed, for the centres
    int32_t joints;
    int32_t stillJoints;
    int32_t pivot; // a still joint of the loop, which the loop turns about
    double turn;
};

// What the two frames have in common, worked out once for all the frames between them.
struct Plan {
    std::array<TreeStep, kSlotCount> steps;
    std::array<Link, kSlotCount> links;
    std::array<Group, kSlotCount> groups;
    std::array<bool, kSlotCount> held;           // every group root and every still joint
    std::array<bool, kSlotCount> heldBeyond;     // a held joint in the subtree of the joint
    std::array<int32_t, kSlotCount> linkOfJoint; // the tree bone that reaches the joint
    std::array<bool, kSlotCount> inLoop;         // per bone slot: a kept bone on a closed loop
    std::array<int32_t, kSlotCount> loopOf;      // per joint: the loop it belongs to
    std::array<LoopTurn, kSlotCount> loops;      // indexed by loopOf
    int32_t stepCount;
    int32_t linkCount;
    int32_t groupCount;
};

// The bones between two different used joints, listed per joint in bone-slot order: the entries
// of joint j are first[j] to first[j + 1] - 1.
struct Adjacency {
    std::array<int32_t, kSlotCount + 1> first;
    std::array<int32_t, 2 * kSlotCount> bone;
    std::array<int32_t, 2 * kSlotCount> other;
    std::array<bool, kSlotCount> kept; // per bone slot: standard or stabilising
};

Plan plan;
Adjacency adjacency;

double Lerp(double from, double to, double t) {
    return from + t * (to - from);
}

// A length at share s, which an easing may carry past the second pose: never below nothing.
double LengthAt(double from, double to, double s) {
    return std::max(0.0, Lerp(from, to, s));
}

bool IsUsedJoint(const Animation& animation, int32_t frame, int32_t slot) {
    return IsJointSlot(slot) && animation.JointAt(frame, slot).state != JointEmpty;
}

// A bone naming an empty slot (only a file can make one) or joining a joint to itself gives no
// direction to turn; such bones are left out of the pieces.
bool JoinsTwoJoints(const Animation& animation, int32_t frame, const Bone& bone) {
    return BoneInUse(bone) && bone.jointA != bone.jointB &&
           IsUsedJoint(animation, frame, bone.jointA) && IsUsedJoint(animation, frame, bone.jointB);
}

bool IsStill(const Animation& animation, int32_t first, int32_t last, int32_t slot) {
    const Joint& from = animation.JointAt(first, slot);
    const Joint& to = animation.JointAt(last, slot);
    return from.x == to.x && from.y == to.y;
}

// The length bone slot `slot` keeps in a frame: its rest length there, or for a free-length bone
// the distance its joints happen to have.
double KeptLength(const Animation& animation, int32_t frame, int32_t slot) {
    const Bone& bone = animation.BoneAt(frame, slot);
    if (bone.kind == BoneFreeLength) {
        return JointDistance(animation.JointAt(frame, bone.jointA),
                             animation.JointAt(frame, bone.jointB));
    }
    return bone.restLength;
}

double Angle(const Animation& animation, int32_t frame, int32_t from, int32_t to) {
    const Joint& a = animation.JointAt(frame, from);
    const Joint& b = animation.JointAt(frame, to);
    return std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x);
}

void BuildAdjacency(const Animation& animation, int32_t frame) {
    std::array<int32_t, kSlotCount + 1> count{};
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = animation.BoneAt(frame, slot);
        adjacency.kept[slot] = bone.kind != BoneFreeLength;
        if (JoinsTwoJoints(animation, frame, bone)) {
            ++count[bone.jointA + 1];
            ++count[bone.jointB + 1];
        }
    }
    for (int32_t joint = 0; joint < kSlotCount; ++joint) {
        count[joint + 1] += count[joint];
    }
    adjacency.first = count;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = animation.BoneAt(frame, slot);
        if (!JoinsTwoJoints(animation, frame, bone)) {
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

// Marks the kept bones that lie on a closed loop of kept bones: every kept bone that is not a
// bridge, found by one depth-first walk (without recursion) comparing each joint's discovery
// order with the earliest one its subtree reaches by a bone other than its own tree bone.
void MarkLoopBones(const Animation& animation, int32_t frame) {
    std::array<int32_t, kSlotCount> order{};
    std::array<int32_t, kSlotCount> earliest{};
    std::array<int32_t, kSlotCount> treeBone{};
    std::array<int32_t, kSlotCount> nextEntry{};
    std::array<int32_t, kSlotCount> stack{};
    order.fill(kNone);
    plan.inLoop.fill(false);
    int32_t counter = 0;
    for (int32_t start = 0; start < kSlotCount; ++start) {
        if (!IsUsedJoint(animation, frame, start) || order[start] != kNone) {
            continue;
        }
        int32_t depth = 0;
        stack[depth++] = start;
        order[start] = earliest[start] = counter++;
        treeBone[start] = kNone;
        nextEntry[start] = adjacency.first[start];
        while (depth > 0) {
            int32_t joint = stack[depth - 1];
            if (nextEntry[joint] == adjacency.first[joint + 1]) {
                --depth;
                if (depth > 0) {
                    int32_t parent = stack[depth - 1];
                    earliest[parent] = std::min(earliest[parent], earliest[joint]);
                    plan.inLoop[treeBone[joint]] = earliest[joint] <= order[parent];
                }
                continue;
            }
            int32_t entry = nextEntry[joint]++;
            int32_t slot = adjacency.bone[entry];
            int32_t other = adjacency.other[entry];
            if (!adjacency.kept[slot] || slot == treeBone[joint]) {
                continue;
            }
            if (order[other] != kNone) {
                earliest[joint] = std::min(earliest[joint], order[other]);
                plan.inLoop[slot] = true; // a bone back to a joint already reached closes a loop
                continue;
            }
            order[other] = earliest[other] = counter++;
            treeBone[other] = slot;
            nextEntry[other] = adjacency.first[other];
            stack[depth++] = other;
        }
    }
}

int32_t FindLoop(int32_t joint) {
    while (plan.loopOf[joint] != joint) {
        plan.loopOf[joint] = plan.loopOf[plan.loopOf[joint]];
        joint = plan.loopOf[joint];
    }
    return joint;
}

// The best-fitting rotation of each closed loop (joints joined by loop bones) between the two
// frames: the angle of sum(p x q) and sum(p . q) over its joints, p and q their places relative
// to the loop's centre in each frame. A loop turns about its one still joint; with two it cannot
// turn at all.
void MeasureLoopTurns(const Animation& animation, int32_t first, int32_t last) {
    for (int32_t joint = 0; joint < kSlotCount; ++joint) {
        plan.loopOf[joint] = joint;
        plan.loops[joint] = LoopTurn{0.0, 0.0, 0.0, 0.0, 0, 0, kNone, 0.0};
    }
    std::array<bool, kSlotCount> onLoop{};
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (plan.inLoop[slot]) {
            const Bone& bone = animation.BoneAt(first, slot);
            onLoop[bone.jointA] = onLoop[bone.jointB] = true;
            plan.loopOf[FindLoop(bone.jointA)] = FindLoop(bone.jointB);
        }
    }
    for (int32_t joint = 0; joint < kSlotCount; ++joint) {
        if (!onLoop[joint]) {
            continue;
        }
        LoopTurn& loop = plan.loops[FindLoop(joint)];
        loop.sumX += animation.JointAt(first, joint).x;
        loop.sumY += animation.JointAt(first, joint).y;
        loop.lastSumX += animation.JointAt(last, joint).x;
        loop.lastSumY += animation.JointAt(last, joint).y;
        loop.joints += 1;
        if (IsStill(animation, first, last, joint)) {
            loop.stillJoints += 1;
            loop.pivot = joint;
        }
    }
    std::array<double, kSlotCount> cross{};
    std::array<double, kSlotCount> dot{};
    for (int32_t joint = 0; joint < kSlotCount; ++joint) {
        if (!onLoop[joint]) {
            continue;
        }
        int32_t loopIndex = FindLoop(joint);
        const LoopTurn& loop = plan.loops[loopIndex];
        Point from{loop.sumX / loop.joints, loop.sumY / loop.joints};
        Point to{loop.lastSumX / loop.joints, loop.lastSumY / loop.joints};
        if (loop.pivot != kNone) {
            from = to = Point{static_cast<double>(animation.JointAt(first, loop.pivot).x),
                              static_cast<double>(animation.JointAt(first, loop.pivot).y)};
        }
        double px = animation.JointAt(first, joint).x - from.x;
        double py = animation.JointAt(first, joint).y - from.y;
        double qx = animation.JointAt(last, joint).x - to.x;
        double qy = animation.JointAt(last, joint).y - to.y;
        cross[loopIndex] += px * qy - py * qx;
        dot[loopIndex] += px * qx + py * qy;
    }
    for (int32_t joint = 0; joint < kSlotCount; ++joint) {
        LoopTurn& loop = plan.loops[joint];
        if (loop.joints > 0 && loop.stillJoints < 2) {
            loop.turn = std::atan2(cross[joint], dot[joint]);
        }
    }
}

void AddTreeStep(const Animation& animation, int32_t first, int32_t last, int32_t joint,
                 int32_t parent, int32_t bone) {
    TreeStep& step = plan.steps[plan.stepCount++];
    step = TreeStep{joint, parent, 0.0, 0.0, 0.0, 0.0};
    if (parent == kNone) {
        return;
    }
    // A bone turns the short way relative to the turn of the loop it lies on, so that all bones
    // of a loop take the same way round.
    double loopTurn = plan.inLoop[bone] ? plan.loops[FindLoop(joint)].turn : 0.0;
    step.startAngle = Angle(animation, first, parent, joint);
    step.turn = loopTurn +
                std::remainder(Angle(animation, last, parent, joint) - step.startAngle - loopTurn,
                               kFullTurn);
    step.startLength = KeptLength(animation, first, bone);
    step.endLength = KeptLength(animation, last, bone);
}

// A tree bone off the loops moves only its child while no held joint lies in the child's subtree
// (a loop's bones share their corrections, or they would pull against each other); the steps are
// in breadth-first order, so walking them backwards meets every subtree before its parent.
void MarkChildOnlyLinks(const Group& group) {
    for (int32_t index = group.stepCount - 1; index > 0; --index) {
        const TreeStep& step = plan.steps[group.firstStep + index];
        plan.heldBeyond[step.joint] |= plan.held[step.joint];
        plan.heldBeyond[step.parent] |= plan.heldBeyond[step.joint];
        Link& link = plan.links[plan.linkOfJoint[step.joint]];
        link.childOnly = !link.onLoop && !plan.heldBeyond[step.joint];
    }
}

// Walks the kept bones breadth-first from the group's root, which is reached from `parent` by the
// free-length bone `bone` (both kNone for a root on a straight line): the first bone that reaches
// a joint becomes its tree bone; a bone between two joints already reached closes a loop.
void PlanGroup(const Animation& animation, int32_t first, int32_t last, int32_t root,
               int32_t parent, int32_t bone, std::array<bool, kSlotCount>& placed,
               std::array<bool, kSlotCount>& linked) {
    Group& group = plan.groups[plan.groupCount++];
    group = Group{plan.stepCount, 0, plan.linkCount, 0, false};
    placed[root] = true;
    plan.held[root] = true;
    AddTreeStep(animation, first, last, root, parent, bone);
    for (int32_t next = group.firstStep; next < plan.stepCount; ++next) {
        int32_t joint = plan.steps[next].joint;
        group.needsSettling |= joint != root && plan.held[joint];
        for (int32_t entry = adjacency.first[joint]; entry < adjacency.first[joint + 1]; ++entry) {
            int32_t slot = adjacency.bone[entry];
            if (!adjacency.kept[slot] || linked[slot]) {
                continue;
            }
            linked[slot] = true;
            int32_t other = adjacency.other[entry];
            plan.links[plan.linkCount++] = Link{joint,
                                                other,
                                                KeptLength(animation, first, slot),
                                                KeptLength(animation, last, slot),
                                                plan.inLoop[slot],
                                                false};
            if (placed[other]) {
                group.needsSettling = true;
                continue;
            }
            placed[other] = true;
            plan.linkOfJoint[other] = plan.linkCount - 1;
            AddTreeStep(animation, first, last, other, joint, slot);
        }
    }
    group.stepCount = plan.stepCount - group.firstStep;
    group.linkCount = plan.linkCount - group.firstLink;
    MarkChildOnlyLinks(group);
}

// The lowest static joint, else the lowest joint of the piece: it then moves on a straight line.
int32_t ChooseRoot(const Animation& animation, int32_t first,
                   const std::array<int32_t, kSlotCount>& members, int32_t count) {
    int32_t pinned = kSlotCount;
    int32_t lowest = kSlotCount;
    for (int32_t index = 0; index < count; ++index) {
        int32_t joint = members[index];
        lowest = std::min(lowest, joint);
        if (animation.JointAt(first, joint).state == JointStatic) {
            pinned = std::min(pinned, joint);
        }
    }
    return pinned < kSlotCount ? pinned : lowest;
}

// The joints of the piece (joined by bones of any kind) that holds `start`; returns their number.
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

// The groups of one piece: first each group with a still joint, rooted at its lowest one (or,
// with none in the piece, the group of the chosen root); then every group reached from a placed
// one by a free-length bone, which becomes its root's tree bone. So still joints come first, kept
// lengths next, and a free-length bone between two placed joints takes whatever length they give.
void PlanPiece(const Animation& animation, int32_t first, int32_t last,
               const std::array<int32_t, kSlotCount>& members, int32_t count,
               std::array<bool, kSlotCount>& placed, std::array<bool, kSlotCount>& linked) {
    int32_t firstGroup = plan.groupCount;
    std::array<int32_t, kSlotCount> sorted{};
    std::copy_n(members.begin(), count, sorted.begin());
    std::sort(sorted.begin(), sorted.begin() + count);
    for (int32_t index = 0; index < count; ++index) {
        int32_t joint = sorted[index];
        if (plan.held[joint] && !placed[joint]) {
            PlanGroup(animation, first, last, joint, kNone, kNone, placed, linked);
        }
    }
    if (plan.groupCount == firstGroup) {
        PlanGroup(animation, first, last, ChooseRoot(animation, first, members, count), kNone,
                  kNone, placed, linked);
    }
    for (int32_t groupIndex = firstGroup; groupIndex < plan.groupCount; ++groupIndex) {
        const Group& group = plan.groups[groupIndex];
        for (int32_t index = 0; index < group.stepCount; ++index) {
            int32_t joint = plan.steps[group.firstStep + index].joint;
            for (int32_t entry = adjacency.first[joint]; entry < adjacency.first[joint + 1];
                 ++entry) {
                int32_t other = adjacency.other[entry];
                if (!placed[other]) {
                    PlanGroup(animation, first, last, other, joint, adjacency.bone[entry], placed,
                              linked);
                }
            }
        }
    }
}

void MakePlan(const Animation& animation, int32_t first, int32_t last) {
    BuildAdjacency(animation, first);
    MarkLoopBones(animation, first);
    MeasureLoopTurns(animation, first, last);
    plan.stepCount = 0;
    plan.linkCount = 0;
    plan.groupCount = 0;
    std::array<bool, kSlotCount> seen{};
    std::array<bool, kSlotCount> placed{};
    std::array<bool, kSlotCount> linked{};
    std::array<int32_t, kSlotCount> members{};
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        plan.held[slot] =
            IsUsedJoint(animation, first, slot) && IsStill(animation, first, last, slot);
        plan.heldBeyond[slot] = false;
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (IsUsedJoint(animation, first, slot) && !seen[slot]) {
            int32_t count = CollectPiece(slot, seen, members);
            PlanPiece(animation, first, last, members, count, placed, linked);
        }
    }
}

// One relaxation pass over the group's bones, in double precision: each bone is brought to its
// length along the line between its ends. A held end does not move, a tree bone with nothing held
// beyond it moves its child, and otherwise the two ends share the work. Returns the largest error
// met.
double SettlingPass(const Group& group, double s, std::array<Point, kSlotCount>& at) {
    double worst = 0.0;
    for (int32_t index = 0; index < group.linkCount; ++index) {
        const Link& link = plan.links[group.firstLink + index];
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
        double error = distance - LengthAt(link.startLength, link.endLength, s);
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
    return worst;
}

// Moves every joint of the group that is not held sideways off its tree bone, all to the same
// side: a chain squeezed along one straight line gets a direction to fold in.
void BendSideways(const Group& group, double s, std::array<Point, kSlotCount>& at) {
    for (int32_t index = 1; index < group.stepCount; ++index) {
        const TreeStep& step = plan.steps[group.firstStep + index];
        if (plan.held[step.joint]) {
            continue;
        }
        double angle = step.startAngle + s * step.turn;
        double bend = kSidewaysBend * LengthAt(step.startLength, step.endLength, s);
        at[step.joint].x -= bend * std::sin(angle);
        at[step.joint].y += bend * std::cos(angle);
    }
}

// Settling rounds: after a round that ends unsettled, the group is bent sideways for the next;
// once a round gains nothing (a chain pulled apart between held joints has no better pose), the
// settling stops there.
void SettleGroup(const Group& group, double s, std::array<Point, kSlotCount>& at) {
    double unsettled = std::numeric_limits<double>::infinity();
    for (int32_t round = 0; round < kSettlingRounds; ++round) {
        if (round > 0) {
            BendSideways(group, s, at);
        }
        double worst = unsettled;
        for (int32_t pass = 0; pass < kSettlingPassesPerRound; ++pass) {
            worst = SettlingPass(group, s, at);
            if (worst < kSettledError) {
                return;
            }
        }
        if (worst > kNoGain * unsettled) {
            return;
        }
        unsettled = worst;
    }
}

void PlaceGroup(const Animation& animation, const Group& group, int32_t first, int32_t last,
                double s, std::array<Point, kSlotCount>& at) {
    for (int32_t index = 0; index < group.stepCount; ++index) {
        const TreeStep& step = plan.steps[group.firstStep + index];
        if (step.parent == kNone) {
            const Joint& from = animation.JointAt(first, step.joint);
            const Joint& to = animation.JointAt(last, step.joint);
            at[step.joint] = Point{Lerp(from.x, to.x, s), Lerp(from.y, to.y, s)};
            continue;
        }
        double angle = step.startAngle + s * step.turn;
        double length = LengthAt(step.startLength, step.endLength, s);
        const Point& parent = at[step.parent];
        at[step.joint] =
            Point{parent.x + length * std::cos(angle), parent.y + length * std::sin(angle)};
    }
    if (!group.needsSettling) {
        return;
    }
    // A joint still in both frames goes back to its place; the tree walk only came near it.
    for (int32_t index = 1; index < group.stepCount; ++index) {
        int32_t joint = plan.steps[group.firstStep + index].joint;
        if (plan.held[joint]) {
            at[joint] = Point{static_cast<double>(animation.JointAt(first, joint).x),
                              static_cast<double>(animation.JointAt(first, joint).y)};
        }
    }
    SettleGroup(group, s, at);
}

int32_t RoundToPixel(double coordinate) {
    return static_cast<int32_t>(
        std::clamp(std::rint(coordinate), kLowestCoordinate, kHighestCoordinate));
}

// The in-between takes frame first's joints and bones, with the placed positions and the rest
// lengths at share s of the way to frame last's. A style goes no further than either pose's.
void WriteFrame(Animation& animation, int32_t frame, int32_t first, int32_t last, double s,
                const std::array<Point, kSlotCount>& at) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Joint joint = animation.JointAt(first, slot);
        if (joint.state != JointEmpty) {
            joint.x = RoundToPixel(at[slot].x);
            joint.y = RoundToPixel(at[slot].y);
        }
        animation.JointAt(frame, slot) = joint;
        Bone bone = animation.BoneAt(first, slot);
        if (BoneInUse(bone)) {
            const Bone& end = animation.BoneAt(last, slot);
            bone.restLength = LengthAt(bone.restLength, end.restLength, s);
            bone.style = BlendStyles(bone.style, end.style, bone.kind, std::clamp(s, 0.0, 1.0));
        }
        animation.BoneAt(frame, slot) = bone;
    }
}

} // namespace

bool FramesShareFigure(const Animation& animation, int32_t frame, int32_t other) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (animation.JointAt(frame, slot).state != animation.JointAt(other, slot).state) {
            return false;
        }
        const Bone& bone = animation.BoneAt(frame, slot);
        const Bone& otherBone = animation.BoneAt(other, slot);
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

bool FillInbetweens(Animation& animation, int32_t first, int32_t last, int32_t easing) {
    if (!animation.IsFrame(first) || !animation.IsFrame(last) || last - first < 2 ||
        !FramesShareFigure(animation, first, last)) {
        return false;
    }
    MakePlan(animation, first, last);
    std::array<Point, kSlotCount> at{};
    for (int32_t frame = first + 1; frame < last; ++frame) {
        double t = static_cast<double>(frame - first) / static_cast<double>(last - first);
        double s = EasedShare(easing, t);
        for (int32_t index = 0; index < plan.groupCount; ++index) {
            PlaceGroup(animation, plan.groups[index], first, last, s, at);
        }
        WriteFrame(animation, frame, first, last, s, at);
    }
    return true;
}
