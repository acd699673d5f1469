#include "tools/shared/tool_message_file.h"

#include <cstdio>
#include <vector>

#include "common/file_path.h"
#include "common/module_path.h"
#include "common/msg_xml_writer.h"
#include "platform/file_system.h"
#include "tools/shared/tool_text.h"

namespace {

// Where an installed tool's message file lies: the installation's data
// folder, found from the program's folder.
bool InstalledMessageFile(const char* file_name, char* path, size_t size) {
  ModulePathParts program;
  char data[kPlatPathMax];
  char candidate[kPlatPathMax];
  if (ModulePathSplit(nullptr, &program) != 0 ||
      PathJoin(program.directory, VEL_TOOL_DATA_DIR, data, sizeof data) != 0 ||
      PathJoin(data, file_name, candidate, sizeof candidate) != 0)
    return false;
  return MsgLocateFile(kMsgPathAsGiven, candidate, path, size, nullptr) != 0;
}

}  // namespace

void ToolLoadMessages(const MsgDefault* rows, const char* file_name) {
  char path[kPlatPathMax];
  if (MsgLocateFile(kMsgInCurrentDir, file_name, path, sizeof path, nullptr))
    MsgLoadCatalog(rows, file_name, kMsgInCurrentDir, nullptr);
  else if (!MsgLocateFile(kMsgBesideModule, file_name, path, sizeof path, nullptr) &&
           InstalledMessageFile(file_name, path, sizeof path))
    MsgLoadCatalog(rows, path, kMsgPathAsGiven, nullptr);
  else
    MsgLoadCatalog(rows, file_name, kMsgBesideModule, nullptr);
}

int ToolWriteMessageFile(int argc, char** argv, const MsgDefault* rows, const char* driver_name) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  std::vector<MsgDefault> installed;
  for (const MsgDefault* row = rows; row->number != 0; ++row) {
    installed.push_back(*row);
    if (row->number == kMsgRegCliName) installed.back().text = driver_name;
  }
  installed.push_back(MsgDefault{0, nullptr, nullptr});
  const MsgDefault* tables[] = {installed.data()};
  return MsgWriteXmlFile(argv[1], tables, 1) ? 0 : 1;
}
