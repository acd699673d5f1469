// A velsrv of its own for a test: on a free TCP port of 127.0.0.1, its UDP
// discovery off, offering the data sources the test names (no database
// behind them: enough for discovery and registration). Stopped with the
// object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TempDir;

namespace testing_velsrv {

class VelsrvProcess {
 public:
  // `velsrv`: the program; `sources`: "name" or "name;description".
  VelsrvProcess(const std::string& velsrv, const std::vector<std::string>& sources);
  ~VelsrvProcess();
  VelsrvProcess(const VelsrvProcess&) = delete;
  VelsrvProcess& operator=(const VelsrvProcess&) = delete;

  bool running() const { return port_ != 0; }
  uint16_t port() const { return port_; }
  // "127.0.0.1:<port>", as a ServerList item.
  std::string Address() const;

 private:
  std::unique_ptr<TempDir> dir_;
  int pid_ = -1;
  uint16_t port_ = 0;
};

}  // namespace testing_velsrv
