// Zero-filled arrays with a header in front of the data, allocated in the program heap. The editor
// allocates its latch arrays and its two frame grids through these, once, at start-up.
#pragma once

#include <cstdint>

constexpr int32_t kArrayMaxDimensions = 4;

// The owner of an array: its data pointer, then one slot per dimension. Before a
// multi-dimensional allocation the caller writes each dimension's element count into the slots;
// the allocator turns every slot but the last into that index's stride in elements.
struct ArrayVariable {
    void* data;
    int32_t slots[kArrayMaxDimensions];
};

// Stands directly in front of every array's data.
struct ArrayHeader {
    int32_t dimensionCount;
    int32_t elementSize;
    int32_t reserved;
    ArrayVariable* owner;
    int32_t upperBound; // element count minus one, as handed to the allocator
    int32_t typeCode;   // 21 for the editor's integer arrays, 7 for its record arrays
};

constexpr int32_t kArrayTypeInteger = 21;
constexpr int32_t kArrayTypeRecord = 7;

// Allocates upperBound + 1 zeroed elements, stores the data pointer (null on failure) into the
// variable and returns it.
void* ArrayAllocate(int32_t upperBound, int32_t elementSize, int32_t reserved,
                    ArrayVariable* variable, int32_t typeCode);
// Counts already in variable->slots[0 .. dimensionCount); allocates product + 1 elements.
void* ArrayAllocateMulti(int32_t elementSize, int32_t dimensionCount, int32_t reserved,
                         ArrayVariable* variable, int32_t typeCode);
void ArrayRelease(void* data); // null does nothing
const ArrayHeader* ArrayHeaderOf(const void* data);
