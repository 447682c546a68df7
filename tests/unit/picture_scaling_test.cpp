// The picture scaled smoothly into a window that is no whole multiple of it.
#include "runtime/picture_scaling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Each window pixel takes the picture at its own centre, blended from the four pixels around it: a
// picture of ramps (red rising 40 a column, blue 40 a row) shows the ramps' values there.
TEST(PictureScaling, SmoothScalingTakesThePictureAtEachWindowPixelsCentre) {
    const struct {
        int32_t pictureWidth, pictureHeight, windowWidth, windowHeight;
    } cases[] = {{5, 4, 8, 7}, {4, 3, 7, 5}, {6, 5, 4, 4}, {3, 3, 10, 10}};
    // The ramp at the centre of window pixel `position` of `place`, the picture `size` across.
    auto ramp = [](int32_t position, int32_t place, int32_t size) {
        return 40 * std::clamp((position + 0.5) * size / place - 0.5, 0.0, size - 1.0);
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::to_string(test.windowWidth) + " x " + std::to_string(test.windowHeight));
        std::vector<uint32_t> picture;
        for (int32_t y = 0; y < test.pictureHeight; ++y) {
            for (int32_t x = 0; x < test.pictureWidth; ++x) {
                picture.push_back(static_cast<uint32_t>(40 * x) << 16 |
                                  static_cast<uint32_t>(40 * y));
            }
        }
        PictureFit fit =
            FitPicture(test.pictureWidth, test.pictureHeight, test.windowWidth, test.windowHeight);
        ASSERT_FALSE(fit.sharp);
        std::vector<uint32_t> window(static_cast<std::size_t>(test.windowWidth) *
                                     test.windowHeight);
        ScalePicture(picture.data(), test.pictureWidth, test.pictureHeight, window.data(),
                     test.windowWidth, test.windowHeight, test.windowWidth, fit);
        double worst = 0; // the furthest any pixel lies from the ramps, in either channel
        for (int32_t row = 0; row < fit.height; ++row) {
            for (int32_t column = 0; column < fit.width; ++column) {
                uint32_t pixel = window[(fit.top + row) * test.windowWidth + fit.left + column];
                worst = std::max(
                    {worst, std::abs((pixel >> 16) - ramp(column, fit.width, test.pictureWidth)),
                     std::abs((pixel & 0xFFFF) - ramp(row, fit.height, test.pictureHeight))});
            }
        }
        EXPECT_LE(worst, 1.5);
    }
}

} // namespace
