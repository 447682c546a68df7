// The numbered fonts: a table of faces loaded by name and point size at 96 dots per inch, each
// keeping its glyphs (one per code page 1252 byte) from their first use on, and the default font
// that text falls back to when no font, or a handle that holds none, is selected.
#include "runtime/fonts.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/font_raster.h"
#include "runtime/object_table.h"

struct CachedGlyph {
    bool rendered;
    FontGlyph glyph;
    std::vector<uint8_t> ink;
};

struct FontFace {
    RasterFont* raster;
    int32_t lineHeight;
    FontFace* next; // every face that exists, so that handles can be checked
    std::array<CachedGlyph, 256> glyphs;
};

namespace {

constexpr int32_t kFontTableGrowth = 16;
constexpr int32_t kDotsPerInch = 96;
constexpr int32_t kLargestEm = 1000; // pixels; a wilder size fails instead of rendering huge glyphs
constexpr const char* kDefaultFace = "Arial";
constexpr int32_t kDefaultPointSize = 8;

// A table slot: the in-use word first, then the face. Slots are read and written by copying, as
// the table promises no alignment for the pointer.
struct FontSlot {
    int32_t used;
    FontFace* face;
};

ObjectTable fontTable;
bool tableCreated = false;
FontFace* faces = nullptr; // newest first
FontFace* defaultFace = nullptr;
bool defaultFaceTried = false;

FontSlot ReadSlot(const void* slot) {
    FontSlot value;
    std::memcpy(&value, slot, sizeof value);
    return value;
}

void WriteSlot(void* slot, const FontSlot& value) {
    std::memcpy(slot, &value, sizeof value);
}

intptr_t HandleOf(const FontFace* face) {
    return reinterpret_cast<intptr_t>(face);
}

// The em in pixels: pointSize * 96 / 72 rounded to the nearest integer; 0 when out of range.
int32_t EmPixels(int32_t pointSize) {
    if (pointSize <= 0) {
        return 0;
    }
    const int64_t em = (int64_t{pointSize} * kDotsPerInch + 36) / 72;
    return em <= kLargestEm ? static_cast<int32_t>(em) : 0;
}

FontFace* CreateFace(const char* name, int32_t pointSize) {
    const int32_t em = EmPixels(pointSize);
    if (em == 0) {
        return nullptr;
    }
    RasterFont* raster = RasterFontOpen(Cp1252ToUtf8(name).c_str(), em);
    if (raster == nullptr) {
        return nullptr;
    }
    auto* face = new FontFace{};
    face->raster = raster;
    face->lineHeight = RasterFontHeight(raster);
    face->next = faces;
    faces = face;
    return face;
}

void DeleteFace(FontFace* face) {
    if (face == nullptr) {
        return;
    }
    for (FontFace** link = &faces; *link != nullptr; link = &(*link)->next) {
        if (*link == face) {
            *link = face->next;
            break;
        }
    }
    RasterFontClose(face->raster);
    delete face;
}

// Taking a slot again deletes the font it held.
void ReuseFontSlot(int32_t number) {
    void* slot = ObjectTableFind(&fontTable, number);
    if (slot != nullptr) {
        DeleteFace(ReadSlot(slot).face);
        WriteSlot(slot, FontSlot{});
    }
}

} // namespace

// Always a fresh table: the program heap that held an earlier one may be gone by now.
void FontSubsystemInit() {
    FontSubsystemShutdown();
    ObjectTableCreate(&fontTable, sizeof(FontSlot), kFontTableGrowth, ReuseFontSlot);
    tableCreated = true;
}

void FontSubsystemShutdown() {
    if (tableCreated) {
        // Restart after each free: freeing may disturb an iteration in progress. A cleared slot
        // no longer counts as in use, so the loop ends whatever freeing does.
        int32_t number = 0;
        for (void* slot = ObjectTableFirst(&fontTable, &number); slot != nullptr;
             slot = ObjectTableFirst(&fontTable, &number)) {
            DeleteFace(ReadSlot(slot).face);
            WriteSlot(slot, FontSlot{});
            ObjectTableFree(&fontTable, number);
        }
        tableCreated = false; // until the next start-up: no font is loaded after shutdown
    }
    DeleteFace(defaultFace);
    defaultFace = nullptr;
    defaultFaceTried = false;
}

intptr_t FontLoad(int32_t number, const char* face, int32_t pointSize) {
    if (!tableCreated) {
        return 0;
    }
    int32_t assigned = 0;
    void* slot = ObjectTableTake(&fontTable, number, &assigned);
    if (slot == nullptr) {
        return 0;
    }
    FontFace* created = CreateFace(face, pointSize);
    if (created == nullptr) {
        ObjectTableFree(&fontTable, assigned);
        return 0;
    }
    WriteSlot(slot, FontSlot{1, created});
    return number == kAutomaticNumber ? assigned : HandleOf(created);
}

intptr_t FontHandle(intptr_t number) {
    if (!tableCreated || number < INT32_MIN || number > INT32_MAX) {
        return 0;
    }
    const void* slot = ObjectTableFind(&fontTable, static_cast<int32_t>(number));
    return slot != nullptr ? HandleOf(ReadSlot(slot).face) : 0;
}

FontFace* FontForDrawing(intptr_t handle) {
    for (FontFace* face = faces; face != nullptr; face = face->next) {
        if (HandleOf(face) == handle) {
            return face;
        }
    }
    if (defaultFace == nullptr && !defaultFaceTried) {
        defaultFaceTried = true; // a failure is not retried on every text
        defaultFace = CreateFace(kDefaultFace, kDefaultPointSize);
    }
    return defaultFace;
}

const FontGlyph& FontGlyphOf(FontFace* font, unsigned char byte) {
    CachedGlyph& entry = font->glyphs[byte];
    if (!entry.rendered) {
        RasterGlyph glyph{};
        RasterFontGlyph(font->raster, Cp1252ToCodepoint(byte), &glyph, entry.ink);
        entry.glyph = FontGlyph{glyph.left,   glyph.top,     glyph.width,
                                glyph.height, glyph.advance, entry.ink.data()};
        entry.rendered = true;
    }
    return entry.glyph;
}

int32_t FontLineHeight(const FontFace* font) {
    return font->lineHeight;
}
