#include "tools/shared/service_settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/profile.h"
#include "common/str_util.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/tool_text.h"
#include "wire/protocol.h"
#include "wire/sap_datagram.h"

namespace {

// Where the three groups of values live.
struct Keys {
  char list_path[513];
  char list_section[513];
  const char* service_path = kOdbcInstKey;
  const char* service_section;
  char proxy_path[513];
  char proxy_section[513];

  explicit Keys(const ToolEnv& env) : service_section(env.driver_name.c_str()) {
    ToolText(kMsgRegServerListFile, list_path, sizeof list_path);
    ToolText(kMsgRegCliVersion, list_section, sizeof list_section);
    ToolText(kMsgRegCliWin32Key, proxy_path, sizeof proxy_path);
    ToolText(kMsgRegCliHkcuFirewall, proxy_section, sizeof proxy_section);
  }
};

void ReadText(const char* path, const char* section, const char* key, char* out, size_t size) {
  char buffer[513];
  ProfileReadString(path, section, key, "", buffer, sizeof buffer);
  StrCopyBounded(out, buffer, size - 1);
  out[size - 1] = '\0';
}

// The value as a number within [min, max], else the default. The text is
// converted in 64 bits first, so that a number beyond the field never
// wraps into it (a port of 70000 is not 4464).
int64_t ReadNumber(const char* path, const char* section, const char* key, int64_t min, int64_t max,
                   int64_t fallback) {
  char buffer[513];
  ProfileReadString(path, section, key, "", buffer, sizeof buffer);
  if (buffer[0] == '\0') return fallback;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(buffer, &end, 10);
  if (errno != 0 || end == buffer || *end != '\0' || v < min || v > max) return fallback;
  return v;
}

uint32_t ReadU32(const char* path, const char* section, const char* key, uint32_t fallback) {
  return static_cast<uint32_t>(ReadNumber(path, section, key, 0, UINT32_MAX, fallback));
}

uint16_t ReadU16(const char* path, const char* section, const char* key, uint16_t fallback) {
  return static_cast<uint16_t>(ReadNumber(path, section, key, 0, UINT16_MAX, fallback));
}

}  // namespace

void ReadServiceSettings(const ToolEnv& env, ServiceSettings* s) {
  std::memset(s, 0, sizeof *s);
  Keys k(env);
  ReadText(k.list_path, k.list_section, "ServerList", s->server_list, sizeof s->server_list);
  s->last_update_ts = ReadU32(k.list_path, k.list_section, "LastUpdateTS", 0);

  const char* path = k.service_path;
  const char* section = k.service_section;
  s->svc_clnt_time_out = ReadU16(path, section, "SvcClntTimeOut", 10);
  uint32_t direct = ReadU32(path, section, "SvcDirect", 0);
  ReadText(path, section, "SvcServer", s->svc_server, sizeof s->svc_server);
  s->svc_enable_broadcasting = ReadU32(path, section, "SvcEnableBroadcasting", 1);
  s->svc_srv_port = ReadU16(path, section, "SvcSrvPort", kDefaultServerPort);
  s->svc_port = ReadU16(path, section, "SvcPort", kSapDefaultPort);
  s->system_dsn = ReadU32(path, section, "SvcSystemDSN", 0);
  s->enable_auto_update = ReadU32(path, section, "EnableAutoUpdate", 1);
  s->update_always = ReadU32(path, section, "UpdateAlways", 0);
  // Out of range is clamped here rather than defaulted: a period that is
  // too short or too long still says which end was meant.
  int64_t period =
      ReadNumber(path, section, "UpdateEveryXHourSec", INT64_MIN, INT64_MAX, kUpdatePeriodMin);
  if (period < kUpdatePeriodMin) period = kUpdatePeriodMin;
  if (period > kUpdatePeriodMax) period = kUpdatePeriodMax;
  s->update_every_x_hour_sec = static_cast<int32_t>(period);

  s->use_proxy_server = ReadU32(k.proxy_path, k.proxy_section, "UseProxyServer", 0);
  ReadText(k.proxy_path, k.proxy_section, "ProxyServer", s->proxy_server, sizeof s->proxy_server);
  s->proxy_port = ReadU16(k.proxy_path, k.proxy_section, "ProxyPort", 443);

  // Direct mode needs a server to ask.
  s->use_server_list = direct == 0 || s->svc_server[0] == '\0' ? 1 : 0;
}

int32_t WriteServiceSettings(const ToolEnv& env, const ServiceSettings& s) {
  Keys k(env);
  struct Write {
    const char* path;
    const char* section;
    const char* key;
    std::string value;
  };
  auto u = [](uint32_t v) { return std::to_string(v); };
  const Write writes[] = {
      {k.service_path, k.service_section, "SvcDirect", u(s.use_server_list != 0 ? 0 : 1)},
      {k.service_path, k.service_section, "SvcServer", s.svc_server},
      {k.service_path, k.service_section, "SvcSrvPort", u(s.svc_srv_port)},
      {k.service_path, k.service_section, "SvcPort", u(s.svc_port)},
      {k.service_path, k.service_section, "SvcSystemDSN", u(s.system_dsn)},
      {k.service_path, k.service_section, "EnableAutoUpdate", u(s.enable_auto_update)},
      {k.service_path, k.service_section, "UpdateAlways", u(s.update_always)},
      {k.service_path, k.service_section, "UpdateEveryXHourSec",
       std::to_string(s.update_every_x_hour_sec)},
      {k.proxy_path, k.proxy_section, "UseProxyServer", u(s.use_proxy_server)},
      {k.proxy_path, k.proxy_section, "ProxyServer", s.proxy_server},
      {k.proxy_path, k.proxy_section, "ProxyPort", u(s.proxy_port)},
  };
  for (const Write& w : writes) {
    if (!ProfileWriteString(w.path, w.section, w.key, w.value.c_str())) return kCspWriteFailed;
  }
  return kCspDone;
}
