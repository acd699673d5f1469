#include "common/trace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/profile.h"
#include "testing/registry_sandbox.h"
#include "testing/temp_dir.h"
#include "testing/test_env.h"

namespace {

class Trace : public testing::Test {
 protected:
  Trace() { testing_registry::UseSandbox(); }
  ~Trace() override {
    for (const char* section : {"App", "Other", "Velto Trace"})
      ProfileWriteString(path_.c_str(), section, nullptr, nullptr);
  }

  void Set(const char* section, const char* key, const char* value) {
    ASSERT_EQ(ProfileWriteString(path_.c_str(), section, key, value), 1) << key;
  }
  // A live trace of section "App" writing to the file `name`.
  TraceHandle* OpenToFile(const std::string& name, const char* section = "App") {
    Set(section, "AppTrace", "1");
    Set(section, "TraceOutput", dir_.Path(name).c_str());
    return TraceOpen(path_.c_str(), section, "AppTrace", &level_);
  }

  const std::string path_ = "HKEY_CURRENT_USER\\Software\\VelTest\\Trace";
  TempDir dir_;
  int32_t level_ = 77;
};

TEST_F(Trace, NoLevelMeansNoTrace) {
  EXPECT_EQ(TraceOpen(path_.c_str(), "App", "AppTrace", &level_), nullptr);
  Set("App", "AppTrace", "0");
  EXPECT_EQ(TraceOpen(path_.c_str(), "App", "AppTrace", &level_), nullptr);
  EXPECT_EQ(level_, 77);  // left as it was
  // Every call takes a null handle.
  TracePrintf(nullptr, "x");
  TraceEnter(nullptr, "x");
  TraceReturn(nullptr, "x", 1);
  TraceWrite(nullptr, ' ', "x");
  TraceClose(nullptr);
}

TEST_F(Trace, LevelInCNotationFromTheOwnOrTheCommonSection) {
  struct Case {
    const char* section;
    const char* value;
    int32_t level;
  };
  const Case cases[] = {
      {"App", "1", 1},
      {"App", "0x10", 16},
      {"App", "010", 8},
      {"Velto Trace", "3", 3},  // applies to a section that lacks the key
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Set(c.section, "AppTrace", c.value);
    TraceHandle* trace = TraceOpen(path_.c_str(), "App", "AppTrace", &level_);
    EXPECT_NE(trace, nullptr);  // live, with no output
    EXPECT_EQ(level_, c.level);
    TracePrintf(trace, "goes nowhere\n");
    TraceClose(trace);
    ProfileWriteString(path_.c_str(), c.section, "AppTrace", nullptr);
  }
}

TEST_F(Trace, LinesAreByteExact) {
  TraceHandle* trace = OpenToFile("t.log");
  ASSERT_NE(trace, nullptr);
  TracePrintf(trace, "SQLFetch hstmt=0x%08lx\n", 0xABCDUL);
  TraceEnter(trace, "Connect(%s)", "dsn");
  TraceReturn(trace, "Connect", -1);
  TraceWrite(trace, '*', "raw");
  TraceClose(trace);
  EXPECT_EQ(dir_.Read("t.log"),
            " SQLFetch hstmt=0x0000abcd\n"
            ">Connect(dsn) \n"
            "<Connect returned -1.\n"
            "*raw");
}

// A trace holds statement texts and values: whatever the umask, a file it
// creates is its owner's alone, appended to or truncated.
TEST_F(Trace, ATraceFileItCreatesIsTheOwnersAlone) {
  mode_t before = umask(022);
  for (const char* append : {"1", "0"}) {
    SCOPED_TRACE(append);
    const std::string name = std::string("private-") + append + ".log";
    Set("App", "TraceAppend", append);
    TraceHandle* trace = OpenToFile(name);
    ASSERT_NE(trace, nullptr);
    TracePrintf(trace, "SELECT secret\n");
    TraceClose(trace);
    struct stat info {};
    ASSERT_EQ(stat(dir_.Path(name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
  }
  umask(before);
}

TEST_F(Trace, TimestampsFollowEntryAndExitLines) {
  Set("Velto Trace", "Time", "1");
  TraceHandle* trace = OpenToFile("t.log");
  ASSERT_NE(trace, nullptr);
  TraceEnter(trace, "Connect(%s)", "dsn");
  TraceReturn(trace, "Connect", 0);
  TracePrintf(trace, "plain\n");
  TraceClose(trace);
  // The milliseconds are not padded.
  const std::string time = R"( \d\d:\d\d:\d\d\.(0|[1-9]\d{0,2}))";
  std::regex expected(">Connect\\(dsn\\):" + time + " \n" + "<Connect returned 0: " + time + " \n" +
                      " plain\n");
  EXPECT_TRUE(std::regex_match(dir_.Read("t.log"), expected)) << dir_.Read("t.log");
  EXPECT_TRUE(std::regex_match(TraceTimeText(), std::regex(time)));
}

TEST_F(Trace, AppendsUnlessTraceAppendSaysOtherwise) {
  struct Case {
    const char* value;  // null: the key is missing
    bool appends;
  };
  const Case cases[] = {{nullptr, true}, {"", true},    {"1", true},  {"T", true},  {"true", true},
                        {"y", true},     {"Yes", true}, {"N", false}, {"0", false}, {"f", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value == nullptr ? "(missing)" : c.value);
    dir_.Write("t.log", "old\n");
    Set("App", "TraceAppend", c.value);
    TraceHandle* trace = OpenToFile("t.log");
    ASSERT_NE(trace, nullptr);
    TracePrintf(trace, "new\n");
    TraceClose(trace);
    EXPECT_EQ(dir_.Read("t.log"), c.appends ? "old\n new\n" : " new\n");
  }
}

TEST_F(Trace, TracesShareAnOutputNamedAlikeWhateverTheCase) {
  TraceHandle* a = OpenToFile("Shared.log", "App");
  TraceHandle* b = OpenToFile("SHARED.LOG", "Other");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  TracePrintf(a, "a1\n");
  TracePrintf(b, "b1\n");
  TraceClose(a);
  TracePrintf(b, "b2\n");  // the file stays open for the other trace
  TraceClose(b);
  EXPECT_EQ(dir_.Read("Shared.log"), " a1\n b1\n b2\n");
  EXPECT_EQ(access(dir_.Path("SHARED.LOG").c_str(), F_OK), -1);
}

TEST_F(Trace, StandardStreamsAndTheDebugger) {
  Set("App", "AppTrace", "1");
  Set("App", "TraceOutput", "STDERR");
  testing::internal::CaptureStderr();
  TraceHandle* trace = TraceOpen(path_.c_str(), "App", "AppTrace", &level_);
  TraceEnter(trace, "to stderr");
  TraceClose(trace);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), ">to stderr \n");

  struct DebugLines : ScopedEnv {
    void DebugOutput(const char* text) override { seen.emplace_back(text); }
    std::vector<std::string> seen;
  };
  DebugLines debug;
  Set("App", "TraceOutput", "Debug");
  trace = TraceOpen(path_.c_str(), "App", "AppTrace", &level_);
  TraceEnter(trace, "enter");
  TraceReturn(trace, "Connect", 5);
  TracePrintf(trace, "text\n");
  TraceClose(trace);
  // One message per line, without the tags.
  EXPECT_EQ(debug.seen, (std::vector<std::string>{"enter\n", "Connect returned 5.\n", "text\n"}));
}

TEST_F(Trace, AnOutputThatCannotBeOpenedLeavesNothingBehind) {
  EXPECT_EQ(OpenToFile("no/such/dir.log"), nullptr);
  EXPECT_EQ(level_, 77);
  // A later open of the same name opens the file afresh.
  ASSERT_EQ(mkdir(dir_.Path("no").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dir_.Path("no/such").c_str(), 0700), 0);
  TraceHandle* trace = OpenToFile("no/such/dir.log");
  ASSERT_NE(trace, nullptr);
  TracePrintf(trace, "ok\n");
  TraceClose(trace);
  EXPECT_EQ(dir_.Read("no/such/dir.log"), " ok\n");
}

TEST_F(Trace, ClosedEntriesAreUsedAgain) {
  Set("App", "AppTrace", "1");
  for (int i = 0; i < 1000; ++i) {
    TraceHandle* trace = TraceOpen(path_.c_str(), "App", "AppTrace", &level_);
    ASSERT_NE(trace, nullptr) << "open " << i;
    TraceClose(trace);
  }
  // At most 256 open at once.
  std::vector<TraceHandle*> open;
  for (TraceHandle* t; (t = TraceOpen(path_.c_str(), "App", "AppTrace", &level_)) != nullptr;)
    open.push_back(t);
  EXPECT_EQ(open.size(), 256u);
  TraceClose(open.back());
  open.back() = TraceOpen(path_.c_str(), "App", "AppTrace", &level_);
  EXPECT_NE(open.back(), nullptr);
  for (TraceHandle* t : open) TraceClose(t);
}

TEST_F(Trace, ThreadsTracingAtOnceWriteWholeLines) {
  TraceHandle* trace = OpenToFile("t.log");
  ASSERT_NE(trace, nullptr);
  constexpr int kThreads = 8, kLines = 400;
  const std::string filler(120, '.');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) {
        if (i % 2 == 0)
          TracePrintf(trace, "thread %d line %d %s\n", t, i, filler.c_str());
        else
          TraceEnter(trace, "thread %d line %d %s", t, i, filler.c_str());
      }
    });
  for (auto& th : threads) th.join();
  TraceClose(trace);

  std::istringstream in(dir_.Read("t.log"));
  std::vector<int> next(kThreads, 0);
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) {
    ++lines;
    int t = -1, i = -1;
    char tag = 0;
    char rest[200] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "%cthread %d line %d %199s", &tag, &t, &i, rest), 4)
        << line;
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    EXPECT_EQ(i, next[t]++) << line;  // each thread's lines whole and in order
    std::string expected = std::string(1, i % 2 == 0 ? ' ' : '>') + "thread " + std::to_string(t) +
                           " line " + std::to_string(i) + " " + filler + (i % 2 == 0 ? "" : " ");
    EXPECT_EQ(line, expected);
  }
  EXPECT_EQ(lines, kThreads * kLines);
}

}  // namespace
