// The sharing exports of the largest animation (501 frames of 501 joints and 501 bones), one run
// each: the sprite sheet against the numbered PNGs (target: at most 1.5 times their time), the
// Lottie file (target: at most 2 s; its size is reported) and the APNG.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "largest_animation_file.h"

namespace {

void RunExport(benchmark::State& state, const std::string& option, const std::string& output) {
    LargestFile& largest = Largest();
    std::string path = largest.folder + "/" + output;
    for (auto _ : state) {
        if (largest.path.empty() || RunCommand({option, path, largest.path}) != 0) {
            state.SkipWithError("the export failed");
            return;
        }
    }
    std::error_code error;
    auto bytes = std::filesystem::is_regular_file(path, error)
                     ? std::filesystem::file_size(path, error)
                     : std::uintmax_t{0};
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ShareExportPngsLargest(benchmark::State& state) {
    RunExport(state, "--export-png", "frames");
}
void BM_ShareExportSheetLargest(benchmark::State& state) {
    RunExport(state, "--export-sheet", "sheet.png");
}
void BM_ShareExportLottieLargest(benchmark::State& state) {
    RunExport(state, "--export-lottie", "largest.json");
}
void BM_ShareExportApngLargest(benchmark::State& state) {
    RunExport(state, "--export-apng", "largest.png");
}
BENCHMARK(BM_ShareExportPngsLargest)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ShareExportSheetLargest)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ShareExportLottieLargest)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ShareExportApngLargest)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
