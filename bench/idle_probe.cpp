// Measures the idle editor in a real window: the editor started on a copy of an animation (the
// sample walk unless another is named) and left alone, three samples of 300 cycles each with the
// help shown and three with it hidden, each with the process's share of one core and the
// processor time one cycle takes. The editor's pacing sleeps through the rest of each cycle, so the
// share is what an idle editor costs the machine; the time per cycle holds steady on a busy one.
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "editor/editor_main.h"
#include "model/editor_state.h"
#include "runtime/platform.h"

namespace {

constexpr int kWarmUpCycles = 60;
constexpr int kCyclesPerSample = 300;
constexpr int kSamples = 3;

double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// False once the editor was asked to end (Escape in the window).
bool MeasureSamples(const char* name) {
    double frequency = static_cast<double>(PlatformCounterFrequency());
    std::printf("%-12s", name);
    for (int sample = 0; sample < kSamples; ++sample) {
        double processorStart = ProcessorSeconds();
        int64_t start = PlatformCounter();
        for (int cycle = 0; cycle < kCyclesPerSample; ++cycle) {
            if (!RunEditorCycle()) {
                return false;
            }
        }
        double elapsed = static_cast<double>(PlatformCounter() - start) / frequency;
        double processor = ProcessorSeconds() - processorStart;
        std::printf("   %5.3f of a core, %6.3f ms a cycle", processor / elapsed,
                    processor * 1000 / kCyclesPerSample);
    }
    std::printf("\n");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string source = argc > 1 ? argv[1] : "docs/sample/walk.txt";
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error) / "idle_probe";
    std::filesystem::create_directories(folder, error);
    std::filesystem::path copy = folder / "walk.txt";
    if (error || !std::filesystem::copy_file(
                     source, copy, std::filesystem::copy_options::overwrite_existing, error)) {
        std::fprintf(stderr, "idle_probe: cannot copy %s into %s\n", source.c_str(),
                     folder.c_str());
        return 1;
    }
    std::string path = copy.string();
    char* editorArgv[] = {argv[0], path.data(), nullptr};
    if (const char* problem = EditorStartup(2, editorArgv)) {
        std::fprintf(stderr, "idle_probe: %s\n", problem);
        EditorRelease();
        return 1;
    }
    bool goesOn = true;
    for (int cycle = 0; cycle < kWarmUpCycles && goesOn; ++cycle) {
        goesOn = RunEditorCycle();
    }
    std::printf("idle editor on %s, %d cycles a sample\n", source.c_str(), kCyclesPerSample);
    goesOn = goesOn && MeasureSamples("help shown");
    editor.session.helpVisible = 0;
    goesOn = goesOn && MeasureSamples("help hidden");
    EditorShutdown();
    std::filesystem::remove_all(folder, error);
    return 0;
}
