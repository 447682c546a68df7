// The MP4 of the largest animation: --export-mp4 against what a user would otherwise do for the
// same video, --export-png followed by ffmpeg with the same encoder settings (the same 2 x 2
// blocks by nearest-neighbour scaling). One run of each; the target is at most half the time.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "largest_animation_file.h"

namespace {

void BM_VideoExportMp4Largest(benchmark::State& state) {
    LargestFile& largest = Largest();
    for (auto _ : state) {
        if (largest.path.empty() ||
            RunCommand({"--export-mp4", largest.folder + "/direct.mp4", largest.path}) != 0) {
            state.SkipWithError("the export failed");
            return;
        }
    }
}
BENCHMARK(BM_VideoExportMp4Largest)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_VideoExportPngThenFfmpegLargest(benchmark::State& state) {
    LargestFile& largest = Largest();
    std::string frames = largest.folder + "/frames";
    std::string ffmpeg = "ffmpeg -v error -y -framerate 25 -i " + frames +
                         "/frame_%03d.png -vf scale=1600:1200:flags=neighbor -pix_fmt yuv420p "
                         "-c:v libx264 -preset veryfast -crf 8 -movflags +faststart " +
                         largest.folder + "/by_ffmpeg.mp4";
    for (auto _ : state) {
        if (largest.path.empty() || RunCommand({"--export-png", frames, largest.path}) != 0 ||
            std::system(ffmpeg.c_str()) != 0) {
            state.SkipWithError("the pictures or ffmpeg failed");
            return;
        }
    }
}
BENCHMARK(BM_VideoExportPngThenFfmpegLargest)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
