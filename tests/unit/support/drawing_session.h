// A headless editor session for drawing tests and benchmarks: the runtime started once per
// process, window 0 with its 800 x 600 surface, the editor state at its start values with the
// overlay font, and small helpers to read and compare the surface's pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/editor_state.h"
#include "runtime/fonts.h"
#include "runtime/headless.h"
#include "runtime/heaps.h"
#include "runtime/startup.h"
#include "runtime/surface.h"
#include "runtime/window.h"

constexpr int32_t kSurfaceWidth = 800;
constexpr int32_t kSurfaceHeight = 600;

// Starts what is missing and resets the editor: start values, empty grids, the cursor outside the
// window. The font is loaded once and kept.
inline void StartDrawingSession() {
    static bool runtimeStarted = false;
    static intptr_t font = 0;
    if (!runtimeStarted) {
        static char programName[] = "unit_tests";
        static char* arguments[] = {programName, nullptr};
        ProgramHeapCreate();
        RuntimeStartup(1, arguments);
        runtimeStarted = true;
    }
    if (WindowNativeHandle(0) == 0) {
        WindowOpen(0, 0, 0, kSurfaceWidth, kSurfaceHeight, "Limbrado Tool by Orvelin_", 0);
    }
    if (SurfacePixels() == nullptr) {
        SurfaceOpenInWindow(WindowNativeHandle(0), 0, 0, kSurfaceWidth, kSurfaceHeight, 1, 0, 0);
    }
    if (font == 0) {
        font = FontLoad(-1, "Arial", 8);
    }
    EditorStateInit();
    editor.hudFont = static_cast<int32_t>(font);
    HeadlessSetCursor(-1, -1);
    HeadlessSetButtons(0);
}

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
