// Figures on the largest animation: M mirroring the figure under the pointer through a selection
// of all 501 frames, undo step included (should stay within one 1/61 s cycle), and finding the
// figure of a joint in one frame of 501 joints and 501 bones (under 1% of the cycle).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "../tests/unit/support/drawing_session.h"
#include "../tests/unit/support/editor_frames.h"
#include "editor/figure_keys.h"
#include "editor/undo_history.h"
#include "largest_animation.h"
#include "model/figures.h"
#include "runtime/headless.h"

namespace {

void BM_MirrorFigureAllFramesLargest(benchmark::State& state) {
    DrawingSession session;
    FillLargestAnimation();
    editor.session.currentFrame = 250;
    editor.session.selectionFirst = 0;
    editor.session.selectionLast = editor.animation.maxFrame;
    HeadlessSetCursor(100, 350); // a joint of frame 250 lies there whichever way it faces
    for (auto _ : state) {
        MirrorFigureStep();
        benchmark::DoNotOptimize(JointAt(500, 0).x);
        state.PauseTiming();
        UndoClear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MirrorFigureAllFramesLargest)->Unit(benchmark::kMillisecond);

void BM_FindFigureLargest(benchmark::State& state) {
    DrawingSession session;
    FillLargestAnimation();
    std::vector<int32_t> slots;
    for (auto _ : state) {
        FindFigure(editor.animation, 250, 0, &slots);
        benchmark::DoNotOptimize(slots.data());
    }
}
BENCHMARK(BM_FindFigureLargest)->Unit(benchmark::kMicrosecond);

} // namespace
