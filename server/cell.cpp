#include "server/cell.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "server/diag_store.h"

namespace velsrv {

namespace {

constexpr int64_t kNullData = -1;  // SQL_NULL_DATA
constexpr int64_t kNoTotal = -4;   // SQL_NO_TOTAL

template <typename T>
T Load(const Cell& cell, size_t offset) {
  T v{};
  if (offset + sizeof v <= cell.bytes.size()) std::memcpy(&v, cell.bytes.data() + offset, sizeof v);
  return v;
}

void PutBe(std::vector<uint8_t>* out, uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The value's fields, big-endian, in the order of its C structure.
void AppendBigEndian(const Cell& cell, std::vector<uint8_t>* out) {
  switch (cell.c_type) {
    case kCTypeULong:
    case kCTypeSLong:
    case kCTypeLong:
    case kCTypeFloat:
      PutBe(out, Load<uint32_t>(cell, 0), 4);
      return;
    case kCTypeUShort:
    case kCTypeSShort:
    case kCTypeShort:
      PutBe(out, Load<uint16_t>(cell, 0), 2);
      return;
    case kCTypeDouble:
      PutBe(out, Load<uint64_t>(cell, 0), 8);
      return;
    case kCTypeDate:
    case kCTypeTime:
      for (size_t i = 0; i < 3; ++i) PutBe(out, Load<uint16_t>(cell, 2 * i), 2);
      return;
    case kCTypeTimestamp:
      for (size_t i = 0; i < 6; ++i) PutBe(out, Load<uint16_t>(cell, 2 * i), 2);
      PutBe(out, Load<uint32_t>(cell, 12), 4);
      return;
    default:
      out->insert(out->end(), cell.bytes.begin(), cell.bytes.end());
      return;
  }
}

// Drops the zero bytes that end the value begun at `from`.
void DropTrailingZeros(std::vector<uint8_t>* v, size_t from) {
  while (v->size() > from && v->back() == 0) v->pop_back();
}

}  // namespace

BackendRc ReadCell(BackendStatement& backend, uint16_t column, int16_t c_type, int32_t length,
                   Cell* cell, DiagList* diags, int64_t* total) {
  int64_t ignored;
  if (total == nullptr) total = &ignored;
  *total = -1;
  cell->c_type = c_type;
  cell->null = false;
  int64_t indicator = 0;
  int fixed = CTypeFixedSize(c_type);
  if (fixed > 0) {
    cell->bytes.assign(16, 0);
    BackendRc rc = backend.GetData(column, c_type, cell->bytes.data(), 16, &indicator, diags);
    cell->bytes.resize(static_cast<size_t>(fixed));
    cell->null = Succeeded(rc) && indicator == kNullData;
    if (cell->null) cell->bytes.clear();
    *total = cell->null ? kNullData : fixed;
    return rc;
  }
  bool binary = c_type == kCTypeBinary;
  int32_t room = std::clamp(length, 0, kMaxCellBytes);
  // A text leaves the client room for its NUL; other types fill the buffer.
  int32_t keep = c_type == kCTypeChar ? std::max(room - 1, 0) : room;
  cell->bytes.assign(static_cast<size_t>(keep) + 1, 0);
  BackendRc rc = backend.GetData(column, binary ? kCTypeBinary : kCTypeChar, cell->bytes.data(),
                                 binary ? keep : keep + 1, &indicator, diags);
  if (!Succeeded(rc) || indicator == kNullData) {
    cell->null = Succeeded(rc);
    cell->bytes.clear();
    return rc;
  }
  *total = indicator < 0 ? kNoTotal : indicator;
  int64_t n = indicator < 0 ? keep : std::min<int64_t>(indicator, keep);
  // Without a total, a text ends at its NUL within the buffer.
  if (indicator < 0 && !binary)
    n = static_cast<int64_t>(
        strnlen(reinterpret_cast<const char*>(cell->bytes.data()), static_cast<size_t>(n)));
  cell->bytes.resize(static_cast<size_t>(n));
  return rc;
}

namespace {

// Pieces of a value whose whole length the backend does not tell grow by at
// least this much.
constexpr size_t kMinPiece = 64 * 1024;

// The backend's warnings that a piece was cut: the value is read on, so
// they do not hold for it.
void DropTruncations(DiagList* diags) {
  std::erase_if(*diags, [](const Diag& d) { return d.sqlstate == "01004"; });
}

}  // namespace

BackendRc ReadWholeCell(BackendStatement& backend, uint16_t column, int16_t c_type, int32_t length,
                        Cell* cell, DiagList* diags, MemoryCharge* charge) {
  DiagList found;
  int64_t total = -1;
  BackendRc rc = ReadCell(backend, column, c_type, length, cell, &found, &total);
  const bool text = c_type != kCTypeBinary;
  bool more = rc == BackendRc::kSuccessWithInfo && !cell->null && CTypeFixedSize(c_type) == 0 &&
              (total < 0 || static_cast<uint64_t>(total) > cell->bytes.size());
  bool cut = false;
  while (more) {
    DropTruncations(&found);
    size_t have = cell->bytes.size();
    if (have >= kMaxWholeValue) {
      cut = true;
      break;
    }
    // The backend tells what is left of the value, or nothing when it does
    // not know: then the value is read in growing pieces.
    size_t want = total > 0 && static_cast<uint64_t>(total) > have
                      ? static_cast<size_t>(static_cast<uint64_t>(total) - have)
                      : std::max(have, kMinPiece);
    want = std::min(want, kMaxWholeValue - have);
    if (charge != nullptr) {
      MemoryRefusal refusal = charge->Resize(charge->bytes() + want + (text ? 1 : 0));
      if (refusal != MemoryRefusal::kNone) {
        cell->bytes.clear();
        diags->push_back(ServerDiag("S1001", charge->account()->RefusalText(refusal)));
        return BackendRc::kError;
      }
    }
    cell->bytes.resize(have + want + (text ? 1 : 0));
    uint8_t* at = cell->bytes.data() + have;
    int64_t indicator = 0;
    BackendRc piece =
        backend.GetData(column, text ? kCTypeChar : kCTypeBinary, at,
                        static_cast<int64_t>(want + (text ? 1 : 0)), &indicator, &found);
    if (piece == BackendRc::kNoData) {
      cell->bytes.resize(have);
      break;
    }
    if (!Succeeded(piece)) {
      cell->bytes.clear();
      diags->insert(diags->end(), found.begin(), found.end());
      return piece;
    }
    size_t got = indicator < 0 ? want : std::min(static_cast<size_t>(indicator), want);
    if (indicator < 0 && text) got = strnlen(reinterpret_cast<const char*>(at), want);
    cell->bytes.resize(have + got);
    // A backend that says more is left but hands over nothing would keep
    // this loop going for ever: what it gave is all there is.
    if (got == 0) break;
    total = indicator < 0 ? indicator : static_cast<int64_t>(have) + indicator;
    more = piece == BackendRc::kSuccessWithInfo &&
           (indicator < 0 || static_cast<size_t>(indicator) > got);
  }
  if (cut)
    found.push_back(Diag{"01004", 0,
                         "String data, right truncated: a value of column " +
                             std::to_string(column) + " is longer than " +
                             std::to_string(kMaxWholeValue >> 20) + " MB and was cut there."});
  diags->insert(diags->end(), found.begin(), found.end());
  if (!Succeeded(rc)) return rc;
  return found.empty() ? BackendRc::kSuccess : BackendRc::kSuccessWithInfo;
}

void AppendRowValue(const Cell& cell, std::vector<uint8_t>* out) {
  if (cell.null) {
    PutBe(out, static_cast<uint32_t>(-1), 4);
    return;
  }
  std::vector<uint8_t> value;
  AppendBigEndian(cell, &value);
  PutBe(out, static_cast<uint32_t>(value.size()), 4);
  out->insert(out->end(), value.begin(), value.end());
}

void AppendBlockValueBytes(const Cell& cell, std::vector<uint8_t>* out) {
  const size_t from = out->size();
  switch (cell.c_type) {
    case kCTypeULong:
    case kCTypeSLong:
    case kCTypeLong: {
      auto v = static_cast<int32_t>(Load<uint32_t>(cell, 0));
      if (v == 0) {
        // no bytes at all
      } else if (v >= 1 && v <= 256) {
        out->push_back(static_cast<uint8_t>(v - 1));
      } else if (v >= -5536 && v <= 59999) {
        PutBe(out, static_cast<uint16_t>(v + 5536), 2);
      } else {
        PutBe(out, static_cast<uint32_t>(v), 4);
      }
      return;
    }
    case kCTypeFloat:
      if (Load<uint32_t>(cell, 0) != 0) AppendBigEndian(cell, out);
      return;
    case kCTypeDouble:
      if (Load<uint64_t>(cell, 0) == 0) return;
      AppendBigEndian(cell, out);
      // The client repeats the last byte it gets up to eight.
      while (out->size() > from + 1 && (*out)[out->size() - 1] == (*out)[out->size() - 2])
        out->pop_back();
      return;
    case kCTypeDate:
      PutBe(out, Load<uint16_t>(cell, 0), 2);
      out->push_back(static_cast<uint8_t>(Load<uint16_t>(cell, 2)));
      out->push_back(static_cast<uint8_t>(Load<uint16_t>(cell, 4)));
      return;
    case kCTypeTime:
      for (size_t i = 0; i < 3; ++i)
        out->push_back(static_cast<uint8_t>(Load<uint16_t>(cell, 2 * i)));
      DropTrailingZeros(out, from);
      return;
    case kCTypeTimestamp:
      PutBe(out, Load<uint16_t>(cell, 0), 2);
      for (size_t i = 1; i < 6; ++i)
        out->push_back(static_cast<uint8_t>(Load<uint16_t>(cell, 2 * i)));
      PutBe(out, Load<uint32_t>(cell, 12), 4);
      DropTrailingZeros(out, from);
      return;
    default:
      AppendBigEndian(cell, out);
      return;
  }
}

LnaTypedValue CellTypedValue(const Cell& cell) {
  LnaTypedValue v{};
  v.c_type = cell.c_type;
  if (cell.null) {
    v.length = kValueNull;
    return v;
  }
  v.length = static_cast<int32_t>(cell.bytes.size());
  if (cell.c_type == kCTypeChar || cell.c_type == kCTypeBinary) {
    v.value.bytes = const_cast<uint8_t*>(cell.bytes.data());
  } else {
    std::memcpy(v.value.raw, cell.bytes.data(), std::min(cell.bytes.size(), sizeof v.value.raw));
  }
  return v;
}

}  // namespace velsrv
