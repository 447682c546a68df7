// The playback loop: it holds the cycle it was started in, drawing one frame per pass and asking
// after each pause whether to stop, which takes a keyboard snapshot of its own. Escape, the mouse,
// the solver and the other keys are not served while it runs.
#include "editor/playback.h"

#include <algorithm>

#include "editor/editor_picture.h"
#include "editor/sound_playback.h"
#include "figure/help_overlay.h"
#include "model/editor_state.h"
#include "model/sound_track.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/platform.h"
#include "runtime/surface.h"
#include "runtime/window.h"

namespace {

constexpr int64_t kMicrosecondsPerSecond = 1'000'000;

void DrawPlaybackMark() {
    int32_t grey = PackColour(155, 150, 150);
    DrawingBegin(SurfaceDrawTarget());
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(FontHandle(editor.session.hudFont));
    // The outline of the triangle (10, 10), (35, 35), (10, 60).
    DrawLineRel(10, 10, 25, 25, grey);
    DrawLineRel(35, 35, -25, 25, grey);
    DrawLineRel(10, 60, 0, -50, grey);
    DrawFrameNumber(editor.session.currentFrame, 10, 65, grey);
    DrawingEnd();
}

// Frames 0 to playbackEnd - 1 in a circle. When playbackEnd lies outside 1 to maxFrame (0 on a
// fresh start, or beyond the last frame after stepping on from a played position) the counter
// would never meet it: it then wraps to frame 0 after maxFrame instead of leaving the grid. With a
// selection, its frames in a circle.
void AdvancePlaybackFrame() {
    editor.session.currentFrame += 1;
    if (HasSelection(editor.session)) {
        if (editor.session.currentFrame > editor.session.selectionLast) {
            editor.session.currentFrame = editor.session.selectionFirst;
        }
        return;
    }
    if (editor.session.currentFrame == editor.animation.playbackEnd ||
        editor.session.currentFrame > editor.animation.maxFrame) {
        editor.session.currentFrame = 0;
    }
}

// The pause after each frame: one frame's time at the strip's rate (25 ms at 40 frames a second).
int64_t PlaybackPauseMicroseconds() {
    return kMicrosecondsPerSecond / std::max(editor.animation.playbackRate, 1);
}

// The last frame of the circle that AdvancePlaybackFrame walks from `first`.
int32_t LastPlayedFrame() {
    if (HasSelection(editor.session)) {
        return editor.session.selectionLast;
    }
    bool endMet = editor.animation.playbackEnd >= 1 &&
                  editor.animation.playbackEnd <= editor.animation.maxFrame;
    return endMet ? editor.animation.playbackEnd - 1 : editor.animation.maxFrame;
}

void ShowPlaybackPass() {
    DrawEditorScene();
    DrawPlaybackMark();
    DrawEditorStrip();
    PresentSurface();
}

void PlayInSilence(bool (*stopAsked)()) {
    for (;;) {
        PollWindowEvent();
        ShowPlaybackPass();
        DelayMicroseconds(PlaybackPauseMicroseconds());
        if (stopAsked()) {
            return;
        }
        AdvancePlaybackFrame();
    }
}

// The sound's clock leads: each pass shows the frame the sound has reached, once for each frame
// the sound passes, then waits until it reaches the next.
void PlayWithSound(int32_t first, bool (*stopAsked)()) {
    SoundLoop loop = StartSoundLoop(editor.animation.sound.samples, first, LastPlayedFrame(),
                                    editor.animation.playbackRate);
    int64_t shownPass = -1;
    for (;;) {
        PollWindowEvent();
        int64_t played = PlatformAudioPlayed();
        KeepSoundLoopQueued(loop, editor.animation.sound.samples, played);
        if (SoundLoopPasses(loop, played) != shownPass) {
            shownPass = SoundLoopPasses(loop, played);
            editor.session.currentFrame = SoundLoopFrame(loop, played);
            ShowPlaybackPass();
        }
        DelayMicroseconds(MicrosecondsToNextFrame(loop, PlatformAudioPlayed()));
        if (stopAsked()) {
            break;
        }
    }
    PlatformAudioClear();
}

} // namespace

// It starts, and ends, on frame 0 or on the selection's first frame.
void PlayAnimation(bool (*stopAsked)()) {
    bool withSound = SoundOutputReady(editor.animation.sound.samples);
    ShowPendingStatusLines(); // a missing sound output is said before the first frame
    editor.session.playing = 1;
    int32_t start = HasSelection(editor.session) ? editor.session.selectionFirst : 0;
    editor.session.currentFrame = start;
    if (withSound) {
        PlayWithSound(start, stopAsked);
    } else {
        PlayInSilence(stopAsked);
    }
    editor.session.playing = 0;
    editor.session.currentFrame = start;
    DrawEditorScene();
    DrawEditorStrip();
    PresentSurface();
}
