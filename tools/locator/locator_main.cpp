#include "tools/locator/locator_main.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/file_errors.h"
#include "common/messages.h"
#include "common/pool.h"
#include "common/res_dll.h"
#include "common/tls_slot.h"
#include "driver/lna/lna_messages.h"
#include "tools/shared/tool_message_file.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/tool_program.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/tool_text.h"
#include "tools/shared/update_run.h"

namespace {

constexpr const char kUsage[] =
    "Usage: velloc32 RESULT-FILE\n"
    "Finds the servers and the data sources they offer, registers them as data\n"
    "sources of the driver, and writes the result code to RESULT-FILE (the whole\n"
    "command line is the file's path). The code is also the exit status:\n"
    "  0 done, 1 nothing found, -1 out of memory, -2 timer, -3 socket error,\n"
    "  -4 no server answered in time, -5 a write failed or the set-up is incomplete\n"
    "  (no resource library, no driver name, no driver library, no result file).\n"
    "An exit status holds 8 bits: -1 to -5 read as 255 to 251 (-4 as 252).\n";

// A name the catalogue lacks shows as its identifier between "<" and ">".
bool UsableDriverName(const char* name) {
  size_t length = std::strlen(name);
  return length > 0 && !(name[0] == '<' && name[length - 1] == '>');
}

// The locator shows nothing; what keeps it from its work is said on
// standard error, its result code stays what the file and the exit say.
void Say(const std::string& text) {
  ToolSay("velloc32", text);
}

int32_t Update() {
  if (!ResDllLoad("rsdriv32.dll") && !ResDllLoad("rsbase32.dll")) {
    Say("cannot load its resource library rsdriv32 or rsbase32 (beside the driver)");
    return kCspWriteFailed;
  }
  char driver_name[513];
  ToolText(kMsgRegCliName, driver_name, sizeof driver_name);
  // Without its name nothing can be registered: that is no success.
  if (!UsableDriverName(driver_name)) {
    Say("its message file names no driver (VEL_REG_CLI_NAME): nothing can be registered");
    return kCspWriteFailed;
  }
  DriverExports exports;
  std::string error;
  if (!LoadDriverExports("velclt32.dll", &exports, &error)) {
    Say(error);
    return kCspWriteFailed;
  }
  ToolEnv env = MakeToolEnv(&exports);
  ServiceSettings settings;
  ReadServiceSettings(env, &settings);
  UpdateRun run = RunDataSourceUpdate(env, settings);
  // The result file keeps its code alone; the removals are told beside it.
  if (run.counts.removed != 0)
    ToolSay("velloc32", ToolMessageWithNumber(kIdsRemoved, run.counts.removed));
  return run.Status();
}

}  // namespace

const MsgDefault* LocatorMessageRows() {
  static const std::vector<MsgDefault> rows =
      JoinMessageRows({kToolCoreMessages, kToolUpdateMessages, kLnaMessages, kFilMessages});
  return rows.data();
}

int32_t LocatorRun(const std::string& result_file) {
  // Its caller could learn nothing of an update without the file.
  if (result_file.empty()) {
    Say("no result file given (velloc32 RESULT-FILE; velloc32 --help tells more)");
    return kCspWriteFailed;
  }
  ToolLoadMessages(LocatorMessageRows(), "velloc_messages.xml");
  TlsSlotInit();
  PoolTableInit();
  int32_t result = Update();
  ResDllFree();
  std::FILE* out = std::fopen(result_file.c_str(), "w");
  if (out == nullptr) {
    Say("cannot write the result file " + result_file + ": " + std::strerror(errno));
    result = kCspWriteFailed;
  } else {
    bool written = std::fprintf(out, "%d", static_cast<int>(result)) > 0;
    if (std::fclose(out) != 0 || !written) {
      Say("cannot write the result file " + result_file);
      result = kCspWriteFailed;
    }
  }
  PoolTableTerm();
  TlsSlotTerm();
  MsgReleaseCatalog();
  return result;
}

int LocatorMain(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string path;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) path += ' ';
    path += argv[i];
  }
  return LocatorRun(path);
}
