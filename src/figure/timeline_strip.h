// The timeline strip below the scene: a row of twelve cells with each frame's picture as playback
// draws it (from a cache redrawn only for frames that changed), the frame's number and its marks,
// and a second row with the onion skin's counts, the playback rate and the current and last frame.
// What it shows comes in a StripView; where things are is answered by StripItemAt.
#pragma once

#include <cstdint>

#include "figure/scene.h"
#include "runtime/drawing.h"

constexpr int32_t kStripTop = 600; // the strip's first row of pixels, right below the scene
constexpr int32_t kStripCells = 12;
constexpr int32_t kThumbnailWidth = 64;
constexpr int32_t kThumbnailHeight = 48;

struct StripView {
    const Animation* animation = nullptr; // nothing is drawn without one
    int32_t firstFrame = 0;               // the frame in the first cell
    int32_t currentFrame = 0;
    int32_t selectionFirst = -1; // -1: no selection
    int32_t selectionLast = -1;
    int32_t playbackFirst = 0; // the frames F12 plays
    int32_t playbackLast = 0;
    int32_t lastFrame = 0; // the last frame that holds anything
    // Changes whenever frames may have changed other than through the cells the strip shows, so
    // that marks worked out from frames before them are worked out again.
    int64_t framesVersion = 0;
    int32_t onionBack = 1;
    int32_t onionAhead = 0;
    int32_t playbackRate = kDefaultPlaybackRate;
    int32_t headOn = 0;
    uint32_t ground = kScenePixelGround;
    Box box; // as playback draws it
    intptr_t font = kSystemFont;
    // The sound's loudness under each cell: the peak of the frame's slice of the sound, 0 to
    // 32768 (see FramePeaks); with no sound, nothing is drawn there.
    bool sound = false;
    int32_t loudness[kStripCells] = {};
    bool operator==(const StripView&) const = default;
};

// The first frame the row shows when it follows the current frame: five cells before it where
// the grids allow.
int32_t StripFirstFrameFor(int32_t currentFrame, int32_t maxFrame);

enum class StripItem { None, Cell, OnionBack, OnionAhead, Rate };
struct StripHit {
    StripItem item = StripItem::None;
    int32_t cell = -1; // Cell: 0 to 11
};
// What lies at (x, y) of the picture; None outside the strip's cells and counts.
StripHit StripItemAt(int32_t x, int32_t y);

// Draws the strip into rows kStripTop to kStripTop + 99 of the target (a target of fewer rows gets
// nothing).
void DrawTimelineStrip(const StripView& view, const DrawingTarget* target);
// Thumbnails redrawn since the start; for checking that an unchanged strip redraws none.
int64_t ThumbnailsDrawn();
// Forgets every cached thumbnail and the kept strip, so the next strip draws all it shows afresh.
void ForgetThumbnails();
