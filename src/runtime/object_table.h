// Numbered objects (windows, fonts, files): a growable array of fixed-size slots addressed by
// number, plus automatic entries for number -1. A slot is in use when its first 32-bit word is
// non-zero. Automatic numbers start at kFirstAutomaticNumber, far above any slot a table will
// ever grow to, so the two can never collide.
#pragma once

#include <cstdint>

constexpr int32_t kAutomaticNumber = -1;
constexpr int32_t kFirstAutomaticNumber = 0x40000000;

struct AutomaticEntry;

struct ObjectTable {
    int32_t elementSize;
    int32_t growthStep; // also the first capacity
    int32_t capacity;
    AutomaticEntry* newestEntry;
    void (*reuse)(int32_t number); // called with the number each time a slot is taken
    int32_t iterationIndex;
    AutomaticEntry* iterationCursor;
    unsigned char* elements;
};

void ObjectTableCreate(ObjectTable* table, int32_t elementSize, int32_t growthStep,
                       void (*reuse)(int32_t number));
// Takes slot `number` (growing the table to number + growth step when needed) or, for -1, a new
// zeroed automatic entry; for a slot, calls the reuse callback with the number first (a new
// automatic entry holds nothing to destroy), then returns the slot.
// *assignedNumber receives the number (the automatic number for -1). Null for an invalid number.
void* ObjectTableTake(ObjectTable* table, int32_t number, int32_t* assignedNumber);
// The slot or entry when it is in use, else null.
void* ObjectTableFind(const ObjectTable* table, int32_t number);
void ObjectTableFree(ObjectTable* table, int32_t number);
// Iteration: in-use slots in index order, then automatic entries oldest to newest.
// Returns null at the end; *number receives the element's number.
void* ObjectTableFirst(ObjectTable* table, int32_t* number);
void* ObjectTableNext(ObjectTable* table, int32_t* number);
