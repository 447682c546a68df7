// Sprite sheets for game engines: every picture in one PNG, in rows of equal cells, and beside it
// the JSON-hash atlas that Phaser and PixiJS load as it is. Each cell is the same rectangle of
// every picture (all that any picture draws, plus a margin), so the figure keeps its place from
// cell to cell and the atlas gives the rectangle's offset in the picture. Both files are replaced
// atomically; every failure comes back as false with a message.
#pragma once

#include <cstdint>
#include <string>

#include "storage/picture_files.h"

constexpr int32_t kSheetMargin = 2; // pixels of ground around all that the pictures draw

struct SheetSettings {
    int32_t columns = 0; // cells a row, at most one per picture; 0: the smallest N with N x N
                         // cells for all
    int32_t framesPerSecond = 25; // each frame's duration in the atlas
    std::string app;              // the atlas's meta: the program and its version
    std::string version;
    std::string tag; // the name of the one frame tag, for the whole animation
};

struct SheetRectangle {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The rectangle that holds every pixel differing from the ground in any of the width x height
// pictures seen so far, widened by kSheetMargin and kept inside the picture.
struct DrawnArea {
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0; // left > right: nothing drawn yet
    int32_t top = 0;
    int32_t right = -1; // inclusive
    int32_t bottom = -1;

    void Add(const uint32_t* pixels, uint32_t ground);
    // One pixel in the top-left corner when nothing was drawn.
    SheetRectangle Cell() const;
};

// The atlas's name: the sheet's path with ".json" in place of a final ".png".
std::string AtlasPathFor(const std::string& sheetPath);
// Draws every picture twice (the drawn area first, then the cells); progress counts both passes.
bool WriteSpriteSheet(const char* path, const PictureSequence& pictures,
                      const SheetSettings& settings, std::string* error);
