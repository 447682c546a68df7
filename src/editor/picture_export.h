// The picture command: the animation loaded, frames 0 to playbackEnd drawn as playback shows them
// (bones and head, no joints, no playback marks) and handed to the encoders of storage/ as one
// looping GIF, numbered PNGs, an MP4 or a WebM. It runs without a window or a display.
#pragma once

#include <cstdint>
#include <string>

#include "editor/command_line.h"
#include "editor/progress_bar.h"
#include "storage/video_file.h"

// Starts the program as the editor does but on an off-screen surface, loads the animation and
// writes its pictures, with a progress bar on a terminal's stderr and a message there on failure.
// Returns the exit code: 0 when every file was written, 1 when something failed.
int RunPictureExport(const CommandLine& command);

// These work on the animation in the grids and draw on the open surface (a window's or an
// off-screen one). The frames are 0 to playbackEnd, held inside the grids.
int32_t PictureFrameCount();
// Draws frame as playback shows it; the editor state is left as it was.
void DrawPlaybackPicture(int32_t frame);
bool ExportAnimationGif(const char* path, int32_t framesPerSecond, const PictureProgress& progress,
                        std::string* error);
// folder/frame_000.png onwards; the folder is made when it does not exist.
bool ExportAnimationPngs(const char* folder, const PictureProgress& progress, std::string* error);
bool ExportAnimationVideo(const char* path, VideoFormat format, int32_t framesPerSecond,
                          const PictureProgress& progress, std::string* error);
