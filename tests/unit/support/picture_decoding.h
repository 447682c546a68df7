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
    bool read = false;
    int32_t width = 0;
    int32_t height = 0;
    int32_t loopCount = -1; // -1: no NETSCAPE2.0 extension
    std::vector<std::vector<uint32_t>> frames;
    std::vector<int32_t> delays;
    std::vector<bool> ownPalette; // the frame carries a colour table of its own

    uint32_t Pixel(std::size_t frame, int32_t x, int32_t y) const {
        return frames[frame][static_cast<std::size_t>(y) * width + x];
    }
};

inline int32_t LoopCountOf(const SavedImage& image) {
    for (int index = 0; index + 1 < image.ExtensionBlockCount; ++index) {
        const ExtensionBlock& block = image.ExtensionBlocks[index];
        const ExtensionBlock& data = image.ExtensionBlocks[index + 1];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 &&
            data.Bytes[0] == 1) {
            return data.Bytes[1] | data.Bytes[2] << 8;
        }
    }
    return -1;
}

inline DecodedGif DecodeGif(const std::string& path) {
    DecodedGif decoded;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) {
        return decoded;
    }
    if (DGifSlurp(gif) == GIF_OK) {
        decoded.read = true;
        decoded.width = gif->SWidth;
        decoded.height = gif->SHeight;
        for (int index = 0; index < gif->ImageCount; ++index) {
            const SavedImage& image = gif->SavedImages[index];
            if (index == 0) {
                decoded.loopCount = LoopCountOf(image);
            }
            const ColorMapObject* map =
                image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
            std::size_t count = static_cast<std::size_t>(image.ImageDesc.Width) *
                                static_cast<std::size_t>(image.ImageDesc.Height);
            std::vector<uint32_t> pixels(count);
            for (std::size_t pixel = 0; pixel < count && map != nullptr; ++pixel) {
                const GifColorType& colour = map->Colors[image.RasterBits[pixel]];
                pixels[pixel] = uint32_t{colour.Red} << 16 | uint32_t{colour.Green} << 8 |
                                uint32_t{colour.Blue};
            }
            decoded.frames.push_back(pixels);
            GraphicsControlBlock control{};
            DGifSavedExtensionToGCB(gif, index, &control);
            decoded.delays.push_back(control.DelayTime);
            decoded.ownPalette.push_back(image.ImageDesc.ColorMap != nullptr);
        }
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

struct DecodedPng {
    bool read = false;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB

    uint32_t Pixel(int32_t x, int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
};

inline DecodedPng DecodePng(const std::string& path) {
    DecodedPng decoded;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return decoded;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0) {
        return decoded;
    }
    decoded.read = true;
    decoded.width = static_cast<int32_t>(image.width);
    decoded.height = static_cast<int32_t>(image.height);
    for (std::size_t pixel = 0; pixel * 3 < bytes.size(); ++pixel) {
        decoded.pixels.push_back(uint32_t{bytes[pixel * 3]} << 16 |
                                 uint32_t{bytes[pixel * 3 + 1]} << 8 | bytes[pixel * 3 + 2]);
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
