// Arrays as single zero-filled blocks of the program heap: the header, then the elements.
#include "runtime/arrays.h"

#include "runtime/heaps.h"

namespace {

// The header sits in a prefix padded to the strictest element alignment, so that the data of a
// grid of doubles starts aligned.
constexpr std::size_t kHeaderSpace = (sizeof(ArrayHeader) + alignof(std::max_align_t) - 1) /
                                     alignof(std::max_align_t) * alignof(std::max_align_t);

ArrayHeader* HeaderOf(void* data) {
    return reinterpret_cast<ArrayHeader*>(static_cast<unsigned char*>(data) - kHeaderSpace);
}

} // namespace

void* ArrayAllocate(int32_t upperBound, int32_t elementSize, int32_t reserved,
                    ArrayVariable* variable, int32_t typeCode) {
    void* data = nullptr;
    if (upperBound >= 0 && elementSize > 0) {
        std::size_t bytes = (static_cast<std::size_t>(upperBound) + 1) * elementSize;
        auto* block = static_cast<unsigned char*>(ProgramHeapAllocate(kHeaderSpace + bytes));
        if (block != nullptr) {
            data = block + kHeaderSpace;
            ArrayHeader* header = HeaderOf(data);
            header->dimensionCount = 1;
            header->elementSize = elementSize;
            header->reserved = reserved;
            header->owner = variable;
            header->upperBound = upperBound;
            header->typeCode = typeCode;
        }
    }
    if (variable != nullptr) {
        variable->data = data;
    }
    return data;
}

void* ArrayAllocateMulti(int32_t elementSize, int32_t dimensionCount, int32_t reserved,
                         ArrayVariable* variable, int32_t typeCode) {
    if (variable == nullptr || dimensionCount < 2 || dimensionCount > kArrayMaxDimensions) {
        return nullptr;
    }
    // Each slot but the last becomes the stride of its index: the product of the later counts.
    int64_t product = 1;
    for (int32_t dimension = dimensionCount - 1; dimension >= 0; --dimension) {
        int32_t count = variable->slots[dimension];
        if (count <= 0 || product * count > INT32_MAX - 1) {
            variable->data = nullptr;
            return nullptr;
        }
        if (dimension < dimensionCount - 1) {
            variable->slots[dimension] = static_cast<int32_t>(product);
        }
        product *= count;
    }
    // The product is handed over as the upper bound, so one element more than needed is made.
    void* data =
        ArrayAllocate(static_cast<int32_t>(product), elementSize, reserved, variable, typeCode);
    if (data != nullptr) {
        HeaderOf(data)->dimensionCount = dimensionCount;
    }
    return data;
}

void ArrayRelease(void* data) {
    if (data != nullptr) {
        ProgramHeapFree(static_cast<unsigned char*>(data) - kHeaderSpace);
    }
}

const ArrayHeader* ArrayHeaderOf(const void* data) {
    return data == nullptr ? nullptr : HeaderOf(const_cast<void*>(data));
}
