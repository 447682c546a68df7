// Each pixel's bytes are written in turn; the red and blue bytes trade places for BGRA.
#include "storage/pixel_rows.h"

void ConvertPixelRow(const uint32_t* pixels, int32_t count, PixelBytes order,
                     TransparentColour transparent, uint8_t* bytes) {
    bool bgra = order == PixelBytes::Bgra;
    bool alpha = order != PixelBytes::Rgb;
    for (int32_t x = 0; x < count; ++x) {
        uint32_t pixel = pixels[x];
        auto red = static_cast<uint8_t>(pixel >> 16);
        auto blue = static_cast<uint8_t>(pixel);
        *bytes++ = bgra ? blue : red;
        *bytes++ = static_cast<uint8_t>(pixel >> 8);
        *bytes++ = bgra ? red : blue;
        if (alpha) {
            *bytes++ = transparent && pixel == *transparent ? 0 : 0xFF;
        }
    }
}
