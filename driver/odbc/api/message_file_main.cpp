// Writes the driver's built-in messages, its own and the remote-call
// client's in the order the catalogue joins them, as velclient_messages.xml.
#include <cstdio>

#include "common/msg_xml_writer.h"
#include "driver/lna/lna_messages.h"
#include "driver/odbc/diag/drv_message_table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  const MsgDefault* tables[] = {kDrvMessages, kLnaMessages};
  return MsgWriteXmlFile(argv[1], tables, 2) ? 0 : 1;
}
