#include "common/file_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/file_errors.h"
#include "common/memory.h"

namespace {

constexpr char kSignature[] = "FIL";
constexpr uint32_t kInitialRecords = 10;
constexpr uint32_t kCopyChunk = 10240;

bool Valid(FilHandle handle) {
  return handle != nullptr && std::memcmp(handle->signature, kSignature, 3) == 0;
}

int AccessFlags(uint32_t flags) {
  bool read = (flags & kFilOpenRead) != 0;
  bool write = (flags & kFilOpenWrite) != 0;
  if ((flags & kFilOpenReadWrite) != 0 || (read && write)) return O_RDWR;
  return write ? O_WRONLY : O_RDONLY;
}

void DropRecord(FilHandle handle) {
  RecArray* records = handle->owner->records;
  uint32_t index;
  if (ArrFindPtr(records, handle, &index) == kArrOk) ArrRemoveAt(records, index);
}

// Reads until `count` bytes came or the file ended; false on an error.
bool ReadFull(int fd, uint32_t count, void* buffer, uint32_t* done) {
  auto* bytes = static_cast<char*>(buffer);
  uint32_t got = 0;
  while (got < count) {
    ssize_t n = read(fd, bytes + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *done = got;
      return false;
    }
    if (n == 0) break;
    got += static_cast<uint32_t>(n);
  }
  *done = got;
  return true;
}

bool WriteFull(int fd, uint32_t count, const void* buffer) {
  const auto* bytes = static_cast<const char*>(buffer);
  uint32_t put = 0;
  while (put < count) {
    ssize_t n = write(fd, bytes + put, count - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    put += static_cast<uint32_t>(n);
  }
  return true;
}

int32_t Read(FilHandle handle, uint32_t count, void* buffer, uint32_t* done) {
  uint32_t got = 0;
  bool ok = (buffer != nullptr || count == 0) && ReadFull(handle->fd, count, buffer, &got);
  if (done != nullptr) *done = got;
  if (!ok) return kFilReadError;
  return got < count ? kFilShortRead : kFilOk;
}

int32_t Write(FilHandle handle, uint32_t count, const void* buffer) {
  if (buffer == nullptr && count != 0) return kFilWriteError;
  return WriteFull(handle->fd, count, buffer) ? kFilOk : kFilWriteError;
}

bool SeekTo(FilHandle handle, int64_t offset, int whence, int64_t* position) {
  off_t at = lseek(handle->fd, static_cast<off_t>(offset), whence);
  if (at < 0) return false;
  if (position != nullptr) *position = at;
  return true;
}

}  // namespace

int32_t FilListCreate(FilList** list) {
  if (list == nullptr) return kFilRefused;
  *list = static_cast<FilList*>(MemAlloc(sizeof(FilList)));
  return *list != nullptr ? kFilOk : kFilNoMemory;
}

void FilListDestroy(FilList* list) {
  if (list == nullptr) return;
  if (list->records != nullptr) {
    for (uint32_t i = 0; i < ArrCount(list->records); ++i) {
      auto* record = static_cast<FilRecord*>(ArrAt(list->records, i));
      if (record->fd >= 0) close(record->fd);
    }
    ArrDestroy(list->records);
  }
  MemFree(list);
}

int32_t FilOpen(FilList* list, FilHandle* handle, const char* path, uint32_t flags) {
  if (list == nullptr || handle == nullptr || path == nullptr) return kFilRefused;
  if ((flags & kFilOpenReplace) != 0 && (flags & kFilOpenCreate) == 0) return kFilRefused;
  if (std::strlen(path) >= kPlatPathMax) return kFilOpenError;
  if (list->records == nullptr) {
    list->records = ArrCreate(kInitialRecords, sizeof(FilRecord), 1, 0);
    if (list->records == nullptr) return kFilNoMemory;
  }

  auto* record = static_cast<FilRecord*>(ArrAppendNew(list->records));
  if (record == nullptr) return kFilMaxFiles;
  int access = AccessFlags(flags);
  int create = 0;
  if ((flags & kFilOpenCreate) != 0)
    create = O_CREAT | ((flags & kFilOpenReplace) != 0 ? O_TRUNC : O_EXCL);
  // O_EXCL makes the existence test and the creation one step.
  int fd = open(path, access | create | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    int32_t result = errno == EEXIST ? kFilExists : kFilOpenError;
    record->owner = list;
    DropRecord(record);
    return result;
  }
  std::memcpy(record->signature, kSignature, sizeof kSignature);
  record->fd = fd;
  std::strcpy(record->path, path);
  record->open_flags = access;
  record->open = 1;
  record->owner = list;
  *handle = record;
  return kFilOk;
}

int32_t FilClose(FilHandle handle, int remove) {
  if (!Valid(handle)) return kFilInvalidHandle;
  int32_t result = kFilOk;
  if (handle->fd >= 0 && close(handle->fd) != 0) result = kFilCloseError;
  if (remove != 0 && unlink(handle->path) != 0 && result == kFilOk) result = kFilDeleteError;
  DropRecord(handle);
  return result;
}

int32_t FilReadAt(FilHandle handle, int64_t offset, uint32_t count, void* buffer, uint32_t* done) {
  if (!Valid(handle)) return kFilInvalidHandle;
  if (done != nullptr) *done = 0;
  if (!SeekTo(handle, offset, SEEK_SET, nullptr)) return kFilReadError;
  return Read(handle, count, buffer, done);
}

int32_t FilWriteAt(FilHandle handle, int64_t offset, uint32_t count, const void* buffer) {
  if (!Valid(handle)) return kFilInvalidHandle;
  if (!SeekTo(handle, offset, SEEK_SET, nullptr)) return kFilWriteError;
  return Write(handle, count, buffer);
}

int32_t FilRead(FilHandle handle, uint32_t count, void* buffer, uint32_t* done) {
  if (!Valid(handle)) return kFilInvalidHandle;
  return Read(handle, count, buffer, done);
}

int32_t FilWrite(FilHandle handle, uint32_t count, const void* buffer) {
  if (!Valid(handle)) return kFilInvalidHandle;
  return Write(handle, count, buffer);
}

int32_t FilSeek(FilHandle handle, int64_t offset, int32_t origin, int64_t* position) {
  if (!Valid(handle)) return kFilInvalidHandle;
  static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin < kFilFromStart || origin > kFilFromEnd) return kFilSeekError;
  return SeekTo(handle, offset, kWhence[origin], position) ? kFilOk : kFilSeekError;
}

int32_t FilGetPos(FilHandle handle, int64_t* value, int32_t what) {
  if (!Valid(handle)) return kFilInvalidHandle;
  if (value == nullptr || (what != kFilSize && what != kFilPosition)) return kFilRefused;
  int64_t here;
  if (!SeekTo(handle, 0, SEEK_CUR, &here)) return kFilSeekError;
  if (what == kFilPosition) {
    *value = here;
    return kFilOk;
  }
  int64_t end;
  if (!SeekTo(handle, 0, SEEK_END, &end) || !SeekTo(handle, here, SEEK_SET, nullptr))
    return kFilSeekError;
  *value = end;
  return kFilOk;
}

int FilGetHandle(FilHandle handle) {
  return Valid(handle) ? handle->fd : -1;
}

int32_t FilRename(FilHandle handle, const char* new_path) {
  if (!Valid(handle)) return kFilInvalidHandle;
  if (new_path == nullptr || std::strlen(new_path) >= kPlatPathMax) return kFilRenameError;
  if (handle->fd < 0) return kFilOpenError;
  // A descriptor survives the rename, so the file stays open until its new
  // name is known to work: a failed rename loses nothing.
  if (!PlatRenameNoReplace(handle->path, new_path)) return kFilRenameError;
  std::strcpy(handle->path, new_path);
  bool closed = close(handle->fd) == 0;
  // Access only: the create and truncate flags of the first open would
  // empty the file now.
  handle->fd = open(new_path, handle->open_flags | O_CLOEXEC | O_NOCTTY);
  if (handle->fd < 0) {
    handle->open = 0;
    return kFilOpenError;
  }
  return closed ? kFilOk : kFilRenameError;
}

int32_t FilCopy(FilHandle destination, FilHandle source, int64_t offset, int64_t length) {
  if (!Valid(destination) || !Valid(source)) return kFilInvalidHandle;
  if (length < 0) return kFilRefused;
  int64_t start;
  if (!SeekTo(source, offset, SEEK_CUR, &start)) return kFilSeekError;
  if (length == 0) {
    // Bounded by the size at the start, so that a copy onto the same file
    // ends instead of chasing its own output.
    struct stat info;
    if (fstat(source->fd, &info) == 0 && S_ISREG(info.st_mode)) {
      if (info.st_size <= start) return kFilOk;
      length = info.st_size - start;
    }
  }
  auto* chunk = static_cast<char*>(MemAlloc(kCopyChunk));
  if (chunk == nullptr) return kFilNoMemory;
  int32_t result = kFilOk;
  int64_t left = length;  // 0: not bounded, up to the end of the source
  while (true) {
    uint32_t want = length != 0 && left < kCopyChunk ? static_cast<uint32_t>(left) : kCopyChunk;
    uint32_t got = 0;
    if (!ReadFull(source->fd, want, chunk, &got)) {
      result = kFilReadError;
      break;
    }
    if (got > 0) {
      if (!SeekTo(destination, 0, SEEK_END, nullptr)) {
        result = kFilSeekError;
        break;
      }
      if (!WriteFull(destination->fd, got, chunk)) {
        result = kFilWriteError;
        break;
      }
    }
    // ReadFull stops short only at the real end of the source.
    if (got < want) break;
    if (length != 0 && (left -= got) == 0) break;
  }
  MemFree(chunk);
  return result;
}

int32_t FilDelete(const char* path) {
  if (path == nullptr) return kFilRefused;
  return unlink(path) == 0 ? kFilOk : kFilDeleteError;
}
