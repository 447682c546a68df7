// The animation as pictures: frames 0 to playbackEnd drawn as playback shows them (bones and head,
// no joints, no playback marks) and handed to the encoders of storage/ as one looping GIF,
// numbered PNGs, an MP4, a WebM, an APNG, an animated WebP or a sprite sheet with its atlas, or
// given as line segments to the Lottie writer; and the command line that asks for them, which runs
// without a window or a display. With `transparent`, the scene's ground becomes see-through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "storage/video_file.h"

constexpr int32_t kDefaultFramesPerSecond = 25; // GIF and video, without --fps
constexpr int32_t kMostFramesPerSecond = 100;   // a GIF cannot show a frame for less than 1/100 s

// Whether the program's arguments ask for pictures (an option beginning with --export-, or --fps
// among more than one argument); main then hands them to RunPictureExport instead of starting the
// editor.
bool IsPictureExportCommand(int argc, char** argv);
// Loads the animation named on the command line and writes its pictures, with a progress bar on a
// terminal's stderr and a message there on failure. Returns the exit code: 0 when every file was
// written, 1 when something failed, 2 for a wrong command line.
int RunPictureExport(int argc, char** argv);
// The options, one line each, for the program's --help.
const char* PictureExportUsage();

// These work on the animation in the grids and draw on the open surface (a window's or an
// off-screen one). The frames are 0 to playbackEnd, held inside the grids.
int32_t PictureFrameCount();
// Draws frame as playback shows it; the editor state is left as it was.
void DrawPlaybackPicture(int32_t frame);
using PictureProgress = std::function<void(int32_t done, int32_t total)>;

// What an export draws and how it reports.
struct PictureRequest {
    int32_t frameCount = 0; // frames 0 to frameCount - 1; 0: PictureFrameCount ()
    int32_t framesPerSecond = kDefaultFramesPerSecond;
    bool transparent = false;
    PictureProgress progress;        // optional
    std::function<bool()> cancelled; // optional, asked before each picture: true stops the export
};

bool ExportAnimationGif(const char* path, const PictureRequest& request, std::string* error);
// folder/frame_000.png onwards; the folder is made when it does not exist.
bool ExportAnimationPngs(const char* folder, const PictureRequest& request, std::string* error);
// The MP4, the WebM, the APNG and the animated WebP.
bool ExportAnimationVideo(const char* path, VideoFormat format, const PictureRequest& request,
                          std::string* error);
// path and its atlas beside it (see AtlasPathFor); columns 0: the smallest N whose N x N
// cells hold every frame.
bool ExportAnimationSheet(const char* path, int32_t columns, const PictureRequest& request,
                          std::string* error);
// Needs no surface: the bones and the head come from the grids.
bool ExportAnimationLottie(const char* path, const PictureRequest& request, std::string* error);
