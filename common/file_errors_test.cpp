#include "common/file_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/messages.h"
#include "testing/temp_dir.h"

namespace {

std::string Text(int32_t code, size_t size = 256) {
  char buffer[256];
  std::memset(buffer, '#', sizeof buffer);
  errno = ENOENT;
  FilErrorText(code, buffer, size);
  return std::string(buffer, strnlen(buffer, size));
}

TEST(FilErrors, TextsArePrefixCodeTextAndSystemError) {
  const std::string os = " Operating system LastError = " + std::to_string(ENOENT);
  struct Case {
    int32_t code;
    std::string expected;
  } cases[] = {
      {kFilOpenError, "File Manager: Unable to open file." + os},
      {kFilCloseError, "File Manager: Unable to close file" + os},
      {kFilSeekError, "File Manager: File Seek Error." + os},
      {kFilNoMemory, "File Manager: Out of global memory." + os},
      {kFilExists, "File Manager: File already exists." + os},
      {kFilShortRead, "File Manager: Unable to read from file." + os},
      {kFilOk, ""},
      {kFilRefused, ""},
      {kFilMsgPrefix, ""},
      {4011, ""},
      {9999, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(Text(c.code), c.expected);
  }
}

TEST(FilErrors, SmallBuffersCutTheTextAndDropTheSystemPart) {
  const std::string whole = "File Manager: Unable to delete file.";
  EXPECT_EQ(Text(kFilDeleteError, 0), "");
  EXPECT_EQ(Text(kFilDeleteError, 1), "");
  EXPECT_EQ(Text(kFilDeleteError, 5), "File");
  EXPECT_EQ(Text(kFilDeleteError, 20), "File Manager: Unabl");
  // Room for the two texts but not for the whole system part: left out.
  EXPECT_EQ(Text(kFilDeleteError, whole.size() + 10), whole);
}

TEST(FilErrors, CatalogueTextsReplaceTheRows) {
  TempDir dir;
  std::string file = dir.Write("fil.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<MESSAGES><S id="VEL_FIL_STR_TMPLT">Files: </S></MESSAGES>
)");
  ASSERT_EQ(MsgLoadCatalog(kFilMessages, file.c_str(), kMsgPathAsGiven, nullptr), 1);
  std::string text = Text(kFilWriteError);
  MsgReleaseCatalog();
  // The file lacks the write error, so the catalogue shows its identifier.
  EXPECT_EQ(text.substr(0, text.find(" Operating")), "Files: <VEL_FIL_STR_FILE_WRITE_ERR>");
}

}  // namespace
