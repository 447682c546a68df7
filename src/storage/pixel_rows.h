// Rows of the program's 32-bit pixels (0x00RRGGBB) as the bytes that the picture and video
// encoders take, with one colour that may become fully transparent.
#pragma once

#include <cstdint>
#include <optional>

// A colour whose pixels become fully transparent; none: every pixel is opaque.
using TransparentColour = std::optional<uint32_t>;

// The byte orders of pixel rows that the encoders take.
enum class PixelBytes { Rgb, Rgba, Bgra };
// One row of count pixels as bytes in that order; an alpha byte is 0 where the pixel is the
// transparent colour and 0xFF elsewhere.
void ConvertPixelRow(const uint32_t* pixels, int32_t count, PixelBytes order,
                     TransparentColour transparent, uint8_t* bytes);
