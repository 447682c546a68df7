// 2D drawing on the current target: lines, discs, boxes, ellipses and text in packed colours
// (red + green * 256 + blue * 65536). Drawing happens only between DrawingBegin and DrawingEnd;
// outside such a pair every primitive does nothing.
#pragma once

#include <cstdint>

enum DrawingTargetKind : int32_t { DrawingTargetWindow = 1, DrawingTargetSurface = 7 };

// What to draw on. For the surface: `pixels` is the back buffer (0x00RRGGBB, `width` pixels a
// row), lent out until `release` is called by DrawingEnd.
struct DrawingTarget {
    int32_t kind;
    intptr_t window;
    uint32_t* pixels;
    void (*release)();
    int32_t width;
    int32_t height;
    int32_t depth;       // bits per pixel
    int32_t pixelFormat; // 7: 32 bits, red mask 0xFF0000
};

enum DrawingModeFlags : int32_t {
    DrawingTransparentText = 1,
    DrawingInvert = 2,
    DrawingOutline = 4,
};

constexpr int32_t kFrontColour = -1; // DrawLineAbs: draw in the front colour (black)
constexpr intptr_t kSystemFont = -1;

int32_t PackColour(int32_t red, int32_t green, int32_t blue);
// A packed colour (0x00BBGGRR) as a pixel of the 32-bit targets (0x00RRGGBB), and back.
uint32_t ColourToPixel(int32_t colour);
int32_t PixelToColour(uint32_t pixel);

void DrawingSubsystemInit();
// Ends any current drawing, then starts on the target; returns non-zero when drawing can go on.
intptr_t DrawingBegin(const DrawingTarget* target);
void DrawingEnd();
void DrawingSetMode(int32_t flags);
void DrawingSetFont(intptr_t font); // a FontHandle, or kSystemFont
// Text (code page 1252) with its top-left corner at (x, y); returns the x after the text, 0 when
// nothing is being drawn.
int32_t DrawTextAt(int32_t x, int32_t y, const char* text, int32_t colour);
void DrawLineRel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour);
void DrawLineAbs(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour);
void DrawCircle(int32_t x, int32_t y, int32_t radius, int32_t colour);
void DrawBox(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour);
void DrawEllipse(int32_t x, int32_t y, int32_t radiusX, int32_t radiusY, int32_t colour);

// Anti-aliased shapes in pixel units, where pixel (i, j) spans [i, i + 1) x [j, j + 1): each pixel
// takes the colour by its coverage, one plus half the width less the distance from its centre to
// the shape's middle line, held between 0 and 1 (in 255ths). The same arithmetic in every backend
// gives the same pixels. Widths below 1 count as 1.
// A line of the width from (x1, y1) to (x2, y2) with round ends centred on them.
void DrawSmoothLine(double x1, double y1, double x2, double y2, double width, int32_t colour);
// The outline of the circle of the radius, the width centred on it.
void DrawSmoothRing(double x, double y, double radius, double width, int32_t colour);
// The disc of the radius, its edge anti-aliased over one pixel.
void DrawSmoothDisc(double x, double y, double radius, int32_t colour);
