// The editor's own picture: the scene and the strip drawn on the surface from the editor state.
#include "editor/editor_picture.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editor/mouse_editing.h"
#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "model/editor_state.h"
#include "model/frame_range.h"
#include "model/sound_track.h"
#include "runtime/fonts.h"
#include "runtime/input.h"
#include "runtime/surface.h"

namespace {

constexpr int32_t kCursorWindow = 0;
constexpr int32_t kStatusLineMs = 500; // each message holds the editor this long

// The surface's top rows as tall as the scene: the same pixels, so nothing drawn for the scene can
// reach the strip.
DrawingTarget sceneTarget;
const DrawingTarget* SceneTarget() {
    const DrawingTarget* surface = SurfaceDrawTarget();
    if (surface == nullptr) {
        return nullptr;
    }
    sceneTarget = *surface;
    sceneTarget.height = EditorSceneHeight();
    return &sceneTarget;
}

// The frames F12 plays: the selection, frames 0 to playbackEnd - 1, or all when playbackEnd lies
// outside the grids.
void PlaybackRange(int32_t* first, int32_t* last) {
    if (HasSelection(editor.session)) {
        *first = editor.session.selectionFirst;
        *last = editor.session.selectionLast;
        return;
    }
    *first = 0;
    *last = editor.animation.playbackEnd >= 1 &&
                    editor.animation.playbackEnd <= editor.animation.maxFrame
                ? editor.animation.playbackEnd - 1
                : editor.animation.maxFrame;
}

// The last frame that holds anything, worked out afresh only when the undo history shows an edit
// (every edit that can reach a frame other than the current one is a step: loading, X, key I, the
// frame edits, undo and redo) and followed for the current frame each cycle: a scan of all 501
// frames costs far more than a cycle may spend on it. Each edit seen counts one in `edits`, which
// the strip takes as the version of the frames.
struct LastFrameWatch {
    bool known = false;
    std::size_t steps = 0;
    std::size_t redoSteps = 0;
    std::size_t bytes = 0;
    const char* path = nullptr;
    int32_t lastFrame = 0;
    int64_t edits = 0;
};
LastFrameWatch lastFrameWatch;

int32_t ShownLastFrame() {
    LastFrameWatch& watch = lastFrameWatch;
    bool edited = !watch.known || watch.steps != UndoStepCount() ||
                  watch.redoSteps != UndoRedoCount() || watch.bytes != UndoHistoryBytes() ||
                  watch.path != editor.session.basePath ||
                  !editor.animation.IsFrame(watch.lastFrame);
    if (edited) {
        watch = LastFrameWatch{true,
                               UndoStepCount(),
                               UndoRedoCount(),
                               UndoHistoryBytes(),
                               editor.session.basePath,
                               LastFrameInUse(editor.animation),
                               watch.edits + 1};
        return watch.lastFrame;
    }
    int32_t current = editor.session.currentFrame;
    if (editor.animation.IsFrame(current) && current > watch.lastFrame &&
        FrameInUse(editor.animation, current)) {
        watch.lastFrame = current;
    } else if (current == watch.lastFrame && !FrameInUse(editor.animation, current)) {
        watch.lastFrame = LastFrameInUse(editor.animation);
    }
    return watch.lastFrame;
}

// The sound's peak for every frame, worked out again only when the samples or the rate change:
// the strip asks for it in every cycle.
struct FrameLoudness {
    int64_t changes = -1;
    int32_t rate = 0;
    std::vector<int32_t> peaks;
};
FrameLoudness frameLoudness;

const std::vector<int32_t>& PeaksForRate(const SoundTrack& sound, int32_t rate) {
    FrameLoudness& kept = frameLoudness;
    if (kept.changes != sound.changes || kept.rate != rate ||
        kept.peaks.size() != static_cast<std::size_t>(editor.animation.maxFrame) + 1) {
        kept.peaks = FramePeaks(sound.samples, rate, editor.animation.maxFrame + 1);
        kept.changes = sound.changes;
        kept.rate = rate;
    }
    return kept.peaks;
}

void FillLoudness(const SoundTrack& sound, int32_t rate, StripView* view) {
    view->sound = !sound.samples.empty();
    if (!view->sound) {
        return;
    }
    const std::vector<int32_t>& peaks = PeaksForRate(sound, rate);
    for (int32_t cell = 0; cell < kStripCells; ++cell) {
        auto frame = static_cast<std::size_t>(view->firstFrame + cell);
        view->loudness[cell] = frame < peaks.size() ? peaks[frame] : 0;
    }
}

} // namespace

SceneView EditorSceneView() {
    SceneView view;
    view.animation = &editor.animation;
    view.frame = editor.session.currentFrame;
    view.ground = GroundPixel(editor.animation);
    view.playing = editor.session.playing;
    view.shadowOn = editor.animation.shadowOn;
    view.headOn = editor.animation.headOn;
    bool framed = editor.animation.IsFrame(editor.session.currentFrame);
    view.hoverJoint = framed && editor.session.playing == 0 ? PickJoint(kHoverPickRadius) : -1;
    view.boneStartJoint = editor.session.boneStartJoint;
    view.cursorX = WindowCursorX(kCursorWindow);
    view.cursorY = WindowCursorY(kCursorWindow);
    view.box = editor.animation.box;
    view.drawingBox = editor.session.drawingBox;
    view.font = FontHandle(editor.session.hudFont);
    view.onionBack = editor.session.onionBack;
    view.onionAhead = editor.session.onionAhead;
    return view;
}

StripView EditorStripView() {
    StripView view;
    view.animation = &editor.animation;
    view.firstFrame =
        editor.session.stripScrolledAt == editor.session.currentFrame
            ? editor.session.stripFirstFrame
            : StripFirstFrameFor(editor.session.currentFrame, editor.animation.maxFrame);
    view.currentFrame = editor.session.currentFrame;
    view.selectionFirst = HasSelection(editor.session) ? editor.session.selectionFirst : -1;
    view.selectionLast = HasSelection(editor.session) ? editor.session.selectionLast : -1;
    PlaybackRange(&view.playbackFirst, &view.playbackLast);
    view.lastFrame = ShownLastFrame();
    view.framesVersion = lastFrameWatch.edits;
    view.onionBack = editor.session.onionBack;
    view.onionAhead = editor.session.onionAhead;
    view.playbackRate = editor.animation.playbackRate;
    view.headOn = editor.animation.headOn;
    view.ground = GroundPixel(editor.animation);
    view.box = editor.animation.box;
    view.font = FontHandle(editor.session.hudFont);
    FillLoudness(editor.animation.sound, editor.animation.playbackRate, &view);
    return view;
}

int32_t EditorSceneHeight() {
    return SurfacePixels() != nullptr ? std::min(SurfaceHeight(), editor.session.windowHeight)
                                      : editor.session.windowHeight;
}

const DrawingTarget* EditorSceneTarget() {
    return SceneTarget();
}

void DrawEditorScene() {
    DrawScene(EditorSceneView(), SceneTarget());
}

void DrawEditorStrip() {
    const DrawingTarget* surface = SurfaceDrawTarget();
    if (surface == nullptr) {
        return;
    }
    DrawingTarget strip = *surface;
    // The strip's thumbnails are drawings of their own: the surface goes back before them.
    if (surface->release != nullptr) {
        surface->release();
    }
    strip.release = nullptr;
    DrawTimelineStrip(EditorStripView(), &strip);
}

void ShowPendingStatusLines() {
    std::string line;
    while (TakeStatusLine(&line)) {
        DrawEditorScene();
        DrawEditorStrip();
        DrawStatusLine(line.c_str(), SurfaceDrawTarget());
        PresentSurface();
        DelayMs(kStatusLineMs);
    }
}
