#include "common/rec_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/memory.h"
#include "common/pool.h"
#include "testing/test_env.h"

namespace {

class RecArrayTest : public ::testing::Test {
 protected:
  void SetUp() override { PoolTableInit(); }
  void TearDown() override {
    MemFailAfter(0);
    if (array_ != nullptr) ArrDestroy(array_);
    PoolTableTerm();
  }

  RecArray* Make(uint32_t capacity, int unique = 0) {
    array_ = ArrCreate(capacity, sizeof(int32_t), unique, 0);
    return array_;
  }

  std::vector<int32_t> Values() const {
    std::vector<int32_t> out;
    for (uint32_t i = 0; i < array_->count; ++i)
      out.push_back(*static_cast<int32_t*>(ArrAt(array_, i)));
    return out;
  }

  void Fill(std::initializer_list<int32_t> values) {
    for (int32_t v : values) ASSERT_EQ(ArrAppend(array_, &v), kArrOk);
  }

  RecArray* array_ = nullptr;
};

TEST_F(RecArrayTest, CreateRefusesAZeroCapacity) {
  EXPECT_EQ(ArrCreate(0, 4, 0, 0), nullptr);
  EXPECT_EQ(ArrCreate(4, 0, 0, 0), nullptr);
  EXPECT_EQ(PoolCreate(), 1);  // no pool was left behind
}

TEST_F(RecArrayTest, CreateFailuresGiveBackThePool) {
  for (long nth : {1L, 2L, 3L}) {  // pool growth is not needed: pool, header, table
    MemFailAfter(nth);
    RecArray* a = ArrCreate(4, 4, 0, 0);
    MemFailAfter(0);
    if (a != nullptr) ArrDestroy(a);
  }
  EXPECT_EQ(PoolCreate(), 1);
}

TEST_F(RecArrayTest, GrowsByTheInitialCapacityAndRecordsNeverMove) {
  Make(4);
  std::vector<void*> addresses;
  std::vector<uint32_t> capacities;
  for (int32_t v = 0; v < 13; ++v) {
    ASSERT_EQ(ArrAppend(array_, &v), kArrOk);
    addresses.push_back(ArrAt(array_, v));
    capacities.push_back(array_->capacity);
  }
  EXPECT_EQ(capacities, (std::vector<uint32_t>{4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12, 16}));
  for (uint32_t i = 0; i < 13; ++i) EXPECT_EQ(ArrAt(array_, i), addresses[i]);
}

TEST_F(RecArrayTest, SlotMechanics) {
  struct Case {
    const char* name;
    void (*act)(RecArray*);
    std::vector<int32_t> values;
    uint32_t spares;
  };
  const Case cases[] = {
      {"remove middle", [](RecArray* a) { ArrRemoveAt(a, 1); }, {10, 30}, 1},
      {"remove then append reuses the spare",
       [](RecArray* a) {
         ArrRemoveAt(a, 0);
         int32_t v = 40;
         ArrAppend(a, &v);
       },
       {20, 30, 40},
       0},
      {"insert in front",
       [](RecArray* a) {
         int32_t v = 5;
         ArrInsertAt(a, &v, 0);
       },
       {5, 10, 20, 30},
       0},
      {"insert above count appends",
       [](RecArray* a) {
         int32_t v = 99;
         ArrInsertAt(a, &v, 17);
       },
       {10, 20, 30, 99},
       0},
      {"set overwrites",
       [](RecArray* a) {
         int32_t v = 21;
         ArrSetAt(a, &v, 1);
       },
       {10, 21, 30},
       0},
      {"set at count appends",
       [](RecArray* a) {
         int32_t v = 40;
         ArrSetAt(a, &v, 3);
       },
       {10, 20, 30, 40},
       0},
      {"set three above count pads with zeros",
       [](RecArray* a) {
         int32_t v = 7;
         ArrSetAt(a, &v, 6);
       },
       {10, 20, 30, 0, 0, 0, 7},
       0},
      {"clear makes every record a spare", [](RecArray* a) { ArrClear(a); }, {}, 3},
      {"append new is zero", [](RecArray* a) { ArrAppendNew(a); }, {10, 20, 30, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (array_ != nullptr) ArrDestroy(array_);
    Make(4);
    Fill({10, 20, 30});
    c.act(array_);
    EXPECT_EQ(Values(), c.values);
    EXPECT_EQ(array_->spares, c.spares);
    // Spares are always zero-filled.
    for (uint32_t i = array_->count; i < array_->count + array_->spares; ++i)
      EXPECT_EQ(*static_cast<int32_t*>(array_->table[i]), 0);
  }
}

TEST_F(RecArrayTest, SpareBlocksAreReusedInOrder) {
  Make(4);
  Fill({10, 20, 30});
  void* first = ArrAt(array_, 0);
  void* second = ArrAt(array_, 1);
  ArrRemoveAt(array_, 0);  // spares: [first]
  ArrRemoveAt(array_, 0);  // spares: [first, second]
  int32_t v = 1;
  ASSERT_EQ(ArrAppend(array_, &v), kArrOk);  // append takes the first spare
  EXPECT_EQ(ArrAt(array_, 1), first);
  ASSERT_EQ(ArrInsertAt(array_, &v, 0), kArrOk);  // insert takes the last one
  EXPECT_EQ(ArrAt(array_, 0), second);
  EXPECT_EQ(array_->spares, 0u);
}

TEST_F(RecArrayTest, UniqueArraysRefuseEqualRecords) {
  Make(2, 1);
  Fill({1, 2});
  int32_t one = 1, two = 2, three = 3;
  EXPECT_EQ(ArrAppend(array_, &one), kArrDuplicate);
  EXPECT_EQ(ArrInsertAt(array_, &two, 0), kArrDuplicate);
  EXPECT_EQ(ArrSetAt(array_, &one, 0), kArrDuplicate);  // its own content too
  EXPECT_EQ(ArrSetAt(array_, &two, 0), kArrDuplicate);
  EXPECT_EQ(ArrSetAt(array_, &three, 5), kArrOk);  // padding zeros are not refused
  EXPECT_EQ(Values(), (std::vector<int32_t>{1, 2, 0, 0, 0, 3}));
  EXPECT_EQ(ArrAppendNew(array_), nullptr);  // an all-zero record is there
  EXPECT_EQ(array_->capacity, 6u);
}

TEST_F(RecArrayTest, OutOfRangeChangesNothing) {
  Make(4);
  int32_t out = -1;
  EXPECT_EQ(ArrRemoveAt(array_, 0), kArrOutOfRange);
  EXPECT_EQ(ArrGetAt(array_, &out, 0), kArrOutOfRange);
  EXPECT_EQ(out, -1);
  Fill({10, 20});
  EXPECT_EQ(ArrRemoveAt(array_, 2), kArrOutOfRange);
  EXPECT_EQ(Values(), (std::vector<int32_t>{10, 20}));
  EXPECT_EQ(array_->spares, 0u);
  EXPECT_EQ(ArrGetAt(array_, &out, 1), kArrOk);
  EXPECT_EQ(out, 20);
}

TEST_F(RecArrayTest, FindByContentAndByAddress) {
  Make(4);
  uint32_t index = 99;
  int32_t twenty = 20;
  EXPECT_EQ(ArrFind(array_, &twenty, &index), kArrNotFound);
  Fill({10, 20, 30, 20});
  EXPECT_EQ(ArrFind(array_, &twenty, &index), kArrOk);
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(ArrFindPtr(array_, ArrAt(array_, 2), &index), kArrOk);
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(ArrFindPtr(array_, &twenty, &index), kArrNotFound);
  EXPECT_EQ(ArrCount(array_), 4u);
  EXPECT_EQ(ArrElementSize(array_), sizeof(int32_t));
}

TEST_F(RecArrayTest, FailedGrowthOrAllocationLeavesTheArrayUnchanged) {
  Make(2);
  Fill({1, 2});
  int32_t v = 3;
  MemFailAfter(1);  // the table cannot grow
  EXPECT_EQ(ArrAppend(array_, &v), kArrNoMemory);
  EXPECT_EQ(array_->capacity, 2u);
  MemFailAfter(2);  // the table grows, the record block fails
  EXPECT_EQ(ArrInsertAt(array_, &v, 0), kArrNoMemory);
  EXPECT_EQ(Values(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(array_->capacity, 4u);  // a grown table stays grown
  MemFailAfter(1);
  EXPECT_EQ(ArrAppendNew(array_), nullptr);
  MemFailAfter(2);  // the second padding record fails; the first stays
  EXPECT_EQ(ArrSetAt(array_, &v, 4), kArrNoMemory);
  EXPECT_EQ(Values(), (std::vector<int32_t>{1, 2, 0}));
}

int CompareInts(const void* a, const void* b) {
  int32_t x = **static_cast<int32_t* const*>(a);
  int32_t y = **static_cast<int32_t* const*>(b);
  return (x > y) - (x < y);
}

int CompareWithContext(const void* a, const void* b) {
  int sign = ArrSortContext() == 1 ? -1 : 1;
  return sign * CompareInts(a, b);
}

TEST_F(RecArrayTest, SortMovesSlotsNotRecords) {
  Make(4);
  Fill({30, 10, 20});
  void* thirty = ArrAt(array_, 0);
  ArrSort(array_, CompareInts);
  EXPECT_EQ(Values(), (std::vector<int32_t>{10, 20, 30}));
  EXPECT_EQ(ArrAt(array_, 2), thirty);
  ArrSortWithContext(array_, CompareWithContext, 1);
  EXPECT_EQ(Values(), (std::vector<int32_t>{30, 20, 10}));
  ArrSort(array_, CompareInts);
  int32_t key_value = 20;
  int32_t* key = &key_value;
  EXPECT_EQ(ArrSearchWithContext(array_, &key, CompareWithContext, 0), ArrAt(array_, 1));
  key_value = 25;
  EXPECT_EQ(ArrSearchWithContext(array_, &key, CompareWithContext, 0), nullptr);
}

TEST_F(RecArrayTest, ArraysShareAPoolTheyDoNotOwn) {
  int32_t pool = PoolCreate();
  RecArray* a = ArrCreate(2, 8, 0, pool);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->owns_pool, 0);
  ArrAppendNew(a);
  ArrDestroy(a);
  EXPECT_NE(PoolAlloc(pool, 4), nullptr);  // the pool outlives the array
  PoolDestroy(pool);
}

}  // namespace
