// Measures frame pacing in a real window: 600 presents paced by PresentSurface (sleeping to just
// before each deadline), then 600 paced by a pure spin on the counter, each with its mean
// interval, its largest deviation from the frame interval and the process's share of one core.
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "runtime/input.h"
#include "runtime/platform.h"
#include "runtime/surface.h"
#include "runtime/window.h"

namespace {

constexpr int kPresents = 600;
constexpr int kWarmUpPresents = 5;

struct Measurement {
    double meanMilliseconds;
    double largestDeviationMilliseconds;
    int intervalsOffByOverOneMillisecond;
    double coreShare;
};

double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The same wait as PresentSurface's, without sleeping.
void SpinThenPresent() {
    static int64_t lastWaitEnd = PlatformCounter();
    int64_t now = PlatformCounter();
    while (now - lastWaitEnd <= FrameInterval()) {
        now = PlatformCounter();
    }
    lastWaitEnd = now;
    PlatformPresent(SurfaceParentWindow(), SurfacePixels(), SurfaceWidth(), SurfaceHeight());
}

// One cycle as the editor runs it: an event poll, a keyboard sample, a cleared frame, a present.
// Each interval is measured from one present's return to the next, as the screen sees it.
Measurement Measure(void (*present)()) {
    double frequency = static_cast<double>(PlatformCounterFrequency());
    double interval = static_cast<double>(FrameInterval()) / frequency;
    // The first presents set up the window's pixel buffer in the display server.
    for (int warmUp = 0; warmUp < kWarmUpPresents; ++warmUp) {
        present();
    }
    std::vector<int64_t> stamps{PlatformCounter()};
    double processorStart = ProcessorSeconds();
    for (int cycle = 0; cycle < kPresents; ++cycle) {
        PollWindowEvent();
        SampleKeyboard();
        SurfaceClear(cycle * 0x010203);
        present();
        stamps.push_back(PlatformCounter());
    }
    double processor = ProcessorSeconds() - processorStart;
    double elapsed = static_cast<double>(stamps.back() - stamps.front()) / frequency;
    double largestDeviation = 0;
    int farOff = 0;
    for (std::size_t index = 1; index < stamps.size(); ++index) {
        double gap = static_cast<double>(stamps[index] - stamps[index - 1]) / frequency;
        largestDeviation = std::max(largestDeviation, std::abs(gap - interval));
        farOff += std::abs(gap - interval) > 1e-3 ? 1 : 0;
    }
    return Measurement{elapsed / kPresents * 1000, largestDeviation * 1000, farOff,
                       processor / elapsed};
}

void Report(const char* name, const Measurement& measured, double intervalMilliseconds) {
    std::printf("%-28s %10.4f ms %+8.3f %%   %8.3f ms   %8d   %6.1f %%\n", name,
                measured.meanMilliseconds,
                (measured.meanMilliseconds / intervalMilliseconds - 1) * 100,
                measured.largestDeviationMilliseconds, measured.intervalsOffByOverOneMillisecond,
                measured.coreShare * 100);
}

} // namespace

int main() {
    WindowSubsystemInit();
    SurfaceSubsystemInit();
    KeyboardInit();
    intptr_t window = WindowOpen(0, 10, 10, 800, 600, "Pacing probe", 0xCA0000);
    if (window == 0 || SurfaceOpenInWindow(window, 0, 0, 800, 600, 1, 0, 0) == 0) {
        std::fprintf(stderr, "no window to present into\n");
        return 1;
    }
    double intervalMilliseconds = static_cast<double>(FrameInterval()) * 1000 /
                                  static_cast<double>(PlatformCounterFrequency());
    Measurement paced = Measure(PresentSurface);
    Measurement spun = Measure(SpinThenPresent);
    std::printf("%d presents each; frame interval %.4f ms (1/61 s)\n", kPresents,
                intervalMilliseconds);
    std::printf("%-28s %13s %10s   %11s   %8s   %8s\n", "", "mean interval", "off", "largest dev",
                "> 1 ms", "CPU share");
    Report("PresentSurface (sleep+spin)", paced, intervalMilliseconds);
    Report("pure spin", spun, intervalMilliseconds);
    std::printf("CPU share of the paced loop: %.2f of the spin loop's\n",
                paced.coreShare / spun.coreShare);
    SurfaceClose();
    WindowClose(0);
    SurfaceSubsystemShutdown();
    WindowSubsystemShutdown();
    return 0;
}
