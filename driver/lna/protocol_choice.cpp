#include "driver/lna/protocol_choice.h"

#include <cstring>
#include <string_view>

#include "common/memory.h"
#include "common/profile.h"
#include "driver/lna/lna_messages.h"

namespace {

constexpr size_t kTextSize = 513;
constexpr uint32_t kValueSize = 255;

char* Copy(std::string_view text) {
  auto* out = static_cast<char*>(MemAlloc(text.size() + 1));
  if (out != nullptr && !text.empty()) std::memcpy(out, text.data(), text.size());
  return out;
}

// Reads `key` under the first section, else `fallback_key` under the
// second. 1 when either is there.
int ReadEither(const char* path, const char* section, const char* key, const char* fallback_section,
               const char* fallback_key, char* value) {
  value[0] = '\0';
  if (ProfileReadString(path, section, key, "", value, kValueSize) != 0) return 1;
  value[0] = '\0';
  return ProfileReadString(path, fallback_section, fallback_key, "", value, kValueSize) != 0;
}

bool PortListed(std::string_view ports, std::string_view port) {
  while (true) {
    size_t end = ports.find(';');
    if (ports.substr(0, end) == port) return true;
    if (end == std::string_view::npos) return false;
    ports.remove_prefix(end + 1);
  }
}

}  // namespace

char* ResolveServerProtocol(const char* server) {
  char path[kTextSize], client_protocol[kTextSize], client_firewall[kTextSize];
  char server_protocol[kTextSize], server_firewall[kTextSize];
  LnaMessageText(kMsgRegCliWin32Key, path, sizeof path);
  LnaMessageText(kMsgRegCliHkcuProtocol, client_protocol, sizeof client_protocol);
  LnaMessageText(kMsgRegCliHkcuFirewall, client_firewall, sizeof client_firewall);
  LnaMessageText(kMsgRegSvrHkcuProtocol, server_protocol, sizeof server_protocol);
  LnaMessageText(kMsgRegSvrHkcuFirewall, server_firewall, sizeof server_firewall);

  if (server == nullptr) return nullptr;
  const char* split = std::strrchr(server, ':');
  if (split == nullptr) split = std::strrchr(server, '.');
  if (split == nullptr) return nullptr;
  std::string_view port(split + 1);

  char protocols[kValueSize + 1];
  ReadEither(path, client_protocol, "ClientInitProto", server_protocol, "Initial Protocols",
             protocols);
  if (protocols[0] == '\0') return Copy("");

  char ports[kValueSize + 1];
  if (!ReadEither(path, client_firewall, "ClientHTTPPorts", server_firewall, "HTTPPorts", ports) ||
      ports[0] == '\0' || PortListed(ports, port)) {
    return Copy(protocols);
  }
  std::string_view rest(protocols);
  size_t semicolon = rest.find(';');
  return Copy(semicolon == std::string_view::npos ? std::string_view()
                                                  : rest.substr(semicolon + 1));
}
