#include "server/row_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "wire/typed_value.h"

namespace velsrv {

namespace {

// What one array read may take: its values and their lengths.
constexpr size_t kArrayBytes = 256u << 10;
// Rows to one array read. A backend that fails on a row gives none of the
// array that holds it: a driver that reads its own rows in batches of a
// multiple of this many (psqlODBC's cursor fetch, by default 100 rows)
// then loses no row it would have given one at a time.
constexpr uint32_t kRowsPerArray = 100;
constexpr int64_t kNullData = -1;  // SQL_NULL_DATA
constexpr int64_t kNoTotal = -4;   // SQL_NO_TOTAL

// The array column that holds a requested value as ReadCell reads it:
// fixed-size C types in their own form, binary values as bytes, everything
// else as text with its NUL.
ArrayColumn ArrayColumnFor(const LnaFetchRequest& r) {
  if (r.length == 0) return {};
  int fixed = CTypeFixedSize(r.c_type);
  if (fixed > 0) return {r.c_type, fixed};
  int32_t room = std::clamp(r.length, 1, kMaxCellBytes);
  return {r.c_type == kCTypeBinary ? kCTypeBinary : kCTypeChar, room};
}

bool SameColumn(const ArrayColumn& a, const ArrayColumn& b) {
  return a.c_type == b.c_type && a.size == b.size;
}

// The backend's warnings that an array value was cut: such values are read
// again whole, so they do not hold.
void DropTruncations(DiagList* diags) {
  std::erase_if(*diags, [](const Diag& d) { return d.sqlstate == "01004"; });
}

// The value at `value` as its array holds it, into `cell`; false when the
// array holds it only in part.
bool TakeArrayValue(const ArrayColumn& column, int16_t c_type, const uint8_t* value, int64_t length,
                    Cell* cell) {
  cell->c_type = c_type;
  cell->null = value == nullptr || length == kNullData;
  if (cell->null) {
    cell->bytes.clear();
    return value != nullptr;
  }
  const auto size = static_cast<size_t>(column.size);
  size_t n;
  if (CTypeFixedSize(c_type) > 0) {
    n = size;
  } else if (column.c_type == kCTypeBinary) {
    if (length < 0 || static_cast<uint64_t>(length) > size) return false;
    n = static_cast<size_t>(length);
  } else {
    // A text leaves room for its NUL; without a total, one that fills its
    // buffer may go on.
    n = length < 0 ? strnlen(reinterpret_cast<const char*>(value), size) : size_t(length);
    if ((length == kNoTotal && n + 1 >= size) || length < kNoTotal || n + 1 > size) return false;
  }
  cell->bytes.assign(value, value + n);
  return true;
}

}  // namespace

BackendRc ReadRowCells(BackendStatement& backend, const std::vector<LnaFetchRequest>& requests,
                       std::vector<Cell>* cells, DiagList* diags, MemoryCharge* charge) {
  // Cleared rather than replaced: a cell read again reuses its buffer.
  cells->resize(requests.size());
  for (Cell& c : *cells) {
    c.c_type = 0;
    c.null = false;
    c.bytes.clear();
  }
  BackendRc worst = BackendRc::kSuccess;
  for (size_t i = 0; i < requests.size(); ++i) {
    const LnaFetchRequest& r = requests[i];
    if (r.length == 0) {
      (*cells)[i].c_type = r.c_type;
      (*cells)[i].null = true;
      continue;
    }
    // The request's length is the client's buffer; a longer value still
    // comes whole, and the client keeps it beside that buffer.
    BackendRc rc = ReadWholeCell(backend, static_cast<uint16_t>(i + 1), r.c_type, r.length,
                                 &(*cells)[i], diags, charge);
    worst = Worse(worst, rc);
    if (!Succeeded(rc)) break;
  }
  return worst;
}

BackendRc RowReader::NextArray(BackendStatement& backend,
                               const std::vector<LnaFetchRequest>& requests, DiagList* diags) {
  bool same = bound_.size() == requests.size();
  for (size_t i = 0; same && i < requests.size(); ++i)
    same = SameColumn(bound_[i], ArrayColumnFor(requests[i]));
  if (!same) {
    std::vector<ArrayColumn> wanted(requests.size());
    std::transform(requests.begin(), requests.end(), wanted.begin(), ArrayColumnFor);
    size_t row_bytes = 0;
    for (const ArrayColumn& c : wanted)
      row_bytes += static_cast<size_t>(c.size) + (c.size > 0 ? sizeof(int64_t) : 0);
    auto rows =
        static_cast<uint32_t>(std::clamp<size_t>(kArrayBytes / std::max<size_t>(row_bytes, 1), 1,
                                                 std::min(kRowsPerArray, backend.MaxArrayRows())));
    bound_.clear();
    matched_.clear();
    BackendRc rc = backend.BindArrays(wanted, rows, diags);
    if (!Succeeded(rc)) return rc;
    bound_ = std::move(wanted);
  }
  DiagList found;
  BackendRc rc = backend.FetchArrays(&rows_, &found);
  next_ = 0;
  DropTruncations(&found);
  diags->insert(diags->end(), found.begin(), found.end());
  if (rc == BackendRc::kSuccessWithInfo && found.empty()) rc = BackendRc::kSuccess;
  if (rc == BackendRc::kNoData || (Succeeded(rc) && rows_ == 0)) {
    at_end_ = true;
    return BackendRc::kNoData;
  }
  return rc;
}

BackendRc RowReader::Next(BackendStatement& backend, const std::vector<LnaFetchRequest>& requests,
                          bool current, std::vector<Cell>* row, DiagList* diags,
                          MemoryCharge* charge) {
  if (mode_ == Mode::kUndecided) mode_ = backend.MaxArrayRows() > 0 ? Mode::kArrays : Mode::kValues;
  if (mode_ == Mode::kValues) {
    BackendRc rc = backend.Fetch(diags);
    if (Succeeded(rc)) rc = Worse(rc, ReadRowCells(backend, requests, row, diags, charge));
    return rc;
  }
  if (at_end_) return BackendRc::kNoData;
  BackendRc fetched = BackendRc::kSuccess;
  if (next_ == rows_) {
    // Rows still in the arrays are taken as they are; new ones come in the
    // shapes asked for now.
    fetched = NextArray(backend, requests, diags);
    if (!Succeeded(fetched)) return fetched;
  }
  const uint32_t at = next_++;
  row->resize(requests.size());
  // Which requests the arrays hold as they are asked for, worked out again
  // only when the requests or the arrays change.
  if (!std::equal(requests.begin(), requests.end(), matched_.begin(), matched_.end(),
                  [](const LnaFetchRequest& a, const LnaFetchRequest& b) {
                    return a.c_type == b.c_type && a.length == b.length;
                  })) {
    matched_ = requests;
    in_array_.resize(requests.size());
    for (size_t i = 0; i < requests.size(); ++i)
      in_array_[i] = i < bound_.size() && SameColumn(bound_[i], ArrayColumnFor(requests[i]));
  }
  std::optional<BackendRc> positioned;
  auto position = [&]() {
    if (!positioned) positioned = backend.PositionInArray(at, diags);
    return *positioned;
  };
  BackendRc worst = fetched;
  for (size_t i = 0; i < requests.size(); ++i) {
    const LnaFetchRequest& r = requests[i];
    Cell& cell = (*row)[i];
    if (r.length == 0) {
      cell.c_type = r.c_type;
      cell.null = true;
      cell.bytes.clear();
      continue;
    }
    const auto column = static_cast<uint16_t>(i + 1);
    int64_t length = 0;
    const uint8_t* value = backend.ArrayValue(column, at, &length);
    if (in_array_[i] && TakeArrayValue(bound_[i], r.c_type, value, length, &cell)) continue;
    // Cut, or held in another shape: read from the row itself.
    BackendRc rc = position();
    if (Succeeded(rc))
      rc = ReadWholeCell(backend, column, r.c_type, r.length, &cell, diags, charge);
    worst = Worse(worst, rc);
    if (!Succeeded(rc)) return rc;
  }
  if (current) worst = Worse(worst, position());
  return worst;
}

}  // namespace velsrv
