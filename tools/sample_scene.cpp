// The sample scene, frame by frame: each figure is built afresh in every frame in the same order,
// so that it keeps its joint slots. The walkers swing their legs and arms on a sine over six
// frames; the dog trots on the same beat, and the ball bounces twice over the twelve frames.
#include "sample_scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "../tests/unit/support/editor_frames.h"
#include "model/editor_state.h"
#include "sample_figures.h"

namespace {

constexpr double kFloor = 440; // where the feet and paws stand
constexpr double kStep = 2 * std::numbers::pi / 6;

struct Point {
    double x;
    double y;
};

// The end of a segment of `length` from `root`, at `angle` radians from straight down (positive
// towards the right).
Point Segment(Point root, double angle, double length) {
    return {root.x + length * std::sin(angle), root.y + length * std::cos(angle)};
}

int32_t NewJoint(Point point) {
    return SampleJoint(point.x, point.y);
}

// A walker `scale` times the grown-up's size with the hip at x, in `style` with a circle for the
// head, at `phase` (radians) of the step; the lower foot stands on the floor.
void Walker(double x, double scale, double phase, BoneStyle style) {
    double swing = std::sin(phase);
    double leg = 40 * scale;
    double arm = 30 * scale;
    // Legs hang from a hip at y 0 first, then everything moves down onto the floor.
    Point hip{x, 0};
    Point knees[2] = {Segment(hip, 0.45 * swing, leg), Segment(hip, -0.45 * swing, leg)};
    Point feet[2] = {Segment(knees[0], 0.45 * swing - 0.35 * std::max(swing, 0.0), leg),
                     Segment(knees[1], -0.45 * swing - 0.35 * std::max(-swing, 0.0), leg)};
    double down = kFloor - std::max(feet[0].y, feet[1].y);
    auto placed = [down](Point point) { return Point{point.x, point.y + down}; };
    hip = placed(hip);
    Point neck{hip.x + 4 * scale, hip.y - 60 * scale};
    Point headTop{neck.x + 2 * scale, neck.y - 40 * scale};
    Point elbows[2] = {Segment(neck, -0.5 * swing, arm), Segment(neck, 0.5 * swing, arm)};
    Point hands[2] = {Segment(elbows[0], -0.5 * swing + 0.5, arm),
                      Segment(elbows[1], 0.5 * swing + 0.5, arm)};

    int32_t headTopJoint = NewJoint(headTop);
    int32_t neckJoint = NewJoint(neck);
    int32_t hipJoint = NewJoint(hip);
    BoneStyle head = style;
    head.shape = ShapeCircle;
    SampleBone(neckJoint, headTopJoint, head);
    SampleBone(neckJoint, hipJoint, style);
    for (int32_t side = 0; side < 2; ++side) {
        int32_t knee = NewJoint(placed(knees[side]));
        int32_t foot = NewJoint(placed(feet[side]));
        SampleBone(hipJoint, knee, style);
        SampleBone(knee, foot, style);
        int32_t elbow = NewJoint(elbows[side]);
        int32_t hand = NewJoint(hands[side]);
        SampleBone(neckJoint, elbow, style);
        SampleBone(elbow, hand, style);
    }
}

// The dog side on, facing right, with its rump at x: diagonal legs swing together.
void Dog(double x, double phase) {
    double swing = 0.35 * std::sin(phase);
    Point rump{x, kFloor - 70};
    Point withers{x + 80, kFloor - 72};
    int32_t tail = NewJoint({x - 20, kFloor - 100 + 6 * std::sin(2 * phase)});
    int32_t rumpJoint = NewJoint(rump);
    int32_t withersJoint = NewJoint(withers);
    int32_t neck = NewJoint({x + 100, kFloor - 100});
    int32_t muzzle = NewJoint({x + 125, kFloor - 95});
    SampleBone(tail, rumpJoint, kSampleBrown);
    SampleBone(rumpJoint, withersJoint, kSampleBrown);
    SampleBone(withersJoint, neck, kSampleBrown);
    BoneStyle head = kSampleBrown;
    head.shape = ShapeDisc;
    SampleBone(neck, muzzle, head);
    const Point roots[4] = {rump, rump, withers, withers};
    const double angles[4] = {swing, -swing, -swing, swing};
    for (int32_t legIndex = 0; legIndex < 4; ++legIndex) {
        Point knee = Segment(roots[legIndex], angles[legIndex], 35);
        Point paw = Segment(knee, angles[legIndex] * 0.5, 35);
        int32_t kneeJoint = NewJoint(knee);
        int32_t pawJoint = NewJoint(paw);
        SampleBone(legIndex < 2 ? rumpJoint : withersJoint, kneeJoint, kSampleBrown);
        SampleBone(kneeJoint, pawJoint, kSampleBrown);
    }
}

// A disc 40 pixels across, its lowest point `height` above the floor.
void Ball(double x, double height) {
    int32_t top = NewJoint({x, kFloor - height - 40});
    int32_t bottom = NewJoint({x, kFloor - height});
    SampleBone(top, bottom, kSampleRedDisc);
}

} // namespace

void BuildSampleScene() {
    for (int32_t frame = 0; frame < kSceneFrames; ++frame) {
        editor.session.currentFrame = frame;
        double phase = frame * kStep;
        Walker(250 + 10.0 * frame, 1.0, phase, kSampleWhite);
        Walker(175 + 10.0 * frame, 0.6, phase + std::numbers::pi, kSampleYellow);
        Dog(400 + 10.0 * frame, phase);
        Ball(590 + 8.0 * frame, 90 * std::abs(std::sin(frame * std::numbers::pi / 6)));
        int32_t left = NewJoint({640, kFloor + 4});
        int32_t right = NewJoint({760, kFloor + 4});
        SampleBone(left, right, kSampleWoodLine);
    }
    editor.session.currentFrame = 0;
    editor.animation.shadowOn = 1;
    editor.animation.headOn = 0; // the walkers' heads are bones of their own
}
