// The strip's picture and the onion skin: cells with their pictures and marks, thumbnails drawn
// again only for frames that changed, and the frames around the current one in the scene.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "figure/scene.h"
#include "figure/timeline_strip.h"
#include "support/drawing_session.h"
#include "support/editor_frames.h"

namespace {

constexpr int32_t kLime = 0x00FFBB; // PackColour(187, 255, 0)
constexpr int32_t kStripWidth = 800;
constexpr int32_t kStripPictureHeight = 700;

int32_t Colour(int32_t red, int32_t green, int32_t blue) {
    return PackColour(red, green, blue);
}

// A standing bone at x = 100 + 40 * frame, from y 100 to 300: each frame's own column.
void PoseFrame(int32_t frame) {
    JointAt(frame, 0) = Joint{100 + 40 * frame, 100, JointNormal};
    JointAt(frame, 1) = Joint{100 + 40 * frame, 300, JointNormal};
    BoneAt(frame, 0) = Bone{200.0, 0, 1, BoneStandard};
}

class StripPicture {
  public:
    StripPicture() : pixels_(static_cast<std::size_t>(kStripWidth) * kStripPictureHeight) {}
    void Draw(const StripView& view) {
        DrawingTarget target{DrawingTargetSurface,
                             0,
                             pixels_.data(),
                             nullptr,
                             kStripWidth,
                             kStripPictureHeight,
                             32,
                             7};
        DrawTimelineStrip(view, &target);
    }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    int32_t At(int32_t x, int32_t y) const {
        return PixelToColour(pixels_[static_cast<std::size_t>(y) * kStripWidth + x]);
    }
    int32_t Count(int32_t colour, PixelArea area) const {
        int32_t count = 0;
        for (int32_t y = area.top; y < area.bottom; ++y) {
            for (int32_t x = area.left; x < area.right; ++x) {
                count += At(x, y) == colour;
            }
        }
        return count;
    }

  private:
    std::vector<uint32_t> pixels_;
};

PixelArea Thumbnail(int32_t cell) {
    int32_t left = 66 * cell + 4;
    return PixelArea{left, 604, left + 64, 652};
}

TEST(TimelineStrip, CellsShowThumbnailsNumbersAndMarks) {
    DrawingSession session;
    ASSERT_TRUE(session.opened);
    ForgetThumbnails();
    for (int32_t frame = 0; frame <= 2; ++frame) {
        PoseFrame(frame);
    }
    editor.session.currentFrame = 3;
    CopyPreviousFrame(); // frame 3: an untouched copy of frame 2
    StripView view;
    view.animation = &editor.animation;
    view.firstFrame = 0;
    view.currentFrame = 2;
    view.selectionFirst = 1;
    view.selectionLast = 2;
    view.playbackFirst = 0;
    view.playbackLast = 1;
    view.font = FontHandle(editor.session.hudFont);
    StripPicture strip;
    int64_t drawn = ThumbnailsDrawn();
    strip.Draw(view);
    EXPECT_EQ(ThumbnailsDrawn(), drawn + 12);

    // Each frame's picture is the scene as playback draws it at 2 / 25.
    std::vector<uint32_t> own(64 * 48);
    DrawingTarget target{DrawingTargetSurface, 0, own.data(), nullptr, 64, 48, 32, 7};
    SceneView scene;
    scene.animation = &editor.animation;
    scene.frame = 1;
    scene.playing = 1;
    scene.scaleNumerator = 2;
    scene.scaleDenominator = 25;
    DrawScene(scene, &target);
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            ASSERT_EQ(strip.At(70 + x, 604 + y), PixelToColour(own[y * 64 + x]));
        }
    }
    const int32_t background = Colour(20, 20, 20);
    for (int32_t cell = 0; cell < 12; ++cell) {
        SCOPED_TRACE(cell);
        int32_t left = 66 * cell + 4;
        bool used = cell <= 3;
        EXPECT_EQ(strip.Count(kLime, Thumbnail(cell)) > 0, used) << "bones in the picture";
        EXPECT_EQ(strip.Count(background, Thumbnail(cell)) == 64 * 48, !used) << "empty cell";
        EXPECT_EQ(strip.Count(kLime, {left - 1, 603, left, 667}) == 64, cell == 2)
            << "the current frame's frame";
        EXPECT_EQ(strip.Count(Colour(150, 90, 0), {left, 651, left + 64, 669}) > 0,
                  cell == 1 || cell == 2)
            << "selection";
        EXPECT_EQ(strip.Count(Colour(90, 140, 255), {left, 600, left + 64, 602}) == 128, cell <= 1)
            << "playback range";
        EXPECT_EQ(strip.Count(Colour(255, 200, 0), Thumbnail(cell)) == 36, cell == 3)
            << "untouched copy";
        EXPECT_GT(
            strip.Count(cell == 1 || cell == 2 ? Colour(255, 255, 255) : Colour(155, 155, 155),
                        {left, 652, left + 64, 668}),
            0)
            << "the frame's number";
    }
    EXPECT_GT(strip.Count(kLime, {620, 672, 800, 700}), 0) << "Bild 2 / 3";

    // Nothing changed: nothing drawn again; one frame changed: that one alone.
    strip.Draw(view);
    EXPECT_EQ(ThumbnailsDrawn(), drawn + 12);
    JointAt(1, 1).x += 50;
    strip.Draw(view);
    EXPECT_EQ(ThumbnailsDrawn(), drawn + 13);

    // A joint two pixels from the frame before makes no untouched copy; one pixel still does.
    for (auto [moved, marked] : {std::pair(2, false), std::pair(1, true)}) {
        JointAt(3, 1).y = JointAt(2, 1).y + moved;
        strip.Draw(view);
        EXPECT_EQ(strip.Count(Colour(255, 200, 0), Thumbnail(3)) == 36, marked) << moved;
    }
}

// The strip kept from the cycle before shows, after each change of what it shows, exactly the
// pixels that a strip drawn afresh shows.
TEST(TimelineStrip, AKeptStripShowsEveryChangeAsOneDrawnAfresh) {
    DrawingSession session;
    ASSERT_TRUE(session.opened);
    ForgetThumbnails();
    for (int32_t frame = 0; frame <= 14; ++frame) {
        PoseFrame(frame % 4);
        if (frame >= 4) {
            editor.session.currentFrame = frame;
            CopyPreviousFrame();
        }
    }
    StripView view;
    view.animation = &editor.animation;
    view.firstFrame = 5; // frames 4 to 14 are copies of frame 3
    view.currentFrame = 6;
    view.lastFrame = 14;
    view.playbackLast = 9;
    view.font = FontHandle(editor.session.hudFont);
    using Change = void (*)(StripView&);
    const std::pair<const char*, Change> changes[] = {
        {"current frame", [](StripView& shown) { shown.currentFrame = 7; }},
        {"selection", [](StripView& shown) { shown.selectionFirst = shown.selectionLast = 7; }},
        {"a joint moved", [](StripView&) { JointAt(8, 1).x += 30; }},
        {"the frame before the row, its copy gone", [](StripView&) { JointAt(4, 0).y += 9; }},
        {"playback moves on", [](StripView& shown) { shown.currentFrame = shown.playbackFirst; }},
        {"playback range", [](StripView& shown) { shown.playbackLast = 3; }},
        {"row scrolled", [](StripView& shown) { shown.firstFrame = 6; }},
        {"head", [](StripView& shown) { shown.headOn = 1; }},
        {"box", [](StripView& shown) { shown.box.right = 300; }},
        {"counts and rate", [](StripView& shown) { shown.onionBack = shown.playbackRate = 5; }},
        {"last frame", [](StripView& shown) { shown.lastFrame = 13; }},
    };
    StripPicture kept;
    StripPicture afresh;
    kept.Draw(view);
    for (const auto& [name, change] : changes) {
        kept.Draw(view); // kept from the cycle before
        std::vector<uint32_t> before = kept.Pixels();
        change(view);
        kept.Draw(view);
        ForgetThumbnails();
        afresh.Draw(view);
        EXPECT_FALSE(kept.Pixels() == before) << name << " shows";
        EXPECT_TRUE(kept.Pixels() == afresh.Pixels()) << name;
    }
}

TEST(TimelineStrip, CountsAndRateAreWhereTheirClicksHitAndCellsWhereTheirsDo) {
    EXPECT_EQ(StripItemAt(10, 690).item, StripItem::OnionBack);
    EXPECT_EQ(StripItemAt(200, 690).item, StripItem::OnionAhead);
    EXPECT_EQ(StripItemAt(300, 690).item, StripItem::Rate);
    EXPECT_EQ(StripItemAt(700, 690).item, StripItem::None);
    EXPECT_EQ(StripItemAt(66 * 11 + 67, 620).cell, 11);
    EXPECT_EQ(StripItemAt(66 * 11 + 68, 620).item, StripItem::None) << "between the cells";
    EXPECT_EQ(StripItemAt(400, 599).item, StripItem::None) << "the scene";
    EXPECT_EQ(StripFirstFrameFor(2, 500), 0);
    EXPECT_EQ(StripFirstFrameFor(100, 500), 95);
    EXPECT_EQ(StripFirstFrameFor(500, 500), 489);
}

// The colours found at y = 200 in each frame's column of the scene.
std::vector<int32_t> ColumnColours(int32_t back, int32_t ahead) {
    SceneView view;
    view.animation = &editor.animation;
    view.frame = 3;
    view.shadowOn = 1;
    view.onionBack = back;
    view.onionAhead = ahead;
    DrawScene(view, SurfaceDrawTarget());
    std::vector<int32_t> colours;
    for (int32_t frame = 0; frame <= 6; ++frame) {
        colours.push_back(SurfaceColourAt(100 + 40 * frame, 200));
    }
    return colours;
}

TEST(OnionSkin, OneBackIsTodaysShadowAndMoreFramesFadeWithDistance) {
    DrawingSession session;
    ASSERT_TRUE(session.opened);
    for (int32_t frame = 0; frame <= 6; ++frame) {
        PoseFrame(frame);
    }
    const int32_t background = Colour(20, 20, 20);
    const int32_t shadow = Colour(80, 80, 80);
    EXPECT_EQ(ColumnColours(1, 0), (std::vector<int32_t>{background, background, shadow, kLime,
                                                         background, background, background}));
    std::vector<int32_t> five = ColumnColours(3, 2);
    EXPECT_EQ(five[2], shadow);
    EXPECT_EQ(five[3], kLime) << "the current frame on top";
    EXPECT_EQ(five[6], background) << "three ahead is not shown";
    std::set<int32_t> distinct(five.begin(), five.begin() + 6);
    EXPECT_EQ(distinct.size(), 6U) << "five frames besides the current one, each its own tone";
    auto blue = [](int32_t colour) { return (colour >> 16 & 0xFF) - (colour & 0xFF); };
    EXPECT_GT(blue(five[4]), blue(five[5])) << "ahead: blue, fainter further on";
    EXPECT_GT(blue(five[5]), 0);
    EXPECT_EQ(blue(five[0]), 0) << "back: grey";
    EXPECT_LT(five[0] & 0xFF, five[1] & 0xFF) << "fainter further back";
    EXPECT_LT(five[1] & 0xFF, five[2] & 0xFF);
}

} // namespace
