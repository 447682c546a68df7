// Saving and loading the largest animation (501 frames of 501 joints and 501 bones, 502,002
// records) against the least the system can do with the same bytes: one write with the same
// flush to disk and rename, and one read of the file; and what the main loop does for one backup
// of it while the editor runs (the writing itself happens on a thread of its own).
#include "storage/animation_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../tests/unit/support/editor_frames.h"
#include "largest_animation.h"
#include "model/editor_state.h"
#include "runtime/headless.h"
#include "runtime/heaps.h"
#include "runtime/surface.h"
#include "storage/numbered_files.h"
#include "storage/periodic_backup.h"
#include "storage/text.h"

namespace {

struct LargestAnimation {
    std::string folder;
    std::string path;
    std::vector<unsigned char> bytes;

    LargestAnimation() {
        char pattern[] = "/tmp/animation_bench_XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return;
        }
        folder = pattern;
        path = folder + "/largest.txt";
        ProgramHeapCreate();
        StringHeapInit();
        TextWorkBufferInit();
        FileTableInit();
        EditorStateInit();
        FillLargestAnimation();
        AssignString(&editor.session.basePath, path.c_str());
        EncodeAnimation(editor.animation, &bytes);
    }
    ~LargestAnimation() {
        if (!folder.empty()) {
            std::filesystem::remove_all(folder);
        }
    }
};

LargestAnimation& Largest() {
    static LargestAnimation largest;
    return largest;
}

void BM_SaveLargest(benchmark::State& state) {
    LargestAnimation& largest = Largest();
    for (auto _ : state) {
        if (SaveAnimation() != 1) {
            state.SkipWithError("save failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(largest.bytes.size()));
}
BENCHMARK(BM_SaveLargest)->Unit(benchmark::kMillisecond);

void BM_RawWriteLargest(benchmark::State& state) {
    LargestAnimation& largest = Largest();
    std::string temporary = largest.path + ".raw";
    for (auto _ : state) {
        int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        bool written =
            descriptor >= 0 && write(descriptor, largest.bytes.data(), largest.bytes.size()) ==
                                   static_cast<ssize_t>(largest.bytes.size());
        written = descriptor >= 0 && fsync(descriptor) == 0 && close(descriptor) == 0 && written;
        if (!written || std::rename(temporary.c_str(), largest.path.c_str()) != 0) {
            state.SkipWithError("raw write failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(largest.bytes.size()));
}
BENCHMARK(BM_RawWriteLargest)->Unit(benchmark::kMillisecond);

void BM_LoadLargest(benchmark::State& state) {
    LargestAnimation& largest = Largest();
    if (SaveAnimation() != 1) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        if (LoadAnimation() != 1) {
            state.SkipWithError("load failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(largest.bytes.size()));
}
BENCHMARK(BM_LoadLargest)->Unit(benchmark::kMillisecond);

void BM_RawReadLargest(benchmark::State& state) {
    LargestAnimation& largest = Largest();
    if (SaveAnimation() != 1) {
        state.SkipWithError("save failed");
        return;
    }
    std::vector<unsigned char> into(largest.bytes.size());
    for (auto _ : state) {
        int descriptor = open(largest.path.c_str(), O_RDONLY | O_CLOEXEC);
        ssize_t got = descriptor >= 0 ? read(descriptor, into.data(), into.size()) : -1;
        if (descriptor < 0 || close(descriptor) != 0 || got != static_cast<ssize_t>(into.size())) {
            state.SkipWithError("raw read failed");
            return;
        }
        benchmark::DoNotOptimize(into.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(largest.bytes.size()));
}
BENCHMARK(BM_RawReadLargest)->Unit(benchmark::kMillisecond);

// A minute passes on the injected clock and a joint moves before each backup, so every one is due
// and changed; waiting for the writer is left out of the time.
void BM_PeriodicBackupMainLoopWork(benchmark::State& state) {
    Largest();
    NoteAnimationStored(editor.animation);
    for (auto _ : state) {
        state.PauseTiming();
        FinishBackup();
        JointAt(0, 0).x ^= 1;
        DelayMs(60001);
        state.ResumeTiming();
        BackUpWhenDue(editor.session.basePath, editor.animation);
    }
    FinishBackup();
}
BENCHMARK(BM_PeriodicBackupMainLoopWork)->Unit(benchmark::kMillisecond);

} // namespace
