// velsrv: the database access server the driver talks to. Reaches its
// databases through ODBC data sources of its own; see --help.
#include <signal.h>

#include <cstdio>
#include <string>

#include "server/config.h"
#include "server/discovery_service.h"
#include "server/listener.h"
#include "server/odbc_backend.h"

namespace {

velsrv::Listener* g_listener = nullptr;

void OnSignal(int) {
  if (g_listener != nullptr) g_listener->RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
  velsrv::ServerConfig config;
  bool help = false;
  std::string error;
  if (!velsrv::ParseCommandLine(argc, argv, &config, &help, &error)) {
    std::fprintf(stderr, "velsrv: %s\n%s", error.c_str(), velsrv::UsageText().c_str());
    return 2;
  }
  if (help) {
    std::fputs(velsrv::UsageText().c_str(), stdout);
    return 0;
  }
  velsrv::OdbcBackend backend;
  if (!backend.ok()) {
    std::fprintf(stderr, "velsrv: the ODBC environment could not be set up\n");
    return 1;
  }
  velsrv::Listener listener(config, backend);
  if (!listener.Open(&error)) {
    std::fprintf(stderr, "velsrv: cannot listen on %s\n", error.c_str());
    return 1;
  }
  g_listener = &listener;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::printf("velsrv: listening on %s:%u\n", config.listen_address.c_str(),
              static_cast<unsigned>(listener.port()));
  for (const velsrv::DsnEntry& d : listener.context().dsns())
    std::printf("velsrv: data source %s (%s)\n", d.name.c_str(), d.description.c_str());
  // Discovery is a convenience beside the data service: when its port is
  // taken the server still serves, and says so.
  velsrv::DiscoveryService discovery(listener.context());
  if (config.discovery_port != 0) {
    if (discovery.Open(config.discovery_port, &error)) {
      std::printf("velsrv: discovery on %s:%u (UDP)\n", discovery.address().c_str(),
                  static_cast<unsigned>(discovery.port()));
      discovery.Start();
    } else {
      std::fprintf(stderr, "velsrv: no discovery service: %s\n", error.c_str());
    }
  }
  std::fflush(stdout);
  listener.Run();
  discovery.Stop();
  g_listener = nullptr;
  std::printf("velsrv: stopped\n");
  return 0;
}
