// The glyph table of the browser build: the faces the editor asks for, rasterised when the program
// is built by the desktop's own rasteriser (tools/make_glyph_table.cpp), so that the browser draws
// the same pixels. One entry per character of code page 1252, in byte order.
#pragma once

#include <cstdint>

struct WebGlyph {
    uint32_t codepoint;
    int32_t advance;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    int32_t inkOffset; // into the face's ink: width * height bytes, 1 = ink
};

struct WebFace {
    const char* family;
    int32_t emPixels;
    int32_t ascent;
    int32_t height;
    const WebGlyph* glyphs; // 256
    const uint8_t* ink;
};

extern const WebFace kWebFaces[];
extern const int32_t kWebFaceCount;
