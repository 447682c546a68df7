// Scaling the picture into a window. Whole multiples repeat each pixel; other sizes interpolate
// between the four nearest pixels, in fixed point with 8 fraction bits, with the weights of each
// column worked out once per picture.
#include "runtime/picture_scaling.h"

#include <algorithm>
#include <vector>

namespace {

// The floor of a / b for b > 0.
int64_t FloorDivide(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// For each window column (or row) of the place: the picture column to its left and the weight of
// the one after it, 0 to 256, sampling at pixel centres.
struct Sample {
    int32_t index;
    int32_t next;
    uint32_t weight;
};

std::vector<Sample> Samples(int32_t pictureSize, int32_t placeSize) {
    std::vector<Sample> samples(static_cast<std::size_t>(placeSize));
    for (int32_t position = 0; position < placeSize; ++position) {
        // Centre of window pixel in picture pixels, times 256: ((p + 0.5) * P / S - 0.5) * 256.
        int64_t centre =
            (int64_t{2 * position + 1} * pictureSize * 256) / (2 * int64_t{placeSize}) - 128;
        centre = std::clamp<int64_t>(centre, 0, int64_t{pictureSize - 1} * 256);
        auto index = static_cast<int32_t>(centre >> 8);
        samples[position] = Sample{index, std::min(index + 1, pictureSize - 1),
                                   static_cast<uint32_t>(centre & 0xFF)};
    }
    return samples;
}

uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
    uint32_t redBlue = ((a & 0xFF00FF) * (256 - weight) + (b & 0xFF00FF) * weight) >> 8 & 0xFF00FF;
    uint32_t green = ((a & 0x00FF00) * (256 - weight) + (b & 0x00FF00) * weight) >> 8 & 0x00FF00;
    return redBlue | green;
}

void Sharp(const uint32_t* picture, int32_t pictureWidth, uint32_t* window, int32_t pitch,
           const PictureFit& fit) {
    int32_t multiple = fit.width / pictureWidth;
    for (int32_t row = 0; row < fit.height; ++row) {
        const uint32_t* source =
            picture + static_cast<std::ptrdiff_t>(row / multiple) * pictureWidth;
        uint32_t* target = window + static_cast<std::ptrdiff_t>(fit.top + row) * pitch + fit.left;
        if (row % multiple != 0) {
            std::copy(target - pitch, target - pitch + fit.width, target);
            continue;
        }
        if (multiple == 1) { // the usual window: a row copy instead of a fill per pixel
            std::copy(source, source + pictureWidth, target);
            continue;
        }
        for (int32_t column = 0; column < pictureWidth; ++column) {
            std::fill(target + column * multiple, target + (column + 1) * multiple, source[column]);
        }
    }
}

void Smooth(const uint32_t* picture, int32_t pictureWidth, int32_t pictureHeight, uint32_t* window,
            int32_t pitch, const PictureFit& fit) {
    std::vector<Sample> columns = Samples(pictureWidth, fit.width);
    std::vector<Sample> rows = Samples(pictureHeight, fit.height);
    for (int32_t row = 0; row < fit.height; ++row) {
        const Sample& vertical = rows[row];
        const uint32_t* upper =
            picture + static_cast<std::ptrdiff_t>(vertical.index) * pictureWidth;
        const uint32_t* lower = picture + static_cast<std::ptrdiff_t>(vertical.next) * pictureWidth;
        uint32_t* target = window + static_cast<std::ptrdiff_t>(fit.top + row) * pitch + fit.left;
        for (int32_t column = 0; column < fit.width; ++column) {
            const Sample& across = columns[column];
            uint32_t top = Blend(upper[across.index], upper[across.next], across.weight);
            uint32_t bottom = Blend(lower[across.index], lower[across.next], across.weight);
            target[column] = Blend(top, bottom, vertical.weight);
        }
    }
}

} // namespace

PictureFit FitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t windowWidth,
                      int32_t windowHeight) {
    PictureFit fit;
    if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) {
        return fit;
    }
    // The side that limits the scale sets the size; the other follows the picture's shape.
    if (int64_t{windowWidth} * pictureHeight <= int64_t{windowHeight} * pictureWidth) {
        fit.width = windowWidth;
        fit.height = static_cast<int32_t>(int64_t{windowWidth} * pictureHeight / pictureWidth);
    } else {
        fit.height = windowHeight;
        fit.width = static_cast<int32_t>(int64_t{windowHeight} * pictureWidth / pictureHeight);
    }
    fit.sharp =
        fit.width % pictureWidth == 0 && fit.height == fit.width / pictureWidth * pictureHeight;
    fit.left = (windowWidth - fit.width) / 2;
    fit.top = (windowHeight - fit.height) / 2;
    return fit;
}

int32_t OpeningMultiple(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth,
                        int32_t areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) {
        return 1;
    }
    int64_t across = int64_t{areaWidth} * 3 / 4 / pictureWidth;
    int64_t down = int64_t{areaHeight} * 3 / 4 / pictureHeight;
    return static_cast<int32_t>(std::clamp<int64_t>(std::min(across, down), 1, 64));
}

void ScalePicture(const uint32_t* picture, int32_t pictureWidth, int32_t pictureHeight,
                  uint32_t* window, int32_t windowWidth, int32_t windowHeight, int32_t pitch,
                  const PictureFit& fit) {
    if (fit.width <= 0 || fit.height <= 0 || fit.left + fit.width > windowWidth ||
        fit.top + fit.height > windowHeight) {
        return;
    }
    for (int32_t row = 0; row < windowHeight; ++row) {
        uint32_t* line = window + static_cast<std::ptrdiff_t>(row) * pitch;
        if (row < fit.top || row >= fit.top + fit.height) {
            std::fill(line, line + windowWidth, kDarkRest);
            continue;
        }
        std::fill(line, line + fit.left, kDarkRest);
        std::fill(line + fit.left + fit.width, line + windowWidth, kDarkRest);
    }
    if (fit.sharp) {
        Sharp(picture, pictureWidth, window, pitch, fit);
    } else {
        Smooth(picture, pictureWidth, pictureHeight, window, pitch, fit);
    }
}

void MapToPicture(const PictureFit& fit, int32_t pictureWidth, int32_t pictureHeight,
                  int32_t windowX, int32_t windowY, int32_t* x, int32_t* y) {
    if (fit.width <= 0 || fit.height <= 0) {
        *x = windowX;
        *y = windowY;
        return;
    }
    *x = static_cast<int32_t>(FloorDivide((int64_t{windowX} - fit.left) * pictureWidth, fit.width));
    *y =
        static_cast<int32_t>(FloorDivide((int64_t{windowY} - fit.top) * pictureHeight, fit.height));
}
