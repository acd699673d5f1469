// The rows of an open result as the fetches take them from the backend:
// many rows to one call into arrays where the backend can read so, else a
// row at a time with a call per value. A value that its array held only in
// part is read again, whole, from its row.
#pragma once

#include <cstdint>
#include <vector>

#include "server/backend.h"
#include "server/cell.h"
#include "wire/fetch_request.h"

namespace velsrv {

// Reads one column of the current row for each request whose length is not
// 0 (the others are left for long data), into `cells`; the worst result of
// the backend's calls. A value's growth beyond its request is charged to
// `charge`, as ReadWholeCell does.
BackendRc ReadRowCells(BackendStatement& backend, const std::vector<LnaFetchRequest>& requests,
                       std::vector<Cell>* cells, DiagList* diags, MemoryCharge* charge = nullptr);

// One per result; the backend drops its arrays with the result.
class RowReader {
 public:
  // The next row, one cell per request as ReadRowCells reads it; kNoData
  // after the last. With `current`, the backend's GetData reads this row
  // afterwards (for the long data of a single-row fetch).
  BackendRc Next(BackendStatement& backend, const std::vector<LnaFetchRequest>& requests,
                 bool current, std::vector<Cell>* row, DiagList* diags,
                 MemoryCharge* charge = nullptr);

 private:
  enum class Mode { kUndecided, kValues, kArrays };

  BackendRc NextArray(BackendStatement& backend, const std::vector<LnaFetchRequest>& requests,
                      DiagList* diags);

  Mode mode_ = Mode::kUndecided;
  std::vector<ArrayColumn> bound_;  // what the arrays hold, by column
  // The requests last seen, and for each whether the arrays hold its value
  // in the form it asks for.
  std::vector<LnaFetchRequest> matched_;
  std::vector<bool> in_array_;
  uint32_t rows_ = 0;               // rows in the arrays
  uint32_t next_ = 0;               // the next of them to hand out
  bool at_end_ = false;
};

}  // namespace velsrv
