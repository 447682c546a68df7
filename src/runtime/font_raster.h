// Glyph rasterising behind the font table: a face is found by family name through fontconfig and
// opened with SDL_ttf at a pixel em size; glyphs come out one by one, one bit deep (ink or no ink),
// hinted for black-and-white output. Needs no display. Names are UTF-8, characters Unicode.
#pragma once

#include <cstdint>
#include <vector>

struct RasterFont;

struct RasterGlyph {
    int32_t advance; // pen movement, in pixels
    int32_t left;    // ink box, from the pen to the right
    int32_t top;     // ink box, from the top of the line (the ascent line) downwards
    int32_t width;
    int32_t height;
};

// The face that best matches the family (fontconfig's substitutes included) with an em of
// emPixels pixels; null when none can be opened.
RasterFont* RasterFontOpen(const char* family, int32_t emPixels);
void RasterFontClose(RasterFont* font);
int32_t RasterFontAscent(const RasterFont* font); // from the top of the line to the baseline
int32_t RasterFontHeight(const RasterFont* font); // ascent plus descent
// Renders one character: fills *glyph and appends width * height bytes (1 = ink) to `ink`.
// A character the face lacks comes out as the face's replacement glyph.
void RasterFontGlyph(RasterFont* font, uint32_t codepoint, RasterGlyph* glyph,
                     std::vector<uint8_t>& ink);
