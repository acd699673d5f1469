#include "common/syn_obj.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <thread>

#include "common/memory.h"
#include "common/profile.h"
#include "common/trace.h"
#include "platform/thread_id.h"
#include "testing/registry_sandbox.h"
#include "testing/temp_dir.h"
#include "testing/test_env.h"

namespace {

TEST(SynObj, CreateAndDeleteCountReferences) {
  EXPECT_EQ(SynObjDelete(nullptr), kSynObjNone);
  SynObj* obj = nullptr;
  EXPECT_EQ(SynObjDelete(&obj), kSynObjNone);
  ASSERT_EQ(SynObjCreate(&obj), kSynObjOk);
  ASSERT_NE(obj, nullptr);
  SynObj* first = obj;
  ASSERT_EQ(SynObjCreate(&obj), kSynObjOk);
  EXPECT_EQ(obj, first);
  EXPECT_EQ(obj->references, 2);
  EXPECT_EQ(SynObjIsValid(obj), 1u);
  EXPECT_EQ(SynObjDelete(&obj), kSynObjOk);
  EXPECT_EQ(obj, first);  // still alive
  EXPECT_EQ(rcSynObjLock(obj), kSynObjOk);
  EXPECT_EQ(SemLeave(obj), kSynObjOk);
  EXPECT_EQ(SynObjDelete(&obj), kSynObjOk);
  EXPECT_EQ(obj, nullptr);
}

TEST(SynObj, MissingOrUnsetObjectsAreRefusedWithoutBlocking) {
  SynObj never_set_up;
  std::memset(&never_set_up, 0, sizeof never_set_up);
  EXPECT_EQ(rcSynObjLock(&never_set_up), kSynObjNotInitialised);
  EXPECT_EQ(SemLeave(&never_set_up), kSynObjNotInitialised);
  EXPECT_EQ(SynObjIsValid(&never_set_up), 0u);
  EXPECT_EQ(rcSynObjLock(nullptr), kSynObjNotInitialised);
  EXPECT_EQ(SemLeave(nullptr), kSynObjNotInitialised);
  EXPECT_EQ(SynObjIsValid(nullptr), 0u);

  SynObj* obj = nullptr;
  MemFailAfter(1);
  EXPECT_EQ(SynObjCreate(&obj), kSynObjNoMemory);
  MemFailAfter(0);
  EXPECT_EQ(obj, nullptr);
}

TEST(SynObj, OnlyTheOwnerLeaves) {
  SynObj* obj = nullptr;
  ASSERT_EQ(SynObjCreate(&obj), kSynObjOk);
  ASSERT_EQ(rcSynObjLock(obj), kSynObjOk);
  ASSERT_EQ(rcSynObjLock(obj), kSynObjOk);  // recursive for its owner
  int32_t other = 0;
  std::thread([&] { other = SemLeave(obj); }).join();
  EXPECT_EQ(other, kSynObjNotOwner);
  EXPECT_EQ(obj->lock().lock_count(), 2);
  EXPECT_EQ(obj->lock().owner(), PlatformThreadId());
  EXPECT_EQ(SemLeave(obj), kSynObjOk);
  EXPECT_EQ(SemLeave(obj), kSynObjOk);
  EXPECT_EQ(SemLeave(obj), kSynObjNotOwner);  // no longer held at all
  SynObjDelete(&obj);
}

// The lock trace is read from the system's own ODBC trace settings.
class LockTrace : public testing::Test {
 protected:
  static constexpr const char* kPath = "\\\\HKEY_CURRENT_USER\\Software\\Odbc\\odbc.ini";
  void SetUp() override {
    testing_registry::UseSandbox();
    SynObjCloseTrace();
    ASSERT_EQ(ProfileWriteString(kPath, "Odbc", "OdbcTrace", "1"), 1);
    ASSERT_EQ(ProfileWriteString(kPath, "Odbc", "TraceAppend", "0"), 1);
    ASSERT_EQ(ProfileWriteString(kPath, "Odbc", "TraceOutput", dir_.Path("lock.log").c_str()), 1);
  }
  void TearDown() override {
    SynObjCloseTrace();
    for (const char* key : {"OdbcTrace", "TraceAppend", "TraceOutput"})
      ProfileWriteString(kPath, "Odbc", key, nullptr);
  }
  TempDir dir_;
};

std::string Hex(unsigned long value) {
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

TEST_F(LockTrace, LockAndLeaveWriteThreeLines) {
  SynObj* obj = nullptr;
  ASSERT_EQ(SynObjCreate(&obj), kSynObjOk);
  ASSERT_EQ(rcSynObjLock(obj), kSynObjOk);
  ASSERT_EQ(SemLeave(obj), kSynObjOk);
  std::string thread = Hex(PlatformThreadId());
  std::string cs = Hex(reinterpret_cast<unsigned long>(&obj->lock()));
  SynObjDelete(&obj);
  SynObjCloseTrace();
  EXPECT_EQ(dir_.Read("lock.log"), ">rcSynObjLock thread=" + thread + " cs=" + cs +
                                       " lok=0 ownr=0 \n" + "<rcSynObjLock returned 1.\n" +
                                       ">SemLeave thread=" + thread + " cs=" + cs +
                                       " lok=1 ownr=" + thread + " \n");
}

TEST_F(LockTrace, AThousandLocksDoNotUseUpTracing) {
  for (int i = 0; i < 1000; ++i) {
    SynObj* obj = nullptr;
    ASSERT_EQ(SynObjCreate(&obj), kSynObjOk);
    rcSynObjLock(obj);
    SemLeave(obj);
    SynObjDelete(&obj);
  }
  SynObjCloseTrace();
  std::istringstream in(dir_.Read("lock.log"));
  int lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  EXPECT_EQ(lines, 3000);
  int32_t level = 0;
  TraceHandle* more = TraceOpen(kPath, "Odbc", "OdbcTrace", &level);
  EXPECT_NE(more, nullptr);
  TraceClose(more);
}

}  // namespace
