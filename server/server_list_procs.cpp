// The server list and the list of data sources that the client tools ask
// for on a connection without a login.
#include <string>
#include <vector>

#include "server/offered_sources.h"
#include "server/procedures.h"

namespace velsrv {

namespace {

// "Server=<dotted address>;Port=<port>;" per server: the tools skip a
// 7-character label before the address and a 5-character one before the
// port.
std::string ServerPair(const std::string& address, uint16_t port) {
  return "Server=" + address + ";Port=" + std::to_string(port) + ";";
}

}  // namespace

int16_t ServerListProc(Call& call) {
  NullableText request;  // the client's identity; the list is the same for all
  int32_t size = 0;
  int16_t status = kStatusOk;
  std::string list;
  if (!call.Parsed(GetText(call.in(), &request) && MsgBufGetI32(call.in(), &size))) {
    status = kStatusError;
  } else {
    std::vector<std::string> pairs;
    const ServerConfig& config = call.session().context().config();
    if (config.server_list.empty()) {
      // This server as the client reached it.
      pairs.push_back(
          ServerPair(call.session().local_address(), call.session().context().listen_port()));
    } else {
      for (const ServerListEntry& e : config.server_list)
        pairs.push_back(ServerPair(e.address, e.port));
    }
    // Whole pairs only, within what the caller's buffer holds with its NUL.
    for (const std::string& p : pairs) {
      if (static_cast<int64_t>(list.size() + p.size()) > static_cast<int64_t>(size) - 1) break;
      list += p;
    }
  }
  call.Put(MsgBufPutString(call.out(), status == kStatusOk && size > 0 ? list.c_str() : nullptr));
  return status;
}

int16_t DataSourcesProc(Call& call) {
  NullableText request;
  int32_t size = 0;
  int16_t status = kStatusOk;
  std::string bytes;
  if (!call.Parsed(GetText(call.in(), &request) && MsgBufGetI32(call.in(), &size))) {
    status = kStatusError;
  } else {
    bytes = OfferedSourceList(call.session().context().dsns(),
                              size > 0 ? static_cast<size_t>(size) : 0);
  }
  call.Put(MsgBufPutI32(call.out(), static_cast<int32_t>(bytes.size())));
  call.Put(MsgBufPutBytes(call.out(), bytes.data(), static_cast<uint32_t>(bytes.size())));
  return status;
}

}  // namespace velsrv
