#include "common/temp_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/file_errors.h"
#include "testing/temp_dir.h"

namespace {

bool AllDigits(const std::string& text) {
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

size_t Entries(const std::string& directory) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) ++n;
  return n;
}

TEST(FilTempName, StemOfNineCharactersThenTmp) {
  struct Case {
    const char* prefix;
    std::string kept;  // what of the prefix the stem keeps
  } cases[] = {{"report", "report"}, {"", ""}, {"a", "a"}, {"longprefix", "longprefi"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    char name[32];
    ASSERT_EQ(FilTempName(c.prefix, name, sizeof name), kFilOk);
    std::string text = name;
    ASSERT_EQ(text.size(), 13u);
    EXPECT_EQ(text.substr(0, c.kept.size()), c.kept);
    EXPECT_TRUE(AllDigits(text.substr(c.kept.size(), 9 - c.kept.size())));
    EXPECT_EQ(text.substr(9), ".tmp");
  }
  char first[32], second[32];
  ASSERT_EQ(FilTempName("t", first, sizeof first), kFilOk);
  ASSERT_EQ(FilTempName("t", second, sizeof second), kFilOk);
  EXPECT_STRNE(first, second);

  char small[13];
  EXPECT_EQ(FilTempName("report", small, sizeof small), kFilRefused);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(FilTempName(nullptr, first, sizeof first), kFilRefused);
}

TEST(FilCreateTemp, CreatesAnEmptyPrivateFile) {
  TempDir dir;
  char path[256];
  ASSERT_EQ(FilCreateTemp(dir.path().c_str(), "tmp", path, sizeof path), kFilOk);
  std::string created = path;
  EXPECT_EQ(created.rfind(dir.path() + "/tmp", 0), 0u);
  struct stat info;
  ASSERT_EQ(stat(path, &info), 0);
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // A path that does not fit is refused before anything is created.
  char small[16];
  EXPECT_EQ(FilCreateTemp(dir.path().c_str(), "tmp", small, sizeof small), kFilRefused);
  EXPECT_EQ(Entries(dir.path()), 1u);
  EXPECT_EQ(FilCreateTemp(dir.Path("missing").c_str(), "tmp", path, sizeof path), kFilOpenError);
}

TEST(FilCreateTemp, NeverOpensANameThatExists) {
  TempDir dir;
  // A prefix of nine characters leaves no room for the number: one name only.
  dir.Write("ninechars.tmp", "precious");
  ASSERT_EQ(symlink(dir.Path("target").c_str(), dir.Path("linkedxxx.tmp").c_str()), 0);
  char path[256];
  EXPECT_EQ(FilCreateTemp(dir.path().c_str(), "ninechars", path, sizeof path), kFilOpenError);
  EXPECT_EQ(FilCreateTemp(dir.path().c_str(), "linkedxxx", path, sizeof path), kFilOpenError);
  EXPECT_EQ(dir.Read("ninechars.tmp"), "precious");
  EXPECT_EQ(access(dir.Path("target").c_str(), F_OK), -1);
}

class FilTempFileNameTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TMPDIR", temp_.path().c_str(), 1);
  }
  void TearDown() override {
    if (had_)
      setenv("TMPDIR", old_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }
  TempDir temp_;
  TempDir other_;
  bool had_ = false;
  std::string old_;
};

TEST_F(FilTempFileNameTest, UsesTheDirectoryGivenElseTheTemporaryOne) {
  char path[256];
  ASSERT_EQ(FilTempFileName("x", other_.path().c_str(), path, sizeof path, 0), kFilOk);
  EXPECT_EQ(std::string(path).rfind(other_.path() + "/x", 0), 0u);
  ASSERT_EQ(FilTempFileName("x", "", path, sizeof path, 0), kFilOk);
  EXPECT_EQ(std::string(path).rfind(temp_.path() + "/x", 0), 0u);
  EXPECT_EQ(access(path, F_OK), 0);
  EXPECT_EQ(Entries(temp_.path()), 1u);

  ASSERT_EQ(FilTempFileName("x", nullptr, path, sizeof path, kFilTempDirOnly), kFilOk);
  EXPECT_EQ(std::string(path), temp_.path() + "/");
  EXPECT_EQ(Entries(temp_.path()), 1u);  // the probe file is gone again
}

}  // namespace
