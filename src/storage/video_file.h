// Videos from 32-bit pixels through FFmpeg's libraries: H.264 in yuv420p in an MP4 whose index
// stands at the front, or VP9 in a WebM (yuva420p when the pictures' ground is transparent). Each
// picture pixel becomes a whole 2 x 2 block, so that the one colour sample yuv420p keeps per block
// belongs to one pixel and thin lines stay exact. Animated pictures, lossless, looping and at the
// pictures' own size: APNG and animated WebP. Files are replaced atomically; every failure comes
// back as false with a message.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "storage/picture_files.h"

// A format's muxer, encoders and their settings, defined with the encoder.
struct VideoFormat;
extern const VideoFormat kMp4Video;  // H.264 and AAC in an MP4, at kVideoScale; never transparent
extern const VideoFormat kWebMVideo; // VP9 and Opus in a WebM, at kVideoScale
extern const VideoFormat kApngVideo; // an animated PNG
extern const VideoFormat kWebPVideo; // an animated WebP

constexpr int32_t kVideoScale = 2; // video pixels per picture pixel, across and down

// A video's sound: interleaved stereo 16-bit samples at the sound track's rate (kSoundRate),
// starting with the first picture; empty for none. The MP4 carries it as AAC and the WebM as
// Opus, cut or filled with silence to the pictures' length; the animated pictures have no sound.
using VideoSound = std::span<const int16_t>;

// All pictures as a video of framesPerSecond frames a second, each picture one frame; the MP4 and
// the WebM at kVideoScale times the pictures' size. An MP4 cannot be transparent: transparent
// pictures fail it.
bool WriteVideo(const char* path, const VideoFormat& format, const PictureSequence& pictures,
                int32_t framesPerSecond, VideoSound sound, std::string* error);
// The same into an atomic file that the caller commits (with others, see AtomicFilesCommit) or
// abandons.
bool WriteVideoTo(AtomicFile* file, const VideoFormat& format, const PictureSequence& pictures,
                  int32_t framesPerSecond, VideoSound sound, std::string* error);
