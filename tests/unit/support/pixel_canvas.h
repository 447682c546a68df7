// Drawing targets over plain pixel vectors for the drawing and font tests: guard pixels around
// the buffer catch writes outside it, and pixels are read back as sets of coordinates.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/drawing.h"

namespace testing_canvas {

constexpr uint32_t kBackground = 0x00102030;
constexpr uint32_t kGuard = 0xDEADBEEF; // no primitive can write it: its high byte is set
constexpr int32_t kGuardPixels = 4096;

using Pixel = std::pair<int32_t, int32_t>;
using PixelSet = std::set<Pixel>;

inline int releaseCount = 0;
inline void CountRelease() {
    ++releaseCount;
}

// A width x height drawing target with guard pixels before and after it.
struct Canvas {
    int32_t width;
    int32_t height;
    uint32_t background;
    std::vector<uint32_t> storage;
    DrawingTarget target{};

    Canvas(int32_t canvasWidth, int32_t canvasHeight, uint32_t fill = kBackground)
        : width(canvasWidth), height(canvasHeight), background(fill),
          storage(static_cast<size_t>(canvasWidth) * canvasHeight + 2 * kGuardPixels, kGuard) {
        std::fill(Pixels(), Pixels() + static_cast<size_t>(width) * height, fill);
        target =
            DrawingTarget{DrawingTargetSurface, 0, Pixels(), CountRelease, width, height, 32, 7};
    }
    uint32_t* Pixels() { return storage.data() + kGuardPixels; }
    uint32_t At(int32_t x, int32_t y) const {
        return storage[kGuardPixels + static_cast<size_t>(y) * width + x];
    }
    PixelSet Where(uint32_t pixel, int32_t left = 0, int32_t top = 0) const {
        PixelSet found;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                if (At(x, y) == pixel) {
                    found.insert({x - left, y - top});
                }
            }
        }
        return found;
    }
    PixelSet Changed() const {
        PixelSet found;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                if (At(x, y) != background) {
                    found.insert({x, y});
                }
            }
        }
        return found;
    }
    bool GuardsIntact() const {
        const size_t end = kGuardPixels + static_cast<size_t>(width) * height;
        for (size_t index = 0; index < storage.size(); ++index) {
            if ((index < kGuardPixels || index >= end) && storage[index] != kGuard) {
                return false;
            }
        }
        return true;
    }
};

// The pixels of `set` that fall inside a width x height window at (left, top), moved to it.
inline PixelSet Window(const PixelSet& set, int32_t left, int32_t top, int32_t width,
                       int32_t height) {
    PixelSet inside;
    for (const auto& [x, y] : set) {
        if (x >= left && x < left + width && y >= top && y < top + height) {
            inside.insert({x - left, y - top});
        }
    }
    return inside;
}

inline PixelSet Diagonal(int32_t from, int32_t to) {
    PixelSet pixels;
    for (int32_t k = from; k <= to; ++k) {
        pixels.insert({k, k});
    }
    return pixels;
}

// Rows of '#' (set) and '.' from the top-left corner (left, top).
inline PixelSet FromPicture(const std::vector<std::string>& rows, int32_t left, int32_t top) {
    PixelSet pixels;
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] == '#') {
                pixels.insert({left + static_cast<int32_t>(x), top + static_cast<int32_t>(y)});
            }
        }
    }
    return pixels;
}

struct Bounds {
    int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
};

inline Bounds BoundsOf(const PixelSet& set) {
    Bounds bounds;
    for (const auto& [x, y] : set) {
        bounds.left = std::min(bounds.left, x);
        bounds.right = std::max(bounds.right, x);
        bounds.top = std::min(bounds.top, y);
        bounds.bottom = std::max(bounds.bottom, y);
    }
    return bounds;
}

// The pixels of a shape that have a 4-neighbour outside it.
inline PixelSet Boundary(const PixelSet& shape) {
    PixelSet boundary;
    for (const auto& [x, y] : shape) {
        if (!shape.count({x - 1, y}) || !shape.count({x + 1, y}) || !shape.count({x, y - 1}) ||
            !shape.count({x, y + 1})) {
            boundary.insert({x, y});
        }
    }
    return boundary;
}

} // namespace testing_canvas
