// Pictures of the animation: each frame is drawn by the editor's own scene drawing with playback
// on, read from the surface's back buffer and handed to the encoders of storage/ (picture files,
// video files, sprite sheets), which see only pixels; the Lottie writer gets each frame's bones
// with their colours, widths and shapes and its head instead. The command runs the editor's
// start-up without a window: the surface is an off-screen buffer, so no display is needed. Every
// file call goes through the file layer's replaceable calls (FileSystem ()).
#include "editor/picture_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "editor/editor_picture.h"
#include "editor/startup.h"
#include "figure/bone_drawing.h"
#include "figure/scene.h"
#include "model/animation.h"
#include "runtime/surface.h"
#include "storage/animation_file.h"
#include "storage/atomic_file.h"
#include "storage/export_file.h"
#include "storage/file_kinds.h"
#include "storage/lottie_file.h"
#include "storage/message_text.h"
#include "storage/numbered_files.h"
#include "storage/path_parts.h"
#include "storage/picture_files.h"
#include "storage/sound_decoder.h"
#include "storage/sound_reference.h"
#include "storage/sprite_sheet.h"
#include "storage/text.h"
#include "storage/video_file.h"

namespace {

constexpr int kFolderPermissions = 0777; // less the umask

std::string SystemReason(const char* doing, const std::string& path, int failure) {
    return std::string(doing) + " " + Quoted(path) + ": " + SystemErrorText(failure);
}

int32_t FrameCountOf(const PictureRequest& request) {
    return request.frameCount > 0 ? request.frameCount : PictureFrameCount(*request.animation);
}

bool Cancelled(const PictureRequest& request) {
    return request.cancelled && request.cancelled();
}

// The colours the figure is drawn in over frames 0 to count - 1: the head's and each bone's, as
// many as a GIF palette holds beside the ground.
std::vector<uint32_t> FigureColours(const Animation& animation, int32_t count) {
    std::vector<uint32_t> colours;
    std::unordered_set<uint32_t> seen;
    const auto add = [&](uint32_t colour) {
        if (colours.size() < static_cast<std::size_t>(kGifMaximumColours - 1) &&
            seen.insert(colour).second) {
            colours.push_back(colour);
        }
    };
    if (animation.headOn == 1) {
        add(kScenePixelHead);
    }
    for (int32_t frame = 0; frame < count && animation.IsFrame(frame); ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Bone& bone = animation.BoneAt(frame, slot);
            if (PlaybackDrawsBone(bone)) {
                add(PlaybackBonePixel(bone));
            }
        }
    }
    return colours;
}

// Frame's bones as playback draws them, in slot order.
std::vector<VectorBone> VectorBones(const Animation& animation, int32_t frame) {
    std::vector<VectorBone> bones;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = animation.BoneAt(frame, slot);
        if (!PlaybackDrawsBone(bone)) {
            continue;
        }
        const Joint& a = animation.JointAt(frame, bone.jointA);
        const Joint& b = animation.JointAt(frame, bone.jointB);
        VectorBone vector;
        vector.segment = BoneSegment{a.x, a.y, b.x, b.y};
        vector.colour = PlaybackBonePixel(bone);
        vector.width = StyleWidth(bone.style);
        vector.shape = bone.style.shape == ShapeCircle ? VectorShape::Circle
                       : bone.style.shape == ShapeDisc ? VectorShape::Disc
                                                       : VectorShape::Line;
        bones.push_back(vector);
    }
    return bones;
}

PictureSequence PlaybackPictures(const PictureRequest& request) {
    const Animation& animation = *request.animation;
    PictureSequence pictures;
    pictures.ground = GroundPixel(animation);
    pictures.transparent = request.transparent;
    pictures.count = FrameCountOf(request);
    pictures.exactColours = FigureColours(animation, pictures.count);
    // The scene's part of the surface: the editor's surface holds the strip below it.
    pictures.width = SurfaceWidth();
    pictures.height = std::min(SurfaceHeight(), kSceneHeight);
    pictures.draw = [&request](int32_t index) -> const uint32_t* {
        if (Cancelled(request)) {
            return nullptr;
        }
        DrawPlaybackPicture(*request.animation, index);
        return SurfacePixels();
    };
    pictures.progress = request.progress;
    return pictures;
}

bool SurfaceReady(std::string* error) {
    if (SurfacePixels() == nullptr) {
        *error = "there is no surface to draw the pictures on";
        return false;
    }
    return true;
}

// An existing folder (or a link to one) is used as it is; *made says whether it is new.
bool MakeFolder(const std::string& folder, bool* made, std::string* error) {
    *made = FileSystem().makeFolder(folder.c_str(), kFolderPermissions) == 0;
    if (*made) {
        return true;
    }
    struct stat status {};
    if (errno != EEXIST || !PathStatus(folder, &status)) {
        *error = SystemReason("cannot make the folder", folder, errno);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        *error = Quoted(folder) + " is not a folder";
        return false;
    }
    return true;
}

// The animation file's name without its folder and its last extension, for the sheet's tag and
// the Lottie composition.
std::string AnimationName(const std::string& path) {
    std::string name = SplitPath(path).name;
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

int32_t PictureFrameCount(const Animation& animation) {
    return std::clamp(animation.playbackEnd, 0, animation.maxFrame) + 1;
}

std::string FramePath(const std::string& folder, int32_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%03d.png", static_cast<int>(frame));
    bool separated = !folder.empty() && folder.back() == '/';
    return folder + (separated ? "" : "/") + name;
}

void DrawPlaybackPicture(const Animation& animation, int32_t frame) {
    const DrawingTarget* surface = SurfaceDrawTarget();
    if (surface == nullptr) {
        return;
    }
    DrawingTarget scene = *surface;
    scene.height = std::min(surface->height, kSceneHeight);
    DrawScene(PlaybackView(animation, frame), &scene);
}

bool ExportAnimationGif(const char* path, const PictureRequest& request, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteGifAnimation(path, PlaybackPictures(request),
                             GifDelayForRate(request.framesPerSecond), error);
}

bool ExportAnimationGifTo(AtomicFile* file, const PictureRequest& request, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteGifAnimationTo(file, PlaybackPictures(request),
                               GifDelayForRate(request.framesPerSecond), error);
}

bool ExportAnimationVideoTo(AtomicFile* file, const VideoFormat& format,
                            const PictureRequest& request, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteVideoTo(file, format, PlaybackPictures(request), request.framesPerSecond,
                        request.sound, error);
}

bool ExportAnimationVideo(const char* path, const VideoFormat& format,
                          const PictureRequest& request, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteVideo(path, format, PlaybackPictures(request), request.framesPerSecond,
                      request.sound, error);
}

bool ExportAnimationSheet(const char* path, const PictureRequest& request, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    SheetSettings settings;
    settings.columns = request.columns;
    settings.framesPerSecond = request.framesPerSecond;
    settings.app = "limbrado";
    settings.version = LIMBRADO_VERSION;
    settings.tag = AnimationName(request.name);
    return WriteSpriteSheet(path, PlaybackPictures(request), settings, error);
}

bool ExportAnimationLottie(const char* path, const PictureRequest& request, std::string* error) {
    const Animation& animation = *request.animation;
    std::vector<VectorFrame> frames(static_cast<std::size_t>(FrameCountOf(request)));
    for (std::size_t frame = 0; frame < frames.size(); ++frame) {
        if (Cancelled(request)) {
            *error = kPicturesStopped;
            return false;
        }
        auto index = static_cast<int32_t>(frame);
        frames[frame].bones = VectorBones(animation, index);
        frames[frame].head = animation.headOn == 1;
        frames[frame].headX = animation.JointAt(index, 0).x;
        frames[frame].headY = animation.JointAt(index, 0).y;
        if (request.progress) {
            request.progress(index + 1, static_cast<int32_t>(frames.size()));
        }
    }
    VectorStyle style;
    style.width = kSceneWidth;
    style.height = kSceneHeight;
    style.ground = GroundPixel(animation);
    style.transparent = request.transparent;
    style.headColour = kScenePixelHead;
    style.headRadius = kSceneHeadRadius;
    return WriteLottieAnimation(path, frames, style, request.framesPerSecond,
                                AnimationName(request.name), error);
}

// Every frame goes to a new file of its own; the frames take their places together once all are
// written, and a folder made for them goes again when they fail.
bool ExportAnimationPngs(const char* folder, const PictureRequest& request, std::string* error) {
    bool made = false;
    if (!SurfaceReady(error) || !MakeFolder(folder, &made, error)) {
        return false;
    }
    int32_t count = FrameCountOf(request);
    TransparentColour transparent =
        request.transparent ? TransparentColour(GroundPixel(*request.animation)) : std::nullopt;
    std::vector<AtomicFile> files(static_cast<std::size_t>(count));
    bool written = true;
    for (int32_t frame = 0; written && frame < count; ++frame) {
        if (Cancelled(request)) {
            *error = kPicturesStopped;
            written = false;
            break;
        }
        DrawPlaybackPicture(*request.animation, frame);
        AtomicFile* file = &files[static_cast<std::size_t>(frame)];
        written = AtomicFileCreate(FramePath(folder, frame).c_str(), file, error) &&
                  WritePngPictureTo(file, SurfacePixels(), SurfaceWidth(),
                                    std::min(SurfaceHeight(), kSceneHeight), error, transparent) &&
                  AtomicFileSeal(file, error);
        if (written && request.progress) {
            request.progress(frame + 1, count);
        }
    }
    if (written) {
        written = AtomicFilesCommit(files.data(), files.size(), error);
    } else {
        *error += " (the frames in " + Quoted(folder) + " are left as they were)";
        AtomicFilesAbandon(files.data(), files.size(), error);
    }
    if (!written && made && ::rmdir(folder) != 0) {
        *error += "; the new folder " + Quoted(folder) + " is left behind";
    }
    return written;
}
