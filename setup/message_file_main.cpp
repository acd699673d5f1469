// Writes the setup library's built-in messages as clientconfig_messages.xml.
#include <cstdio>

#include "common/msg_xml_writer.h"
#include "setup/setup_message_table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  const MsgDefault* tables[] = {kSetupMessages};
  return MsgWriteXmlFile(argv[1], tables, 1) ? 0 : 1;
}
