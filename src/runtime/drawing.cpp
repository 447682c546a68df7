// The one current drawing and the primitives that write into its 32-bit pixel buffer: lines,
// boxes, ellipses and text. Every primitive clips to the buffer in 64-bit (and, for the exact
// line and ellipse maths, 128-bit) integers, so no coordinate can make it write outside the buffer
// or overflow, and its cost depends on the visible part only.
#include "runtime/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "runtime/fonts.h"

namespace {

__extension__ typedef __int128 WideInt;
__extension__ typedef unsigned __int128 WideUnsigned;

constexpr uint32_t kPixelMask = 0x00FFFFFF;
constexpr uint32_t kBackgroundPixel = 0x00FFFFFF; // behind text without the transparent mode
constexpr int32_t kFrontColourValue = 0;          // black

struct DrawingState {
    uint32_t* pixels; // null: no drawing in progress
    int32_t width;
    int32_t height;
    void (*release)();
    int32_t mode;
    intptr_t font;
};

DrawingState state;

// How one primitive changes a pixel: paint it in `pixel`, or invert it.
struct Paint {
    uint32_t pixel;
    bool invert;
};

struct Span {
    int64_t left; // inclusive
    int64_t right;
    bool Empty() const { return left > right; }
};

constexpr Span kEmptySpan{1, 0};

bool Drawing() {
    return state.pixels != nullptr;
}

Paint PaintFor(int32_t colour) {
    return Paint{ColourToPixel(colour), (state.mode & DrawingInvert) != 0};
}

// Row y, columns left..right, clipped to the buffer; y must lie inside it.
void FillRow(int64_t y, int64_t left, int64_t right, const Paint& paint) {
    left = std::max<int64_t>(left, 0);
    right = std::min<int64_t>(right, state.width - 1);
    if (left > right) {
        return;
    }
    uint32_t* row = state.pixels + y * state.width;
    if (!paint.invert) {
        std::fill(row + left, row + right + 1, paint.pixel);
        return;
    }
    for (int64_t x = left; x <= right; ++x) {
        row[x] ^= kPixelMask;
    }
}

// Shapes given row by row as one span each: filled, or (outline mode) only the pixels that have
// a 4-neighbour outside the shape. Rows top..bottom may reach far outside the buffer.
template <typename Shape>
void DrawShape(const Shape& shape, int64_t top, int64_t bottom, const Paint& paint) {
    const int64_t first = std::max<int64_t>(top, 0);
    const int64_t last = std::min<int64_t>(bottom, state.height - 1);
    const bool outline = (state.mode & DrawingOutline) != 0;
    for (int64_t y = first; y <= last; ++y) {
        const Span span = shape.Row(y);
        if (span.Empty()) {
            continue;
        }
        if (!outline) {
            FillRow(y, span.left, span.right, paint);
            continue;
        }
        const Span above = shape.Row(y - 1);
        const Span below = shape.Row(y + 1);
        const int64_t innerLeft = std::max({span.left + 1, above.left, below.left});
        const int64_t innerRight = std::min({span.right - 1, above.right, below.right});
        if (above.Empty() || below.Empty() || innerLeft > innerRight) {
            FillRow(y, span.left, span.right, paint);
            continue;
        }
        FillRow(y, span.left, innerLeft - 1, paint);
        FillRow(y, innerRight + 1, span.right, paint);
    }
}

// The pixels left..right - 1 by top..bottom - 1.
struct BoxShape {
    int64_t left, top, right, bottom;
    Span Row(int64_t y) const {
        return y >= top && y < bottom ? Span{left, right - 1} : kEmptySpan;
    }
};

// The ellipse inscribed in [x - rx, x + rx) x [y - ry, y + ry): pixel (i, j) belongs to it when
// its centre does. With the odd numbers u = 2i + 1 - 2x and v = 2j + 1 - 2y that is
// u² ry² + v² rx² <= 4 rx² ry², which is symmetric about the box's centre lines. The products
// stay below 2^126 for radii up to 2^31 and below 2^62 for radii below 2^15, so `Wide` is a
// 128-bit type for large ellipses and a 64-bit one for the common small ones.
template <typename Wide> struct EllipseShape {
    int64_t x, y, radiusX, radiusY; // radii >= 1

    Span Row(int64_t row) const {
        const int64_t v = std::abs(2 * (row - y) + 1);
        if (v > 2 * radiusY - 1) {
            return kEmptySpan;
        }
        const Wide radiusYSquared = static_cast<Wide>(radiusY) * static_cast<Wide>(radiusY);
        const Wide room = static_cast<Wide>(radiusX) * static_cast<Wide>(radiusX) *
                          (4 * radiusYSquared - static_cast<Wide>(v) * static_cast<Wide>(v));
        const auto fits = [&](int64_t u) {
            return static_cast<Wide>(u) * static_cast<Wide>(u) * radiusYSquared <= room;
        };
        // Largest odd u that fits: estimate, then settle exactly (it is below 2 rx).
        const double ratio = static_cast<double>(v) / static_cast<double>(radiusY);
        int64_t u = static_cast<int64_t>(static_cast<double>(radiusX) *
                                         std::sqrt(std::max(0.0, 4.0 - ratio * ratio)));
        u = std::min(u, 2 * radiusX - 1);
        if (u % 2 == 0) {
            --u;
        }
        while (u + 2 <= 2 * radiusX - 1 && fits(u + 2)) {
            u += 2;
        }
        while (u >= 1 && !fits(u)) {
            u -= 2;
        }
        if (u < 1) {
            return kEmptySpan;
        }
        return Span{x - (u + 1) / 2, x + (u - 1) / 2};
    }
};

// The box between two corners, the right and bottom edges excluded.
void DrawBoxPixels(int64_t x1, int64_t y1, int64_t x2, int64_t y2, const Paint& paint) {
    const BoxShape box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    DrawShape(box, box.top, box.bottom - 1, paint);
}

WideInt FloorDivide(WideInt numerator, WideInt denominator) { // denominator > 0
    WideInt quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) {
        --quotient;
    }
    return quotient;
}

// A line in terms of its major axis m (the longer extent, x on ties) and minor axis n: from
// (startMajor, startMinor) it goes `run` > 0 steps up m while n changes by `rise`. At major
// coordinate m it sets the exact line's minor coordinate rounded half down:
// n(m) = startMinor + floor((2 (m - startMajor) rise + run - 1) / (2 run)).
// The rule depends only on the two end points, so a line drawn backwards sets the same pixels.
struct LineAxes {
    int64_t startMajor, startMinor, run, rise;
    WideInt Numerator(int64_t major) const {
        return 2 * static_cast<WideInt>(major - startMajor) * rise + run - 1;
    }
    int64_t MinorAt(int64_t major) const {
        return startMinor + static_cast<int64_t>(FloorDivide(Numerator(major), 2 * WideInt{run}));
    }
};

// First m in low..high for which `test` holds (it must hold from some m on), else high + 1.
template <typename Test> int64_t FirstWhere(int64_t low, int64_t high, const Test& test) {
    int64_t end = high + 1;
    while (low < end) {
        const int64_t middle = low + (end - low) / 2;
        if (test(middle)) {
            end = middle;
        } else {
            low = middle + 1;
        }
    }
    return end;
}

// Narrows low..high (major coordinates inside the buffer) to where n(m) lies in 0..minorLimit-1;
// n(m) is monotonic, so that is one interval. Returns false when it is empty.
bool ClipMinor(const LineAxes& line, int64_t minorLimit, int64_t* low, int64_t* high) {
    const auto inside = [&](int64_t major) {
        const int64_t minor = line.MinorAt(major);
        return minor >= 0 && minor < minorLimit;
    };
    if (inside(*low) && inside(*high)) {
        return true;
    }
    const bool rising = line.rise >= 0;
    const auto reachedInside = [&](int64_t major) {
        const int64_t minor = line.MinorAt(major);
        return rising ? minor >= 0 : minor < minorLimit;
    };
    const auto leftInside = [&](int64_t major) {
        const int64_t minor = line.MinorAt(major);
        return rising ? minor >= minorLimit : minor < 0;
    };
    const int64_t first = FirstWhere(*low, *high, reachedInside);
    const int64_t last = FirstWhere(first, *high, leftInside) - 1;
    *low = first;
    *high = last;
    return first <= last;
}

// Steps the clipped part with an incremental remainder and a moving pixel pointer, so each
// pixel costs a few additions.
template <bool invert>
void StepLine(const LineAxes& line, bool majorIsX, int64_t low, int64_t high, uint32_t value) {
    const int64_t twiceRun = 2 * line.run;
    const int64_t twiceRise = 2 * line.rise;
    const WideInt numerator = line.Numerator(low);
    const WideInt quotient = FloorDivide(numerator, twiceRun);
    const int64_t minor = line.startMinor + static_cast<int64_t>(quotient);
    int64_t remainder = static_cast<int64_t>(numerator - quotient * twiceRun);
    const int64_t majorStep = majorIsX ? 1 : state.width;
    const int64_t minorStep = majorIsX ? state.width : 1;
    uint32_t* pixel = state.pixels + low * majorStep + minor * minorStep;
    for (int64_t count = high - low; count >= 0; --count) {
        *pixel = invert ? *pixel ^ kPixelMask : value;
        if (count == 0) {
            break; // the pointer never moves past the last pixel
        }
        pixel += majorStep;
        remainder += twiceRise;
        if (remainder >= twiceRun) {
            remainder -= twiceRun;
            pixel += minorStep;
        } else if (remainder < 0) {
            remainder += twiceRun;
            pixel -= minorStep;
        }
    }
}

// The line from (x1, y1) to (x2, y2), the end point (x2, y2) set only when includeEnd.
void DrawLinePixels(int64_t x1, int64_t y1, int64_t x2, int64_t y2, bool includeEnd,
                    const Paint& paint) {
    const bool majorIsX = std::abs(x2 - x1) >= std::abs(y2 - y1);
    int64_t fromMajor = majorIsX ? x1 : y1;
    int64_t fromMinor = majorIsX ? y1 : x1;
    int64_t toMajor = majorIsX ? x2 : y2;
    int64_t toMinor = majorIsX ? y2 : x2;
    int64_t low = std::min(fromMajor, toMajor);
    int64_t high = std::max(fromMajor, toMajor);
    if (!includeEnd) {
        if (fromMajor == toMajor) {
            return; // a zero-length line without its end point is nothing
        }
        if (toMajor > fromMajor) {
            high = toMajor - 1;
        } else {
            low = toMajor + 1;
        }
    }
    if (toMajor < fromMajor) {
        std::swap(fromMajor, toMajor);
        std::swap(fromMinor, toMinor);
    }
    const int64_t majorLimit = majorIsX ? state.width : state.height;
    const int64_t minorLimit = majorIsX ? state.height : state.width;
    low = std::max<int64_t>(low, 0);
    high = std::min<int64_t>(high, majorLimit - 1);
    if (low > high) {
        return;
    }
    // A single point has no direction: run 1, rise 0 gives n(m) = its minor coordinate.
    const LineAxes line{fromMajor, fromMinor, std::max<int64_t>(toMajor - fromMajor, 1),
                        toMinor - fromMinor};
    if (!ClipMinor(line, minorLimit, &low, &high)) {
        return;
    }
    if (paint.invert) {
        StepLine<true>(line, majorIsX, low, high, paint.pixel);
    } else {
        StepLine<false>(line, majorIsX, low, high, paint.pixel);
    }
}

// The ink of one glyph with its top-left corner at (left, top), clipped to the buffer before any
// pointer is formed.
void DrawGlyph(int64_t left, int64_t top, const FontGlyph& glyph, uint32_t pixel) {
    const int64_t firstRow = std::max<int64_t>(0, -top);
    const int64_t lastRow = std::min<int64_t>(glyph.height, state.height - top) - 1;
    const int64_t firstColumn = std::max<int64_t>(0, -left);
    const int64_t lastColumn = std::min<int64_t>(glyph.width, state.width - left) - 1;
    // A glyph wholly beside the target: not even the row pointers may be formed.
    if (firstColumn > lastColumn) {
        return;
    }
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        const uint8_t* ink = glyph.ink + row * glyph.width + firstColumn;
        uint32_t* target = state.pixels + (top + row) * state.width + (left + firstColumn);
        for (int64_t column = 0; column <= lastColumn - firstColumn; ++column) {
            if (ink[column] != 0) {
                target[column] = pixel;
            }
        }
    }
}

// Anti-aliased shapes. Each row of pixels is planned as column ranges: the pixels the shape can
// touch at all (outer, less a hole that it cannot touch) and, inside them, those it covers fully
// (solid, less a hole of its own). Only the columns between a solid range and the edge of the
// outer one ask the shape for their coverage, so a thick shape costs a fill and a few edge pixels
// a row. The ranges come from the same distances as the coverage, so where they are off by a
// rounding error the pixel's own coverage is 0 or 255 there anyway.
struct Columns {
    int64_t left = 1; // inclusive; left > right: none
    int64_t right = 0;
    bool Has(int64_t x) const { return x >= left && x <= right; }
};

// The columns whose centres x + 0.5 lie in [from, to], clipped to the buffer.
Columns CentresWithin(double from, double to) {
    if (!(from <= to)) {
        return Columns{};
    }
    const double first = std::max(std::ceil(from - 0.5), 0.0);
    const double last = std::min(std::floor(to - 0.5), static_cast<double>(state.width - 1));
    if (!(first <= last)) {
        return Columns{};
    }
    return Columns{static_cast<int64_t>(first), static_cast<int64_t>(last)};
}

struct Interval {
    double from = 1;
    double to = 0;
    bool Empty() const { return !(from <= to); }
};

// Where the row at height y crosses the circle of the radius about (x0, y0).
Interval CircleRow(double x0, double y0, double radius, double y) {
    const double dy = y - y0;
    if (!(radius >= 0) || dy * dy > radius * radius) {
        return Interval{};
    }
    const double half = std::sqrt(radius * radius - dy * dy);
    return Interval{x0 - half, x0 + half};
}

// The x for which low <= slope * x + offset <= high.
Interval LinearRange(double slope, double offset, double low, double high) {
    if (slope == 0) {
        return offset >= low && offset <= high ? Interval{-HUGE_VAL, HUGE_VAL} : Interval{};
    }
    const double a = (low - offset) / slope;
    const double b = (high - offset) / slope;
    return Interval{std::min(a, b), std::max(a, b)};
}

Interval Hull(Interval a, Interval b) {
    if (a.Empty()) {
        return b;
    }
    if (b.Empty()) {
        return a;
    }
    return Interval{std::min(a.from, b.from), std::max(a.to, b.to)};
}

Interval Overlap(Interval a, Interval b) {
    return Interval{std::max(a.from, b.from), std::min(a.to, b.to)};
}

struct RowPlan {
    Columns outer;
    Columns hole;
    Columns solid;
    Columns solidHole;
};

// Coverage in 255ths, rounded.
uint32_t CoverageAlpha(double coverage) {
    if (!(coverage > 0)) {
        return 0;
    }
    if (coverage >= 1) {
        return 255;
    }
    return static_cast<uint32_t>(coverage * 255 + 0.5);
}

// below * (255 - alpha) + above * alpha over 255 in each channel, rounded: red and blue share
// one multiplication in 16-bit lanes, and (t + (t >> 8)) >> 8 divides t + 128 by 255 exactly.
uint32_t Blend(uint32_t below, uint32_t above, uint32_t alpha) {
    const uint32_t keep = 255 - alpha;
    uint32_t redBlue = (below & 0xFF00FF) * keep + (above & 0xFF00FF) * alpha + 0x800080;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
    uint32_t green = ((below >> 8) & 0xFF) * keep + ((above >> 8) & 0xFF) * alpha + 0x80;
    green = (green + (green >> 8)) >> 8;
    return redBlue | (green << 8);
}

// Shape: RowPlan Plan(double centreY) const, double Coverage(double x, double y) const, and the
// rows top..bottom (pixel units) outside which it covers nothing.
template <typename Shape>
void PaintSmooth(const Shape& shape, double top, double bottom, uint32_t pixel) {
    const double firstRow = std::max(std::floor(top), 0.0);
    const double lastRow = std::min(std::ceil(bottom), static_cast<double>(state.height - 1));
    if (!(firstRow <= lastRow)) {
        return;
    }
    for (auto y = static_cast<int64_t>(firstRow); y <= static_cast<int64_t>(lastRow); ++y) {
        const double centreY = static_cast<double>(y) + 0.5;
        const RowPlan plan = shape.Plan(centreY);
        uint32_t* row = state.pixels + y * state.width;
        int64_t x = plan.outer.left;
        while (x <= plan.outer.right) {
            if (plan.hole.Has(x)) {
                x = plan.hole.right + 1;
                continue;
            }
            if (plan.solid.Has(x) && !plan.solidHole.Has(x)) {
                int64_t end = plan.solid.right;
                if (plan.solidHole.left > x && plan.solidHole.left <= plan.solidHole.right) {
                    end = std::min(end, plan.solidHole.left - 1);
                }
                std::fill(row + x, row + end + 1, pixel);
                x = end + 1;
                continue;
            }
            const uint32_t alpha =
                CoverageAlpha(shape.Coverage(static_cast<double>(x) + 0.5, centreY));
            if (alpha == 255) {
                row[x] = pixel;
            } else if (alpha != 0) {
                row[x] = Blend(row[x] & kPixelMask, pixel, alpha);
            }
            ++x;
        }
    }
}

// The line from a to b with round ends, `half` of its width either side of the segment.
struct SmoothLineShape {
    double ax, ay, bx, by, half;
    double dx = bx - ax;
    double dy = by - ay;
    double lengthSquared = dx * dx + dy * dy;
    double length = std::sqrt(lengthSquared);
    double inverseLength = length > 0 ? 1 / length : 0;
    double inverseLengthSquared = lengthSquared > 0 ? 1 / lengthSquared : 0;

    // The x where the row at height y lies within `reach` of the segment.
    Interval Reach(double y, double reach) const {
        Interval ends = Hull(CircleRow(ax, ay, reach, y), CircleRow(bx, by, reach, y));
        if (!(reach >= 0) || lengthSquared == 0) {
            return ends;
        }
        // Across the segment: |dx (y - ay) - dy (x - ax)| <= reach * length; along it, the
        // projection (x - ax) dx + (y - ay) dy lies in 0..length².
        const Interval across =
            LinearRange(-dy, dx * (y - ay) + dy * ax, -reach * length, reach * length);
        const Interval along = LinearRange(dx, dy * (y - ay) - dx * ax, 0, lengthSquared);
        return Hull(ends, Overlap(across, along));
    }

    RowPlan Plan(double y) const {
        RowPlan plan;
        const Interval outer = Reach(y, half + 0.5);
        plan.outer = CentresWithin(outer.from, outer.to);
        const Interval solid = Reach(y, half - 0.5);
        plan.solid = CentresWithin(solid.from, solid.to);
        return plan;
    }

    // Beside the segment the distance is the cross product over the length; past its ends, the
    // distance to the nearer end.
    double Coverage(double x, double y) const {
        const double along = ((x - ax) * dx + (y - ay) * dy) * inverseLengthSquared;
        if (along > 0 && along < 1) {
            return half + 0.5 - std::abs(dx * (y - ay) - dy * (x - ax)) * inverseLength;
        }
        const double endX = x - (along <= 0 ? ax : bx);
        const double endY = y - (along <= 0 ? ay : by);
        return half + 0.5 - std::sqrt(endX * endX + endY * endY);
    }
};

// The ring whose middle line is the circle of the radius about (x, y), `half` its width either
// side; a disc is the ring of radius 0 and half its radius.
struct SmoothRingShape {
    double x, y, radius, half;

    static Columns Within(const Interval& interval) {
        return CentresWithin(interval.from, interval.to);
    }

    RowPlan Plan(double row) const {
        RowPlan plan;
        plan.outer = Within(CircleRow(x, y, radius + half + 0.5, row));
        plan.hole = Within(CircleRow(x, y, radius - half - 0.5, row));
        plan.solid = Within(CircleRow(x, y, radius + half - 0.5, row));
        plan.solidHole = Within(CircleRow(x, y, radius - half + 0.5, row));
        return plan;
    }

    double Coverage(double px, double py) const {
        const double dx = px - x;
        const double dy = py - y;
        return half + 0.5 - std::abs(std::sqrt(dx * dx + dy * dy) - radius);
    }
};

int32_t SaturateToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

int32_t PackColour(int32_t red, int32_t green, int32_t blue) {
    // Unsigned arithmetic: out-of-range parts wrap instead of overflowing.
    const uint32_t packed = static_cast<uint32_t>(red) + static_cast<uint32_t>(green) * 256u +
                            static_cast<uint32_t>(blue) * 65536u;
    return static_cast<int32_t>(packed);
}

uint32_t ColourToPixel(int32_t colour) {
    const auto value = static_cast<uint32_t>(colour);
    return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

int32_t PixelToColour(uint32_t pixel) {
    return static_cast<int32_t>(((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF));
}

void DrawingSubsystemInit() {
    state = DrawingState{};
}

intptr_t DrawingBegin(const DrawingTarget* target) {
    DrawingEnd();
    if (target == nullptr) {
        return 0;
    }
    if (target->pixels == nullptr || target->width <= 0 || target->height <= 0) {
        if (target->release != nullptr) {
            target->release(); // nothing to draw on: give it back at once
        }
        return 0;
    }
    state = DrawingState{target->pixels, target->width, target->height, target->release, 0, 0};
    return reinterpret_cast<intptr_t>(state.pixels);
}

void DrawingEnd() {
    if (!Drawing()) {
        return;
    }
    void (*release)() = state.release;
    state.pixels = nullptr;
    state.release = nullptr;
    if (release != nullptr) {
        release();
    }
}

void DrawingSetMode(int32_t flags) {
    if (Drawing()) {
        state.mode = flags;
    }
}

void DrawingSetFont(intptr_t font) {
    if (Drawing()) {
        state.font = font;
    }
}

// Glyphs advance by whole pixels without kerning. Text is always painted in its colour: the
// invert and outline modes apply to lines and shapes only.
int32_t DrawTextAt(int32_t x, int32_t y, const char* text, int32_t colour) {
    if (!Drawing()) {
        return 0;
    }
    FontFace* font = text != nullptr && text[0] != 0 ? FontForDrawing(state.font) : nullptr;
    if (font == nullptr) {
        return x;
    }
    int64_t width = 0;
    for (const char* at = text; *at != 0; ++at) {
        width += FontGlyphOf(font, static_cast<unsigned char>(*at)).advance;
    }
    if ((state.mode & DrawingTransparentText) == 0) {
        // The opaque background covers the text's cells whatever the shape mode.
        const Paint background{kBackgroundPixel, false};
        const int64_t bottom = std::min<int64_t>(int64_t{y} + FontLineHeight(font), state.height);
        for (int64_t row = std::max<int64_t>(y, 0); row < bottom; ++row) {
            FillRow(row, x, x + width - 1, background);
        }
    }
    const uint32_t pixel = ColourToPixel(colour);
    int64_t pen = x;
    for (const char* at = text; *at != 0; ++at) {
        const FontGlyph& glyph = FontGlyphOf(font, static_cast<unsigned char>(*at));
        DrawGlyph(pen + glyph.left, int64_t{y} + glyph.top, glyph, pixel);
        pen += glyph.advance;
    }
    return SaturateToInt32(int64_t{x} + width);
}

void DrawLineRel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour) {
    if (Drawing()) {
        DrawLinePixels(x, y, int64_t{x} + width, int64_t{y} + height, false, PaintFor(colour));
    }
}

void DrawLineAbs(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour) {
    if (Drawing()) {
        const int32_t drawn = colour == kFrontColour ? kFrontColourValue : colour;
        DrawLinePixels(x1, y1, x2, y2, true, PaintFor(drawn));
    }
}

void DrawCircle(int32_t x, int32_t y, int32_t radius, int32_t colour) {
    if (radius == 1) {
        DrawBox(x, y, 2, 2, colour);
        return;
    }
    DrawEllipse(x, y, radius, radius, colour);
}

void DrawBox(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour) {
    if (Drawing()) {
        DrawBoxPixels(x, y, int64_t{x} + width, int64_t{y} + height, PaintFor(colour));
    }
}

void DrawEllipse(int32_t x, int32_t y, int32_t radiusX, int32_t radiusY, int32_t colour) {
    const int64_t absoluteX = std::abs(int64_t{radiusX});
    const int64_t absoluteY = std::abs(int64_t{radiusY});
    if (!Drawing() || absoluteX == 0 || absoluteY == 0) {
        return;
    }
    const int64_t top = y - absoluteY;
    const int64_t bottom = y + absoluteY - 1;
    constexpr int64_t kSmallRadius = int64_t{1} << 15;
    if (absoluteX < kSmallRadius && absoluteY < kSmallRadius) {
        DrawShape(EllipseShape<uint64_t>{x, y, absoluteX, absoluteY}, top, bottom,
                  PaintFor(colour));
        return;
    }
    DrawShape(EllipseShape<WideUnsigned>{x, y, absoluteX, absoluteY}, top, bottom,
              PaintFor(colour));
}

void DrawSmoothLine(double x1, double y1, double x2, double y2, double width, int32_t colour) {
    if (!Drawing()) {
        return;
    }
    const double half = std::max(width, 1.0) / 2;
    const SmoothLineShape line{x1, y1, x2, y2, half};
    const double reach = half + 0.5;
    PaintSmooth(line, std::min(y1, y2) - reach, std::max(y1, y2) + reach, ColourToPixel(colour));
}

void DrawSmoothRing(double x, double y, double radius, double width, int32_t colour) {
    if (!Drawing()) {
        return;
    }
    const double half = std::max(width, 1.0) / 2;
    const SmoothRingShape ring{x, y, std::max(radius, 0.0), half};
    const double reach = ring.radius + half + 0.5;
    PaintSmooth(ring, y - reach, y + reach, ColourToPixel(colour));
}

void DrawSmoothDisc(double x, double y, double radius, int32_t colour) {
    if (!Drawing()) {
        return;
    }
    const double half = std::max(radius, 0.0);
    const SmoothRingShape disc{x, y, 0, half};
    PaintSmooth(disc, y - half - 0.5, y + half + 0.5, ColourToPixel(colour));
}
