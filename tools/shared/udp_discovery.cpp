#include "tools/shared/udp_discovery.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

#include "tools/shared/resolver.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/user_attrib.h"

UdpDiscovery::UdpDiscovery(const ToolEnv& env, const ServiceSettings& settings,
                           ServerEntries* servers, DatagramSender& sender, TraceHandle* trace)
    : env_(env),
      servers_(servers),
      sender_(sender),
      trace_(trace),
      svc_port_(htons(settings.svc_port)),
      time_out_(settings.svc_clnt_time_out) {}

std::string UdpDiscovery::Describe(uint32_t address) const {
  // A reverse look-up can take a while; only a trace needs one.
  return trace_ != nullptr ? DescribeAddress(address) : std::string();
}

void UdpDiscovery::Finish(int32_t result) {
  result_ = result;
  done_ = true;
}

void UdpDiscovery::Start(uint32_t now) {
  last_activity_ = now;
  int32_t error = 0;
  if (!sender_.Send(env_.broadcast_address, svc_port_, SapMakeRequestServers(), &error)) {
    TracePrintf(trace_, "\nCSP: sendto failed. Err Code = %d.\n", error);
    Finish(kCspSocketError);
  }
}

void UdpDiscovery::CspOnDatagram(uint32_t now, const uint8_t* data, size_t size,
                                 uint32_t sender_address) {
  if (done_) return;
  last_activity_ = now;
  switch (SapType(data, size)) {
    case kSapRespondServers:
      OnServers(data, size, sender_address);
      break;
    case kSapRespondSources:
      OnSources(data, size, sender_address);
      break;
    default:
      break;
  }
}

void UdpDiscovery::OnTick(uint32_t now) {
  if (done_ || now - last_activity_ <= time_out_) return;
  // A list that came only in part is no answer: its server's data sources
  // must not look withdrawn to registration.
  servers_->erase(
      std::remove_if(servers_->begin(), servers_->end(),
                     [](const ServerEntry& e) { return !e.HasList() || e.received < e.length; }),
      servers_->end());
  awaiting_.assign(servers_->size(), false);
  if (!servers_->empty()) {
    TracePrintf(trace_, "CSP: Timed out, but %d servers replied.\n",
                static_cast<int>(servers_->size()));
    Finish(kCspDone);
  } else {
    TracePrintf(trace_, "CSP: Timed out.\n");
    Finish(kCspTimedOut);
  }
}

void UdpDiscovery::OnServers(const uint8_t* data, size_t size, uint32_t sender_address) {
  TracePrintf(trace_, "CSP: Received SAP_RESPOND_SERVERS from %s.\n",
              Describe(sender_address).c_str());
  SapServerRecord records[kSapMaxServerRecords];
  size_t count = 0;
  if (server_list_received_ || !SapReadRespondServers(data, size, records, &count)) return;
  server_list_received_ = true;
  TracePrintf(trace_, "CSP:  List contains %d servers.\n", static_cast<int>(count));
  for (size_t i = 0; i < count; ++i) {
    if (FindServerByAddress(records[i].address, *servers_) != nullptr) {
      TracePrintf(trace_, "CSP: Duplicate server %s. Skipping it.\n",
                  DottedAddress(records[i].address).c_str());
      continue;
    }
    ServerEntry entry;
    entry.address = records[i].address;
    entry.port = records[i].port;
    servers_->push_back(std::move(entry));
    awaiting_.push_back(false);
    if (!RequestSources(servers_->size() - 1)) return;
  }
}

void UdpDiscovery::OnSources(const uint8_t* data, size_t size, uint32_t sender_address) {
  ServerEntry* entry = FindServerByAddress(sender_address, *servers_);
  if (entry == nullptr) return;  // not a server of this run
  size_t index = static_cast<size_t>(entry - servers_->data());
  uint32_t total = 0;
  const uint8_t* piece = nullptr;
  size_t piece_size = 0;
  if (!SapReadRespondSources(data, size, &total, &piece, &piece_size)) return;
  TracePrintf(trace_, "CSP: Received SAP_RESPOND_SOURCES from %s. Length = %u.\n",
              Describe(sender_address).c_str(), total);
  if (!awaiting_[index]) return;  // no request of ours is waiting for this piece
  if (total > kSapMaxSourceList) {
    TracePrintf(trace_, "CSP: Ignoring a list of %u bytes.\n", total);
    return;
  }
  if (!entry->HasList()) {
    AllocateOfferedList(entry, total);
  } else if (total != entry->length) {
    return;  // not a piece of the list being collected
  }
  size_t wanted = std::min<size_t>(entry->length - entry->received, kSapMaxSourcesPiece);
  size_t n = std::min(wanted, piece_size);
  if (n == 0 && wanted != 0) return;  // carries nothing of what is missing
  awaiting_[index] = false;
  std::memcpy(entry->offered.data() + entry->received, piece, n);
  entry->received += static_cast<uint32_t>(n);
  if (entry->received < entry->length && !RequestSources(index)) return;
  if (CspAllSourcesReceived(*servers_)) Finish(kCspDone);
}

bool UdpDiscovery::RequestSources(size_t index) {
  ServerEntry& entry = (*servers_)[index];
  std::string attrib = BuildUserAttribString();
  TracePrintf(trace_, "CSP:  Sending this User Attrib string %s.\n", attrib.c_str());
  TracePrintf(trace_, "CSP:  Sending SAP_REQUEST_SOURCES to %s. Offset = %u.\n",
              Describe(entry.address).c_str(), entry.received);
  int32_t error = 0;
  if (!sender_.Send(entry.address, svc_port_, SapMakeRequestSources(entry.received, attrib),
                    &error)) {
    TracePrintf(trace_, "\nCSP: sendto failed. Err Code = %d.\n", error);
    Finish(kCspSocketError);
    return false;
  }
  awaiting_[index] = true;
  return true;
}
