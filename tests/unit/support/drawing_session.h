// A headless editor session for drawing tests and benchmarks: window 0 with its 800 x 600 surface
// (800 x 700 with the strip), the editor state at its start values with the overlay font, and small
// helpers to read and compare the surface's pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/headless.h"
#include "runtime/heaps.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/text.h"

constexpr int32_t kSurfaceWidth = 800;
constexpr int32_t kSurfaceHeight = 600;

// Everything a drawing needs, set up fresh for each test and taken down after it, as the other
// runtime suites do: the heaps and the text work buffer, the drawing state, the font table with
// the overlay font, window 0 with its surface, and the editor state at its start values with the
// cursor outside the window.
class DrawingSession {
  public:
    // `height` 700 adds the timeline strip below the scene.
    explicit DrawingSession(int32_t height = kSurfaceHeight) {
        ProgramHeapCreate();
        StringHeapInit();
        TextWorkBufferInit();
        ListHeapInit();
        DrawingSubsystemInit();
        FontSubsystemInit();
        HeadlessReset();
        WindowSubsystemInit();
        SurfaceSubsystemInit();
        KeyboardInit();
        intptr_t window =
            WindowOpen(0, 0, 0, kSurfaceWidth, height, "Limbrado Tool by Orvelin_", 0);
        opened = SurfaceOpenInWindow(window, 0, 0, kSurfaceWidth, height, 1, 0, 0) == 1;
        EditorStateInit();
        editor.session.hudFont = static_cast<int32_t>(FontLoad(-1, "Arial", 8));
        HeadlessSetCursor(-1, -1);
    }
    ~DrawingSession() {
        SurfaceSubsystemShutdown();
        WindowSubsystemShutdown();
        KeyboardShutdown();
        FontSubsystemShutdown();
    }
    DrawingSession(const DrawingSession&) = delete;
    DrawingSession& operator=(const DrawingSession&) = delete;

    bool opened = false;
};

// A copy of the surface, row by row, as PackColour values.
inline std::vector<int32_t> SurfaceSnapshot() {
    std::vector<int32_t> colours;
    colours.reserve(static_cast<std::size_t>(kSurfaceWidth) * kSurfaceHeight);
    for (int32_t y = 0; y < kSurfaceHeight; ++y) {
        for (int32_t x = 0; x < kSurfaceWidth; ++x) {
            colours.push_back(SurfaceColourAt(x, y));
        }
    }
    return colours;
}

struct PixelArea {
    int32_t left;
    int32_t top;
    int32_t right;  // exclusive
    int32_t bottom; // exclusive
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

constexpr PixelArea kWholeSurface{0, 0, kSurfaceWidth, kSurfaceHeight};

// Pixels of exactly this colour inside the area.
inline int32_t CountColour(int32_t colour, PixelArea area = kWholeSurface) {
    int32_t count = 0;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) {
            count += SurfaceColourAt(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

// Pixels of exactly this colour outside the area.
inline int32_t CountColourOutside(int32_t colour, PixelArea area) {
    return CountColour(colour) - CountColour(colour, area);
}
