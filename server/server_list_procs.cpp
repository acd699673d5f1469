// The server list and the list of data sources that the client tools ask
// for on a connection without a login.
#include <string>
#include <vector>

#include "server/offered_sources.h"
#include "server/procedures.h"
#include "wire/server_list_calls.h"

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
  ServerListRequest request;  // the client's identity; the list is the same for all
  int16_t status = kReplyOk;
  std::string list;
  if (!call.Parsed(Decode(call.in(), &request))) {
    status = kReplyFailed;
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
      if (static_cast<int64_t>(list.size() + p.size()) > static_cast<int64_t>(request.size) - 1)
        break;
      list += p;
    }
  }
  ServerListReply reply;
  if (status == kReplyOk && request.size > 0) reply.list = std::move(list);
  call.Put(Encode(call.out(), reply));
  return status;
}

int16_t DataSourcesProc(Call& call) {
  ServerListRequest request;
  int16_t status = kReplyOk;
  DataSourcesReply reply;
  if (!call.Parsed(Decode(call.in(), &request))) {
    status = kReplyFailed;
  } else {
    reply.bytes = OfferedSourceList(call.session().context().dsns(),
                                    request.size > 0 ? static_cast<size_t>(request.size) : 0);
  }
  call.Put(Encode(call.out(), reply));
  return status;
}

}  // namespace velsrv
