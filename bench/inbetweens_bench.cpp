// Speed of the in-betweens on the largest case the editor can hold: frames 1 to 499 filled between
// frames 0 and 500 of a figure with all 501 joints and all 501 bones, and key I doing the same over
// a selection of all 501 frames with an easing, finding the copies and keeping the undo step. A
// keypress should feel instant, so each should take at most 100 ms.
#include <algorithm>
#include <cmath>

#include <benchmark/benchmark.h>

#include "../tests/unit/support/editor_frames.h"
#include "editor/command_keys.h"
#include "editor/undo_history.h"
#include "figure/inbetweens.h"
#include "model/easing.h"
#include "model/editor_state.h"

namespace {

constexpr int32_t kTreeJoints = 481; // the rest of the 501 joints have no bones
constexpr int32_t kLoopCount = 21;   // 480 tree bones and 21 loops fill the 501 bone slots
constexpr double kBoneLength = 14.0;

int32_t Parent(int32_t joint) {
    return (joint - 1) / 2;
}

// Every limb of the branching tree swings by its own amount, which its whole subtree follows; a
// joint that closes a loop keeps its bend, so that the stabilising triangles stay rigid as the
// solver would keep them.
double LimbTurn(int32_t joint, bool closesLoop) {
    return closesLoop ? 0.0 : 0.35 * std::sin(joint * 0.7);
}

bool ClosesLoop(int32_t joint) {
    return joint >= 3 && joint % 22 == 3;
}

// Places frame `frame`: the tree laid out from joint 0 at (400, 300), each limb turned by `swing`
// times its own turn, and the loose joints in a row that `shift` moves.
void PoseFrame(int32_t frame, double swing, int32_t shift, int8_t rootState) {
    editor.session.currentFrame = frame;
    double angle[kTreeJoints];
    double x[kTreeJoints];
    double y[kTreeJoints];
    angle[0] = 0.0;
    x[0] = 400.0;
    y[0] = 300.0;
    AddJoint(400, 300, rootState);
    for (int32_t joint = 1; joint < kTreeJoints; ++joint) {
        int32_t parent = Parent(joint);
        angle[joint] = angle[parent] + (joint % 2 == 0 ? 0.5 : -0.5) +
                       swing * LimbTurn(joint, ClosesLoop(joint));
        x[joint] = x[parent] + kBoneLength * std::cos(angle[joint]);
        y[joint] = y[parent] + kBoneLength * std::sin(angle[joint]);
        AddJoint(static_cast<int32_t>(std::lround(x[joint])),
                 static_cast<int32_t>(std::lround(y[joint])), JointNormal);
    }
    for (int32_t joint = kTreeJoints; joint < kSlotCount; ++joint) {
        AddJoint(20 + (joint - kTreeJoints) * 30 + shift, 580, JointNormal);
    }
}

void BuildLargestFill() {
    EditorStateInit();
    PoseFrame(0, 0.0, 0, JointStatic);
    for (int32_t joint = 1; joint < kTreeJoints; ++joint) {
        AddBone(Parent(joint), joint, BoneStandard);
    }
    int32_t loops = 0;
    for (int32_t joint = 3; joint < kTreeJoints && loops < kLoopCount; ++joint) {
        if (ClosesLoop(joint)) {
            AddBone(joint, Parent(Parent(joint)), BoneStabilising);
            ++loops;
        }
    }
    // The last frame: the same figure (bones and rest lengths copied), every limb swung.
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        BoneAt(500, slot) = BoneAt(0, slot);
    }
    PoseFrame(500, 1.0, 60, JointStatic);
}

void BM_InbetweensLargest(benchmark::State& state) {
    BuildLargestFill();
    for (auto _ : state) {
        bool filled = FillInbetweens(editor.animation, 0, 500);
        benchmark::DoNotOptimize(filled);
        benchmark::ClobberMemory();
    }
    state.counters["loops"] = kLoopCount;
}
BENCHMARK(BM_InbetweensLargest)->Unit(benchmark::kMillisecond);

// Frames 1 to 499 untouched copies of frame 0, all frames selected, the pen easing in and out;
// each fill is taken back outside the timing.
void BM_InbetweenKeyOverSelectionLargest(benchmark::State& state) {
    BuildLargestFill();
    for (int32_t frame = 1; frame < 500; ++frame) {
        std::copy_n(&JointAt(0, 0), kSlotCount, &JointAt(frame, 0));
        std::copy_n(&BoneAt(0, 0), kSlotCount, &BoneAt(frame, 0));
    }
    UndoClear();
    editor.session.currentFrame = 0;
    editor.session.selectionFirst = 0;
    editor.session.selectionLast = 500;
    editor.session.penEasing = StepEasing(kEasingLinear, 3); // Ein-Aus
    for (auto _ : state) {
        MakeInbetweens();
        state.PauseTiming();
        if (UndoStepCount() != 1) {
            state.SkipWithError("key I filled nothing");
            return;
        }
        UndoTakeBack();
        editor.session.statusLines.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InbetweenKeyOverSelectionLargest)->Unit(benchmark::kMillisecond);

} // namespace
