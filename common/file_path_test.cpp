#include "common/file_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "common/os_error_text.h"

namespace {

TEST(FilePath, JoinChecksTheWholeLength) {
  struct Case {
    const char* directory;
    const char* name;
    uint16_t size;
    int result;
    const char* joined;  // buffer afterwards; "#" when untouched
  } cases[] = {
      {"/a/dir", "x.xml", 13, 0, "/a/dir/x.xml"},
      {"/a/dir", "x.xml", 12, 1, "#"},
      {"/a/dir/", "x.xml", 14, 0, "/a/dir//x.xml"},  // always one more "/"
      {"", "x.xml", 7, 0, "/x.xml"},
      {"/a", "x", 0, 1, "#"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.directory) + " + " + c.name);
    char buffer[32] = "#";
    EXPECT_EQ(PathJoin(c.directory, c.name, buffer, c.size), c.result);
    EXPECT_STREQ(buffer, c.joined);
  }
  char buffer[8] = "#";
  EXPECT_EQ(PathJoin(nullptr, "x", buffer, 8), 1);
  EXPECT_EQ(PathJoin("/a", nullptr, buffer, 8), 1);
  EXPECT_STREQ(buffer, "#");
}

TEST(FilePath, ParentDirectory) {
  struct Case {
    const char* path;
    int result;
    const char* parent;
  } cases[] = {
      {"/dir/file", 1, "/dir"}, {"dir/sub/file", 1, "dir/sub"}, {"a/b/", 1, "a/b"}, {"file", 0, ""},
      {"/file", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char output[32] = "";
    EXPECT_EQ(PathParentDir(c.path, output), c.result);
    EXPECT_STREQ(output, c.parent);
  }
}

class FilExistsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velto-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    for (const char* name : {"plain", "locked", "pipe"}) unlink((dir_ + "/" + name).c_str());
    rmdir((dir_ + "/sub").c_str());
    rmdir(dir_.c_str());
  }
  std::string dir_;
};

TEST_F(FilExistsTest, OnlyReadableRegularFiles) {
  std::ofstream(dir_ + "/plain") << "x";
  std::ofstream(dir_ + "/locked") << "x";
  ASSERT_EQ(chmod((dir_ + "/locked").c_str(), 0), 0);
  ASSERT_EQ(mkdir((dir_ + "/sub").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo((dir_ + "/pipe").c_str(), 0600), 0);
  struct Case {
    std::string path;
    bool exists;
  } cases[] = {
      {dir_ + "/plain", true},
      {dir_ + "/sub", false},
      {dir_ + "/missing", false},
      {dir_ + "/pipe", false},  // and it must not wait for a writer
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FilExists(c.path.c_str()), c.exists);
  }
  EXPECT_FALSE(FilExists(nullptr));
  // The superuser reads any file, so only others can see the refusal.
  if (geteuid() != 0) {
    EXPECT_FALSE(FilExists((dir_ + "/locked").c_str()));
  }
}

TEST(OsErrorText, NamesTheErrorAndStaysInsideTheBuffer) {
  char buffer[64];
  errno = ENOENT;
  FilOsErrorText(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Operating system LastError = 2");
  char small[11];
  std::memset(small, '#', sizeof small);
  errno = ENOENT;
  FilOsErrorText(small, 10);
  EXPECT_STREQ(small, "Operating");
  EXPECT_EQ(small[10], '#');
}

}  // namespace
