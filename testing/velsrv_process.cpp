#include "testing/velsrv_process.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "testing/child_process.h"
#include "testing/temp_dir.h"

namespace testing_velsrv {

namespace {

// One line of the server's output, waiting at most 30 seconds for it.
bool ReadLine(int fd, std::string* line) {
  line->clear();
  char c;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 30000) <= 0 || read(fd, &c, 1) != 1) return false;
    if (c == '\n') return true;
    line->push_back(c);
  }
}

}  // namespace

VelsrvProcess::VelsrvProcess(const std::string& velsrv, const std::vector<std::string>& sources)
    : dir_(std::make_unique<TempDir>()) {
  std::string conf = "[server]\nlisten = 127.0.0.1\nport = 0\ndiscovery_port = 0\n";
  for (const std::string& source : sources) {
    size_t semicolon = source.find(';');
    conf += "[dsn " + source.substr(0, semicolon) + "]\n";
    if (semicolon != std::string::npos)
      conf += "description = " + source.substr(semicolon + 1) + "\n";
  }
  int out = -1;
  pid_ = testing_child::Start({velsrv, "--config", dir_->Write("velsrv.conf", conf)}, &out);
  if (pid_ <= 0) return;
  std::string line;
  unsigned port = 0;
  if (ReadLine(out, &line) && sscanf(line.c_str(), "velsrv: listening on 127.0.0.1:%u", &port) == 1)
    port_ = static_cast<uint16_t>(port);
  // The rest of its output is drained so that it never blocks on a full pipe.
  std::thread([out] {
    char chunk[512];
    while (read(out, chunk, sizeof chunk) > 0) {
    }
    close(out);
  }).detach();
}

VelsrvProcess::~VelsrvProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    testing_child::Finish(pid_, -1, nullptr);
  }
}

std::string VelsrvProcess::Address() const {
  return "127.0.0.1:" + std::to_string(port_);
}

}  // namespace testing_velsrv
