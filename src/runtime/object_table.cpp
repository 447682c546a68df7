// Numbered-object tables: slots in one zero-filled block of the program heap that grows on demand,
// and automatic entries as a list in the list heap, newest first. Automatic numbers come from one
// process-wide counter, so a number once handed out never names a later object.
#include "runtime/object_table.h"

#include <cstddef>
#include <cstring>

#include "runtime/heaps.h"

struct AutomaticEntry {
    AutomaticEntry* older;
    AutomaticEntry* newer;
    int32_t number;
};

namespace {

// The payload follows the links at an alignment that suits any record.
constexpr std::size_t kEntryPayloadOffset =
    (sizeof(AutomaticEntry) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
    alignof(std::max_align_t);

int32_t nextAutomaticNumber = kFirstAutomaticNumber;

unsigned char* PayloadOf(AutomaticEntry* entry) {
    return reinterpret_cast<unsigned char*>(entry) + kEntryPayloadOffset;
}

// One fixed-size load: elements are at least one word long.
bool InUse(const unsigned char* element) {
    uint32_t firstWord;
    std::memcpy(&firstWord, element, sizeof firstWord);
    return firstWord != 0;
}

bool IsSlotNumber(const ObjectTable* table, int32_t number) {
    return number >= 0 && number < table->capacity;
}

unsigned char* SlotOf(const ObjectTable* table, int32_t number) {
    return table->elements + static_cast<std::size_t>(number) * table->elementSize;
}

AutomaticEntry* FindEntry(const ObjectTable* table, int32_t number) {
    if (number < kFirstAutomaticNumber) {
        return nullptr;
    }
    for (AutomaticEntry* entry = table->newestEntry; entry != nullptr; entry = entry->older) {
        if (entry->number == number) {
            return entry;
        }
    }
    return nullptr;
}

AutomaticEntry* OldestEntry(const ObjectTable* table) {
    AutomaticEntry* entry = table->newestEntry;
    while (entry != nullptr && entry->older != nullptr) {
        entry = entry->older;
    }
    return entry;
}

bool Grow(ObjectTable* table, int32_t capacity) {
    std::size_t oldBytes = static_cast<std::size_t>(table->capacity) * table->elementSize;
    std::size_t newBytes = static_cast<std::size_t>(capacity) * table->elementSize;
    auto* elements = static_cast<unsigned char*>(ProgramHeapAllocate(newBytes));
    if (elements == nullptr) {
        return false;
    }
    if (table->elements != nullptr) {
        std::memcpy(elements, table->elements, oldBytes);
        ProgramHeapFree(table->elements);
    }
    table->elements = elements;
    table->capacity = capacity;
    return true;
}

void* TakeAutomaticEntry(ObjectTable* table, int32_t* assignedNumber) {
    if (nextAutomaticNumber == INT32_MAX) {
        return nullptr;
    }
    auto* entry = static_cast<AutomaticEntry*>(
        ListHeapAllocate(kEntryPayloadOffset + static_cast<std::size_t>(table->elementSize)));
    if (entry == nullptr) {
        return nullptr;
    }
    entry->number = nextAutomaticNumber++;
    entry->older = table->newestEntry;
    if (table->newestEntry != nullptr) {
        table->newestEntry->newer = entry;
    }
    table->newestEntry = entry;
    if (assignedNumber != nullptr) {
        *assignedNumber = entry->number;
    }
    // A fresh entry holds no object yet, so there is nothing for the reuse callback to destroy.
    return PayloadOf(entry);
}

} // namespace

void ObjectTableCreate(ObjectTable* table, int32_t elementSize, int32_t growthStep,
                       void (*reuse)(int32_t number)) {
    *table = ObjectTable{};
    table->elementSize = elementSize > 4 ? elementSize : 4; // room for the first word
    table->growthStep = growthStep > 0 ? growthStep : 1;
    table->reuse = reuse;
    Grow(table, table->growthStep);
}

void* ObjectTableTake(ObjectTable* table, int32_t number, int32_t* assignedNumber) {
    if (number == kAutomaticNumber) {
        return TakeAutomaticEntry(table, assignedNumber);
    }
    if (number < 0 || number >= kFirstAutomaticNumber) {
        return nullptr;
    }
    if (number >= table->capacity &&
        (table->growthStep > INT32_MAX - number || !Grow(table, number + table->growthStep))) {
        return nullptr;
    }
    if (table->reuse != nullptr) {
        table->reuse(number);
    }
    if (assignedNumber != nullptr) {
        *assignedNumber = number;
    }
    // Taken after the callback, which may have moved the elements.
    return SlotOf(table, number);
}

void* ObjectTableFind(const ObjectTable* table, int32_t number) {
    if (IsSlotNumber(table, number)) {
        unsigned char* slot = SlotOf(table, number);
        return InUse(slot) ? slot : nullptr;
    }
    AutomaticEntry* entry = FindEntry(table, number);
    if (entry == nullptr || !InUse(PayloadOf(entry))) {
        return nullptr;
    }
    return PayloadOf(entry);
}

void ObjectTableFree(ObjectTable* table, int32_t number) {
    if (IsSlotNumber(table, number)) {
        std::memset(SlotOf(table, number), 0, static_cast<std::size_t>(table->elementSize));
        return;
    }
    AutomaticEntry* entry = FindEntry(table, number);
    if (entry == nullptr) {
        return;
    }
    if (entry->newer != nullptr) {
        entry->newer->older = entry->older;
    } else {
        table->newestEntry = entry->older;
    }
    if (entry->older != nullptr) {
        entry->older->newer = entry->newer;
    }
    // An iteration that was about to visit this entry continues with the one after it.
    if (table->iterationCursor == entry) {
        table->iterationCursor = entry->newer;
    }
    ListHeapFree(entry);
}

void* ObjectTableFirst(ObjectTable* table, int32_t* number) {
    table->iterationIndex = 0;
    table->iterationCursor = nullptr;
    return ObjectTableNext(table, number);
}

// iterationIndex is the next slot to look at, or -1 once the slots are done; iterationCursor is
// then the next automatic entry to look at, so freeing the element just returned is safe.
void* ObjectTableNext(ObjectTable* table, int32_t* number) {
    while (table->iterationIndex >= 0 && table->iterationIndex < table->capacity) {
        int32_t index = table->iterationIndex++;
        unsigned char* slot = SlotOf(table, index);
        if (InUse(slot)) {
            *number = index;
            return slot;
        }
    }
    if (table->iterationIndex >= 0) {
        table->iterationIndex = -1;
        table->iterationCursor = OldestEntry(table);
    }
    while (table->iterationCursor != nullptr) {
        AutomaticEntry* entry = table->iterationCursor;
        table->iterationCursor = entry->newer;
        if (InUse(PayloadOf(entry))) {
            *number = entry->number;
            return PayloadOf(entry);
        }
    }
    return nullptr;
}
