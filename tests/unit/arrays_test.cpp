// Arrays: header contents, strides of multi-dimensional variables, zero fill, element addressing
// and release.
#include "runtime/arrays.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

namespace {

struct GridCell { // the size of the editor's bone record
    int32_t jointA;
    int32_t jointB;
    int32_t kind;
    double restLength;
};

TEST(ArraysTest, OneDimensionalArrayHasUpperBoundPlusOneZeroedElementsAndItsHeader) {
    ArrayVariable latch{};
    auto* data =
        static_cast<int32_t*>(ArrayAllocate(21, sizeof(int32_t), 0, &latch, kArrayTypeInteger));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(latch.data, data);
    const ArrayHeader* header = ArrayHeaderOf(data);
    EXPECT_EQ(header->dimensionCount, 1);
    EXPECT_EQ(header->elementSize, 4);
    EXPECT_EQ(header->reserved, 0);
    EXPECT_EQ(header->owner, &latch);
    EXPECT_EQ(header->upperBound, 21);
    EXPECT_EQ(header->typeCode, kArrayTypeInteger);
    for (int32_t index = 0; index <= 21; ++index) {
        EXPECT_EQ(data[index], 0);
    }
    data[21] = -1; // the last element belongs to the array (a sanitizer build would object)
    ArrayRelease(data);
}

TEST(ArraysTest, FrameGridOf501By501HasStridesHeaderAndZeroData) {
    ArrayVariable grid{};
    grid.slots[0] = 501;
    grid.slots[1] = 501;
    void* data = ArrayAllocateMulti(sizeof(GridCell), 2, 0, &grid, kArrayTypeRecord);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(grid.data, data);
    EXPECT_EQ(grid.slots[0], 501);
    EXPECT_EQ(grid.slots[1], 501);
    const ArrayHeader* header = ArrayHeaderOf(data);
    EXPECT_EQ(header->dimensionCount, 2);
    EXPECT_EQ(header->upperBound, 251001);
    EXPECT_EQ(header->elementSize, static_cast<int32_t>(sizeof(GridCell)));
    EXPECT_EQ(header->typeCode, kArrayTypeRecord);
    EXPECT_EQ(header->owner, &grid);

    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t total = std::size_t{251002} * sizeof(GridCell);
    std::size_t nonZero = 0;
    for (std::size_t index = 0; index < total; ++index) {
        nonZero += bytes[index] != 0;
    }
    EXPECT_EQ(nonZero, 0u);
    ArrayRelease(data);
}

TEST(ArraysTest, ElementIsAtRowTimesStridePlusColumn) {
    ArrayVariable grid{};
    grid.slots[0] = 3;
    grid.slots[1] = 5;
    auto* cells =
        static_cast<GridCell*>(ArrayAllocateMulti(sizeof(GridCell), 2, 0, &grid, kArrayTypeRecord));
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(grid.slots[0], 5) << "the first slot becomes the stride of the first index";
    EXPECT_EQ(grid.slots[1], 5);
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < 5; ++column) {
            cells[row * grid.slots[0] + column].kind = row * 10 + column;
        }
    }
    // Every (row, column) got a cell of its own: all 15 values survive.
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < 5; ++column) {
            EXPECT_EQ(cells[row * grid.slots[0] + column].kind, row * 10 + column);
        }
    }
    EXPECT_EQ(ArrayHeaderOf(cells)->upperBound, 15);
    ArrayRelease(cells);
}

TEST(ArraysTest, ThreeDimensionsTurnEachEarlierSlotIntoTheProductOfTheLaterCounts) {
    ArrayVariable cube{};
    cube.slots[0] = 2;
    cube.slots[1] = 3;
    cube.slots[2] = 4;
    void* data = ArrayAllocateMulti(1, 3, 0, &cube, kArrayTypeInteger);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(cube.slots[0], 12);
    EXPECT_EQ(cube.slots[1], 4);
    EXPECT_EQ(cube.slots[2], 4);
    EXPECT_EQ(ArrayHeaderOf(data)->dimensionCount, 3);
    EXPECT_EQ(ArrayHeaderOf(data)->upperBound, 24);
    ArrayRelease(data);
}

TEST(ArraysTest, ImpossibleShapesStoreNullIntoTheVariable) {
    ArrayVariable variable{};
    int32_t sentinel = 0;
    variable.data = &sentinel;
    EXPECT_EQ(ArrayAllocate(-1, 4, 0, &variable, kArrayTypeInteger), nullptr);
    EXPECT_EQ(variable.data, nullptr);

    variable.data = &sentinel;
    variable.slots[0] = 0;
    variable.slots[1] = 5;
    EXPECT_EQ(ArrayAllocateMulti(4, 2, 0, &variable, kArrayTypeInteger), nullptr);
    EXPECT_EQ(variable.data, nullptr);

    variable.data = &sentinel;
    variable.slots[0] = 65536;
    variable.slots[1] = 65536;
    EXPECT_EQ(ArrayAllocateMulti(4, 2, 0, &variable, kArrayTypeInteger), nullptr)
        << "an element count beyond 32 bits is refused, not wrapped";
    EXPECT_EQ(variable.data, nullptr);
}

TEST(ArraysTest, ReleasingNullDoesNothingAndReleasedBlocksCanBeAllocatedAgain) {
    ArrayRelease(nullptr);
    ArrayVariable variable{};
    void* first = ArrayAllocate(100, 8, 0, &variable, kArrayTypeInteger);
    ASSERT_NE(first, nullptr);
    static_cast<unsigned char*>(first)[5] = 0xAB;
    ArrayRelease(variable.data);
    auto* second = static_cast<unsigned char*>(ArrayAllocate(100, 8, 0, &variable, 21));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second[5], 0) << "a reused block is zero-filled again";
    ArrayRelease(second);
}

} // namespace
