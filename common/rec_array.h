// An ordered array of equal-size records that never move while they are in
// it: callers keep record addresses as handles. Header, pointer table and
// records all live in one numbered pool.
#pragma once

#include <cstddef>
#include <cstdint>

struct RecArray {
  uint32_t capacity;      // slots in the pointer table
  uint32_t count;         // records in use
  uint32_t spares;        // allocated, zero-filled, not in use
  uint32_t growth_step;   // slots added when full: the initial capacity
  uint32_t element_size;  // bytes per record
  int32_t unique;         // nonzero: no two records may be byte-equal
  int32_t pool_id;
  int32_t owns_pool;  // 1: the pool is destroyed with the array
  // Slots [0, count) are the records in order, the next `spares` slots the
  // spare records, the rest empty.
  void** table;
};

// Result codes of the array operations.
constexpr int32_t kArrOk = 0;
constexpr int32_t kArrDuplicate = -7;
constexpr int32_t kArrNoMemory = -8;
constexpr int32_t kArrNotFound = -9;
constexpr int32_t kArrOutOfRange = -10;

// Sort and search comparisons receive pointers to pointer-table slots (for
// the search: the key and a slot).
using ArrCompare = int (*)(const void*, const void*);

// A new array, or null. Pool id 0 makes the array create and own a pool.
// The initial capacity is also the growth step, so it must be at least 1.
RecArray* ArrCreate(uint32_t initial_capacity, uint32_t element_size, int unique, int32_t pool_id);
int32_t ArrAppend(RecArray* array, const void* record);
// An index above count inserts at the end.
int32_t ArrInsertAt(RecArray* array, const void* record, uint32_t index);
// A zero-filled record appended at the end, or null.
void* ArrAppendNew(RecArray* array);
int32_t ArrRemoveAt(RecArray* array, uint32_t index);
// Overwrites below count, appends at count, pads with zero records above it.
int32_t ArrSetAt(RecArray* array, const void* record, uint32_t index);
int32_t ArrGetAt(const RecArray* array, void* destination, uint32_t index);
uint32_t ArrCount(const RecArray* array);
uint32_t ArrElementSize(const RecArray* array);
int32_t ArrFind(const RecArray* array, const void* record, uint32_t* index);
int32_t ArrFindPtr(const RecArray* array, const void* record, uint32_t* index);
RecArray* ArrClear(RecArray* array);
void ArrDestroy(RecArray* array);
void ArrSort(RecArray* array, ArrCompare compare);
// The same sort (or a binary search) under the pool table's lock, with the
// context word readable by the comparison through ArrSortContext.
void ArrSortWithContext(RecArray* array, ArrCompare compare, uintptr_t context);
void* ArrSearchWithContext(RecArray* array, const void* key, ArrCompare compare, uintptr_t context);
uintptr_t ArrSortContext();

// The record at `index`, or null when it is not below count.
inline void* ArrAt(const RecArray* array, uint32_t index) {
  return index < array->count ? array->table[index] : nullptr;
}
