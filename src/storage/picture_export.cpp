// Pictures of the animation: each frame is drawn by the editor's own scene drawing with playback
// on, read from the surface's back buffer and handed to the picture files. The command line runs
// the runtime without a window: the surface is an off-screen buffer, so no display is needed.
#include "storage/picture_export.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "editor/editor_state.h"
#include "figure/scene.h"
#include "runtime/surface.h"
#include "storage/picture_files.h"

namespace {

constexpr int kFolderPermissions = 0777; // less the umask

PictureSequence PlaybackPictures(const PictureProgress& progress) {
    PictureSequence pictures;
    pictures.count = PictureFrameCount();
    pictures.width = SurfaceWidth();
    pictures.height = SurfaceHeight();
    pictures.draw = [](int32_t index) -> const uint32_t* {
        DrawPlaybackPicture(index);
        return SurfacePixels();
    };
    pictures.progress = progress;
    return pictures;
}

bool SurfaceReady(std::string* error) {
    if (SurfacePixels() == nullptr) {
        *error = "there is no surface to draw the pictures on";
        return false;
    }
    return true;
}

bool MakeFolder(const std::string& folder, std::string* error) {
    struct stat status {};
    if (stat(folder.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return true;
        }
        *error = "'" + folder + "' is not a folder";
        return false;
    }
    if (errno != ENOENT || mkdir(folder.c_str(), kFolderPermissions) != 0) {
        *error = "cannot make the folder '" + folder + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string FramePath(const std::string& folder, int32_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%03d.png", static_cast<int>(frame));
    bool separated = !folder.empty() && folder.back() == '/';
    return folder + (separated ? "" : "/") + name;
}

} // namespace

int32_t PictureFrameCount() {
    return std::clamp(editor.playbackEnd, 0, editor.maxFrame) + 1;
}

void DrawPlaybackPicture(int32_t frame) {
    // The editing aids (a bone being drawn, the box being drawn) are no part of the animation.
    EditorState saved = editor;
    editor.currentFrame = frame;
    editor.playing = 1;
    editor.boneStartJoint = -1;
    editor.drawingBox = 0;
    DrawScene();
    editor.currentFrame = saved.currentFrame;
    editor.playing = saved.playing;
    editor.boneStartJoint = saved.boneStartJoint;
    editor.drawingBox = saved.drawingBox;
}

bool ExportAnimationGif(const char* path, const PictureProgress& progress, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteGifAnimation(path, PlaybackPictures(progress), kPictureFrameDelay, error);
}

bool ExportAnimationPngs(const char* folder, const PictureProgress& progress, std::string* error) {
    if (!SurfaceReady(error) || !MakeFolder(folder, error)) {
        return false;
    }
    int32_t count = PictureFrameCount();
    for (int32_t frame = 0; frame < count; ++frame) {
        DrawPlaybackPicture(frame);
        if (!WritePngPicture(FramePath(folder, frame).c_str(), SurfacePixels(), SurfaceWidth(),
                             SurfaceHeight(), error)) {
            return false;
        }
        if (progress) {
            progress(frame + 1, count);
        }
    }
    return true;
}
