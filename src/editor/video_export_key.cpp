// The export runs inside the cycle in which E goes down. Between two pictures the window gets a
// progress bar drawn over the picture just encoded and presented, and the keyboard is sampled, so
// Escape is seen at once. Both files are first written under staging names beside their targets
// and renamed into place only once both are complete, so that a cancel or a failure never leaves
// one new file without the other.
#include "editor/video_export_key.h"

#include <cerrno>
#include <string>

#include "editor/picture_export.h"
#include "editor/status_line.h"
#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/requesters.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

constexpr char kStagingSuffix[] = ".partial";
constexpr int32_t kBarLeft = 200;
constexpr int32_t kBarTop = 570;
constexpr int32_t kBarWidth = 400;
constexpr int32_t kBarHeight = 10;
constexpr int32_t kEscapePollMs = 10;

// The progress bar over whatever the surface shows, presented at once.
void ShowProgress(int32_t done, int32_t total) {
    if (DrawingBegin(SurfaceDrawTarget()) != 0) {
        int32_t filled = total > 0 ? kBarWidth * done / total : kBarWidth;
        DrawingSetMode(DrawingTransparentText);
        DrawingSetFont(FontHandle(editor.hudFont));
        DrawTextAt(kBarLeft, kBarTop - 14, Translate("Exportiere Video ... (Esc bricht ab)"),
                   PackColour(200, 200, 200));
        DrawBox(kBarLeft - 1, kBarTop - 1, kBarWidth + 2, kBarHeight + 2,
                PackColour(155, 155, 155));
        DrawBox(kBarLeft, kBarTop, kBarWidth, kBarHeight, PackColour(20, 20, 20));
        DrawBox(kBarLeft, kBarTop, filled, kBarHeight, PackColour(187, 255, 0));
        DrawingEnd();
    }
    PresentSurface();
}

bool EscapeDown() {
    PollWindowEvent();
    SampleKeyboard();
    return IsKeyDown(ScanEscape) != 0;
}

// The Escape that cancelled must not also end the editor once the cycle is over.
void WaitForEscapeUp() {
    while (EscapeDown()) {
        PresentSurface();
        DelayMs(kEscapePollMs);
    }
}

// The last frame that holds a joint, or 0 when none does.
int32_t LastFrameWithJoints() {
    for (int32_t frame = editor.maxFrame; frame > 0; --frame) {
        if (FrameHasJoints(frame, 0)) {
            return frame;
        }
    }
    return 0;
}

std::string SiblingName(const char* suffix) {
    int32_t start = WorkBufferLength();
    std::string name = SiblingFileName(suffix, start);
    WorkBufferSetLength(start);
    return name;
}

// True when nothing is left under the staging name.
bool RemoveStaged(const std::string& staged) {
    return FileSystem().unlink(staged.c_str()) == 0 || errno == ENOENT;
}

bool Publish(const std::string& staged, const std::string& target) {
    return FileSystem().rename(staged.c_str(), target.c_str()) == 0;
}

struct WindowExport {
    std::string mp4 = SiblingName(".mp4");
    std::string gif = SiblingName(".gif");
    std::string stagedMp4 = mp4 + kStagingSuffix;
    std::string stagedGif = gif + kStagingSuffix;
    bool cancelled = false;
    bool leftBehind = false;   // a staged file could not be removed
    int32_t finishedFiles = 0; // of the two, for one bar across both

    bool Write() {
        PictureRequest request;
        request.frameCount = LastFrameWithJoints() + 1;
        request.framesPerSecond = PlaybackFramesPerSecond();
        request.progress = [this](int32_t done, int32_t total) {
            ShowProgress(finishedFiles * total + done, 2 * total);
        };
        request.cancelled = [this] {
            cancelled = cancelled || EscapeDown();
            return cancelled;
        };
        std::string error;
        bool written = ExportAnimationVideo(stagedMp4.c_str(), VideoFormat::Mp4, request, &error);
        finishedFiles = 1;
        written = written && ExportAnimationGif(stagedGif.c_str(), request, &error);
        written = written && Publish(stagedMp4, mp4) && Publish(stagedGif, gif);
        if (!written) {
            bool mp4Removed = RemoveStaged(stagedMp4);
            leftBehind = !RemoveStaged(stagedGif) || !mp4Removed;
        }
        return written;
    }
};

void ExportVideos() {
    if (StringEqual(editor.basePath, "") != 0) {
        ShowStatusMessage("Keine Datei - nichts exportiert");
        return;
    }
    WindowExport videos;
    // An animation saved as STEM.mp4 or STEM.gif would be replaced by its own pictures.
    if (videos.mp4 == editor.basePath || videos.gif == editor.basePath) {
        ShowMessageBox("Error", "Konnte nicht speichern", 0);
        return;
    }
    bool written = videos.Write();
    if (videos.cancelled) {
        WaitForEscapeUp();
    }
    if (written) {
        ShowFileMessageBox("Ok", "Exportiert als ",
                           (videos.mp4 + Translate(" und ") + videos.gif).c_str());
    } else if (videos.cancelled && !videos.leftBehind) {
        ShowStatusMessage("Export abgebrochen");
    } else {
        ShowMessageBox("Error", "Konnte nicht speichern", 0);
    }
}

} // namespace

int32_t PlaybackFramesPerSecond() {
    return editor.playbackRate;
}

void ExportWindowVideos() {
    ExportVideos();
}
