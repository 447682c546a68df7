// The timeline strip. Thumbnails are the scene drawn at 2 / 25 into pictures of their own, one per
// frame, kept with a copy of the frame's slots: a frame whose slots, the head toggle, the ground
// and the box are as they were when its picture was drawn is not drawn again. The whole strip is
// kept too, with what it was drawn from, and copied back while none of that has changed.
#include "figure/timeline_strip.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "figure/scene.h"
#include "figure/untouched_copies.h"
#include "model/bone_style.h"
#include "model/frame_range.h"
#include "runtime/fonts.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

constexpr int32_t kCellPitch = 66;
constexpr int32_t kCellLeft = 4;
constexpr int32_t kThumbnailTop = kStripTop + 4;
constexpr int32_t kNumberTop = kThumbnailTop + kThumbnailHeight + 3;
// The loudness band: rows between the cell's number and the second row, the bar centred under the
// cell and as wide as the slice is loud.
constexpr int32_t kLoudnessTop = kNumberTop + 13;
constexpr int32_t kLoudnessHeight = 3;
constexpr int32_t kLoudest = 32768;
constexpr int32_t kSecondRowTop = kStripTop + 72;
constexpr int32_t kTextTop = kSecondRowTop + 6;
constexpr int32_t kStripRows = 100;

// The second row's counts: where each is written and the box a click on it hits.
struct CountBox {
    StripItem item;
    int32_t left;
    int32_t right; // one past the box
};
constexpr CountBox kCountBoxes[] = {
    {StripItem::OnionBack, 4, 146},
    {StripItem::OnionAhead, 150, 256},
    {StripItem::Rate, 260, 420},
};
constexpr int32_t kFramesLeft = 620;

struct Thumbnail {
    bool drawn = false;
    bool inUse = false;
    std::vector<Joint> joints; // the frame's slots when the picture was drawn
    std::vector<Bone> bones;
    int32_t headOn = 0;
    uint32_t ground = 0;
    Box box;
    std::vector<uint32_t> pixels;
    // When the frame's slots were last found changed, on the cache's count of changes. The copy
    // mark was worked out at markCheckedAt from frames markFrom to this one, with the editor's
    // frames at markVersion.
    int64_t changedAt = 0;
    bool copyMark = false;
    int64_t markCheckedAt = -1;
    int32_t markFrom = 0;
    int64_t markVersion = 0;
};

// What the whole strip's pixels follow from besides the view: the thumbnails drawn since the
// start (any redrawn one has a new picture) and the changes of each frame its marks are worked out
// from, the frame before the first cell among them.
struct StripLook {
    StripView view;
    int32_t width = 0;
    int32_t maxFrame = 0;
    int64_t drawnCount = 0;
    int64_t changes[kStripCells + 1] = {};
    bool operator==(const StripLook&) const = default;
};

struct ThumbnailCache {
    std::vector<Thumbnail> frames;
    int64_t drawnCount = 0;
    int64_t changeCount = 0;
    bool stripKept = false;
    StripLook stripLook;
    std::vector<uint32_t> strip; // rows kStripTop to kStripTop + kStripRows - 1
};
ThumbnailCache cache;

int32_t Colour(int32_t red, int32_t green, int32_t blue) {
    return PackColour(red, green, blue);
}

bool SameSlots(const Animation& animation, const Thumbnail& thumbnail, int32_t frame) {
    return !thumbnail.joints.empty() &&
           std::memcmp(thumbnail.joints.data(), animation.FrameJoints(frame),
                       sizeof(Joint) * kSlotCount) == 0 &&
           std::memcmp(thumbnail.bones.data(), animation.FrameBones(frame),
                       sizeof(Bone) * kSlotCount) == 0;
}

// Notes a change of the frame's slots since the last look; true when there was one.
bool NoteChanges(const Animation& animation, Thumbnail& thumbnail, int32_t frame) {
    if (SameSlots(animation, thumbnail, frame)) {
        return false;
    }
    thumbnail.joints.assign(animation.FrameJoints(frame),
                            animation.FrameJoints(frame) + kSlotCount);
    thumbnail.bones.assign(animation.FrameBones(frame), animation.FrameBones(frame) + kSlotCount);
    thumbnail.inUse = FrameInUse(animation, frame);
    cache.changeCount += 1;
    thumbnail.changedAt = cache.changeCount;
    return true;
}

void DrawThumbnail(Thumbnail& thumbnail, int32_t frame, const StripView& view) {
    thumbnail.pixels.resize(static_cast<std::size_t>(kThumbnailWidth) * kThumbnailHeight);
    DrawingTarget target{DrawingTargetSurface,
                         0,
                         thumbnail.pixels.data(),
                         nullptr,
                         kThumbnailWidth,
                         kThumbnailHeight,
                         32,
                         7};
    SceneView scene;
    scene.animation = view.animation;
    scene.frame = frame;
    scene.playing = 1;
    scene.headOn = view.headOn;
    scene.ground = view.ground;
    scene.box = view.box;
    scene.scaleNumerator = 2;
    scene.scaleDenominator = 25;
    DrawScene(scene, &target);
    thumbnail.drawn = true;
    thumbnail.headOn = view.headOn;
    thumbnail.ground = view.ground;
    thumbnail.box = view.box;
    cache.drawnCount += 1;
}

void RefreshThumbnail(int32_t frame, const StripView& view) {
    Thumbnail& thumbnail = cache.frames[frame];
    bool changed = NoteChanges(*view.animation, thumbnail, frame);
    bool sameLook = thumbnail.headOn == view.headOn && thumbnail.ground == view.ground &&
                    thumbnail.box == view.box;
    if (changed || !thumbnail.drawn || !sameLook) {
        DrawThumbnail(thumbnail, frame, view);
    }
}

// An untouched copy, which key I would fill. The answer is kept until a frame it depends on
// changes: one the strip shows (NoteChanges notes it) or any, when the editor's frames have been
// edited since (framesVersion).
bool CopyMark(int32_t frame, const StripView& view) {
    Thumbnail& thumbnail = cache.frames[frame];
    bool known = thumbnail.markCheckedAt >= 0 && thumbnail.markVersion == view.framesVersion;
    for (int32_t looked = thumbnail.markFrom; known && looked <= frame; ++looked) {
        known = cache.frames[looked].changedAt <= thumbnail.markCheckedAt;
    }
    if (!known) {
        int32_t firstLooked = frame;
        thumbnail.copyMark = UntouchedCopyKey(*view.animation, frame, &firstLooked) >= 0;
        thumbnail.markFrom = std::clamp(firstLooked, 0, frame);
        thumbnail.markVersion = view.framesVersion;
        thumbnail.markCheckedAt = cache.changeCount;
    }
    return thumbnail.copyMark;
}

int32_t TextWidth(const char* text, intptr_t font) {
    FontFace* face = FontForDrawing(font);
    int32_t width = 0;
    for (const char* character = text; face != nullptr && *character != 0; ++character) {
        width += FontGlyphOf(face, static_cast<unsigned char>(*character)).advance;
    }
    return width;
}

void CopyThumbnail(const Thumbnail& thumbnail, int32_t left, const DrawingTarget* target) {
    for (int32_t row = 0; row < kThumbnailHeight; ++row) {
        std::memcpy(target->pixels + static_cast<std::size_t>(kThumbnailTop + row) * target->width +
                        left,
                    thumbnail.pixels.data() + static_cast<std::size_t>(row) * kThumbnailWidth,
                    kThumbnailWidth * sizeof(uint32_t));
    }
}

void DrawOutline(int32_t left, int32_t top, int32_t width, int32_t height, int32_t colour) {
    DrawBox(left, top, width, 1, colour);
    DrawBox(left, top + height - 1, width, 1, colour);
    DrawBox(left, top, 1, height, colour);
    DrawBox(left + width - 1, top, 1, height, colour);
}

void DrawCellMarks(int32_t frame, int32_t left, const StripView& view) {
    bool selected =
        view.selectionFirst >= 0 && frame >= view.selectionFirst && frame <= view.selectionLast;
    if (frame >= view.playbackFirst && frame <= view.playbackLast) {
        DrawBox(left, kStripTop, kThumbnailWidth, 2, Colour(90, 140, 255));
    }
    if (selected) {
        DrawBox(left, kNumberTop - 1, kThumbnailWidth, 14, Colour(150, 90, 0));
    }
    if (CopyMark(frame, view)) {
        DrawBox(left + kThumbnailWidth - 8, kThumbnailTop + 2, 6, 6, Colour(255, 200, 0));
    }
    if (frame == view.currentFrame) {
        DrawOutline(left - 1, kThumbnailTop - 1, kThumbnailWidth + 2, 64, PixelToColour(kLimeRgb));
    }
    int32_t start = WorkBufferLength();
    Int64ToText(frame, start);
    const char* number = WorkBufferText(start);
    int32_t width = TextWidth(number, view.font);
    DrawTextAt(left + (kThumbnailWidth - width) / 2, kNumberTop, number,
               selected ? Colour(255, 255, 255) : Colour(155, 155, 155));
    WorkBufferSetLength(start);
}

void DrawLoudness(int32_t loudness, int32_t left) {
    DrawBox(left, kLoudnessTop, kThumbnailWidth, kLoudnessHeight, Colour(28, 28, 28));
    int32_t width = static_cast<int32_t>(int64_t{std::clamp(loudness, 0, kLoudest)} *
                                         kThumbnailWidth / kLoudest);
    width = loudness > 0 ? std::max(width, 2) : 0; // even a faint sound shows
    width += (kThumbnailWidth - width) % 2;        // centred on whole pixels
    DrawBox(left + (kThumbnailWidth - width) / 2, kLoudnessTop, width, kLoudnessHeight,
            Colour(80, 200, 220));
}

void DrawCount(int32_t left, const char* label, int64_t value, const char* unit) {
    int32_t start = WorkBufferLength();
    AppendText(Translate(label));
    Int64ToText(value, WorkBufferLength());
    AppendText(Translate(unit));
    DrawTextAt(left, kTextTop, WorkBufferText(start), Colour(155, 155, 155));
    WorkBufferSetLength(start);
}

StripLook LookOf(const StripView& view, const DrawingTarget* target, int32_t shown) {
    StripLook look;
    look.view = view;
    look.width = target->width;
    look.maxFrame = view.animation->maxFrame;
    look.drawnCount = cache.drawnCount;
    for (int32_t cell = -1; cell < shown; ++cell) {
        int32_t frame = view.firstFrame + cell;
        look.changes[cell + 1] = frame >= 0 ? cache.frames[frame].changedAt : -1;
    }
    return look;
}

// The strip's rows of the target, from or into the kept copy.
void CopyStrip(const DrawingTarget* target, bool keep) {
    std::size_t count = static_cast<std::size_t>(target->width) * kStripRows;
    uint32_t* rows = target->pixels + static_cast<std::size_t>(kStripTop) * target->width;
    if (keep) {
        cache.strip.assign(rows, rows + count);
    } else {
        std::memcpy(rows, cache.strip.data(), count * sizeof(uint32_t));
    }
}

void DrawSecondRow(const StripView& view) {
    DrawCount(kCountBoxes[0].left,
              "Zwiebel zur\xfc"
              "ck: ",
              view.onionBack, "");
    DrawCount(kCountBoxes[1].left, "vor: ", view.onionAhead, "");
    DrawCount(kCountBoxes[2].left, "", view.playbackRate, " Bilder/s");
    int32_t start = WorkBufferLength();
    AppendText(Translate("Bild "));
    Int64ToText(view.currentFrame, WorkBufferLength());
    AppendText(" / ");
    Int64ToText(view.lastFrame, WorkBufferLength());
    DrawTextAt(kFramesLeft, kTextTop, WorkBufferText(start), PixelToColour(kLimeRgb));
    WorkBufferSetLength(start);
}

} // namespace

int32_t StripFirstFrameFor(int32_t currentFrame, int32_t maxFrame) {
    return std::clamp(currentFrame - 5, 0, std::max(maxFrame + 1 - kStripCells, 0));
}

StripHit StripItemAt(int32_t x, int32_t y) {
    if (y >= kThumbnailTop - 1 && y < kSecondRowTop && x >= kCellLeft) {
        int32_t cell = (x - kCellLeft) / kCellPitch;
        if (cell < kStripCells && (x - kCellLeft) % kCellPitch < kThumbnailWidth) {
            return StripHit{StripItem::Cell, cell};
        }
        return StripHit{};
    }
    if (y >= kSecondRowTop && y < kStripTop + kStripRows) {
        for (const CountBox& box : kCountBoxes) {
            if (x >= box.left && x < box.right) {
                return StripHit{box.item, -1};
            }
        }
    }
    return StripHit{};
}

void DrawTimelineStrip(const StripView& view, const DrawingTarget* target) {
    if (target == nullptr || target->pixels == nullptr || target->height < kStripTop + kStripRows ||
        target->width < kCellLeft + kCellPitch * 12) {
        return;
    }
    if (view.animation == nullptr) {
        return;
    }
    const Animation& animation = *view.animation;
    cache.frames.resize(static_cast<std::size_t>(animation.maxFrame) + 1);
    int32_t shown = std::min(kStripCells, animation.maxFrame + 1 - view.firstFrame);
    // Thumbnails first: each is a drawing of its own, which would end one on the target.
    if (view.firstFrame > 0) {
        NoteChanges(animation, cache.frames[view.firstFrame - 1], view.firstFrame - 1);
    }
    for (int32_t cell = 0; cell < shown; ++cell) {
        RefreshThumbnail(view.firstFrame + cell, view);
    }
    // An idle editor shows the same strip in every cycle: drawing it again would cost each cycle
    // far more than the copy.
    StripLook look = LookOf(view, target, shown);
    if (cache.stripKept && look == cache.stripLook) {
        CopyStrip(target, false);
        return;
    }
    if (DrawingBegin(target) == 0) {
        return;
    }
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(view.font);
    DrawBox(0, kStripTop, target->width, kStripRows, Colour(12, 12, 12));
    for (int32_t cell = 0; cell < shown; ++cell) {
        int32_t frame = view.firstFrame + cell;
        int32_t left = kCellLeft + cell * kCellPitch;
        const Thumbnail& thumbnail = cache.frames[frame];
        if (thumbnail.inUse) {
            CopyThumbnail(thumbnail, left, target);
        } else {
            DrawBox(left, kThumbnailTop, kThumbnailWidth, kThumbnailHeight, Colour(20, 20, 20));
        }
        DrawCellMarks(frame, left, view);
        if (view.sound) {
            DrawLoudness(view.loudness[cell], left);
        }
    }
    DrawSecondRow(view);
    DrawingEnd();
    CopyStrip(target, true);
    cache.stripLook = look;
    cache.stripKept = true;
}

int64_t ThumbnailsDrawn() {
    return cache.drawnCount;
}

void ForgetThumbnails() {
    cache = ThumbnailCache{};
}
