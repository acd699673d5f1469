// The table of logged-in sessions: connection ids and cancel keys are ids in
// this table, never addresses, so a request can only reach a session by an
// id the table knows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

namespace velsrv {

class Session;

class SessionRegistry {
 public:
  SessionRegistry();

  // Gives the session a connection id never used before in this process and
  // a non-zero cancel key no other registered session holds.
  void Register(const std::shared_ptr<Session>& session, int32_t* connection_id,
                uint16_t* cancel_key);
  void Unregister(int32_t connection_id);

  std::shared_ptr<Session> FindByConnectionId(int32_t connection_id);
  std::shared_ptr<Session> FindByCancelKey(uint16_t cancel_key);
  std::vector<std::shared_ptr<Session>> All();

 private:
  struct Entry {
    std::weak_ptr<Session> session;
    uint16_t cancel_key;
  };
  std::mutex mutex_;
  std::map<int32_t, Entry> sessions_;
  std::map<uint16_t, int32_t> cancel_keys_;
  int32_t next_id_ = 1;
  std::mt19937 random_;
};

}  // namespace velsrv
