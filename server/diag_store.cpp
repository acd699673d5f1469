#include "server/diag_store.h"

#include <algorithm>
#include <cstring>

namespace velsrv {

namespace {

// Copies at most size - 1 bytes and terminates.
void CopyField(char* field, size_t size, const std::string& text) {
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
  // A NUL inside the text ends it here too, as it would on the client.
}

}  // namespace

void DiagStore::Add(const Diag& diag) {
  if (records_.size() >= kCapacity) return;
  LnaDiagRecord r{};
  CopyField(r.sqlstate, sizeof(r.sqlstate), diag.sqlstate);
  r.native_error = diag.native_error;
  CopyField(r.text, sizeof(r.text), diag.text);
  records_.push_back(r);
}

void DiagStore::Add(const DiagList& diags) {
  for (const Diag& d : diags) Add(d);
}

std::vector<LnaDiagRecord> DiagStore::Take() {
  std::vector<LnaDiagRecord> out;
  out.swap(records_);
  return out;
}

Diag ServerDiag(const char* sqlstate, const std::string& text) {
  return Diag{sqlstate, 0, "[velsrv]" + text};
}

}  // namespace velsrv
