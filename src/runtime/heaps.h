// The runtime's three heaps. The program heap (serialised) holds the arrays and every runtime
// record, the list heap the automatic entries of object tables, the string heap (used from the
// program thread only) the string variables and the text work buffer. None is destroyed before
// the process ends, except the program heap in the last shutdown step.
#pragma once

#include <cstddef>

void ProgramHeapCreate();
void ProgramHeapDestroy();
void StringHeapInit(); // start-up follows it with TextWorkBufferInit
void ListHeapInit();

// Zero-filled blocks; null when the heap cannot provide them.
void* ProgramHeapAllocate(std::size_t size);
void ProgramHeapFree(void* block);
void* ListHeapAllocate(std::size_t size);
void ListHeapFree(void* block);
void* StringHeapAllocate(std::size_t size);
void* StringHeapReallocate(void* block, std::size_t size);
void StringHeapFree(void* block);
