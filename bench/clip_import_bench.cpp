// Importing the longest clip Debian ships, CMU's 37.6 s at 120 frames a second, into all 501
// frames at the rate of 40: reading and checking its 3.4 MB of text, the forward kinematics of
// 501 poses and the figure placed. Emptying the grids between runs (ResetAll) is not timed. It
// should take under 250 ms; compare it with BM_SolveBonesFullFrame of the same run.
#include <string>

#include <benchmark/benchmark.h>

#include "../tests/unit/support/editor_frames.h"
#include "figure/clip_pose.h"
#include "model/editor_state.h"
#include "runtime/heaps.h"
#include "storage/bvh_clip.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

void BM_ImportBvhLongestClip(benchmark::State& state) {
    const std::string path = "/usr/share/assimp/models/BVH/01_03.bvh";
    StringHeapInit();
    TextWorkBufferInit();
    FileTableInit();
    EditorStateInit();
    ClipPlacement placement;
    std::string error;
    int32_t frames = 0;
    for (auto _ : state) {
        MotionClip clip;
        if (!ReadMotionClip(path, &clip, &error)) {
            state.SkipWithError(error.c_str()); // scripts/setup.sh installs assimp-testmodels
            break;
        }
        frames = PlaceClip(editor.animation, clip, placement, &error);
        if (frames != kDefaultMaxFrame + 1) {
            state.SkipWithError(("the clip filled " + std::to_string(frames) + " frames").c_str());
            break;
        }
        state.PauseTiming();
        ResetAll();
        state.ResumeTiming();
    }
    state.counters["frames"] = frames;
    FileTableShutdown();
}
BENCHMARK(BM_ImportBvhLongestClip)->Unit(benchmark::kMillisecond);

} // namespace
