// Numbered-object tables: growth, the reuse callback, lookups, freeing, iteration order and the
// rejection of numbers that name no slot or entry.
#include "runtime/object_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Record {
    int32_t handle;
    int32_t value;
};

std::vector<int32_t> reusedNumbers;

void RememberReuse(int32_t number) {
    reusedNumbers.push_back(number);
}

class ObjectTableTest : public testing::Test {
  protected:
    void SetUp() override {
        reusedNumbers.clear();
        ObjectTableCreate(&table, sizeof(Record), 16, RememberReuse);
    }

    Record* Open(int32_t number, int32_t handle, int32_t* assigned = nullptr) {
        auto* record = static_cast<Record*>(ObjectTableTake(&table, number, assigned));
        if (record != nullptr) {
            record->handle = handle;
        }
        return record;
    }

    std::vector<int32_t> IteratedNumbers() {
        std::vector<int32_t> numbers;
        int32_t number = 0;
        for (void* element = ObjectTableFirst(&table, &number); element != nullptr;
             element = ObjectTableNext(&table, &number)) {
            numbers.push_back(number);
        }
        return numbers;
    }

    ObjectTable table{};
};

TEST_F(ObjectTableTest, StartsWithGrowthStepOfZeroedSlots) {
    ASSERT_EQ(table.capacity, 16);
    for (int32_t index = 0; index < 16 * static_cast<int32_t>(sizeof(Record)); ++index) {
        EXPECT_EQ(table.elements[index], 0) << "byte " << index;
    }
}

TEST_F(ObjectTableTest, TakingSlotBeyondCapacityGrowsToNumberPlusGrowthStep) {
    Open(3, 33);
    ASSERT_NE(Open(20, 77), nullptr);
    EXPECT_EQ(table.capacity, 36);
    // The old contents survive the move, the new slots start zeroed.
    auto* kept = static_cast<Record*>(ObjectTableFind(&table, 3));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->handle, 33);
    for (int32_t number = 16; number < 36; ++number) {
        if (number != 20) {
            EXPECT_EQ(ObjectTableFind(&table, number), nullptr) << "slot " << number;
        }
    }
    EXPECT_EQ(static_cast<Record*>(ObjectTableFind(&table, 20))->handle, 77);
}

TEST_F(ObjectTableTest, TakingSlotWithinCapacityDoesNotGrow) {
    Open(15, 1);
    EXPECT_EQ(table.capacity, 16);
}

TEST_F(ObjectTableTest, ReuseCallbackSeesEveryTakeOfANumberedSlot) {
    Open(2, 5);
    Open(2, 6);
    Open(40, 7);
    EXPECT_EQ(reusedNumbers, (std::vector<int32_t>{2, 2, 40}));
}

TEST_F(ObjectTableTest, ReuseCallbackCanFreeTheSlotBeforeItIsHandedOut) {
    static ObjectTable* current;
    current = &table;
    table.reuse = [](int32_t number) { ObjectTableFree(current, number); };
    Open(4, 9)->value = 123;
    auto* again = static_cast<Record*>(ObjectTableTake(&table, 4, nullptr));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->handle, 0);
    EXPECT_EQ(again->value, 0);
}

TEST_F(ObjectTableTest, SlotIsFoundOnlyWhileItsFirstWordIsNonZero) {
    Record* record = Open(5, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(ObjectTableFind(&table, 5), nullptr);
    record->handle = 42;
    EXPECT_EQ(ObjectTableFind(&table, 5), record);
    ObjectTableFree(&table, 5);
    EXPECT_EQ(ObjectTableFind(&table, 5), nullptr);
    EXPECT_EQ(record->value, 0) << "freeing zeroes the whole slot";
}

TEST_F(ObjectTableTest, AutomaticNumbersLieAboveEverySlotAndCountUp) {
    int32_t first = 0;
    int32_t second = 0;
    Record* older = Open(kAutomaticNumber, 1, &first);
    Record* newer = Open(kAutomaticNumber, 2, &second);
    ASSERT_NE(older, nullptr);
    ASSERT_NE(newer, nullptr);
    EXPECT_GE(first, kFirstAutomaticNumber);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(ObjectTableFind(&table, first), older);
    EXPECT_EQ(ObjectTableFind(&table, second), newer);
    EXPECT_EQ(table.capacity, 16) << "automatic entries do not grow the slots";
}

TEST_F(ObjectTableTest, NewAutomaticEntryIsZeroed) {
    int32_t number = 0;
    auto* record = static_cast<Record*>(ObjectTableTake(&table, kAutomaticNumber, &number));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->handle, 0);
    EXPECT_EQ(record->value, 0);
    EXPECT_EQ(ObjectTableFind(&table, number), nullptr) << "not in use until its first word is set";
}

TEST_F(ObjectTableTest, FreedAutomaticEntryIsGoneAndItsNumberNotReused) {
    int32_t first = 0;
    int32_t second = 0;
    Open(kAutomaticNumber, 1, &first);
    ObjectTableFree(&table, first);
    EXPECT_EQ(ObjectTableFind(&table, first), nullptr);
    Open(kAutomaticNumber, 2, &second);
    EXPECT_NE(second, first);
    EXPECT_EQ(ObjectTableFind(&table, first), nullptr);
}

TEST_F(ObjectTableTest, IterationYieldsSlotsInOrderThenAutomaticEntriesOldestFirst) {
    int32_t older = 0;
    int32_t newer = 0;
    Open(kAutomaticNumber, 1, &older);
    Open(3, 3);
    Open(kAutomaticNumber, 2, &newer);
    Open(0, 4);
    Open(7, 0); // taken but never filled: not in use
    EXPECT_EQ(IteratedNumbers(), (std::vector<int32_t>{0, 3, older, newer}));
}

TEST_F(ObjectTableTest, IterationSurvivesFreeingTheElementJustReturned) {
    int32_t first = 0;
    int32_t second = 0;
    Open(1, 1);
    Open(kAutomaticNumber, 2, &first);
    Open(kAutomaticNumber, 3, &second);
    std::vector<int32_t> visited;
    int32_t number = 0;
    for (void* element = ObjectTableFirst(&table, &number); element != nullptr;
         element = ObjectTableNext(&table, &number)) {
        visited.push_back(number);
        ObjectTableFree(&table, number);
    }
    EXPECT_EQ(visited, (std::vector<int32_t>{1, first, second}));
    EXPECT_EQ(ObjectTableFirst(&table, &number), nullptr);
}

TEST_F(ObjectTableTest, InvalidNumbersAreRejected) {
    EXPECT_EQ(ObjectTableTake(&table, -2, nullptr), nullptr);
    EXPECT_EQ(ObjectTableTake(&table, INT32_MIN, nullptr), nullptr);
    EXPECT_EQ(ObjectTableTake(&table, kFirstAutomaticNumber, nullptr), nullptr);
    EXPECT_EQ(ObjectTableTake(&table, INT32_MAX, nullptr), nullptr);
    EXPECT_TRUE(reusedNumbers.empty()) << "a rejected number never reaches the callback";
    EXPECT_EQ(table.capacity, 16);

    Open(0, 1);
    EXPECT_EQ(ObjectTableFind(&table, -1), nullptr);
    EXPECT_EQ(ObjectTableFind(&table, -2), nullptr);
    EXPECT_EQ(ObjectTableFind(&table, 16), nullptr);
    EXPECT_EQ(ObjectTableFind(&table, kFirstAutomaticNumber - 1), nullptr);
    int32_t handedOut = 0;
    Open(kAutomaticNumber, 5, &handedOut);
    EXPECT_EQ(ObjectTableFind(&table, handedOut + 1), nullptr) << "never handed out";
    ObjectTableFree(&table, handedOut + 1);
    ObjectTableFree(&table, -2);
    EXPECT_NE(ObjectTableFind(&table, handedOut), nullptr);
    EXPECT_NE(ObjectTableFind(&table, 0), nullptr);
}

TEST_F(ObjectTableTest, AutomaticNumbersOfOneTableAreUnknownToAnother) {
    ObjectTable other{};
    ObjectTableCreate(&other, sizeof(Record), 4, nullptr);
    int32_t number = 0;
    Open(kAutomaticNumber, 9, &number);
    EXPECT_EQ(ObjectTableFind(&other, number), nullptr);
}

} // namespace
