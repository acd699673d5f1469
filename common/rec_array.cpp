#include "common/rec_array.h"

#include <cstdlib>
#include <cstring>

#include "common/pool.h"
#include "common/shared_mutex.h"

// Slot counts are 32-bit, so a table size in bytes always fits a size_t.
static_assert(sizeof(size_t) >= 8);

namespace {

uintptr_t g_sort_context = 0;

bool IsZero(const void* record, uint32_t size) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (uint32_t i = 0; i < size; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

// Index of the first record equal to `record` (null: all-zero), or -1.
int64_t FindEqual(const RecArray* array, const void* record) {
  for (uint32_t i = 0; i < array->count; ++i) {
    bool equal = record == nullptr ? IsZero(array->table[i], array->element_size)
                                   : std::memcmp(array->table[i], record, array->element_size) == 0;
    if (equal) return i;
  }
  return -1;
}

int32_t GrowIfFull(RecArray* array) {
  if (array->count < array->capacity) return kArrOk;
  if (array->capacity > UINT32_MAX - array->growth_step) return kArrNoMemory;
  uint32_t capacity = array->capacity + array->growth_step;
  void* table = PoolRealloc(array->pool_id, array->table, capacity * sizeof(void*));
  if (table == nullptr) return kArrNoMemory;
  array->table = static_cast<void**>(table);
  array->capacity = capacity;
  return kArrOk;
}

// Puts a copy of `record` (null: zeros) at `index` <= count. Returns the
// new record through `added`.
int32_t Insert(RecArray* array, const void* record, uint32_t index, bool check_unique,
               void** added) {
  if (check_unique && array->unique && FindEqual(array, record) >= 0) return kArrDuplicate;
  int32_t grown = GrowIfFull(array);
  if (grown != kArrOk) return grown;
  void** table = array->table;
  void* block;
  uint32_t used = array->count + array->spares;
  if (array->spares > 0) {
    // Appending takes the first spare, which already sits in slot count;
    // inserting takes the last one and shifts everything above the index.
    if (index == array->count) {
      block = table[index];
    } else {
      block = table[used - 1];
      std::memmove(&table[index + 1], &table[index], (used - 1 - index) * sizeof(void*));
    }
    --array->spares;
  } else {
    block = PoolAlloc(array->pool_id, array->element_size);
    if (block == nullptr) return kArrNoMemory;
    std::memmove(&table[index + 1], &table[index], (array->count - index) * sizeof(void*));
  }
  table[index] = block;
  if (record != nullptr) std::memcpy(block, record, array->element_size);
  ++array->count;
  if (added != nullptr) *added = block;
  return kArrOk;
}

}  // namespace

RecArray* ArrCreate(uint32_t initial_capacity, uint32_t element_size, int unique, int32_t pool_id) {
  if (initial_capacity == 0 || element_size == 0) return nullptr;
  bool owns_pool = pool_id == 0;
  if (owns_pool) {
    pool_id = PoolCreate();
    if (pool_id == -1) return nullptr;
  }
  auto* array = static_cast<RecArray*>(PoolAlloc(pool_id, sizeof(RecArray)));
  void* table = array == nullptr ? nullptr : PoolAlloc(pool_id, initial_capacity * sizeof(void*));
  if (table == nullptr) {
    if (array != nullptr) PoolFree(pool_id, array);
    if (owns_pool) PoolDestroy(pool_id);
    return nullptr;
  }
  array->capacity = initial_capacity;
  array->count = 0;
  array->spares = 0;
  array->growth_step = initial_capacity;
  array->element_size = element_size;
  array->unique = unique;
  array->pool_id = pool_id;
  array->owns_pool = owns_pool ? 1 : 0;
  array->table = static_cast<void**>(table);
  return array;
}

int32_t ArrAppend(RecArray* array, const void* record) {
  return Insert(array, record, array->count, true, nullptr);
}

int32_t ArrInsertAt(RecArray* array, const void* record, uint32_t index) {
  if (index > array->count) index = array->count;
  return Insert(array, record, index, true, nullptr);
}

void* ArrAppendNew(RecArray* array) {
  void* added = nullptr;
  if (Insert(array, nullptr, array->count, true, &added) != kArrOk) return nullptr;
  return added;
}

int32_t ArrRemoveAt(RecArray* array, uint32_t index) {
  if (index >= array->count) return kArrOutOfRange;
  void** table = array->table;
  void* block = table[index];
  std::memset(block, 0, array->element_size);
  uint32_t used = array->count + array->spares;
  std::memmove(&table[index], &table[index + 1], (used - 1 - index) * sizeof(void*));
  table[used - 1] = block;
  --array->count;
  ++array->spares;
  return kArrOk;
}

int32_t ArrSetAt(RecArray* array, const void* record, uint32_t index) {
  if (index < array->count) {
    if (array->unique && FindEqual(array, record) >= 0) return kArrDuplicate;
    std::memcpy(array->table[index], record, array->element_size);
    return kArrOk;
  }
  while (array->count < index) {
    int32_t padded = Insert(array, nullptr, array->count, false, nullptr);
    if (padded != kArrOk) return padded;
  }
  return ArrAppend(array, record);
}

int32_t ArrGetAt(const RecArray* array, void* destination, uint32_t index) {
  if (index >= array->count) return kArrOutOfRange;
  std::memcpy(destination, array->table[index], array->element_size);
  return kArrOk;
}

uint32_t ArrCount(const RecArray* array) {
  return array->count;
}

uint32_t ArrElementSize(const RecArray* array) {
  return array->element_size;
}

int32_t ArrFind(const RecArray* array, const void* record, uint32_t* index) {
  int64_t found = FindEqual(array, record);
  if (found < 0) return kArrNotFound;
  if (index != nullptr) *index = static_cast<uint32_t>(found);
  return kArrOk;
}

int32_t ArrFindPtr(const RecArray* array, const void* record, uint32_t* index) {
  for (uint32_t i = 0; i < array->count; ++i) {
    if (array->table[i] == record) {
      if (index != nullptr) *index = i;
      return kArrOk;
    }
  }
  return kArrNotFound;
}

RecArray* ArrClear(RecArray* array) {
  for (uint32_t i = 0; i < array->count; ++i) std::memset(array->table[i], 0, array->element_size);
  array->spares += array->count;
  array->count = 0;
  return array;
}

void ArrDestroy(RecArray* array) {
  if (array == nullptr) return;
  int32_t pool_id = array->pool_id;
  bool owns_pool = array->owns_pool != 0;
  uint32_t used = array->count + array->spares;
  for (uint32_t i = 0; i < used; ++i) PoolFree(pool_id, array->table[i]);
  PoolFree(pool_id, array->table);
  PoolFree(pool_id, array);
  if (owns_pool) PoolDestroy(pool_id);
}

void ArrSort(RecArray* array, ArrCompare compare) {
  if (array->count >= 2 && compare != nullptr)
    std::qsort(array->table, array->count, sizeof(void*), compare);
}

void ArrSortWithContext(RecArray* array, ArrCompare compare, uintptr_t context) {
  SharedMutexHold hold(PoolTableLock());
  g_sort_context = context;
  ArrSort(array, compare);
}

void* ArrSearchWithContext(RecArray* array, const void* key, ArrCompare compare,
                           uintptr_t context) {
  SharedMutexHold hold(PoolTableLock());
  g_sort_context = context;
  if (array->count == 0 || compare == nullptr) return nullptr;
  void* slot = std::bsearch(key, array->table, array->count, sizeof(void*), compare);
  return slot == nullptr ? nullptr : *static_cast<void**>(slot);
}

uintptr_t ArrSortContext() {
  return g_sort_context;
}
