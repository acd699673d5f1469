// A thin file layer over POSIX descriptors with the layer's own result codes
// (common/file_errors.h). A user keeps a FilList; each open file is a record
// in the list's record array, and the record's address is the handle handed
// out. A record is valid only while it starts with its signature: closing
// zero-fills it, so a stale handle is refused with 4010 until a later open
// of the same list takes that record again; from then on the stale handle
// names the new file. A handle must not be used after its close (nor after
// its list is destroyed, which frees the records).
#pragma once

#include <cstdint>

#include "common/rec_array.h"
#include "platform/file_system.h"

struct FilList {
  RecArray* records;  // created by the first open
};

struct FilRecord {
  char signature[4];  // "FIL" and its NUL
  int32_t fd;         // -1 once a rename lost the file
  // What reopening the file needs: its path and its access flags.
  char path[kPlatPathMax];
  int32_t open_flags;
  uint32_t open;  // 1 once opened
  FilList* owner;
};

using FilHandle = FilRecord*;

// FilOpen flags.
enum : uint32_t {
  kFilOpenRead = 1,
  kFilOpenWrite = 2,
  kFilOpenReadWrite = 4,
  kFilOpenCreate = 8,
  kFilOpenReplace = 16,  // only together with kFilOpenCreate
};

// FilSeek origins and FilGetPos values.
enum : int32_t { kFilFromStart = 0, kFilFromCurrent = 1, kFilFromEnd = 2 };
enum : int32_t { kFilSize = 1, kFilPosition = 2 };

// 0 with an empty list in *list; 4013 without memory, 1 for a null address.
int32_t FilListCreate(FilList** list);
// Closes the files still open, then frees the records and the holder.
void FilListDestroy(FilList* list);

// Opens `path` into a new record of the list. Access is read-write for 4 or
// for 1 and 2 together, write-only for 2, else read-only. 8 creates the file
// and fails with 4014 when it exists; 8 with 16 creates or truncates it; 16
// without 8 is refused with 1. Also 4006 when no record can be added, 4013
// when the list's array cannot be made, 4003 when the open fails. On every
// failure the list is as it was.
int32_t FilOpen(FilList* list, FilHandle* handle, const char* path, uint32_t flags);
// Closes the file, deletes it when `remove` is nonzero and drops the record:
// 0, 4007 when closing failed (the record is dropped all the same), 4008
// when the delete failed.
int32_t FilClose(FilHandle handle, int remove);

// Reads up to `count` bytes from `offset` (from the start); the position
// ends after them. 0, 2 when the file ended first (`*done` says how many
// came), 4004 on a seek or read error.
int32_t FilReadAt(FilHandle handle, int64_t offset, uint32_t count, void* buffer, uint32_t* done);
// Writes all `count` bytes at `offset`: 0, or 4005.
int32_t FilWriteAt(FilHandle handle, int64_t offset, uint32_t count, const void* buffer);
// The same at the current position.
int32_t FilRead(FilHandle handle, uint32_t count, void* buffer, uint32_t* done);
int32_t FilWrite(FilHandle handle, uint32_t count, const void* buffer);

// 0 with the new position in *position (may be null), or 4009.
int32_t FilSeek(FilHandle handle, int64_t offset, int32_t origin, int64_t* position);
// The file's size (kFilSize) or the current position (kFilPosition): 0, 4009,
// or 1 for another `what` or a null `value`.
int32_t FilGetPos(FilHandle handle, int64_t* value, int32_t what);
// The record's descriptor, or -1 for an invalid handle.
int FilGetHandle(FilHandle handle);

// Gives the open file the new path and reopens it there with the access it
// had, at position 0. 4012 when renaming fails (the file stays open under
// its old path), also when a file already has the new path (it is never
// replaced) or the path does not fit the record; 4003 when the reopen
// fails, after which reads and writes fail until the record is closed.
int32_t FilRename(FilHandle handle, const char* new_path);

// Appends `length` bytes of the source (0: up to its end as it was when the
// copy began), from `offset` past its current position, to the end of the
// destination. 0 once the data ended; 4013 without buffer memory; 4009,
// 4004 or 4005 when a seek, read or write fails; 1 for a negative length.
int32_t FilCopy(FilHandle destination, FilHandle source, int64_t offset, int64_t length);

// 0, or 4008 when the file cannot be deleted.
int32_t FilDelete(const char* path);
