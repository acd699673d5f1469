#include "server/session_registry.h"

namespace velsrv {

SessionRegistry::SessionRegistry() : random_(std::random_device{}()) {}

void SessionRegistry::Register(const std::shared_ptr<Session>& session, int32_t* connection_id,
                               uint16_t* cancel_key) {
  std::lock_guard<std::mutex> lock(mutex_);
  int32_t id = next_id_;
  next_id_ = next_id_ == INT32_MAX ? 1 : next_id_ + 1;
  uint16_t key;
  // Fewer sessions than keys are ever registered (connections are capped
  // far below 65535), so a free key is always found.
  do {
    key = static_cast<uint16_t>(random_());
  } while (key == 0 || cancel_keys_.count(key) != 0);
  sessions_[id] = Entry{session, key};
  cancel_keys_[key] = id;
  *connection_id = id;
  *cancel_key = key;
}

void SessionRegistry::Unregister(int32_t connection_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(connection_id);
  if (it == sessions_.end()) return;
  cancel_keys_.erase(it->second.cancel_key);
  sessions_.erase(it);
}

std::shared_ptr<Session> SessionRegistry::FindByConnectionId(int32_t connection_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(connection_id);
  return it == sessions_.end() ? nullptr : it->second.session.lock();
}

std::shared_ptr<Session> SessionRegistry::FindByCancelKey(uint16_t cancel_key) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = cancel_keys_.find(cancel_key);
  if (it == cancel_keys_.end()) return nullptr;
  return sessions_[it->second].session.lock();
}

std::vector<std::shared_ptr<Session>> SessionRegistry::All() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::shared_ptr<Session>> out;
  for (auto& [id, entry] : sessions_) {
    if (auto s = entry.session.lock()) out.push_back(std::move(s));
  }
  return out;
}

}  // namespace velsrv
