// The sheet is written as it is drawn, one row of cells at a time: the PNG's chunks are made here
// with zlib, so that a sheet of hundreds of frames never stands whole in memory. The atlas is
// built as text; its frame names are frame_000 onwards.
#include "storage/sprite_sheet.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#include "storage/atomic_file.h"

namespace {

constexpr std::size_t kDeflateBufferSize = 1 << 16;
constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kColourRgb = 2;
constexpr unsigned char kColourRgba = 6;

void PutWord(std::vector<unsigned char>* bytes, uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes->push_back(static_cast<unsigned char>(word >> shift));
    }
}

// A PNG written row by row into an atomic file: length, type, data and CRC of each chunk.
struct PngStream {
    AtomicFile* file = nullptr;
    int32_t width = 0;
    bool alpha = false;
    z_stream deflater{};
    bool deflating = false;
    std::vector<unsigned char> row;    // the filter byte and one row of samples
    std::vector<unsigned char> output; // deflated bytes waiting for their chunk

    bool PutChunk(const char* type, const unsigned char* data, std::size_t count,
                  std::string* error) {
        std::vector<unsigned char> chunk;
        chunk.reserve(count + 12);
        PutWord(&chunk, static_cast<uint32_t>(count));
        chunk.insert(chunk.end(), type, type + 4);
        chunk.insert(chunk.end(), data, data + count);
        uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(count + 4));
        PutWord(&chunk, static_cast<uint32_t>(crc));
        return AtomicFileWrite(file, chunk.data(), chunk.size(), error);
    }

    bool Begin(int32_t height, std::string* error) {
        if (deflateInit(&deflater, Z_DEFAULT_COMPRESSION) != Z_OK) {
            *error = "cannot start the PNG's compression";
            return false;
        }
        deflating = true;
        row.assign(1 + static_cast<std::size_t>(width) * (alpha ? 4 : 3), 0);
        output.resize(kDeflateBufferSize);
        std::vector<unsigned char> header;
        PutWord(&header, static_cast<uint32_t>(width));
        PutWord(&header, static_cast<uint32_t>(height));
        // 8 bits a sample; deflate, no interlacing.
        const unsigned char rest[] = {8, alpha ? kColourRgba : kColourRgb, 0, 0, 0};
        header.insert(header.end(), rest, rest + sizeof rest);
        return AtomicFileWrite(file, kPngSignature, sizeof kPngSignature, error) &&
               PutChunk("IHDR", header.data(), header.size(), error);
    }

    // Deflates the input given (none: the end) and writes each full output buffer as a chunk.
    bool Deflate(const unsigned char* bytes, std::size_t count, int flush, std::string* error) {
        deflater.next_in = const_cast<unsigned char*>(bytes);
        deflater.avail_in = static_cast<uInt>(count);
        int code = Z_OK;
        do {
            deflater.next_out = output.data();
            deflater.avail_out = static_cast<uInt>(output.size());
            code = deflate(&deflater, flush);
            if (code == Z_STREAM_ERROR) {
                *error = "cannot compress the PNG";
                return false;
            }
            std::size_t made = output.size() - deflater.avail_out;
            if (made > 0 && !PutChunk("IDAT", output.data(), made, error)) {
                return false;
            }
        } while (deflater.avail_out == 0 || (flush == Z_FINISH && code != Z_STREAM_END));
        return true;
    }

    // One row of pixels, unfiltered; ground pixels fully transparent when the sheet has alpha.
    bool AddRow(const uint32_t* pixels, uint32_t ground, std::string* error) {
        unsigned char* out = row.data() + 1;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t pixel = pixels[x];
            *out++ = static_cast<unsigned char>(pixel >> 16);
            *out++ = static_cast<unsigned char>(pixel >> 8);
            *out++ = static_cast<unsigned char>(pixel);
            if (alpha) {
                *out++ = pixel == ground ? 0 : 0xFF;
            }
        }
        return Deflate(row.data(), row.size(), Z_NO_FLUSH, error);
    }

    bool End(std::string* error) {
        return Deflate(nullptr, 0, Z_FINISH, error) && PutChunk("IEND", nullptr, 0, error);
    }

    ~PngStream() {
        if (deflating) {
            deflateEnd(&deflater);
        }
    }
};

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

std::string BaseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Text for a JSON string: quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char character : text) {
        if (character == '"' || character == '\\') {
            quoted += '\\';
            quoted += character;
        } else if (static_cast<unsigned char>(character) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", character);
            quoted += escaped;
        } else {
            quoted += character;
        }
    }
    return quoted + "\"";
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
bool WriteCells(PngStream* png, const PictureSequence& pictures, const SheetLayout& layout,
                std::string* error) {
    const SheetRectangle& cell = layout.cell;
    std::size_t stripWidth = static_cast<std::size_t>(layout.columns) * cell.width;
    std::vector<uint32_t> strip(stripWidth * cell.height);
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
            if (!png->AddRow(strip.data() + y * stripWidth, pictures.ground, error)) {
                return false;
            }
        }
    }
    return png->End(error);
}

bool WriteSheetPng(AtomicFile* file, const PictureSequence& pictures, const SheetLayout& layout,
                   std::string* error) {
    PngStream png;
    png.file = file;
    png.width = layout.columns * layout.cell.width;
    png.alpha = pictures.transparent;
    return png.Begin(layout.rows * layout.cell.height, error) &&
           WriteCells(&png, pictures, layout, error);
}

void Abandon(AtomicFile* file, std::string* error) {
    *error += " ('" + file->target + "' is left as it was)";
    if (!AtomicFileAbandon(file)) {
        *error += "; the temporary file '" + file->temporary + "' is left behind";
    }
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
    std::string atlasText = AtlasText(layout, settings, BaseName(path));
    AtomicFile sheet;
    AtomicFile atlas;
    if (!AtomicFileCreate(AtlasPathFor(path).c_str(), &atlas, error)) {
        return false;
    }
    if (!AtomicFileCreate(path, &sheet, error)) {
        Abandon(&atlas, error);
        return false;
    }
    bool written = AtomicFileWrite(&atlas, atlasText.data(), atlasText.size(), error) &&
                   WriteSheetPng(&sheet, pictures, layout, error);
    if (!written) {
        Abandon(&sheet, error);
        Abandon(&atlas, error);
        return false;
    }
    // Both are complete; the sheet takes its place first, as the atlas names it.
    if (!AtomicFileCommit(&sheet, error)) {
        Abandon(&atlas, error);
        return false;
    }
    return AtomicFileCommit(&atlas, error);
}
