// Reading back written pictures through giflib and libpng, for the picture tests: every GIF frame
// as 0x00RRGGBB pixels with its delay, the loop count of the application extension, and PNGs.
#pragma once

#include <gif_lib.h>
#include <png.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

struct DecodedGif {
    int32_t width = 0;
    int32_t height = 0;
    int32_t loopCount = -1; // -1: no NETSCAPE2.0 extension before the first frame
    std::vector<std::vector<uint32_t>> frames;
    std::vector<int32_t> delays;
    std::vector<bool> ownPalette;     // the frame carries a colour table of its own
    std::vector<int64_t> transparent; // the colour of each frame's transparent index, or -1
    std::vector<int> disposal;
};

inline uint32_t PixelOf(const GifColorType& colour) {
    return uint32_t{colour.Red} << 16 | uint32_t{colour.Green} << 8 | uint32_t{colour.Blue};
}

// Empty frames when the file cannot be decoded.
inline DecodedGif DecodeGif(const std::string& path) {
    DecodedGif decoded;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return decoded;
    }
    decoded.width = gif->SWidth;
    decoded.height = gif->SHeight;
    for (int index = 0; index < gif->ImageCount; ++index) {
        const SavedImage& image = gif->SavedImages[index];
        const ExtensionBlock* blocks = image.ExtensionBlocks;
        for (int block = 0; index == 0 && block + 1 < image.ExtensionBlockCount; ++block) {
            if (blocks[block].Function == APPLICATION_EXT_FUNC_CODE &&
                std::memcmp(blocks[block].Bytes, "NETSCAPE2.0", 11) == 0) {
                decoded.loopCount = blocks[block + 1].Bytes[1] | blocks[block + 1].Bytes[2] << 8;
            }
        }
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        std::vector<uint32_t> pixels(static_cast<std::size_t>(image.ImageDesc.Width) *
                                     static_cast<std::size_t>(image.ImageDesc.Height));
        for (std::size_t pixel = 0; pixel < pixels.size(); ++pixel) {
            pixels[pixel] = PixelOf(map->Colors[image.RasterBits[pixel]]);
        }
        decoded.frames.push_back(pixels);
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, index, &control);
        decoded.delays.push_back(control.DelayTime);
        decoded.transparent.push_back(control.TransparentColor == NO_TRANSPARENT_COLOR
                                          ? -1
                                          : PixelOf(map->Colors[control.TransparentColor]));
        decoded.disposal.push_back(control.DisposalMode);
        decoded.ownPalette.push_back(image.ImageDesc.ColorMap != nullptr);
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

// The number of frames in a GIF, read without keeping their pixels; -1 when it cannot be read.
inline int32_t CountGifFrames(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) {
        return -1;
    }
    int32_t frames = 0;
    bool readable = true;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (readable && record != TERMINATE_RECORD_TYPE) {
        readable = DGifGetRecordType(gif, &record) == GIF_OK;
        int code = 0;
        GifByteType* block = nullptr;
        if (readable && record == IMAGE_DESC_RECORD_TYPE) {
            readable = DGifGetImageDesc(gif) == GIF_OK && DGifGetCode(gif, &code, &block) == GIF_OK;
            while (readable && block != nullptr) {
                readable = DGifGetCodeNext(gif, &block) == GIF_OK;
            }
            frames += readable ? 1 : 0;
        } else if (readable && record == EXTENSION_RECORD_TYPE) {
            readable = DGifGetExtension(gif, &code, &block) == GIF_OK;
            while (readable && block != nullptr) {
                readable = DGifGetExtensionNext(gif, &block) == GIF_OK;
            }
        }
    }
    DGifCloseFile(gif, &error);
    return readable ? frames : -1;
}

struct DecodedPng {
    int32_t width = 0;
    int32_t height = 0;
    bool hasAlpha = false;        // the file has an alpha channel
    std::vector<uint32_t> pixels; // 0x00RRGGBB; empty when the file cannot be decoded
    std::vector<uint8_t> alpha;   // with withAlpha: each pixel's alpha
};

inline DecodedPng DecodePng(const std::string& path, bool withAlpha = false) {
    DecodedPng decoded;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return decoded;
    }
    decoded.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::size_t channels = withAlpha ? 4 : 3;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0) {
        return decoded;
    }
    decoded.width = static_cast<int32_t>(image.width);
    decoded.height = static_cast<int32_t>(image.height);
    for (std::size_t pixel = 0; pixel * channels < bytes.size(); ++pixel) {
        const png_byte* at = &bytes[pixel * channels];
        decoded.pixels.push_back(PixelOf({at[0], at[1], at[2]}));
        if (withAlpha) {
            decoded.alpha.push_back(at[3]);
        }
    }
    return decoded;
}

// The names in a folder, for checking that no temporary file was left behind.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}
