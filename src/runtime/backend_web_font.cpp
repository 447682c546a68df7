// Glyph rasterising in the browser build: the glyphs come from the table made when the program was
// built (backend_web_glyphs.h), rasterised there by the desktop's rasteriser from the same face.
// A family the table lacks gets the table's face of the same size, as a substitute would.
#include <algorithm>
#include <cctype>

#include "runtime/backend_web_glyphs.h"
#include "runtime/font_raster.h"

struct RasterFont {
    const WebFace* face;
};

namespace {

bool SameFamily(const char* a, const char* b) {
    for (; *a != 0 && *b != 0; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

const WebFace* FindFace(const char* family, int32_t emPixels) {
    const WebFace* sameSize = nullptr;
    for (int32_t index = 0; index < kWebFaceCount; ++index) {
        const WebFace& face = kWebFaces[index];
        if (face.emPixels != emPixels) {
            continue;
        }
        if (SameFamily(face.family, family)) {
            return &face;
        }
        sameSize = sameSize != nullptr ? sameSize : &face;
    }
    return sameSize;
}

} // namespace

RasterFont* RasterFontOpen(const char* family, int32_t emPixels) {
    const WebFace* face = FindFace(family != nullptr ? family : "", emPixels);
    return face != nullptr ? new RasterFont{face} : nullptr;
}

void RasterFontClose(RasterFont* font) {
    delete font;
}

int32_t RasterFontAscent(const RasterFont* font) {
    return font->face->ascent;
}

int32_t RasterFontHeight(const RasterFont* font) {
    return font->face->height;
}

void RasterFontGlyph(RasterFont* font, uint32_t codepoint, RasterGlyph* glyph,
                     std::vector<uint8_t>& ink) {
    *glyph = RasterGlyph{};
    const WebGlyph* first = font->face->glyphs;
    const WebGlyph* found = std::find_if(first, first + 256, [codepoint](const WebGlyph& entry) {
        return entry.codepoint == codepoint;
    });
    if (found == first + 256) {
        return; // a character outside code page 1252: nothing to show
    }
    *glyph = RasterGlyph{found->advance, found->left, found->top, found->width, found->height};
    const uint8_t* begin = font->face->ink + found->inkOffset;
    ink.insert(ink.end(), begin, begin + static_cast<std::ptrdiff_t>(found->width) * found->height);
}
