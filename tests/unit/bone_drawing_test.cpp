// Styled bones in the scene on the headless surface, checked against the shapes' geometry: a pixel
// whose centre lies half a pixel or more inside the shape (a line of the width with round ends on
// the joints' pixel centres, the outline of the circle that has the bone as its diameter, or that
// circle filled) has the bone's colour, one half a pixel or more outside has the ground, and the
// edge between is the ground covered by the colour as far as the pixel centre lies within half a
// pixel of the shape's edge. The plain style is the one-pixel line of old.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "figure/scene.h"
#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/surface.h"
#include "support/drawing_session.h"
#include "support/editor_frames.h"

namespace {

constexpr uint32_t kGround = 0xA0D8FF;
constexpr double kMargin = 0.01; // pixels this near a boundary may go either way

struct Point {
    double x;
    double y;
};

// A shape as the distance from a pixel centre to its middle line, `half` its width either side.
struct ExpectedShape {
    uint8_t shape;
    Point a; // the joints' pixel centres
    Point b;
    double half;
    uint32_t pixel;

    double Distance(Point p) const {
        const Point centre{(a.x + b.x) / 2, (a.y + b.y) / 2};
        const double radius = std::hypot(b.x - a.x, b.y - a.y) / 2;
        const double fromCentre = std::hypot(p.x - centre.x, p.y - centre.y);
        if (shape == ShapeCircle) {
            return std::abs(fromCentre - radius);
        }
        if (shape == ShapeDisc) {
            return std::max(0.0, fromCentre - radius);
        }
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double along =
            std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(p.x - (a.x + along * dx), p.y - (a.y + along * dy));
    }
};

uint32_t SurfacePixel(int32_t x, int32_t y) {
    return ColourToPixel(SurfaceColourAt(x, y));
}

// Whether the pixel is within 2 of the ground covered by `coverage` of the colour in each channel.
bool CoveredBy(uint32_t actual, uint32_t colour, double coverage) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const double ground = (kGround >> shift) & 0xFF;
        const double over = (colour >> shift) & 0xFF;
        const double value = (actual >> shift) & 0xFF;
        if (std::abs(value - (ground + (over - ground) * coverage)) > 2) {
            return false;
        }
    }
    return true;
}

// Pixels that break the rule for shapes drawn in this order over the ground; a pixel on the edge
// of a later shape, or on an edge over an earlier shape, is a blend of unknown parts and passes.
std::vector<std::string> Mismatches(const std::vector<ExpectedShape>& shapes) {
    std::vector<std::string> wrong;
    for (int32_t y = 0; y < kSurfaceHeight; ++y) {
        for (int32_t x = 0; x < kSurfaceWidth; ++x) {
            const Point centre{x + 0.5, y + 0.5};
            const uint32_t actual = SurfacePixel(x, y);
            bool decided = false;
            uint32_t expected = kGround;
            for (auto shape = shapes.rbegin(); shape != shapes.rend() && !decided; ++shape) {
                const double distance = shape->Distance(centre);
                if (distance <= shape->half - 0.5 - kMargin) {
                    expected = shape->pixel;
                    decided = true;
                } else if (distance < shape->half + 0.5 + kMargin) {
                    const double coverage = std::clamp(shape->half + 0.5 - distance, 0.0, 1.0);
                    if (shapes.size() > 1 || CoveredBy(actual, shape->pixel, coverage)) {
                        expected = actual;
                    }
                    decided = true;
                }
            }
            if (actual != expected && wrong.size() < 5) {
                char text[96];
                std::snprintf(text, sizeof text, "(%d, %d) is %06X, not %06X", x, y, actual,
                              expected);
                wrong.emplace_back(text);
            }
        }
    }
    return wrong;
}

class BoneDrawingTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(session.opened); }

    // A bone of the style between new joints at a and b of the current frame.
    static int32_t StyledBone(int32_t ax, int32_t ay, int32_t bx, int32_t by, BoneStyle style,
                              int32_t kind = BoneStandard) {
        int32_t slot = AddBone(AddJoint(ax, ay, JointNormal), AddJoint(bx, by, JointNormal), kind);
        BoneAt(editor.session.currentFrame, slot).style = style;
        return slot;
    }

    static BoneStyle Style(uint32_t colour, int32_t width, uint8_t shape) {
        return BoneStyle{static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                         static_cast<uint8_t>(colour),       1,
                         static_cast<uint8_t>(width - 1),    shape};
    }

    // The frame as playback shows it on the given ground, with the box off the surface.
    static void DrawPlayback(int32_t frame = 0) {
        SceneView view;
        view.animation = &editor.animation;
        view.frame = frame;
        view.playing = 1;
        view.ground = kGround;
        view.box = Box{-10, -10, -10, -10};
        DrawScene(view, SurfaceDrawTarget());
    }

    DrawingSession session;
};

TEST_F(BoneDrawingTest, EachShapeAtEachWidthCoversThePixelsOfItsGeometry) {
    const uint8_t shapes[] = {ShapeLine, ShapeCircle, ShapeDisc};
    const int32_t widths[] = {1, 6, 32};
    constexpr uint32_t kRed = 0xFF0000;
    for (uint8_t shape : shapes) {
        for (int32_t width : widths) {
            ResetAll();
            StyledBone(200, 300, 560, 340, Style(kRed, width, shape));
            DrawPlayback();
            std::string name =
                "shape " + std::to_string(shape) + ", width " + std::to_string(width);
            if (shape == ShapeLine && width == 1) {
                // The one-pixel line is the exact line of the plain style, in the bone's colour.
                std::vector<int32_t> styled = SurfaceSnapshot();
                DrawingBegin(SurfaceDrawTarget());
                DrawBox(0, 0, kSurfaceWidth, kSurfaceHeight, PixelToColour(kGround));
                DrawLineAbs(200, 300, 560, 340, PixelToColour(kRed));
                DrawingEnd();
                EXPECT_EQ(styled, SurfaceSnapshot()) << name;
                continue;
            }
            ExpectedShape expected{shape, {200.5, 300.5}, {560.5, 340.5}, width / 2.0, kRed};
            EXPECT_EQ(Mismatches({expected}), std::vector<std::string>{}) << name;
            EXPECT_EQ(SurfacePixel(380, 320), shape == ShapeCircle ? kGround : kRed) << name;
        }
    }
}

TEST_F(BoneDrawingTest, OnionSkinShowsThickBonesInItsGreyAndBlueWithTheirShapes) {
    editor.session.currentFrame = 0;
    StyledBone(100, 200, 500, 260, Style(0xFF0000, 12, ShapeLine));
    editor.session.currentFrame = 2;
    StyledBone(300, 400, 420, 330, Style(0x00FF00, 16, ShapeCircle));
    editor.session.currentFrame = 1;
    SceneView view;
    view.animation = &editor.animation;
    view.frame = 1;
    view.shadowOn = 1;
    view.onionBack = 1;
    view.onionAhead = 1;
    view.ground = kGround;
    view.box = Box{-10, -10, -10, -10};
    DrawScene(view, SurfaceDrawTarget());
    const ExpectedShape back{ShapeLine, {100.5, 200.5}, {500.5, 260.5}, 6, 0x505050};
    const ExpectedShape ahead{ShapeCircle, {300.5, 400.5}, {420.5, 330.5}, 8, 0x3C5AAA};
    EXPECT_EQ(Mismatches({ahead, back}), std::vector<std::string>{});
}

TEST_F(BoneDrawingTest, SecondFigureHasACircleHeadOverItsThickBody) {
    // The first figure: plain one-pixel bones, a vertical body.
    StyledBone(150, 250, 150, 400, BoneStyle{});
    // The second: a body 6 pixels wide and a white circle head from the neck up.
    int32_t neck = BoneAt(0, StyledBone(500, 250, 500, 400, Style(0x0060FF, 6, ShapeLine))).jointA;
    int32_t top = AddJoint(500, 190, JointNormal);
    int32_t head = AddBone(neck, top, BoneStandard);
    BoneAt(0, head).style = Style(0xFFFFFF, 4, ShapeCircle);
    DrawPlayback();
    for (int32_t y = 250; y <= 400; ++y) {
        ASSERT_EQ(SurfacePixel(150, y), kScenePixelBone) << y;
        ASSERT_EQ(SurfacePixel(149, y), kGround) << y;
    }
    const ExpectedShape body{ShapeLine, {500.5, 250.5}, {500.5, 400.5}, 3, 0x0060FF};
    const ExpectedShape circle{ShapeCircle, {500.5, 250.5}, {500.5, 190.5}, 2, 0xFFFFFF};
    EXPECT_EQ(
        Mismatches({ExpectedShape{ShapeLine, {150.5, 250.5}, {150.5, 400.5}, 0.5, kScenePixelBone},
                    body, circle}),
        std::vector<std::string>{});
    EXPECT_EQ(SurfacePixel(500, 220), kGround); // the head is an outline
    EXPECT_EQ(SurfacePixel(500, 190), 0xFFFFFFu);
}

} // namespace
