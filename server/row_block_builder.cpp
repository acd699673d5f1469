#include "server/row_block_builder.h"

#include <algorithm>
#include <cstdint>

#include "wire/row_block_encoder.h"
#include "wire/row_reply.h"

namespace velsrv {

namespace {

// The client counts a block's values in 16 bits, and a dictionary index's
// bit position too (rows × index width within 65536, index widths up to 16).
constexpr uint32_t kMaxBlockRows = kMaxIndexBits / 16;
// What a column block adds to its values: header, fixed length, the
// compressed length, padding of the packed fields.
constexpr uint32_t kColumnOverhead = 8;
// What a value adds to its bytes at most: its packed length or index.
constexpr uint32_t kValueOverhead = 2;

uint32_t RowBytes(const std::vector<Cell>& row) {
  uint32_t n = 0;
  for (const Cell& c : row) n += static_cast<uint32_t>(c.bytes.size()) + kValueOverhead;
  return n;
}

bool IsBytes(const Cell& c) {
  return !c.null && CTypeFixedSize(c.c_type) == 0;
}

// The lengths of the text and binary values a column of the block holds so
// far: one column block must carry them all.
struct LengthRange {
  uint32_t min = UINT32_MAX;
  uint32_t max = 0;
};

bool FitsRanges(const std::vector<Cell>& row, const std::vector<LengthRange>& ranges) {
  for (size_t i = 0; i < row.size(); ++i) {
    if (!IsBytes(row[i])) continue;
    auto length = static_cast<uint32_t>(row[i].bytes.size());
    if (!BlockLengthsFit(std::min(ranges[i].min, length), std::max(ranges[i].max, length)))
      return false;
  }
  return true;
}

void Widen(const std::vector<Cell>& row, std::vector<LengthRange>* ranges) {
  for (size_t i = 0; i < row.size(); ++i) {
    if (!IsBytes(row[i])) continue;
    auto length = static_cast<uint32_t>(row[i].bytes.size());
    (*ranges)[i].min = std::min((*ranges)[i].min, length);
    (*ranges)[i].max = std::max((*ranges)[i].max, length);
  }
}

bool TooLongForBlock(const std::vector<Cell>& row) {
  return std::any_of(row.begin(), row.end(),
                     [](const Cell& c) { return IsBytes(c) && c.bytes.size() > kMaxBlockValue; });
}

// The row as its block carries it, every value cut to what a column block
// holds; the whole row stays with the result, where the client reads the
// rest of those values as long data.
std::vector<Cell> Continue(std::vector<Cell> row, ServerResult* r) {
  r->continued_row = row;
  r->continued_sent.assign(row.size(), 0);
  for (size_t i = 0; i < row.size(); ++i) {
    if (IsBytes(row[i]) && row[i].bytes.size() > kMaxBlockValue)
      row[i].bytes.resize(kMaxBlockValue);
    r->continued_sent[i] = row[i].bytes.size();
  }
  return row;
}

int Rank(BackendRc rc) {
  switch (rc) {
    case BackendRc::kSuccess:
    case BackendRc::kNoData:
      return 0;
    case BackendRc::kSuccessWithInfo:
      return 1;
    default:
      return 2;
  }
}

}  // namespace

BackendRc Worse(BackendRc a, BackendRc b) {
  return Rank(b) > Rank(a) ? b : a;
}

BackendRc ReadRowCells(BackendStatement& backend, const std::vector<LnaFetchRequest>& requests,
                       std::vector<Cell>* cells, DiagList* diags) {
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
                                 &(*cells)[i], diags);
    worst = Worse(worst, rc);
    if (!Succeeded(rc)) break;
  }
  return worst;
}

int16_t NextRowBlock(Call& call, const std::vector<LnaFetchRequest>& requests, BuiltBlock* block) {
  *block = BuiltBlock{};
  ServerStatement& s = *call.statement();
  ServerResult& r = s.result;
  size_t n = requests.size();
  r.on_row = false;
  if (r.failed) {
    r.failed = false;
    r.at_end = true;
    block->status = kStatusError;
    return call.FromBackend(BackendRc::kError, r.failure);
  }
  uint32_t max_rows = std::min<uint32_t>(kMaxBlockRows, 65535 / static_cast<uint32_t>(n));
  uint32_t size = call.session().array_buffer_size();
  uint32_t overhead = kColumnOverhead * static_cast<uint32_t>(n);
  uint32_t budget = size > overhead ? size - overhead : 0;

  r.continued_row.clear();
  r.continued_sent.clear();
  std::vector<std::vector<Cell>>& rows = r.block_rows;
  size_t count = 0;
  std::vector<LengthRange> ranges(n);
  bool continued = false;
  uint32_t used = 0;
  BackendRc worst = BackendRc::kSuccess;
  DiagList diags;
  {
    Session::ActiveCall active(call.session(), s.backend.get());
    while (count < max_rows) {
      if (rows.size() == count) rows.emplace_back();
      std::vector<Cell>& row = rows[count];
      if (!r.pending_row.empty()) {
        row.swap(r.pending_row);
        r.pending_row.clear();
      } else {
        if (r.at_end) break;
        DiagList row_diags;
        BackendRc rc = s.backend->Fetch(&row_diags);
        if (rc == BackendRc::kNoData) {
          r.at_end = true;
          break;
        }
        if (Succeeded(rc)) rc = Worse(rc, ReadRowCells(*s.backend, requests, &row, &row_diags));
        if (!Succeeded(rc)) {
          if (count == 0) {
            r.at_end = true;
            block->status = kStatusError;
            diags.insert(diags.end(), row_diags.begin(), row_diags.end());
            return call.FromBackend(BackendRc::kError, diags);
          }
          // The rows read so far go out; the failure answers the next fetch.
          r.failed = true;
          r.failure = std::move(row_diags);
          break;
        }
        worst = Worse(worst, rc);
        diags.insert(diags.end(), row_diags.begin(), row_diags.end());
      }
      // A row whose values a column block cannot carry whole ends its
      // block, so that it is the row the client is on when it asks for the
      // rest of them.
      bool too_long = TooLongForBlock(row);
      uint32_t bytes = RowBytes(row);
      if (count > 0 && (too_long || used + bytes > budget || !FitsRanges(row, ranges))) {
        r.pending_row.swap(row);
        break;
      }
      if (too_long) {
        row = Continue(std::move(row), &r);
        ++count;
        continued = true;
        break;
      }
      Widen(row, &ranges);
      used += bytes;
      ++count;
    }
  }
  // Status 1: the block's last row has values whose rest the client reads
  // as long data; rows may follow.
  if (continued)
    block->status = kStatusInfo;
  else
    block->status = r.at_end && r.pending_row.empty() ? kStatusNoData : kStatusOk;
  block->count = static_cast<uint16_t>(count * n);
  if (count > 0) {
    BlockCompression compression = call.session().context().config().compress
                                       ? BlockCompression::kIfSmaller
                                       : BlockCompression::kNone;
    std::vector<uint8_t>& bytes = r.value_bytes;
    std::vector<BlockValue>& column = r.column_values;
    column.resize(count);
    for (size_t c = 0; c < n; ++c) {
      bytes.clear();
      for (size_t i = 0; i < count; ++i) {
        const Cell& cell = rows[i][c];
        size_t start = bytes.size();
        if (!cell.null) AppendBlockValueBytes(cell, &bytes);
        column[i] =
            BlockValue{nullptr, cell.null ? -1 : static_cast<int32_t>(bytes.size() - start)};
      }
      // The buffer has stopped growing: the values can point into it.
      const uint8_t* at = bytes.data();
      for (size_t i = 0; i < count; ++i) {
        column[i].data = at;
        if (column[i].length > 0) at += column[i].length;
      }
      if (!EncodeColumnBlock(&r.encoders[c], column.data(), static_cast<uint32_t>(count),
                             BlockForm::kSmallest, compression, block->status != kStatusOk,
                             &block->bytes)) {
        // The client's statistics no longer match the server's: the result
        // cannot go on.
        *block = BuiltBlock{};
        block->status = kStatusError;
        r.at_end = true;
        r.pending_row.clear();
        return call.Fail("S1000", "A row block could not be built.");
      }
    }
  }
  // A value read whole may have been far longer than any block carries:
  // its buffer is not kept for the next block.
  for (size_t i = 0; i < count; ++i)
    for (Cell& cell : rows[i])
      if (cell.bytes.capacity() > kMaxBlockValue) std::vector<uint8_t>().swap(cell.bytes);
  return call.FromBackend(worst, diags);
}

LnaRowBlock BlockView(const BuiltBlock& block) {
  return LnaRowBlock{block.status, block.count, static_cast<uint32_t>(block.bytes.size()),
                     const_cast<uint8_t*>(block.bytes.data()),
                     static_cast<uint32_t>(block.bytes.size())};
}

}  // namespace velsrv
