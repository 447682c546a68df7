// SDL_ttf and fontconfig behind the glyph rasteriser. Only TTF_Init (FreeType) is needed, never
// SDL's video subsystem, so fonts work without a display; each open font holds one reference to
// the initialised library.
#include "runtime/font_raster.h"

#include <SDL2/SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <string>

struct RasterFont {
    TTF_Font* font;
    int32_t ascent;
    int32_t height;
};

namespace {

// The font file and face index that fontconfig matches best to the family, after its
// substitutions (such as a metric-compatible face for a family that is not installed). The name
// is taken literally: no size or style suffixes are parsed out of it.
bool FindFace(const char* family, std::string* file, int* index) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* path = nullptr;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) {
        *file = reinterpret_cast<const char*>(path);
    }
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) {
        *index = 0;
    }
    FcPatternDestroy(match);
    return found;
}

// Appends the inked part of an 8-bit glyph surface (non-zero = ink) and returns its box.
SDL_Rect CopyInk(const SDL_Surface* surface, std::vector<uint8_t>& ink) {
    const auto* pixels = static_cast<const uint8_t*>(surface->pixels);
    int left = surface->w, top = surface->h, right = -1, bottom = -1;
    for (int y = 0; y < surface->h; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            if (pixels[y * surface->pitch + x] != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return SDL_Rect{0, 0, 0, 0};
    }
    for (int y = top; y <= bottom; ++y) {
        const uint8_t* row = pixels + y * surface->pitch;
        for (int x = left; x <= right; ++x) {
            ink.push_back(row[x] != 0 ? 1 : 0);
        }
    }
    return SDL_Rect{left, top, right - left + 1, bottom - top + 1};
}

} // namespace

RasterFont* RasterFontOpen(const char* family, int32_t emPixels) {
    std::string file;
    int index = 0;
    if (emPixels <= 0 || !FindFace(family != nullptr ? family : "", &file, &index)) {
        return nullptr;
    }
    if (TTF_Init() != 0) {
        return nullptr;
    }
    // At 72 dots per inch a size in points is the em in pixels.
    TTF_Font* font = TTF_OpenFontIndexDPI(file.c_str(), emPixels, index, 72, 72);
    if (font == nullptr) {
        TTF_Quit();
        return nullptr;
    }
    // Hinting meant for black-and-white output keeps one-bit stems crisp and even.
    TTF_SetFontHinting(font, TTF_HINTING_MONO);
    return new RasterFont{font, TTF_FontAscent(font), TTF_FontHeight(font)};
}

void RasterFontClose(RasterFont* font) {
    if (font == nullptr) {
        return;
    }
    TTF_CloseFont(font->font);
    delete font;
    TTF_Quit();
}

int32_t RasterFontAscent(const RasterFont* font) {
    return font->ascent;
}

int32_t RasterFontHeight(const RasterFont* font) {
    return font->height;
}

void RasterFontGlyph(RasterFont* font, uint32_t codepoint, RasterGlyph* glyph,
                     std::vector<uint8_t>& ink) {
    *glyph = RasterGlyph{};
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
    if (TTF_GlyphMetrics32(font->font, codepoint, &minX, &maxX, &minY, &maxY, &advance) != 0) {
        return;
    }
    glyph->advance = advance;
    SDL_Surface* surface =
        TTF_RenderGlyph32_Solid(font->font, codepoint, SDL_Color{255, 255, 255, 255});
    if (surface == nullptr) {
        return; // nothing to show, such as a glyph without width
    }
    if (surface->format->BytesPerPixel == 1) {
        // SDL_ttf puts the pen's top-of-line point at (-minX, maxY - ascent) when the glyph
        // reaches left of the pen or above the ascent line, else at the surface's corner.
        const int penX = std::max(0, -minX);
        const int penY = std::max(0, maxY - font->ascent);
        const SDL_Rect box = CopyInk(surface, ink);
        *glyph = RasterGlyph{advance, box.x - penX, box.y - penY, box.w, box.h};
    }
    SDL_FreeSurface(surface);
}
