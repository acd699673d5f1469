#include "driver/lna/server_address.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/unresolved_host.h"

namespace {

int Fail(uint32_t code) {
  TlsSlotSet(code);
  return 0;
}

// 1 with *port for a decimal number (leading blanks and a '+' allowed, as
// the C library's conversion takes them), 0 for any other text (a service
// name), -1 for an empty text or a number no port can have.
int ParseDecimalPort(const std::string& text, uint32_t* port) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  if (i == text.size()) return text.empty() ? -1 : 0;
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return 0;
    if (value <= 0xFFFF) value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value > 0xFFFF) return -1;
  *port = value;
  return 1;
}

}  // namespace

void NetRealServerText(const char* host_port, char* out) {
  size_t n = host_port != nullptr ? strnlen(host_port, kNetMaxRealServer) : 0;
  if (n > 0) std::memcpy(out, host_port, n);
  out[n] = '\0';
  if (std::strchr(out, ':') == nullptr) {
    char* dot = std::strrchr(out, '.');
    if (dot != nullptr) *dot = ':';
  }
}

int NetResolveAddress(const char* address, PlatInetAddress* out) {
  if (address == nullptr) return Fail(kNetErrHostNotFound);
  const char* split = std::strrchr(address, ':');
  if (split == nullptr) split = std::strrchr(address, '.');
  if (split == nullptr) return Fail(kNetErrHostNotFound);
  std::string host(address, static_cast<size_t>(split - address));
  std::string port_text(split + 1);

  uint32_t host_address = 0;
  if (!PlatResolveHost(host.c_str(), &host_address)) {
    NetMapError();
    NetNoteUnresolvedHost(host.c_str());
    return 0;
  }
  NetNoteUnresolvedHost(nullptr);

  uint32_t port = 0;
  int decimal = ParseDecimalPort(port_text, &port);
  // A number the port field cannot hold would connect somewhere else.
  if (decimal < 0) return Fail(kNetErrHostNotFound);
  uint16_t port_number = 0;
  if (decimal > 0) {
    port_number = static_cast<uint16_t>(port);
  } else if (!PlatResolveService(port_text.c_str(), "tcp", &port_number)) {
    NetMapError();
    return 0;
  }
  out->address = host_address;
  out->port = port_number;
  return 1;
}
