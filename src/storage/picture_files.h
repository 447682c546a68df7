// Picture files from 32-bit pixels (0x00RRGGBB, rows of `width`): animated GIFs with an exact
// palette, no dithering, and true-colour PNGs, either with one colour (the scene's ground) made
// fully transparent. Files are replaced atomically; every failure comes back as false with a
// message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "storage/pixel_rows.h"

constexpr int32_t kGifMaximumColours = 256;

struct AtomicFile;

// Distinct colours in the order they were first seen, each with its palette index.
struct PicturePalette {
    std::vector<uint32_t> colours;
    std::unordered_map<uint32_t, uint8_t> indices;
};

// Adds the pixels' colours; false (and the palette as it was before the call's first colour
// beyond the limit) once more than 256 distinct colours would be needed.
bool CollectColours(const uint32_t* pixels, std::size_t count, PicturePalette* palette);

// One GIF being written to an open descriptor (the descriptor stays the caller's).
struct GifStream;

// Writes the header of a width x height GIF89a that loops forever. With a palette, it is the
// global colour table and every frame must keep to it; without one, each frame brings its own.
// With a transparent colour, each frame marks that colour's index as transparent and is cleared
// before the next, so that nothing of it shows through the next frame's transparent pixels.
GifStream* GifStreamBegin(int descriptor, int32_t width, int32_t height,
                          const PicturePalette* palette, std::string* error,
                          TransparentColour transparent = std::nullopt);
// Colours that stay exact in a picture of more than 256 colours, whose other colours share the
// rest of its palette, each pixel taking the nearest entry.
void GifStreamKeepExact(GifStream* stream, const std::vector<uint32_t>& colours);
// One full-size frame shown for delay hundredths of a second.
bool GifStreamAddFrame(GifStream* stream, const uint32_t* pixels, int32_t delay,
                       std::string* error);
// Writes the trailer and frees the stream; with `abandon` it only frees it. False when writing
// failed at any point.
bool GifStreamEnd(GifStream* stream, bool abandon, std::string* error);

// What the encoders report when draw gives no picture.
constexpr char kPicturesStopped[] = "the export was cancelled";

// Pictures drawn on demand: draw(index) gives picture index's pixels, valid until the next call,
// or null to stop: the file being written is then abandoned with kPicturesStopped.
struct PictureSequence {
    int32_t count = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::function<const uint32_t*(int32_t index)> draw;
    std::function<void(int32_t done, int32_t total)> progress; // optional
    uint32_t ground = 0;      // the colour behind the figure, where nothing is drawn
    bool transparent = false; // the ground becomes fully transparent
    // The colours drawn in full (the figure's, besides the ground), which a GIF keeps exact
    // where anti-aliased edges give a picture more colours than its palette holds.
    std::vector<uint32_t> exactColours{};
};

// The pictures' ground when they are to be transparent.
TransparentColour TransparentGround(const PictureSequence& pictures);

// Hundredths of a second per frame nearest to framesPerSecond frames a second (at least 1).
int32_t GifDelayForRate(int32_t framesPerSecond);
// All pictures as one animated GIF, each held delay hundredths of a second. One global palette
// when all pictures together use at most 256 colours, else a palette per picture; a picture of
// more than 256 colours keeps the ground and the exact colours and gives each other colour the
// nearest entry of its palette.
bool WriteGifAnimation(const char* path, const PictureSequence& pictures, int32_t delay,
                       std::string* error);
// The same into an atomic file that the caller commits (with others, see AtomicFilesCommit) or
// abandons.
bool WriteGifAnimationTo(AtomicFile* file, const PictureSequence& pictures, int32_t delay,
                         std::string* error);
// One picture as an 8-bit RGB PNG, or RGBA with the transparent colour's pixels fully transparent.
bool WritePngPicture(const char* path, const uint32_t* pixels, int32_t width, int32_t height,
                     std::string* error, TransparentColour transparent = std::nullopt);
bool WritePngPictureTo(AtomicFile* file, const uint32_t* pixels, int32_t width, int32_t height,
                       std::string* error, TransparentColour transparent = std::nullopt);
