// Numbered fonts, loaded by face name and point size at 96 dots per inch and kept until shutdown.
#pragma once

#include <cstdint>

void FontSubsystemInit();
void FontSubsystemShutdown();
// Loads the face into font `number` (-1: an automatic number). Returns the automatic number for
// -1, otherwise the native handle; 0 when the font cannot be made.
intptr_t FontLoad(int32_t number, const char* face, int32_t pointSize);
intptr_t FontHandle(intptr_t number); // 0 for a number that holds no font

// For the drawing layer. A glyph's ink is `width` x `height` bytes (1 = ink, rows top to bottom)
// with its top-left corner at (left, top) from the pen, which stands at the top of the line.
struct FontGlyph {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    int32_t advance; // how far the pen moves on
    const uint8_t* ink;
};
struct FontFace;
// The font of a FontHandle value; for 0, kSystemFont and any value that holds no font the
// default font ("Arial" at 8 points, made on first use). Null when no font can be made.
FontFace* FontForDrawing(intptr_t handle);
// The glyph of a code page 1252 byte, rendered on first use and kept with the font.
const FontGlyph& FontGlyphOf(FontFace* font, unsigned char byte);
int32_t FontLineHeight(const FontFace* font); // ascent plus descent, in pixels
