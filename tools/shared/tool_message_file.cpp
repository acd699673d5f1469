#include "tools/shared/tool_message_file.h"

#include <cstdio>
#include <vector>

#include "common/msg_xml_writer.h"
#include "platform/file_system.h"
#include "tools/shared/tool_text.h"

void ToolLoadMessages(const MsgDefault* rows, const char* file_name) {
  char path[kPlatPathMax];
  int mode = MsgLocateFile(kMsgInCurrentDir, file_name, path, sizeof path, nullptr)
                 ? kMsgInCurrentDir
                 : kMsgBesideModule;
  MsgLoadCatalog(rows, file_name, mode, nullptr);
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
