#include "common/messages.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <latch>
#include <string>
#include <thread>

#include "common/msg_xml_source.h"
#include "testing/fail_new.h"
#include "testing/temp_dir.h"
#include "testing/test_env.h"

namespace {

const std::string kLongText(600, 'L');

const MsgDefault kTable[] = {
    {1, "VEL_ONE", "one"},
    {0x80001F40, "VEL_HIGH", "high bit"},
    {7, "VEL_SEVEN", "seven first"},
    {7, "VEL_SEVEN_AGAIN", "seven second"},
    {8, "VEL_LONG", kLongText.c_str()},
    {9, "VEL_NOT_IN_FILE", "built in only"},
    {10, "VEL_UTF8", "plain"},
    {0, nullptr, nullptr},
};

const char* const kFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<MESSAGES>
  <S id="VEL_ONE">uno</S>
  <S id="VEL_SEVEN">siete</S>
  <S id="VEL_SEVEN">sette</S>
  <S id="VEL_NOT_IN_FILD">neighbour before</S>
  <S id="VEL_NOT_IN_FILEX">neighbour after</S>
  <S id="VEL_LONG">long</S>
  <S id="VEL_UTF8">caf&#233; &#x20AC;</S>
</MESSAGES>
)";

std::string Text(uint32_t number, int* result = nullptr) {
  char buffer[1024];
  int r = MsgGetText(number, buffer, sizeof buffer);
  if (result != nullptr) *result = r;
  return buffer;
}

class Messages : public testing::Test {
 protected:
  void TearDown() override {
    FailNewAfter(0);
    MsgReleaseCatalog();  // harmless when nothing is loaded
  }
  TempDir dir_;
};

struct Expect {
  uint32_t number;
  const char* text;
  int result;
};

void ExpectTexts(std::initializer_list<Expect> rows) {
  for (const auto& row : rows) {
    SCOPED_TRACE(row.number);
    int result = -1;
    EXPECT_EQ(Text(row.number, &result), row.text);
    EXPECT_EQ(result, row.result);
  }
}

TEST_F(Messages, BuiltInTextsWithoutAUsableMessageFile) {
  std::string unreadable = dir_.Write("unreadable.xml", kFile);
  chmod(unreadable.c_str(), 0);
  const std::string paths[] = {dir_.Path("missing.xml"), dir_.path(), unreadable};
  for (const auto& path : paths) {
    SCOPED_TRACE(path);
    if (path == unreadable && access(path.c_str(), R_OK) == 0) continue;  // root reads anything
    ASSERT_EQ(MsgLoadCatalog(kTable, path.c_str(), kMsgPathAsGiven, nullptr), 1);
    ExpectTexts({
        {1, "one", 1},
        {0x80001F40, "high bit", 1},
        {7, "seven first", 1},  // the first row with a number wins
        {9, "built in only", 1},
        {12345, "[Legacy error message not found!]", 0},
        {0, "[Legacy error message not found!]", 0},
    });
    MsgReleaseCatalog();
  }
}

TEST_F(Messages, MessageFileReplacesTextsByIdentifier) {
  std::string path = dir_.Write("velclient_messages.xml", kFile);
  ASSERT_EQ(MsgLoadCatalog(kTable, path.c_str(), kMsgPathAsGiven, nullptr), 1);
  ExpectTexts({
      {1, "uno", 1},
      {7, "siete", 1},  // the first of two equal identifiers in the file wins
      {0x80001F40, "<VEL_HIGH>", 1},
      {9, "<VEL_NOT_IN_FILE>", 1},  // between two close neighbours
      {10, "caf\xC3\xA9 \xE2\x82\xAC", 1},
      {12345, "[Legacy error message not found!]", 0},
  });
}

TEST_F(Messages, BufferSizesAndUnloadedCatalogue) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(MsgGetText(1, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "[Legacy");  // not loaded yet, cut to the buffer

  ASSERT_EQ(MsgLoadCatalog(kTable, nullptr, kMsgPathAsGiven, nullptr), 1);
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(MsgGetText(1, buffer, 0), 0);
  EXPECT_EQ(buffer[0], '#');  // size 0 writes nothing
  EXPECT_EQ(MsgGetText(1, buffer, 1), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(MsgGetText(1, buffer, 3), 1);
  EXPECT_STREQ(buffer, "on");
  EXPECT_EQ(MsgGetText(1, nullptr, 8), 0);
  EXPECT_EQ(MsgGetTextByNumber(2, 1, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "[Legacy");

  char* block = MsgAllocText(0, 8);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(block), kLongText.substr(0, 511));
  MsgFreeText(block);
}

TEST_F(Messages, TextThatCannotBeBuiltIsAMemoryError) {
  ASSERT_EQ(MsgLoadCatalog(kTable, nullptr, kMsgPathAsGiven, nullptr), 1);
  EXPECT_EQ(Text(8), kLongText);  // loads the table
  char buffer[64];
  FailNewAfter(1);
  EXPECT_EQ(MsgGetText(8, buffer, sizeof buffer), 0);
  FailNewAfter(0);
  EXPECT_STREQ(buffer, "Memory Error.");
}

TEST_F(Messages, FailedLoadShowsTheErrorBox) {
  struct Shown : ScopedEnv {
    void ShowMessage(const char* text) override { shown = text; }
    std::string shown;
  } box;
  FailNewAfter(1);  // the source cannot be allocated
  EXPECT_EQ(MsgLoadCatalog(kTable, nullptr, kMsgPathAsGiven, nullptr), 0);
  FailNewAfter(0);
  EXPECT_EQ(box.shown,
            "There was an error loading messages. Are you forgetting the messages file? Program is "
            "exiting");
}

TEST_F(Messages, LoadsCountAndALaterLoadReplacesTheEarlier) {
  MsgReleaseCatalog();  // a release without a load leaves nothing to undo
  std::string path = dir_.Write("m.xml", kFile);
  ASSERT_EQ(MsgLoadCatalog(kTable, nullptr, kMsgPathAsGiven, nullptr), 1);
  EXPECT_EQ(Text(1), "one");
  ASSERT_EQ(MsgLoadCatalog(kTable, path.c_str(), kMsgPathAsGiven, nullptr), 1);
  EXPECT_EQ(Text(1), "uno");
  MsgReleaseCatalog();
  EXPECT_EQ(Text(1), "uno");  // one load still stands
  MsgReleaseCatalog();
  EXPECT_EQ(Text(1), "[Legacy general error]");
}

// Counts the loads of the source it wraps.
class CountingSource : public MsgSource {
 public:
  CountingSource(MsgSource* inner, std::atomic<int>* loads) : inner_(inner), loads_(loads) {}
  ~CountingSource() override { delete inner_; }
  void Load(MsgTable& table) override {
    loads_->fetch_add(1);
    inner_->Load(table);
  }

 private:
  MsgSource* inner_;
  std::atomic<int>* loads_;
};

TEST_F(Messages, SourceIsReadOnceByConcurrentFirstLookups) {
  // Enough rows that the first load takes a while.
  std::vector<std::string> keys;
  for (int i = 0; i < 20000; ++i) keys.push_back("VEL_K" + std::to_string(i));
  std::vector<MsgDefault> rows;
  for (const auto& k : keys) rows.push_back({1, k.c_str(), "text"});
  std::atomic<int> loads{0};
  ASSERT_EQ(
      MsgInstallSource(0, new CountingSource(new MsgTableSource(rows.data(), rows.size()), &loads)),
      1);
  ASSERT_EQ(MsgAddNumber(0, 1, "VEL_K777"), 1);

  std::latch start(8);
  std::string seen[8];
  std::vector<std::thread> threads;
  for (auto& s : seen)
    threads.emplace_back([&] {
      start.arrive_and_wait();
      s = Text(1);
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(loads.load(), 1);
  for (const auto& s : seen) EXPECT_EQ(s, "text");
  MsgReleaseCatalog();  // before the rows go
}

TEST_F(Messages, FileWithoutMessagesIsReadOnce) {
  std::string path = dir_.Write("m.xml", "<MESSAGES/>");
  std::atomic<int> loads{0};
  ASSERT_EQ(
      MsgInstallSource(0, new CountingSource(MsgXmlSourceNew(SafeString(path.c_str())), &loads)),
      1);
  ASSERT_EQ(MsgAddNumber(0, 1, "VEL_ONE"), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Text(1), "<VEL_ONE>");
  EXPECT_EQ(loads.load(), 1);
}

TEST_F(Messages, InstallAndAddRefuseBadArguments) {
  EXPECT_EQ(MsgInstallSource(2, new MsgTableSource(kTable, 1)), 0);  // freed, not leaked
  EXPECT_EQ(MsgInstallSource(0, nullptr), 0);
  EXPECT_EQ(MsgAddNumber(0, 1, "VEL_ONE"), 0);  // slot 0 holds no list yet
  ASSERT_EQ(MsgInstallSource(1, new MsgTableSource(kTable, 1)), 1);
  EXPECT_EQ(MsgAddNumber(1, 1, nullptr), 0);
  EXPECT_EQ(MsgAddNumber(1, 1, "VEL_ONE"), 1);
  char buffer[16];
  EXPECT_EQ(MsgGetTextByNumber(1, 1, buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "one");
  EXPECT_EQ(MsgCopyText(1, "VEL_NONE", buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "<VEL_NONE>");
}

int SomethingInThisProgram() {
  return 0;
}

TEST_F(Messages, LocateFileByMode) {
  dir_.Write("here.xml", "<M/>");
  char out[4096];

  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  int in_cwd = MsgLocateFile(kMsgInCurrentDir, "here.xml", out, sizeof out, nullptr);
  std::string cwd_path = out;
  int missing_in_cwd = MsgLocateFile(kMsgInCurrentDir, "absent.xml", out, sizeof out, nullptr);
  ASSERT_EQ(chdir(saved), 0);
  EXPECT_EQ(in_cwd, 1);
  EXPECT_EQ(cwd_path, dir_.Path("here.xml"));
  EXPECT_EQ(missing_in_cwd, 0);

  // Beside this test program.
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  std::string exe_dir(exe, static_cast<size_t>(n));
  exe_dir.erase(exe_dir.rfind('/'));
  std::string name = "locate_" + std::to_string(getpid()) + ".xml";
  std::string beside = exe_dir + "/" + name;
  FILE* f = fopen(beside.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fclose(f);
  PlatModule module = nullptr;
  ASSERT_EQ(PlatModuleOf(reinterpret_cast<const void*>(&SomethingInThisProgram), &module), 0);
  int found = MsgLocateFile(kMsgBesideModule, name.c_str(), out, sizeof out, module);
  std::string found_path = out;
  int too_small = MsgLocateFile(kMsgBesideModule, name.c_str(), out, beside.size(), module);
  unlink(beside.c_str());
  int removed = MsgLocateFile(kMsgBesideModule, name.c_str(), out, sizeof out, module);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(found_path, beside);
  EXPECT_EQ(too_small, 0);  // no room for the NUL
  EXPECT_EQ(removed, 0);

  std::string given = dir_.Path("here.xml");
  EXPECT_EQ(MsgLocateFile(kMsgPathAsGiven, given.c_str(), out, sizeof out, nullptr), 1);
  EXPECT_EQ(MsgLocateFile(3, given.c_str(), out, sizeof out, nullptr), 0);
  EXPECT_EQ(MsgLocateFile(kMsgPathAsGiven, nullptr, out, sizeof out, nullptr), 0);
  EXPECT_EQ(MsgLocateFile(kMsgPathAsGiven, given.c_str(), nullptr, sizeof out, nullptr), 0);
}

}  // namespace
