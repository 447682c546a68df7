// The sheet is written as it is drawn, one row of cells at a time through the PNG writer, so that
// a sheet of hundreds of frames never stands whole in memory. The atlas is built as text; its
// frame names are frame_000 onwards. Both files take their places together.
#include "storage/sprite_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "storage/atomic_file.h"
#include "storage/json_text.h"
#include "storage/message_text.h"
#include "storage/path_parts.h"
#include "storage/png_writer.h"

namespace {

// More columns than pictures would only widen the sheet with empty cells.
int32_t ColumnsFor(int32_t count, int32_t asked) {
    if (asked > 0) {
        return std::min(asked, count);
    }
    int32_t columns = 1;
    while (columns * columns < count) {
        ++columns;
    }
    return columns;
}

std::string Size(int32_t width, int32_t height) {
    return "{\"w\":" + std::to_string(width) + ",\"h\":" + std::to_string(height) + "}";
}

std::string Rectangle(int32_t x, int32_t y, int32_t width, int32_t height) {
    return "{\"x\":" + std::to_string(x) + ",\"y\":" + std::to_string(y) +
           ",\"w\":" + std::to_string(width) + ",\"h\":" + std::to_string(height) + "}";
}

std::string FrameName(int32_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%03d", static_cast<int>(index));
    return name;
}

struct SheetLayout {
    SheetRectangle cell;
    int32_t count = 0;
    int32_t columns = 0;
    int32_t rows = 0;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
};

std::string AtlasText(const SheetLayout& layout, const SheetSettings& settings,
                      const std::string& image) {
    const SheetRectangle& cell = layout.cell;
    long duration = std::lround(1000.0 / std::max(1, settings.framesPerSecond));
    std::string text = "{\"frames\":{";
    std::string names;
    for (int32_t index = 0; index < layout.count; ++index) {
        int32_t x = index % layout.columns * cell.width;
        int32_t y = index / layout.columns * cell.height;
        text += (index > 0 ? ",\n" : "\n") + JsonString(FrameName(index)) +
                ":{\"frame\":" + Rectangle(x, y, cell.width, cell.height) +
                ",\"rotated\":false,\"trimmed\":true,\"spriteSourceSize\":" +
                Rectangle(cell.left, cell.top, cell.width, cell.height) +
                ",\"sourceSize\":" + Size(layout.sourceWidth, layout.sourceHeight) +
                ",\"duration\":" + std::to_string(duration) + "}";
        names += (index > 0 ? "," : "") + JsonString(FrameName(index));
    }
    text += "},\n\"animations\":{" + JsonString(settings.tag) + ":[" + names + "]},\n";
    text += "\"meta\":{\"app\":" + JsonString(settings.app) +
            ",\"version\":" + JsonString(settings.version) + ",\"image\":" + JsonString(image) +
            ",\"format\":\"RGBA8888\",\"size\":" +
            Size(layout.columns * cell.width, layout.rows * cell.height) +
            ",\"scale\":\"1\",\"frameTags\":[{\"name\":" + JsonString(settings.tag) +
            ",\"from\":0,\"to\":" + std::to_string(layout.count - 1) +
            ",\"direction\":\"forward\"}]}}\n";
    return text;
}

void Report(const PictureSequence& pictures, int32_t done) {
    if (pictures.progress) {
        pictures.progress(done, pictures.count * 2);
    }
}

// Each row of cells is drawn into a strip as wide as the sheet, then handed to the PNG row by row.
bool WriteCells(PngWriter* png, const PictureSequence& pictures, const SheetLayout& layout,
                std::string* error) {
    const SheetRectangle& cell = layout.cell;
    std::size_t stripWidth = static_cast<std::size_t>(layout.columns) * cell.width;
    std::vector<uint32_t> strip;
    // Many columns of large cells can ask for more than the machine has: a failure, not an end.
    try {
        strip.resize(stripWidth * cell.height);
    } catch (const std::bad_alloc&) {
        *error = "not enough memory for a row of " + std::to_string(layout.columns) + " cells of " +
                 std::to_string(cell.width) + " x " + std::to_string(cell.height) +
                 " pixels (fewer columns need less)";
        return false;
    }
    for (int32_t row = 0; row < layout.rows; ++row) {
        std::fill(strip.begin(), strip.end(), pictures.ground);
        for (int32_t column = 0; column < layout.columns; ++column) {
            int32_t index = row * layout.columns + column;
            if (index >= layout.count) {
                break;
            }
            const uint32_t* pixels = pictures.draw(index);
            if (pixels == nullptr) {
                *error = kPicturesStopped;
                return false;
            }
            for (int32_t y = 0; y < cell.height; ++y) {
                const uint32_t* from =
                    pixels + static_cast<std::size_t>(cell.top + y) * pictures.width + cell.left;
                std::copy_n(from, cell.width,
                            strip.begin() + static_cast<std::ptrdiff_t>(
                                                y * stripWidth +
                                                static_cast<std::size_t>(column) * cell.width));
            }
            Report(pictures, pictures.count + index + 1);
        }
        for (int32_t y = 0; y < cell.height; ++y) {
            if (!PngWriterAddRow(png, strip.data() + y * stripWidth, TransparentGround(pictures),
                                 error)) {
                return false;
            }
        }
    }
    return true;
}

bool WriteSheetPng(AtomicFile* file, const PictureSequence& pictures, const SheetLayout& layout,
                   std::string* error) {
    PngWriter* png = PngWriterBegin(file, layout.columns * layout.cell.width,
                                    layout.rows * layout.cell.height, pictures.transparent, error);
    if (png == nullptr) {
        return false;
    }
    bool written = WriteCells(png, pictures, layout, error);
    std::string endError;
    if (!PngWriterEnd(png, !written, &endError) && written) {
        *error = endError;
        written = false;
    }
    return written;
}

} // namespace

void DrawnArea::Add(const uint32_t* pixels, uint32_t ground) {
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
        int32_t first = 0;
        while (first < width && row[first] == ground) {
            ++first;
        }
        if (first == width) {
            continue;
        }
        int32_t last = width - 1;
        while (row[last] == ground) {
            --last;
        }
        bool empty = left > right;
        left = empty ? first : std::min(left, first);
        right = empty ? last : std::max(right, last);
        top = empty ? y : std::min(top, y);
        bottom = empty ? y : std::max(bottom, y);
    }
}

SheetRectangle DrawnArea::Cell() const {
    if (left > right) {
        return {0, 0, 1, 1};
    }
    int32_t cellLeft = std::max(0, left - kSheetMargin);
    int32_t cellTop = std::max(0, top - kSheetMargin);
    int32_t cellRight = std::min(width - 1, right + kSheetMargin);
    int32_t cellBottom = std::min(height - 1, bottom + kSheetMargin);
    return {cellLeft, cellTop, cellRight - cellLeft + 1, cellBottom - cellTop + 1};
}

std::string AtlasPathFor(const std::string& sheetPath) {
    const std::string png = ".png";
    bool named = sheetPath.size() > png.size() &&
                 sheetPath.compare(sheetPath.size() - png.size(), png.size(), png) == 0;
    return (named ? sheetPath.substr(0, sheetPath.size() - png.size()) : sheetPath) + ".json";
}

bool WriteSpriteSheet(const char* path, const PictureSequence& pictures,
                      const SheetSettings& settings, std::string* error) {
    if (pictures.count < 1 || pictures.width < 1 || pictures.height < 1) {
        *error = "a sprite sheet needs at least one picture";
        return false;
    }
    DrawnArea area{pictures.width, pictures.height};
    for (int32_t index = 0; index < pictures.count; ++index) {
        const uint32_t* pixels = pictures.draw(index);
        if (pixels == nullptr) {
            *error = kPicturesStopped;
            return false;
        }
        area.Add(pixels, pictures.ground);
        Report(pictures, index + 1);
    }
    SheetLayout layout;
    layout.cell = area.Cell();
    layout.count = pictures.count;
    layout.columns = ColumnsFor(pictures.count, settings.columns);
    layout.rows = (pictures.count + layout.columns - 1) / layout.columns;
    layout.sourceWidth = pictures.width;
    layout.sourceHeight = pictures.height;
    if (int64_t{layout.columns} * layout.cell.width > 0x7FFFFFFF ||
        int64_t{layout.rows} * layout.cell.height > 0x7FFFFFFF) {
        *error = "the sprite sheet would be too large for a PNG";
        return false;
    }
    std::string atlasText = AtlasText(layout, settings, SplitPath(path).name);
    // The sheet takes its place first, then the atlas that names it.
    AtomicFile files[2];
    if (!AtomicFileCreate(AtlasPathFor(path).c_str(), &files[1], error)) {
        return false;
    }
    if (!AtomicFileCreate(path, &files[0], error)) {
        AtomicFilesAbandon(files, 2, error);
        return false;
    }
    bool written = AtomicFileWrite(&files[1], atlasText.data(), atlasText.size(), error) &&
                   WriteSheetPng(&files[0], pictures, layout, error);
    if (!written) {
        *error += " (" + Quoted(files[0].target) + " and " + Quoted(files[1].target) +
                  " are left as they were)";
        AtomicFilesAbandon(files, 2, error);
        return false;
    }
    return AtomicFilesCommit(files, 2, error);
}
