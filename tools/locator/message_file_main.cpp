// Writes velloc32's built-in messages as velloc_messages.xml, the message file an
// installed system keeps beside the program, naming the driver as the
// installation registers it.
#include "tools/locator/locator_main.h"
#include "tools/shared/tool_message_file.h"

int main(int argc, char** argv) {
  return ToolWriteMessageFile(argc, argv, LocatorMessageRows(), VEL_DRIVER_NAME);
}
