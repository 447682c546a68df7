// The back buffer: 800 x 700 pixels in memory that drawing writes directly, its clearing, its loan
// to the drawing layer, and its paced presentation into the parent window.
#include "runtime/surface.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

#include "runtime/drawing.h"
#include "runtime/platform.h"

namespace {

constexpr int32_t kDefaultRate = 60;
constexpr int32_t kPixelBits = 32;
constexpr int32_t kPixelFormatRedHigh = 7; // 32 bits, red mask 0xFF0000
// A sleep to an absolute deadline wakes a few tens of microseconds late on an idle system, so the
// frame wait sleeps until this long before its deadline and reads the counter for the rest.
constexpr int64_t kSpinMicroseconds = 300;
constexpr int64_t kMicrosecondsPerSecond = 1000000;

struct SurfaceState {
    intptr_t parent = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t rightMargin = 0;
    int32_t bottomMargin = 0;
    int32_t autoStretch = 0;
    bool open = false;
    bool offscreen = false; // no window: presenting neither paces nor shows
    bool lentOut = false;
    std::vector<uint32_t> pixels;
    // Pacing: rate 0 means none set; the wait's end is remembered once a wait has run.
    int32_t rate = 0;
    bool rateByDefault = false;
    int64_t frequency = 0;
    int64_t frameInterval = 0;
    bool waitStarted = false;
    int64_t lastWaitEnd = 0;
};

SurfaceState surface;
DrawingTarget drawTarget;

void GiveTargetBack() {
    surface.lentOut = false;
}

// Ends more than frameInterval ticks after the previous wait ended; the first wait after a rate
// change, or after the counter went backwards, starts counting from now. It sleeps to a point
// just before the deadline, so a late start or an interrupted sleep costs no accuracy, and spins
// only the last stretch.
void WaitForFrame() {
    int64_t now = PlatformCounter();
    if (!surface.waitStarted || now < surface.lastWaitEnd) {
        surface.waitStarted = true;
        surface.lastWaitEnd = now;
    }
    const int64_t deadline = surface.lastWaitEnd + surface.frameInterval + 1;
    const int64_t spinTicks = surface.frequency * kSpinMicroseconds / kMicrosecondsPerSecond;
    if (deadline - now > spinTicks) {
        PlatformSleepUntil(deadline - spinTicks);
        now = PlatformCounter();
    }
    while (now < deadline) {
        now = PlatformCounter();
    }
    surface.lastWaitEnd = now;
}

bool AllocatePixels(int32_t width, int32_t height) {
    try {
        surface.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                              0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

} // namespace

int32_t SurfaceSubsystemInit() {
    surface = SurfaceState{};
    return 1;
}

void SurfaceSubsystemShutdown() {
    SurfaceClose();
}

int32_t SurfaceOpenInWindow(intptr_t parent, int32_t x, int32_t y, int32_t width, int32_t height,
                            int32_t autoStretch, int32_t rightMargin, int32_t bottomMargin) {
    SurfaceClose();
    if (parent == 0 || width <= 0 || height <= 0) {
        return 0;
    }
    if (surface.rate == 0) {
        SetPresentRate(kDefaultRate);
        surface.rateByDefault = true;
    } else {
        surface.rateByDefault = false;
    }
    if (!AllocatePixels(width, height)) {
        return 0;
    }
    surface.parent = parent;
    surface.width = width;
    surface.height = height;
    // The back buffer is always copied to the client origin at its own size; the placement values
    // are kept for callers that read them back.
    surface.x = x;
    surface.y = y;
    surface.autoStretch = autoStretch;
    surface.rightMargin = rightMargin;
    surface.bottomMargin = bottomMargin;
    surface.open = true;
    return 1;
}

int32_t SurfaceOpenOffscreen(int32_t width, int32_t height) {
    SurfaceClose();
    if (width <= 0 || height <= 0 || !AllocatePixels(width, height)) {
        return 0;
    }
    surface.width = width;
    surface.height = height;
    surface.open = true;
    surface.offscreen = true;
    return 1;
}

void SurfaceClose() {
    if (!surface.open) {
        return;
    }
    // A drawing still under way would go on writing into the freed back buffer.
    if (surface.lentOut) {
        DrawingEnd();
    }
    if (surface.rateByDefault) {
        SetPresentRate(0); // so that the next open sets the default again
    }
    surface.open = false;
    surface.offscreen = false;
    surface.lentOut = false;
    surface.parent = 0;
    surface.width = 0;
    surface.height = 0;
    surface.pixels = std::vector<uint32_t>();
}

const DrawingTarget* SurfaceDrawTarget() {
    if (!surface.open || surface.lentOut) {
        return nullptr;
    }
    surface.lentOut = true;
    drawTarget = DrawingTarget{DrawingTargetSurface, surface.parent,     surface.pixels.data(),
                               GiveTargetBack,       surface.width,      surface.height,
                               kPixelBits,           kPixelFormatRedHigh};
    return &drawTarget;
}

void SurfaceClear(int32_t colour) {
    if (!surface.open) {
        return;
    }
    std::fill(surface.pixels.begin(), surface.pixels.end(), ColourToPixel(colour));
}

void PresentSurface() {
    // The target goes back at the latest here; a drawing still on it ends with it, so nothing
    // goes on writing into a buffer that a later close frees.
    if (surface.lentOut) {
        DrawingEnd();
    }
    surface.lentOut = false;
    if (surface.offscreen) {
        return;
    }
    WaitForFrame();
    if (surface.open) {
        PlatformPresent(surface.parent, surface.pixels.data(), surface.width, surface.height);
    }
}

// FrameInterval = frequency / (rate + 1): a rate of 60 paces at 1/61 s. A negative rate would
// divide by zero or pace backwards and is refused.
int32_t SetPresentRate(int32_t rate) {
    int64_t frequency = PlatformCounterFrequency();
    if (frequency <= 0 || rate < 0) {
        return 0;
    }
    surface.rate = rate;
    surface.rateByDefault = false;
    surface.frequency = frequency;
    surface.frameInterval = frequency / (static_cast<int64_t>(rate) + 1);
    surface.waitStarted = false;
    return 1;
}

void DelayMs(int32_t milliseconds) {
    if (milliseconds > 0) {
        PlatformSleepMicroseconds(static_cast<int64_t>(milliseconds) * 1000);
    }
}

void DelayMicroseconds(int64_t microseconds) {
    if (microseconds > 0) {
        PlatformSleepMicroseconds(microseconds);
    }
}

int64_t ElapsedMilliseconds() {
    int64_t frequency = PlatformCounterFrequency();
    if (frequency <= 0) {
        return 0;
    }
    // Whole seconds and the rest apart, so that the product cannot overflow.
    int64_t ticks = PlatformCounter();
    return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

uint32_t* SurfacePixels() {
    return surface.open ? surface.pixels.data() : nullptr;
}
int32_t SurfaceWidth() {
    return surface.width;
}
int32_t SurfaceHeight() {
    return surface.height;
}
intptr_t SurfaceParentWindow() {
    return surface.parent;
}

int32_t SurfaceColourAt(int32_t x, int32_t y) {
    if (!surface.open || x < 0 || y < 0 || x >= surface.width || y >= surface.height) {
        return -1;
    }
    return PixelToColour(surface.pixels[static_cast<std::size_t>(y) * surface.width + x]);
}

int64_t FrameInterval() {
    return surface.frameInterval;
}
