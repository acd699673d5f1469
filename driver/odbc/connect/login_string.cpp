#include "driver/odbc/connect/login_string.h"

#include <cstring>
#include <string>

#include "platform/host_identity.h"
#include "platform/module.h"
#include "platform/net_socket.h"

namespace {

constexpr size_t kHostNameMax = 64;
constexpr size_t kUserNameMax = 127;
constexpr char kUnknown[] = "Unknown";

int32_t AppendWhole(char* text, size_t size, const std::string& item) {
  size_t length = std::strlen(text);
  if (length + item.size() + 1 > size) return -1;
  std::memcpy(text + length, item.c_str(), item.size() + 1);
  return 0;
}

}  // namespace

int32_t DrvAddClientIdentity(char* text, size_t size) {
  if (PlatNetStartup() != 0) return -1;
  char host[kHostNameMax + 1];
  if (!PlatHostName(host, sizeof host)) std::strcpy(host, kUnknown);
  char address[16] = "0.0.0.0";
  uint32_t resolved = 0;
  if (PlatResolveHost(host, &resolved)) PlatInetText(resolved, address);
  char user[kUserNameMax + 1];
  if (!PlatUserName(user, sizeof user)) std::strcpy(user, kUnknown);
  return AppendWhole(
      text, size,
      std::string(";ClntHostName=") + host + ";ClntIP=" + address + ";ClntUserName=" + user + ";");
}

int32_t DrvAddExecDesc(char* text, size_t size) {
  char program[4096];
  const char* name = kUnknown;
  if (PlatModuleFileName(nullptr, program, sizeof program) != 0) {
    const char* slash = std::strrchr(program, '/');
    name = slash != nullptr ? slash + 1 : program;
  }
  return AppendWhole(text, size, std::string("ExecDesc=") + name + ";");
}

void FitLoginString(char* text, size_t limit) {
  size_t length = std::strlen(text);
  if (length <= limit) return;
  // The last ";" inside the limit ends the last item that fits whole.
  size_t keep = 0;
  for (size_t i = 0; i < limit; ++i)
    if (text[i] == ';') keep = i + 1;
  text[keep] = '\0';
}
