// The undo history at its heaviest: one drag recorded and taken back on a frame of 501 joints and
// 501 bones (should stay under 1% of the 1/61 s cycle), and X taken back on the largest animation,
// 501 such frames (should stay within one cycle).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "../tests/unit/support/drawing_session.h"
#include "../tests/unit/support/editor_frames.h"
#include "editor/undo_history.h"
#include "model/editor_state.h"

namespace {

// Joints on a grid over the surface, each bone linking a joint to its neighbour, kinds rotating.
void FillFullFrame(int32_t frame) {
    editor.session.currentFrame = frame;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        JointAt(frame, slot) = Joint{40 + slot % 21 * 36, 30 + slot / 21 * 23,
                                     static_cast<int8_t>(slot % 5 == 0 ? 2 : 1)};
        BoneAt(frame, slot) =
            Bone{36.0, slot, (slot + 1) % kSlotCount, static_cast<int8_t>(slot % 3)};
    }
}

// A drag as the main loop records it: the gesture's step opens, the dragged joint and the
// neighbours the solver pulled move, the step ends after the release, and Ctrl+Z takes it back.
void BM_UndoDragStepFullFrame(benchmark::State& state) {
    DrawingSession session;
    FillFullFrame(0);
    UndoClear();
    for (auto _ : state) {
        UndoNoteGestures(UndoGestureDrag);
        for (int32_t slot = 88; slot <= 90; ++slot) {
            JointAt(0, slot).x += 7;
        }
        UndoEndOfCycle(0);
        UndoTakeBack();
        benchmark::DoNotOptimize(JointAt(0, 89).x);
    }
}
BENCHMARK(BM_UndoDragStepFullFrame)->Unit(benchmark::kMicrosecond);

void BM_UndoResetLargest(benchmark::State& state) {
    DrawingSession session;
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        FillFullFrame(frame);
    }
    UndoClear();
    UndoBeginStep(0, editor.animation.maxFrame);
    ResetAll();
    UndoEndStep();
    for (auto _ : state) {
        UndoTakeBack();
        state.PauseTiming();
        UndoDoAgain();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoResetLargest)->Unit(benchmark::kMillisecond);

} // namespace
