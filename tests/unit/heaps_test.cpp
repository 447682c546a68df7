// Heaps: blocks come zero-filled, also when they reuse freed memory, and a string block keeps
// its contents when it is resized.
#include "runtime/heaps.h"

#include <gtest/gtest.h>

#include <cstring>

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
