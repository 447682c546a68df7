// The picture in a window of any size, for the backends: where it goes with its shape kept, the
// window's pixels made from it (whole multiples as sharp squares, other sizes smoothly, the rest
// dark), a pointer position mapped back into the picture, and the multiple a window opens at.
#pragma once

#include <cstdint>

struct PictureFit {
    int32_t left = 0; // the picture's place in the window
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool sharp = true; // a whole multiple: each pixel a square of whole pixels
};

// The largest place for a pictureWidth x pictureHeight picture in the window with its shape kept,
// centred. A whole multiple fits exactly when the window's shorter side allows one.
PictureFit FitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t windowWidth,
                      int32_t windowHeight);
// The largest whole multiple (at least 1) whose window fits in three quarters of the area.
int32_t OpeningMultiple(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth,
                        int32_t areaHeight);
// Fills the window's pixels (0x00RRGGBB, `pitch` pixels a row) from the picture placed by `fit`,
// the rest with kDarkRest.
constexpr uint32_t kDarkRest = 0x000000;
void ScalePicture(const uint32_t* picture, int32_t pictureWidth, int32_t pictureHeight,
                  uint32_t* window, int32_t windowWidth, int32_t windowHeight, int32_t pitch,
                  const PictureFit& fit);
// A window position as a picture position: the picture pixel under it, which lies outside the
// picture over the dark rest.
void MapToPicture(const PictureFit& fit, int32_t pictureWidth, int32_t pictureHeight,
                  int32_t windowX, int32_t windowY, int32_t* x, int32_t* y);
