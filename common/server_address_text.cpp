#include "common/server_address_text.h"

bool SplitServerAddress(std::string_view text, ServerAddressText* out) {
  size_t split = text.rfind(':');
  if (split == std::string_view::npos) split = text.rfind('.');
  if (split == std::string_view::npos) return false;
  out->host.assign(text.substr(0, split));
  out->port.assign(text.substr(split + 1));
  return true;
}
