// GIF frames through giflib's encoder and PNGs through the PNG writer. The GIF's bytes
// are gathered in a buffer and written in large pieces; pixels become palette indices through a
// colour table, with the previous pixel's index reused along the long flat runs of a drawing.
#include "storage/picture_files.h"

#include <gif_lib.h>

#include <algorithm>
#include <new>

#include "storage/atomic_file.h"
#include "storage/message_text.h"
#include "storage/png_writer.h"

namespace {

constexpr std::size_t kGifBufferSize = 1 << 16;
constexpr int kGifColourResolution = 8;

ColorMapObject* MakeColourMap(const PicturePalette& palette) {
    // A GIF colour table has a power-of-two size of at least two entries; the rest stay black.
    int size = 1 << GifBitSize(std::max<int>(2, static_cast<int>(palette.colours.size())));
    std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t index = 0; index < palette.colours.size(); ++index) {
        uint32_t colour = palette.colours[index];
        entries[index] =
            GifColorType{static_cast<GifByteType>(colour >> 16),
                         static_cast<GifByteType>(colour >> 8), static_cast<GifByteType>(colour)};
    }
    return GifMakeMapObject(size, entries.data());
}

// The palette index of every pixel; false when a pixel's colour is not in the palette.
bool IndexPixels(const uint32_t* pixels, std::size_t count, const PicturePalette& palette,
                 std::vector<GifPixelType>* indices) {
    indices->resize(count);
    uint32_t previous = 0;
    GifPixelType previousIndex = 0;
    bool known = false;
    for (std::size_t pixel = 0; pixel < count; ++pixel) {
        if (!known || pixels[pixel] != previous) {
            auto found = palette.indices.find(pixels[pixel]);
            if (found == palette.indices.end()) {
                return false;
            }
            previous = pixels[pixel];
            previousIndex = found->second;
            known = true;
        }
        (*indices)[pixel] = previousIndex;
    }
    return true;
}

uint32_t ColourDistance(uint32_t a, uint32_t b) {
    uint32_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t difference =
            static_cast<int32_t>((a >> shift) & 0xFF) - static_cast<int32_t>((b >> shift) & 0xFF);
        sum += static_cast<uint32_t>(difference * difference);
    }
    return sum;
}

// A palette for a picture of more than 256 colours: the exact colours first, then the picture's
// most common other colours until it is full; every colour of the picture is indexed to its
// nearest entry.
PicturePalette ReducedPalette(const uint32_t* pixels, std::size_t count,
                              const std::vector<uint32_t>& exact) {
    std::unordered_map<uint32_t, std::size_t> uses;
    for (std::size_t pixel = 0; pixel < count;) {
        std::size_t end = pixel + 1;
        while (end < count && pixels[end] == pixels[pixel]) {
            ++end;
        }
        uses[pixels[pixel]] += end - pixel;
        pixel = end;
    }
    PicturePalette palette;
    const auto add = [&palette](uint32_t colour) {
        if (palette.colours.size() < static_cast<std::size_t>(kGifMaximumColours) &&
            palette.indices.emplace(colour, static_cast<uint8_t>(palette.colours.size())).second) {
            palette.colours.push_back(colour);
        }
    };
    for (uint32_t colour : exact) {
        add(colour & 0xFFFFFF);
    }
    std::vector<std::pair<std::size_t, uint32_t>> common;
    common.reserve(uses.size());
    for (const auto& [colour, times] : uses) {
        common.emplace_back(times, colour);
    }
    std::sort(common.begin(), common.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    for (const auto& entry : common) {
        add(entry.second);
    }
    for (const auto& entry : common) {
        if (palette.indices.count(entry.second) != 0) {
            continue;
        }
        std::size_t nearest = 0;
        for (std::size_t index = 1; index < palette.colours.size(); ++index) {
            if (ColourDistance(palette.colours[index], entry.second) <
                ColourDistance(palette.colours[nearest], entry.second)) {
                nearest = index;
            }
        }
        palette.indices.emplace(entry.second, static_cast<uint8_t>(nearest));
    }
    return palette;
}

std::string GifError(const char* what, int code) {
    const char* text = GifErrorString(code);
    return std::string(what) + ": " + (text != nullptr ? text : "unknown GIF error");
}

} // namespace

struct GifStream {
    GifFileType* gif = nullptr;
    int descriptor = -1;
    int32_t width = 0;
    int32_t height = 0;
    bool globalPalette = false;
    PicturePalette palette; // the global one, or the current frame's
    std::vector<GifPixelType> indices;
    std::vector<uint8_t> buffer;
    bool discard = false; // abandoning: the trailer is not written
    std::string writeError;
    TransparentColour transparent;
    std::vector<uint32_t> exactColours; // kept exact in a picture of more than 256 colours
};

namespace {

bool FlushGifBuffer(GifStream* stream) {
    if (stream->buffer.empty() || !stream->writeError.empty()) {
        return stream->writeError.empty();
    }
    bool written = WriteAllBytes(stream->descriptor, stream->buffer.data(), stream->buffer.size(),
                                 &stream->writeError);
    stream->buffer.clear();
    return written;
}

int WriteGifBytes(GifFileType* gif, const GifByteType* bytes, int count) {
    auto* stream = static_cast<GifStream*>(gif->UserData);
    if (stream->discard) {
        return count;
    }
    if (!stream->writeError.empty()) {
        return 0;
    }
    stream->buffer.insert(stream->buffer.end(), bytes, bytes + count);
    if (stream->buffer.size() >= kGifBufferSize && !FlushGifBuffer(stream)) {
        return 0;
    }
    return count;
}

// The failure of a giflib call: the write error behind it when there was one.
std::string GifStreamError(const GifStream* stream, const char* what) {
    return stream->writeError.empty() ? GifError(what, stream->gif->Error) : stream->writeError;
}

// The application extension that makes viewers repeat the animation: loop count 0, forever.
bool PutLoopForever(GifStream* stream) {
    static const char kApplication[] = "NETSCAPE2.0";
    static const GifByteType kLoopCount[] = {1, 0, 0};
    GifFileType* gif = stream->gif;
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, kApplication) == GIF_OK &&
           EGifPutExtensionBlock(gif, 3, kLoopCount) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool PutGifHeader(GifStream* stream, const PicturePalette* palette, std::string* error) {
    ColorMapObject* map = nullptr;
    if (palette != nullptr) {
        map = MakeColourMap(*palette);
        if (map == nullptr) {
            *error = "out of memory for the GIF palette";
            return false;
        }
    }
    EGifSetGifVersion(stream->gif, true);
    bool written = EGifPutScreenDesc(stream->gif, stream->width, stream->height,
                                     kGifColourResolution, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!written || !PutLoopForever(stream)) {
        *error = GifStreamError(stream, "cannot write the GIF header");
        return false;
    }
    return true;
}

} // namespace

bool CollectColours(const uint32_t* pixels, std::size_t count, PicturePalette* palette) {
    uint32_t previous = 0;
    bool known = false;
    for (std::size_t pixel = 0; pixel < count; ++pixel) {
        if (known && pixels[pixel] == previous) {
            continue;
        }
        previous = pixels[pixel];
        known = true;
        if (palette->indices.count(previous) != 0) {
            continue;
        }
        if (palette->colours.size() >= static_cast<std::size_t>(kGifMaximumColours)) {
            return false;
        }
        palette->indices.emplace(previous, static_cast<uint8_t>(palette->colours.size()));
        palette->colours.push_back(previous);
    }
    return true;
}

GifStream* GifStreamBegin(int descriptor, int32_t width, int32_t height,
                          const PicturePalette* palette, std::string* error,
                          TransparentColour transparent) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
        *error = "a GIF cannot be " + std::to_string(width) + " x " + std::to_string(height);
        return nullptr;
    }
    auto* stream = new (std::nothrow) GifStream;
    if (stream == nullptr) {
        *error = "out of memory for the GIF";
        return nullptr;
    }
    stream->descriptor = descriptor;
    stream->width = width;
    stream->height = height;
    stream->transparent = transparent;
    stream->buffer.reserve(kGifBufferSize + 256);
    int code = 0;
    stream->gif = EGifOpen(stream, WriteGifBytes, &code);
    if (stream->gif == nullptr) {
        *error = GifError("cannot start the GIF", code);
        delete stream;
        return nullptr;
    }
    if (palette != nullptr) {
        stream->globalPalette = true;
        stream->palette = *palette;
    }
    if (!PutGifHeader(stream, palette, error)) {
        std::string ignored;
        GifStreamEnd(stream, true, &ignored);
        return nullptr;
    }
    return stream;
}

void GifStreamKeepExact(GifStream* stream, const std::vector<uint32_t>& colours) {
    stream->exactColours = colours;
    if (stream->transparent) {
        stream->exactColours.insert(stream->exactColours.begin(), *stream->transparent);
    }
}

bool GifStreamAddFrame(GifStream* stream, const uint32_t* pixels, int32_t delay,
                       std::string* error) {
    std::size_t count = static_cast<std::size_t>(stream->width) * stream->height;
    if (!stream->globalPalette) {
        stream->palette = PicturePalette{};
        if (!CollectColours(pixels, count, &stream->palette)) {
            stream->palette = ReducedPalette(pixels, count, stream->exactColours);
        }
    }
    if (!IndexPixels(pixels, count, stream->palette, &stream->indices)) {
        *error = "a picture has a colour that is missing from the GIF palette";
        return false;
    }
    ColorMapObject* map = nullptr;
    if (!stream->globalPalette && (map = MakeColourMap(stream->palette)) == nullptr) {
        *error = "out of memory for the GIF palette";
        return false;
    }
    GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    if (stream->transparent) {
        control.DisposalMode = DISPOSE_BACKGROUND;
        auto found = stream->palette.indices.find(*stream->transparent);
        if (found != stream->palette.indices.end()) {
            control.TransparentColor = found->second;
        }
    }
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    bool written =
        EGifPutExtension(stream->gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
        EGifPutImageDesc(stream->gif, 0, 0, stream->width, stream->height, false, map) == GIF_OK &&
        EGifPutLine(stream->gif, stream->indices.data(), static_cast<int>(count)) == GIF_OK;
    GifFreeMapObject(map);
    if (!written) {
        *error = GifStreamError(stream, "cannot write a GIF frame");
    }
    return written;
}

bool GifStreamEnd(GifStream* stream, bool abandon, std::string* error) {
    stream->discard = abandon;
    int code = 0;
    bool closed = EGifCloseFile(stream->gif, &code) == GIF_OK;
    bool flushed = abandon || FlushGifBuffer(stream);
    bool ended = abandon || (closed && flushed);
    if (!ended) {
        *error = !stream->writeError.empty() ? stream->writeError
                                             : GifError("cannot finish the GIF", code);
    }
    delete stream;
    return ended;
}

int32_t GifDelayForRate(int32_t framesPerSecond) {
    if (framesPerSecond <= 0) {
        return 1;
    }
    // 100 / rate rounded half up, in whole numbers.
    return std::max<int32_t>(1, (200 + framesPerSecond) / (2 * framesPerSecond));
}

bool WriteGifAnimation(const char* path, const PictureSequence& pictures, int32_t delay,
                       std::string* error) {
    return AtomicFileWriteThrough(
        path,
        [&](AtomicFile* file, std::string* failure) {
            return WriteGifAnimationTo(file, pictures, delay, failure);
        },
        error);
}

bool WriteGifAnimationTo(AtomicFile* file, const PictureSequence& pictures, int32_t delay,
                         std::string* error) {
    // First pass: the colours of every picture, for one global palette when they fit in it.
    int32_t total = pictures.count * 2;
    std::size_t pixelCount = static_cast<std::size_t>(pictures.width) * pictures.height;
    PicturePalette palette;
    bool shared = true;
    for (int32_t index = 0; index < pictures.count; ++index) {
        const uint32_t* pixels = pictures.draw(index);
        if (pixels == nullptr) {
            *error = kPicturesStopped;
            return false;
        }
        shared = shared && CollectColours(pixels, pixelCount, &palette);
        if (pictures.progress) {
            pictures.progress(index + 1, total);
        }
    }
    GifStream* stream =
        GifStreamBegin(file->descriptor, pictures.width, pictures.height,
                       shared ? &palette : nullptr, error, TransparentGround(pictures));
    bool written = stream != nullptr;
    if (written) {
        std::vector<uint32_t> exact = pictures.exactColours;
        exact.insert(exact.begin(), pictures.ground);
        GifStreamKeepExact(stream, exact);
    }
    for (int32_t index = 0; written && index < pictures.count; ++index) {
        const uint32_t* pixels = pictures.draw(index);
        if (pixels == nullptr) {
            *error = kPicturesStopped;
            written = false;
            break;
        }
        written = GifStreamAddFrame(stream, pixels, delay, error);
        if (written && pictures.progress) {
            pictures.progress(pictures.count + index + 1, total);
        }
    }
    if (stream != nullptr) {
        std::string endError;
        bool ended = GifStreamEnd(stream, !written, &endError);
        if (written && !ended) {
            *error = endError;
            written = false;
        }
    }
    return written;
}

TransparentColour TransparentGround(const PictureSequence& pictures) {
    return pictures.transparent ? TransparentColour(pictures.ground) : std::nullopt;
}

bool WritePngPicture(const char* path, const uint32_t* pixels, int32_t width, int32_t height,
                     std::string* error, TransparentColour transparent) {
    return AtomicFileWriteThrough(
        path,
        [&](AtomicFile* file, std::string* failure) {
            return WritePngPictureTo(file, pixels, width, height, failure, transparent);
        },
        error);
}

bool WritePngPictureTo(AtomicFile* file, const uint32_t* pixels, int32_t width, int32_t height,
                       std::string* error, TransparentColour transparent) {
    PngWriter* writer = PngWriterBegin(file, width, height, transparent.has_value(), error);
    if (writer == nullptr) {
        return false;
    }
    bool written = true;
    for (int32_t y = 0; written && y < height; ++y) {
        written = PngWriterAddRow(writer, pixels + static_cast<std::size_t>(y) * width, transparent,
                                  error);
    }
    std::string endError;
    if (!PngWriterEnd(writer, !written, &endError) && written) {
        *error = endError;
        written = false;
    }
    return written;
}
