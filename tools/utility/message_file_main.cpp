// Writes velutl32's built-in messages as velutl_messages.xml, the message file an
// installed system keeps beside the program, naming the driver as the
// installation registers it.
#include "tools/shared/tool_message_file.h"
#include "tools/utility/utility_main.h"

int main(int argc, char** argv) {
  return ToolWriteMessageFile(argc, argv, UtilityMessageRows(), VEL_DRIVER_NAME);
}
