#include "tools/shared/user_attrib.h"

#include <vector>

#include "common/profile.h"
#include "tools/shared/resolver.h"
#include "tools/shared/tool_text.h"

namespace {

// The longest names the string makes room for; a longer one reads as
// unknown, as a query into a buffer of that size would fail.
constexpr size_t kHostNameMax = 64;
constexpr size_t kUserNameMax = 63;

}  // namespace

std::string BuildUserAttribString() {
  std::string host;
  bool have_host = ToolHostName(&host) && !host.empty() && host.size() <= kHostNameMax;
  std::string user;
  if (!ToolUserName(&user) || user.empty() || user.size() > kUserNameMax) user = "Unknown";
  std::string ip = "0.0.0.0";
  std::vector<uint32_t> addresses;
  if (have_host && ToolHostAddresses(host, &addresses) && !addresses.empty())
    ip = DottedAddress(addresses[0]);
  std::string text = "ClntHostName=" + (have_host ? host : std::string("Unknown")) +
                     ";ClntUserName=" + user + ";ClntIP=" + ip + ";";

  char path[513];
  char section[513];
  ToolText(kMsgRegCliWin32Key, path, sizeof path);
  ToolText(kMsgRegCliClient, section, sizeof section);
  char oem[64];
  if (ProfileReadString(path, section, "OemUserName", "", oem, sizeof oem) != 0 && oem[0] != '\0')
    text += std::string("OemUserName=") + oem + ";";
  if (text.size() > kUserAttribMax) text.resize(kUserAttribMax);
  return text;
}
