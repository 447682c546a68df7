// The export runs inside the cycle in which E goes down. Between two pictures the window gets a
// progress bar drawn over the picture just encoded and presented, and the keyboard is sampled for
// the command table's keys of the export, so Escape is seen at once. Both files are first written
// as new files beside their targets and take their places together once both are complete, so that
// a cancel or a failure leaves both as they were.
#include "editor/video_export_key.h"

#include <string>

#include "editor/picture_export.h"
#include "editor/status_line.h"
#include "model/bone_style.h"
#include "model/editor_state.h"
#include "model/frame_range.h"
#include "model/sound_track.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/animation_file.h"
#include "storage/atomic_file.h"
#include "storage/file_kinds.h"
#include "storage/requesters.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

constexpr int32_t kBarLeft = 200;
constexpr int32_t kBarTop = 570;
constexpr int32_t kBarWidth = 400;
constexpr int32_t kBarHeight = 10;

// The progress bar over whatever the surface shows, presented at once.
void ShowProgress(int32_t done, int32_t total) {
    if (DrawingBegin(SurfaceDrawTarget()) != 0) {
        int32_t filled = total > 0 ? kBarWidth * done / total : kBarWidth;
        DrawingSetMode(DrawingTransparentText);
        DrawingSetFont(FontHandle(editor.session.hudFont));
        DrawTextAt(kBarLeft, kBarTop - 14, Translate("Exportiere Video ... (Esc bricht ab)"),
                   PackColour(200, 200, 200));
        DrawBox(kBarLeft - 1, kBarTop - 1, kBarWidth + 2, kBarHeight + 2,
                PackColour(155, 155, 155));
        DrawBox(kBarLeft, kBarTop, kBarWidth, kBarHeight, PackColour(20, 20, 20));
        DrawBox(kBarLeft, kBarTop, filled, kBarHeight, PixelToColour(kLimeRgb));
        DrawingEnd();
    }
    PresentSurface();
}

std::string SiblingName(const char* suffix) {
    int32_t start = WorkBufferLength();
    std::string name = SiblingFileName(editor.session.basePath, suffix, start);
    WorkBufferSetLength(start);
    return name;
}

struct WindowExport {
    bool (*cancelAsked)();
    std::string mp4 = SiblingName(".mp4");
    std::string gif = SiblingName(".gif");
    bool cancelled = false;
    int32_t finishedFiles = 0; // of the two, for one bar across both

    // Neither name may hold the animation or a file of another kind than its own.
    bool MayReplace() const {
        std::string error;
        return !SameFile(mp4, editor.session.basePath) && !SameFile(gif, editor.session.basePath) &&
               CheckReplaceable(mp4, kMp4File, &error) && CheckReplaceable(gif, kGifFile, &error);
    }

    bool Write() {
        PictureRequest request;
        request.animation = &editor.animation;
        request.name = editor.session.basePath;
        request.frameCount = LastFrameWithJoints(editor.animation) + 1;
        request.framesPerSecond = PlaybackFramesPerSecond();
        request.sound = editor.animation.sound.samples;
        request.progress = [this](int32_t done, int32_t total) {
            ShowProgress(finishedFiles * total + done, 2 * total);
        };
        request.cancelled = [this] {
            if (!cancelled) {
                PollWindowEvent();
                cancelled = cancelAsked();
            }
            return cancelled;
        };
        std::string error; // the message box says only whether it worked
        AtomicFile files[2];
        if (!AtomicFileCreate(mp4.c_str(), &files[0], &error) ||
            !AtomicFileCreate(gif.c_str(), &files[1], &error)) {
            AtomicFilesAbandon(files, 2, &error);
            return false;
        }
        bool written = ExportAnimationVideoTo(&files[0], kMp4Video, request, &error);
        finishedFiles = 1;
        written = written && ExportAnimationGifTo(&files[1], request, &error);
        if (!written) {
            AtomicFilesAbandon(files, 2, &error);
            return false;
        }
        return AtomicFilesCommit(files, 2, &error);
    }
};

void ExportVideos(bool (*cancelAsked)()) {
    if (StringEqual(editor.session.basePath, "") != 0) {
        ShowStatusMessage("Keine Datei - nichts exportiert");
        return;
    }
    WindowExport videos{cancelAsked};
    // An animation saved as STEM.mp4 or STEM.gif, or a file of the user's under either name,
    // would be replaced by the pictures.
    if (!videos.MayReplace()) {
        ShowMessageBox("Error", "Konnte nicht speichern", 0);
        return;
    }
    bool written = videos.Write();
    if (written) {
        ShowFileMessageBox("Ok", "Exportiert als ",
                           (videos.mp4 + Translate(" und ") + videos.gif).c_str());
    } else if (videos.cancelled) {
        ShowStatusMessage("Export abgebrochen");
    } else {
        ShowMessageBox("Error", "Konnte nicht speichern", 0);
    }
}

} // namespace

int32_t PlaybackFramesPerSecond() {
    return editor.animation.playbackRate;
}

void ExportWindowVideos(bool (*cancelAsked)()) {
    ExportVideos(cancelAsked);
}
