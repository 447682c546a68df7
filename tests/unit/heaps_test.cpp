// Heaps: blocks come zero-filled, also when they reuse freed memory, and a string block keeps
// its contents when it is resized.
#include "runtime/heaps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool AllZero(const void* block, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (std::size_t index = 0; index < size; ++index) {
        if (bytes[index] != 0) {
            return false;
        }
    }
    return true;
}

TEST(HeapsTest, BlocksAreZeroFilledEvenWhenTheyReuseFreedMemory) {
    using Allocator = void* (*)(std::size_t);
    using Releaser = void (*)(void*);
    const std::pair<Allocator, Releaser> heaps[] = {{ProgramHeapAllocate, ProgramHeapFree},
                                                    {ListHeapAllocate, ListHeapFree},
                                                    {StringHeapAllocate, StringHeapFree}};
    for (const auto& [allocate, release] : heaps) {
        for (int round = 0; round < 8; ++round) {
            void* block = allocate(48);
            ASSERT_NE(block, nullptr);
            EXPECT_TRUE(AllZero(block, 48)) << "round " << round;
            std::memset(block, 0xCD, 48);
            release(block);
        }
    }
}

TEST(HeapsTest, ResizedStringBlockKeepsItsContents) {
    auto* block = static_cast<char*>(StringHeapAllocate(21));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "Ort zum Laden", 14);
    auto* larger = static_cast<char*>(StringHeapReallocate(block, 20000));
    ASSERT_NE(larger, nullptr);
    EXPECT_STREQ(larger, "Ort zum Laden");
    EXPECT_TRUE(AllZero(larger + 21, 20000 - 21)) << "the new tail starts zeroed";
    auto* smaller = static_cast<char*>(StringHeapReallocate(larger, 8));
    ASSERT_NE(smaller, nullptr);
    EXPECT_EQ(std::memcmp(smaller, "Ort zum ", 8), 0);
    StringHeapFree(smaller);
    StringHeapFree(nullptr);
    ProgramHeapFree(nullptr);
    ListHeapFree(nullptr);
}

} // namespace

namespace {

// Blocks of every small size, freed and taken again in a mixed order, each holding a double and
// a pointer: the records of the runtime and the editor need that alignment from every heap.
TEST(HeapsTest, BlocksOfEverySizeHoldDoublesAndPointersAfterMixedReuse) {
    using Allocator = void* (*)(std::size_t);
    using Releaser = void (*)(void*);
    const std::pair<Allocator, Releaser> heaps[] = {{ProgramHeapAllocate, ProgramHeapFree},
                                                    {ListHeapAllocate, ListHeapFree},
                                                    {StringHeapAllocate, StringHeapFree}};
    for (const auto& [allocate, release] : heaps) {
        std::vector<void*> blocks;
        for (std::size_t size = 1; size <= 400; size += 3) {
            blocks.push_back(allocate(size));
        }
        for (std::size_t index = 0; index < blocks.size(); index += 2) {
            release(blocks[index]);
        }
        for (std::size_t size = 16; size <= 400; size += 5) {
            void* block = allocate(size);
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(double), 0U);
            struct Record {
                double length;
                void* next;
            } record{1.5, block};
            std::memcpy(block, &record, sizeof(record));
            EXPECT_EQ(static_cast<Record*>(block)->length, 1.5);
            blocks.push_back(block);
        }
        for (std::size_t index = 1; index < blocks.size(); index += 2) {
            release(blocks[index]);
        }
    }
}

} // namespace
