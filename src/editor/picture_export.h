// Pictures of an animation: frames 0 to playbackEnd drawn as playback shows them (bones and head,
// no joints, no playback marks) and handed to the encoders of storage/ as one looping GIF,
// numbered PNGs, an MP4, a WebM, an APNG, an animated WebP or a sprite sheet with its atlas, or
// given as line segments to the Lottie writer. With `transparent`, the scene's ground becomes
// see-through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "editor/progress_bar.h"
#include "model/animation.h"
#include "storage/atomic_file.h"
#include "storage/video_file.h"

constexpr int32_t kDefaultFramesPerSecond = 25; // GIF and video, without --fps

// These work on the animation given and draw on the open surface (a window's or an off-screen
// one). The frames are 0 to playbackEnd, held inside the animation.
int32_t PictureFrameCount(const Animation& animation);
// Draws frame as playback shows it.
void DrawPlaybackPicture(const Animation& animation, int32_t frame);

// What an export draws and how it reports.
struct PictureRequest {
    const Animation* animation = nullptr; // what is drawn; needed
    std::string name;                     // the animation's file, which names the sheet's tag
    int32_t frameCount = 0;               // frames 0 to frameCount - 1; 0: PictureFrameCount
    int32_t framesPerSecond = kDefaultFramesPerSecond;
    bool transparent = false;
    int32_t columns = 0; // cells a row of the sprite sheet; 0: the smallest N whose N x N hold all
    PictureProgress progress;        // optional
    std::function<bool()> cancelled; // optional, asked before each picture: true stops the export
    VideoSound sound;                // the MP4's and the WebM's sound; empty for none
};

bool ExportAnimationGif(const char* path, const PictureRequest& request, std::string* error);
// folder/frame_000.png onwards (FramePath); the folder is made when it does not exist. The frames
// replace those of an earlier export only once all are written; a failure leaves every one as it
// was.
bool ExportAnimationPngs(const char* folder, const PictureRequest& request, std::string* error);
std::string FramePath(const std::string& folder, int32_t frame);
// The MP4, the WebM, the APNG and the animated WebP.
bool ExportAnimationVideo(const char* path, const VideoFormat& format,
                          const PictureRequest& request, std::string* error);
// path and its atlas beside it (see AtlasPathFor), in request.columns cells a row.
bool ExportAnimationSheet(const char* path, const PictureRequest& request, std::string* error);
// The GIF and the videos into atomic files that the caller commits together (AtomicFilesCommit)
// or abandons.
bool ExportAnimationGifTo(AtomicFile* file, const PictureRequest& request, std::string* error);
bool ExportAnimationVideoTo(AtomicFile* file, const VideoFormat& format,
                            const PictureRequest& request, std::string* error);
// Needs no surface: the bones and the head come from the animation.
bool ExportAnimationLottie(const char* path, const PictureRequest& request, std::string* error);
