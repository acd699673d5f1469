// The diagnostics a session or a statement keeps between the call that made
// them and the request that reads them.
#pragma once

#include <cstddef>
#include <vector>

#include "server/backend.h"
#include "wire/calls.h"
#include "wire/diag_record.h"

namespace velsrv {

class DiagStore {
 public:
  // The client reads no more; the rest would only be dropped later.
  static constexpr size_t kCapacity = kGetErrorsMaxRecords;

  // Cut to the record's fields; records beyond the capacity are dropped.
  void Add(const Diag& diag);
  void Add(const DiagList& diags);
  void Clear() { records_.clear(); }
  bool empty() const { return records_.empty(); }
  size_t size() const { return records_.size(); }
  const std::vector<LnaDiagRecord>& records() const { return records_; }
  // Hands out every record (at most kCapacity) and clears the store.
  std::vector<LnaDiagRecord> Take();

 private:
  std::vector<LnaDiagRecord> records_;
};

// A diagnostic of the server itself; the text gets the server's prefix.
Diag ServerDiag(const char* sqlstate, const std::string& text);

}  // namespace velsrv
