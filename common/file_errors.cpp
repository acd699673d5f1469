#include "common/file_errors.h"

#include <cstring>

#include "common/messages.h"
#include "common/os_error_text.h"
#include "common/str_util.h"

const MsgDefault kFilMessages[] = {
    {kFilMsgPrefix, "VEL_FIL_STR_TMPLT", "File Manager: "},
    {kFilOpenError, "VEL_FIL_STR_FILE_OPEN_ERR", "Unable to open file."},
    {kFilReadError, "VEL_FIL_STR_FILE_READ_ERR", "Unable to read from file."},
    {kFilWriteError, "VEL_FIL_STR_FILE_WRITE_ERR", "Unable to write to file."},
    {kFilMaxFiles, "VEL_FIL_STR_FILE_MAX_FILES", "Too many files open."},
    {kFilCloseError, "VEL_FIL_STR_FILE_CLOSE_ERR", "Unable to close file"},
    {kFilDeleteError, "VEL_FIL_STR_FILE_DEL_ERR", "Unable to delete file."},
    {kFilSeekError, "VEL_FIL_STR_FILE_SEEK_ERR", "File Seek Error."},
    {kFilInvalidHandle, "VEL_FIL_STR_FILE_INVALID_HANDLE", "Invalid file handle."},
    {kFilRenameError, "VEL_FIL_STR_FILE_RENAME_ERR", "Error renaming file."},
    {kFilNoMemory, "VEL_FIL_STR_MEM_GLOBAL_FULL", "Out of global memory."},
    {kFilExists, "VEL_FIL_STR_FILE_EXISTS", "File already exists."},
    {0, nullptr, nullptr},
};

namespace {

// The message shown for a code, or 0 for a code without one.
uint32_t MessageOf(int32_t code) {
  if (code == kFilShortRead) return kFilReadError;
  if (code > kFilMsgPrefix && code <= kFilExists && code != 4011) return code;
  return 0;
}

// Room for any one catalogue text.
constexpr size_t kTextSize = 512;

}  // namespace

void FilErrorText(int32_t code, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  // Taken first: the catalogue's lookups may leave another error behind.
  char os_text[64];
  FilOsErrorText(os_text, sizeof os_text);
  buffer[0] = '\0';
  uint32_t message = MessageOf(code);
  if (message == 0) return;

  char text[kTextSize];
  MsgGetTextOr(kFilMessages, kFilMsgPrefix, text, sizeof text);
  StrAppendBounded(buffer, text, size);
  MsgGetTextOr(kFilMessages, message, text, sizeof text);
  StrAppendBounded(buffer, text, size);
  if (std::strlen(buffer) + 1 + std::strlen(os_text) < size) {
    StrAppendBounded(buffer, " ", size);
    StrAppendBounded(buffer, os_text, size);
  }
}
