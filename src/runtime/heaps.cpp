// The runtime's heaps as memory resources: the program and list heaps are serialised pools, the
// string heap, touched by the program thread only, an unserialised one. Every block carries its
// size in front of it, so that blocks can be freed and resized by address alone.
#include "runtime/heaps.h"

#include <cstdint>
#include <cstring>
#include <new>

#if __has_include(<memory_resource>)
#include <memory_resource>
using HeapResource = std::pmr::memory_resource;
using SerialisedPool = std::pmr::synchronized_pool_resource;
using UnserialisedPool = std::pmr::unsynchronized_pool_resource;
#else
// A standard library without pool resources (the browser build's): every block comes from the
// global allocator, and a heap's blocks are freed one by one rather than with the heap.
struct HeapResource {
    void* allocate(std::size_t size, std::size_t alignment) {
        return ::operator new (size, std::align_val_t{alignment});
    }
    void deallocate(void* block, std::size_t /*size*/, std::size_t alignment) {
        ::operator delete (block, std::align_val_t{alignment});
    }
};
using SerialisedPool = HeapResource;
using UnserialisedPool = HeapResource;
#endif

namespace {

// Keeps the size of a block in front of it. Blocks are asked for at 8-byte alignment, which suits
// every record the runtime and the editor keep (doubles, pointers, 64-bit integers): the pools do
// not keep stricter alignments for every block size, so none is relied upon. The padding keeps
// the data 16 bytes into the block.
struct BlockHeader {
    std::size_t size;
    std::size_t padding;
};
constexpr std::size_t kBlockAlignment = alignof(std::size_t);

SerialisedPool* programHeap;
SerialisedPool* listHeap;
UnserialisedPool* stringHeap;

void* Allocate(HeapResource* heap, std::size_t size) {
    if (heap == nullptr || size > SIZE_MAX - sizeof(BlockHeader)) {
        return nullptr;
    }
    void* raw;
    try {
        raw = heap->allocate(sizeof(BlockHeader) + size, kBlockAlignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    auto* header = static_cast<BlockHeader*>(raw);
    header->size = size;
    std::memset(header + 1, 0, size);
    return header + 1;
}

void Free(HeapResource* heap, void* block) {
    if (heap == nullptr || block == nullptr) {
        return;
    }
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    heap->deallocate(header, sizeof(BlockHeader) + header->size, kBlockAlignment);
}

} // namespace

void ProgramHeapCreate() {
    if (programHeap == nullptr) {
        programHeap = new SerialisedPool();
    }
}

void ProgramHeapDestroy() {
    delete programHeap;
    programHeap = nullptr;
}

void StringHeapInit() {
    if (stringHeap == nullptr) {
        stringHeap = new UnserialisedPool();
    }
}

void ListHeapInit() {
    if (listHeap == nullptr) {
        listHeap = new SerialisedPool();
    }
}

void* ProgramHeapAllocate(std::size_t size) {
    ProgramHeapCreate();
    return Allocate(programHeap, size);
}
void ProgramHeapFree(void* block) {
    Free(programHeap, block);
}

void* ListHeapAllocate(std::size_t size) {
    ListHeapInit();
    return Allocate(listHeap, size);
}
void ListHeapFree(void* block) {
    Free(listHeap, block);
}

void* StringHeapAllocate(std::size_t size) {
    StringHeapInit();
    return Allocate(stringHeap, size);
}
void StringHeapFree(void* block) {
    Free(stringHeap, block);
}

void* StringHeapReallocate(void* block, std::size_t size) {
    if (block == nullptr) {
        return StringHeapAllocate(size);
    }
    std::size_t oldSize = (static_cast<BlockHeader*>(block) - 1)->size;
    void* moved = StringHeapAllocate(size);
    if (moved == nullptr) {
        return nullptr;
    }
    std::memcpy(moved, block, oldSize < size ? oldSize : size);
    StringHeapFree(block);
    return moved;
}
