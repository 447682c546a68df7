// PNGs written row by row through libpng into an atomic file, so that a picture or a sprite sheet
// of any height never stands whole in memory as encoded bytes. Every PNG the program writes (the
// pictures, the sheet) goes through here.
#pragma once

#include <cstdint>
#include <string>

#include "storage/atomic_file.h"
#include "storage/pixel_rows.h"

struct PngWriter;

// Writes the header of a width x height PNG of 8-bit RGB, or RGBA with `alpha`, into the open file.
PngWriter* PngWriterBegin(AtomicFile* file, int32_t width, int32_t height, bool alpha,
                          std::string* error);
// The next row of width pixels; with alpha, the transparent colour's pixels fully transparent.
bool PngWriterAddRow(PngWriter* writer, const uint32_t* pixels, TransparentColour transparent,
                     std::string* error);
// Writes the end of the PNG and frees the writer; with `abandon` it only frees it. False when
// writing failed at any point.
bool PngWriterEnd(PngWriter* writer, bool abandon, std::string* error);
