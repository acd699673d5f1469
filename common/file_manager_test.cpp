#include "common/file_manager.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/file_errors.h"
#include "common/memory.h"
#include "common/pool.h"
#include "testing/temp_dir.h"
#include "testing/test_env.h"

namespace {

class FilManager : public testing::Test {
 protected:
  void SetUp() override {
    PoolTableInit();
    ASSERT_EQ(FilListCreate(&list_), kFilOk);
  }
  void TearDown() override {
    MemFailAfter(0);
    FilListDestroy(list_);
    PoolTableTerm();
  }

  FilHandle Open(const std::string& path, uint32_t flags) {
    FilHandle handle = nullptr;
    EXPECT_EQ(FilOpen(list_, &handle, path.c_str(), flags), kFilOk) << path;
    return handle;
  }
  uint32_t Count() const { return list_->records == nullptr ? 0 : ArrCount(list_->records); }

  FilList* list_ = nullptr;
  TempDir dir_;
};

TEST_F(FilManager, OpenFlagCombinations) {
  struct Case {
    uint32_t flags;
    bool exists;
    int32_t result;
    const char* content_after;  // null: no file
    bool readable;
    bool writable;
  } cases[] = {
      {kFilOpenRead, true, kFilOk, "old", true, false},
      {kFilOpenWrite, true, kFilOk, "old", false, true},
      {kFilOpenReadWrite, true, kFilOk, "old", true, true},
      {kFilOpenRead | kFilOpenWrite, true, kFilOk, "old", true, true},
      {kFilOpenRead, false, kFilOpenError, nullptr, false, false},
      {kFilOpenCreate | kFilOpenReadWrite, false, kFilOk, "", true, true},
      {kFilOpenCreate | kFilOpenReadWrite, true, kFilExists, "old", false, false},
      {kFilOpenCreate, true, kFilExists, "old", false, false},
      {kFilOpenCreate | kFilOpenReplace | kFilOpenWrite, true, kFilOk, "", false, true},
      {kFilOpenCreate | kFilOpenReplace | kFilOpenWrite, false, kFilOk, "", false, true},
      {kFilOpenReplace, true, kFilRefused, "old", false, false},
      {kFilOpenReplace | kFilOpenReadWrite, false, kFilRefused, nullptr, false, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("flags " + std::to_string(c.flags) + (c.exists ? " existing" : " missing"));
    std::string name = "f" + std::to_string(n++);
    if (c.exists) dir_.Write(name, "old");
    uint32_t before = Count();
    FilHandle handle = nullptr;
    ASSERT_EQ(FilOpen(list_, &handle, dir_.Path(name).c_str(), c.flags), c.result);
    EXPECT_EQ(Count(), before + (c.result == kFilOk ? 1 : 0));
    EXPECT_EQ(access(dir_.Path(name).c_str(), F_OK) == 0, c.content_after != nullptr);
    if (c.content_after != nullptr) {
      EXPECT_EQ(dir_.Read(name), c.content_after);
    }
    if (c.result != kFilOk) continue;
    char byte;
    uint32_t done;
    EXPECT_EQ(FilReadAt(handle, 0, 1, &byte, &done) != kFilReadError, c.readable);
    EXPECT_EQ(FilWriteAt(handle, 0, 1, "x") == kFilOk, c.writable);
    EXPECT_EQ(FilClose(handle, 0), kFilOk);
  }
}

TEST_F(FilManager, AStaleHandleIsRefusedEverywhere) {
  FilHandle live = Open(dir_.Write("live", "abc"), kFilOpenReadWrite);
  FilHandle stale = Open(dir_.Write("stale", "abc"), kFilOpenReadWrite);
  ASSERT_EQ(FilClose(stale, 0), kFilOk);
  char buffer[4];
  uint32_t done;
  int64_t value;
  for (FilHandle handle : {stale, static_cast<FilHandle>(nullptr)}) {
    EXPECT_EQ(FilClose(handle, 1), kFilInvalidHandle);
    EXPECT_EQ(FilReadAt(handle, 0, 1, buffer, &done), kFilInvalidHandle);
    EXPECT_EQ(FilWriteAt(handle, 0, 1, "x"), kFilInvalidHandle);
    EXPECT_EQ(FilRead(handle, 1, buffer, &done), kFilInvalidHandle);
    EXPECT_EQ(FilWrite(handle, 1, "x"), kFilInvalidHandle);
    EXPECT_EQ(FilSeek(handle, 0, kFilFromStart, &value), kFilInvalidHandle);
    EXPECT_EQ(FilGetPos(handle, &value, kFilSize), kFilInvalidHandle);
    EXPECT_EQ(FilGetHandle(handle), -1);
    EXPECT_EQ(FilRename(handle, dir_.Path("renamed").c_str()), kFilInvalidHandle);
    EXPECT_EQ(FilCopy(live, handle, 0, 0), kFilInvalidHandle);
    EXPECT_EQ(FilCopy(handle, live, 0, 0), kFilInvalidHandle);
  }
  // Nothing reached the closed file.
  EXPECT_EQ(dir_.Read("stale"), "abc");
  EXPECT_EQ(access(dir_.Path("renamed").c_str(), F_OK), -1);
  EXPECT_EQ(Count(), 1u);
}

TEST_F(FilManager, ReadsAtAndPastTheEnd) {
  FilHandle handle = Open(dir_.Write("data", "hello"), kFilOpenRead);
  struct Case {
    int64_t offset;
    uint32_t count;
    int32_t result;
    std::string data;
  } cases[] = {
      {0, 5, kFilOk, "hello"},   {1, 3, kFilOk, "ell"},      {3, 5, kFilShortRead, "lo"},
      {5, 1, kFilShortRead, ""}, {50, 4, kFilShortRead, ""}, {-1, 1, kFilReadError, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("offset " + std::to_string(c.offset) + " count " + std::to_string(c.count));
    char buffer[8] = {};
    uint32_t done = 99;
    EXPECT_EQ(FilReadAt(handle, c.offset, c.count, buffer, &done), c.result);
    EXPECT_EQ(std::string(buffer, done), c.data);
  }
  // A read at an offset leaves the position after its data.
  char buffer[8] = {};
  uint32_t done;
  ASSERT_EQ(FilReadAt(handle, 0, 2, buffer, &done), kFilOk);
  EXPECT_EQ(FilRead(handle, 5, buffer, &done), kFilShortRead);
  EXPECT_EQ(std::string(buffer, done), "llo");
}

TEST_F(FilManager, WritesSeeksAndPositions) {
  std::string path = dir_.Path("out");
  FilHandle handle = Open(path, kFilOpenCreate | kFilOpenReadWrite);
  ASSERT_EQ(FilWrite(handle, 3, "abc"), kFilOk);
  ASSERT_EQ(FilWriteAt(handle, 5, 2, "yz"), kFilOk);
  int64_t value = -1;
  EXPECT_EQ(FilGetPos(handle, &value, kFilPosition), kFilOk);
  EXPECT_EQ(value, 7);
  ASSERT_EQ(FilSeek(handle, 1, kFilFromStart, nullptr), kFilOk);
  EXPECT_EQ(FilGetPos(handle, &value, kFilSize), kFilOk);
  EXPECT_EQ(value, 7);
  // Finding the size does not move the position.
  EXPECT_EQ(FilGetPos(handle, &value, kFilPosition), kFilOk);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(FilSeek(handle, 1, kFilFromCurrent, &value), kFilOk);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(FilSeek(handle, -2, kFilFromEnd, &value), kFilOk);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(FilSeek(handle, -1, kFilFromStart, &value), kFilSeekError);
  EXPECT_EQ(FilSeek(handle, 0, 3, &value), kFilSeekError);
  EXPECT_EQ(FilGetPos(handle, &value, 3), kFilRefused);
  EXPECT_EQ(FilGetPos(handle, nullptr, kFilSize), kFilRefused);
  EXPECT_EQ(FilWriteAt(handle, -1, 1, "x"), kFilWriteError);
  EXPECT_GE(FilGetHandle(handle), 0);
  EXPECT_EQ(FilClose(handle, 0), kFilOk);
  EXPECT_EQ(dir_.Read("out"), std::string("abc\0\0yz", 7));
}

TEST_F(FilManager, CloseDeletesWhenAskedAndDeleteReportsAMissingFile) {
  FilHandle kept = Open(dir_.Write("kept", "k"), kFilOpenRead);
  FilHandle gone = Open(dir_.Write("gone", "g"), kFilOpenRead);
  EXPECT_EQ(FilClose(kept, 0), kFilOk);
  EXPECT_EQ(FilClose(gone, 1), kFilOk);
  EXPECT_EQ(dir_.Read("kept"), "k");
  EXPECT_EQ(access(dir_.Path("gone").c_str(), F_OK), -1);
  EXPECT_EQ(FilDelete(dir_.Path("kept").c_str()), kFilOk);
  EXPECT_EQ(FilDelete(dir_.Path("kept").c_str()), kFilDeleteError);
  EXPECT_EQ(Count(), 0u);
}

TEST_F(FilManager, ManyOpenFilesKeepTheirRecords) {
  std::vector<FilHandle> handles;
  for (int i = 0; i < 25; ++i)
    handles.push_back(Open(dir_.Write("m" + std::to_string(i), std::to_string(i)), kFilOpenRead));
  for (int i = 0; i < 25; ++i) {
    char buffer[4] = {};
    uint32_t done;
    EXPECT_EQ(FilRead(handles[i], sizeof buffer, buffer, &done), kFilShortRead);
    EXPECT_EQ(std::string(buffer, done), std::to_string(i));
  }
}

TEST_F(FilManager, DestroyClosesTheFilesStillOpen) {
  FilHandle handle = Open(dir_.Write("open", "x"), kFilOpenRead);
  int fd = FilGetHandle(handle);
  ASSERT_GE(fd, 0);
  FilListDestroy(list_);
  list_ = nullptr;
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
}

TEST_F(FilManager, RenameKeepsTheAccessAndTheData) {
  FilHandle handle =
      Open(dir_.Path("before"), kFilOpenCreate | kFilOpenReplace | kFilOpenReadWrite);
  ASSERT_EQ(FilWrite(handle, 4, "data"), kFilOk);
  ASSERT_EQ(FilRename(handle, dir_.Path("after").c_str()), kFilOk);
  EXPECT_EQ(access(dir_.Path("before").c_str(), F_OK), -1);
  // Reopened at the start, still readable and writable, not truncated.
  char buffer[8] = {};
  uint32_t done;
  EXPECT_EQ(FilRead(handle, 4, buffer, &done), kFilOk);
  EXPECT_EQ(std::string(buffer, done), "data");
  EXPECT_EQ(FilWrite(handle, 1, "!"), kFilOk);
  EXPECT_EQ(FilClose(handle, 0), kFilOk);
  EXPECT_EQ(dir_.Read("after"), "data!");

  FilHandle reader = Open(dir_.Write("ro", "r"), kFilOpenRead);
  ASSERT_EQ(FilRename(reader, dir_.Path("ro2").c_str()), kFilOk);
  EXPECT_EQ(FilRead(reader, 1, buffer, &done), kFilOk);
  EXPECT_EQ(FilWrite(reader, 1, "w"), kFilWriteError);
}

TEST_F(FilManager, AFailedRenameLeavesTheFileOpenUnderItsName) {
  FilHandle handle = Open(dir_.Write("stay", "s"), kFilOpenReadWrite);
  dir_.Write("taken", "keep me");
  ASSERT_EQ(mkdir(dir_.Path("folder").c_str(), 0700), 0);
  for (const std::string& target :
       {dir_.Path("no/such/dir"), dir_.Path("taken"), dir_.Path("folder"),
        dir_.path() + "/" + std::string(kPlatPathMax, 'n')}) {
    SCOPED_TRACE(target.substr(0, 80));
    EXPECT_EQ(FilRename(handle, target.c_str()), kFilRenameError);
  }
  // A file that has the new name is never replaced.
  EXPECT_EQ(dir_.Read("taken"), "keep me");
  EXPECT_EQ(FilWriteAt(handle, 1, 1, "t"), kFilOk);
  EXPECT_EQ(FilClose(handle, 0), kFilOk);
  EXPECT_EQ(dir_.Read("stay"), "st");
}

std::string RandomBytes(size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

TEST_F(FilManager, CopyAppendsTheSourceByteForByte) {
  const std::string data = RandomBytes(10240 * 3 + 1234);
  struct Case {
    int64_t start;   // source position before the copy
    int64_t offset;  // from that position
    int64_t length;
    std::string expected;
  } cases[] = {
      {0, 0, 0, data},
      {100, 50, 0, data.substr(150)},
      {100, 50, 20000, data.substr(150, 20000)},
      {0, 10240, 10240, data.substr(10240, 10240)},
      {0, 0, static_cast<int64_t>(data.size()) + 99, data},  // ends with the source
      {0, static_cast<int64_t>(data.size()) + 5, 0, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    std::string name = "copy" + std::to_string(n++);
    FilHandle source = Open(dir_.Write("source", data), kFilOpenRead);
    FilHandle destination = Open(dir_.Write(name, "head"), kFilOpenWrite);
    ASSERT_EQ(FilSeek(source, c.start, kFilFromStart, nullptr), kFilOk);
    EXPECT_EQ(FilCopy(destination, source, c.offset, c.length), kFilOk);
    FilClose(source, 0);
    FilClose(destination, 0);
    EXPECT_TRUE(dir_.Read(name) == "head" + c.expected);
  }
}

TEST_F(FilManager, CopyReportsErrorsAndEndsOnItsOwnFile) {
  std::string path = dir_.Write("self", "abc");
  FilHandle writer = Open(path, kFilOpenWrite);
  FilHandle reader = Open(path, kFilOpenRead);
  FilHandle other = Open(dir_.Write("other", "xyz"), kFilOpenReadWrite);
  EXPECT_EQ(FilCopy(other, writer, 0, 0), kFilReadError);
  EXPECT_EQ(FilCopy(reader, other, 0, 0), kFilWriteError);
  ASSERT_EQ(FilSeek(reader, 0, kFilFromStart, nullptr), kFilOk);
  EXPECT_EQ(FilCopy(other, reader, -1, 0), kFilSeekError);
  EXPECT_EQ(FilCopy(other, reader, 0, -1), kFilRefused);
  // Source and destination the same file: the copy takes what was there.
  ASSERT_EQ(FilSeek(reader, 0, kFilFromStart, nullptr), kFilOk);
  EXPECT_EQ(FilCopy(writer, reader, 0, 0), kFilOk);
  EXPECT_EQ(dir_.Read("self"), "abcabc");
}

TEST_F(FilManager, RunningOutOfMemoryIsReported) {
  FilList* other = nullptr;
  MemFailAfter(1);
  EXPECT_EQ(FilListCreate(&other), kFilNoMemory);
  MemFailAfter(1);
  FilHandle handle = nullptr;
  EXPECT_EQ(FilOpen(list_, &handle, dir_.Path("new").c_str(), kFilOpenCreate), kFilNoMemory);
  MemFailAfter(0);
  EXPECT_EQ(access(dir_.Path("new").c_str(), F_OK), -1);

  FilHandle source = Open(dir_.Write("source", "s"), kFilOpenRead);
  FilHandle destination = Open(dir_.Write("destination", "d"), kFilOpenWrite);
  MemFailAfter(1);
  EXPECT_EQ(FilCopy(destination, source, 0, 0), kFilNoMemory);
  MemFailAfter(0);
  EXPECT_EQ(dir_.Read("destination"), "d");
}

}  // namespace
