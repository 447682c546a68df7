// The sprite sheet's shape when no number of columns is asked for.
#include "storage/sprite_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/picture_decoding.h"
#include "support/test_folder.h"

namespace {

// The smallest N whose N x N cells hold every picture, and only as many rows as are filled; the
// pictures are drawn all over, so that each cell is a whole 3 x 2 picture.
TEST(SpriteSheet, WithoutColumnsAskedRowsHoldTheSmallestSquaresNumberOfCells) {
    const std::string folder = MakeTestFolder("sheet");
    const std::vector<uint32_t> picture(3 * 2, 0xBBFF00);
    const struct {
        int32_t pictures, columns, rows;
    } cases[] = {{1, 1, 1}, {2, 2, 1}, {4, 2, 2}, {5, 3, 2}, {9, 3, 3}, {10, 4, 3}};
    for (const auto& test : cases) {
        PictureSequence pictures;
        pictures.count = test.pictures;
        pictures.width = 3;
        pictures.height = 2;
        pictures.ground = 0x141414;
        pictures.draw = [&picture](int32_t) { return picture.data(); };
        std::string error;
        std::string path = folder + "/sheet.png";
        ASSERT_TRUE(WriteSpriteSheet(path.c_str(), pictures, SheetSettings{}, &error)) << error;
        DecodedPng sheet = DecodePng(path);
        EXPECT_EQ(std::pair(sheet.width, sheet.height), std::pair(3 * test.columns, 2 * test.rows))
            << test.pictures << " pictures";
    }
    std::filesystem::remove_all(folder);
}

} // namespace
