// The timeline at its largest: the strip's twelve pictures of full frames all drawn afresh (at most
// a quarter of the 1/61 s cycle), and a copy of frame 0 inserted into the largest animation, frame
// 500 emptied to make room, and taken back (at most one cycle).
#include <benchmark/benchmark.h>

#include "../tests/unit/support/drawing_session.h"
#include "editor/editor_picture.h"
#include "editor/timeline.h"
#include "editor/undo_history.h"
#include "figure/timeline_strip.h"
#include "largest_animation.h"
#include "model/frame_range.h"

namespace {

void BM_TimelineRedrawLargest(benchmark::State& state) {
    DrawingSession session(kSurfaceHeight + kStripHeight);
    if (!session.opened) {
        state.SkipWithError("no surface to draw on");
        return;
    }
    FillLargestAnimation();
    editor.animation.headOn = 1;
    editor.session.currentFrame = 250;
    for (auto _ : state) {
        ForgetThumbnails();
        DrawEditorStrip();
        benchmark::DoNotOptimize(SurfacePixels());
    }
}
BENCHMARK(BM_TimelineRedrawLargest)->Unit(benchmark::kMicrosecond);

void BM_TimelineInsertLargest(benchmark::State& state) {
    DrawingSession session(kSurfaceHeight + kStripHeight);
    if (!session.opened) {
        state.SkipWithError("no surface to draw on");
        return;
    }
    FillLargestAnimation();
    editor.session.currentFrame = 500;
    DeleteRun(); // frame 500 empty: room for one copy
    UndoClear();
    editor.session.currentFrame = 0;
    for (auto _ : state) {
        if (!InsertCopiesOfRun()) {
            state.SkipWithError("no room for the copy");
            return;
        }
        UndoTakeBack();
    }
}
BENCHMARK(BM_TimelineInsertLargest)->Unit(benchmark::kMicrosecond);

} // namespace
