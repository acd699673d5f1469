#include "server/row_block_builder.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "common/memory.h"
#include "wire/huffman.h"
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
// A block built ahead looks for a waiting request every so many rows, and
// at least this often.
constexpr size_t kRowsBetweenLooks = 64;
constexpr auto kLookAtLeastEvery = std::chrono::milliseconds(1);
// Building ahead is for results that stream: after a block that took
// longer than this to read, or once this long has gone into the next, the
// server waits for the client instead. A request that comes meanwhile waits
// no longer than the backend call under way.
constexpr auto kAheadTime = std::chrono::milliseconds(100);

using Clock = std::chrono::steady_clock;

bool IsBytes(const Cell& c) {
  return !c.null && CTypeFixedSize(c.c_type) == 0;
}

// The lengths of the text and binary values a column of the block holds so
// far: one column block must carry them all.
struct LengthRange {
  uint32_t min = UINT32_MAX;
  uint32_t max = 0;
};

// What a row adds to its block, in one look at its values: their bytes,
// whether one is longer than any block carries, and whether the text and
// binary lengths still fit their column blocks. `bytes_column` says which
// columns hold text or binary values.
struct RowFit {
  uint32_t bytes = 0;
  bool too_long = false;
  bool fits = true;
};

RowFit Fit(const std::vector<Cell>& row, const std::vector<uint8_t>& bytes_column,
           const std::vector<LengthRange>& ranges) {
  RowFit f;
  for (size_t i = 0; i < row.size(); ++i) {
    const Cell& c = row[i];
    auto length = static_cast<uint32_t>(c.bytes.size());
    f.bytes += length + kValueOverhead;
    if (c.null || !bytes_column[i]) continue;
    f.too_long = f.too_long || length > kMaxBlockValue;
    f.fits =
        f.fits && BlockLengthsFit(std::min(ranges[i].min, length), std::max(ranges[i].max, length));
  }
  return f;
}

void Widen(const std::vector<Cell>& row, const std::vector<uint8_t>& bytes_column,
           std::vector<LengthRange>* ranges) {
  for (size_t i = 0; i < row.size(); ++i) {
    if (row[i].null || !bytes_column[i]) continue;
    auto length = static_cast<uint32_t>(row[i].bytes.size());
    (*ranges)[i].min = std::min((*ranges)[i].min, length);
    (*ranges)[i].max = std::max((*ranges)[i].max, length);
  }
}

// The row as its block carries it, every value cut to what a column block
// holds; the whole row goes to `whole`, where the client reads the rest of
// those values as long data.
std::vector<Cell> Continue(std::vector<Cell> row, std::vector<Cell>* whole,
                           std::vector<size_t>* sent) {
  *whole = row;
  sent->assign(row.size(), 0);
  for (size_t i = 0; i < row.size(); ++i) {
    if (IsBytes(row[i]) && row[i].bytes.size() > kMaxBlockValue)
      row[i].bytes.resize(kMaxBlockValue);
    (*sent)[i] = row[i].bytes.size();
  }
  return row;
}

bool SameRequests(const std::vector<LnaFetchRequest>& a, const std::vector<LnaFetchRequest>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const LnaFetchRequest& x, const LnaFetchRequest& y) {
                      return x.c_type == y.c_type && x.length == y.length;
                    });
}

// Where one block's rows go, and what reading them said.
struct BlockWork {
  BlockWork(std::vector<std::vector<Cell>>* rows_to, std::vector<Cell>* continued_row_to,
            std::vector<size_t>* continued_sent_to, BuiltBlock* block_to)
      : rows(rows_to),
        continued_row(continued_row_to),
        continued_sent(continued_sent_to),
        block(block_to) {}
  std::vector<std::vector<Cell>>* rows;
  std::vector<Cell>* continued_row;
  std::vector<size_t>* continued_sent;
  BuiltBlock* block;
  size_t count = 0;
  BackendRc rc = BackendRc::kSuccess;
  DiagList diags;
};

// Puts rows back before those waiting, in their order.
void Unread(ServerResult* r, std::vector<std::vector<Cell>>* rows, size_t count,
            const std::vector<LnaFetchRequest>& requests) {
  for (size_t i = count; i-- > 0;) r->waiting.push_front(std::move((*rows)[i]));
  r->waiting_requests = requests;
}

void EncodeRows(Session& session, ServerResult& r, const std::vector<LnaFetchRequest>& requests,
                BlockWork* w) {
  const size_t n = requests.size();
  const size_t count = w->count;
  const std::vector<std::vector<Cell>>& rows = *w->rows;
  BuiltBlock* block = w->block;
  block->count = static_cast<uint16_t>(count * n);
  if (count == 0) return;
  BlockCompression compression =
      session.context().config().compress ? BlockCompression::kIfSmaller : BlockCompression::kNever;
  std::vector<uint8_t>& bytes = r.value_bytes;
  std::vector<BlockValue>& column = r.column_values;
  column.resize(count);
  for (size_t c = 0; c < n; ++c) {
    bytes.clear();
    for (size_t i = 0; i < count; ++i) {
      const Cell& cell = rows[i][c];
      size_t start = bytes.size();
      if (!cell.null) AppendBlockValueBytes(cell, &bytes);
      column[i] = BlockValue{nullptr, cell.null ? -1 : static_cast<int32_t>(bytes.size() - start)};
    }
    // The buffer has stopped growing: the values can point into it.
    const uint8_t* at = bytes.data();
    for (size_t i = 0; i < count; ++i) {
      column[i].data = at;
      if (column[i].length > 0) at += column[i].length;
    }
    if (!EncodeColumnBlock(&r.encoders[c], column.data(), static_cast<uint32_t>(count),
                           BlockForm::kSmallest, compression, block->status != kReplyOk,
                           &block->bytes)) {
      // The client's statistics no longer match the server's: the result
      // cannot go on.
      *block = BuiltBlock{};
      block->status = kReplyFailed;
      r.at_end = true;
      r.waiting.clear();
      w->rc = BackendRc::kError;
      w->diags = {ServerDiag("S1000", "A row block could not be built.")};
      return;
    }
  }
}

enum class Built { kBlock, kStopped };

// Reads the rows of the next block, the waiting ones first, and encodes
// them. With `stop`, the reading ends as soon as it says so: then the rows
// read wait again and nothing is built.
Built BuildBlock(Session& session, ServerStatement& s, const std::vector<LnaFetchRequest>& requests,
                 const std::function<bool()>* stop, BlockWork* w) {
  ServerResult& r = s.result;
  BuiltBlock* block = w->block;
  *block = BuiltBlock{};
  w->rc = BackendRc::kSuccess;
  w->diags.clear();
  w->count = 0;
  const size_t n = requests.size();
  uint32_t max_rows = std::min<uint32_t>(kMaxBlockRows, 65535 / static_cast<uint32_t>(n));
  uint32_t size = session.array_buffer_size();
  uint32_t overhead = kColumnOverhead * static_cast<uint32_t>(n);
  uint32_t budget = size > overhead ? size - overhead : 0;

  std::vector<std::vector<Cell>>& rows = *w->rows;
  size_t count = 0;
  std::vector<LengthRange> ranges(n);
  std::vector<uint8_t> bytes_column(n);
  for (size_t i = 0; i < n; ++i) bytes_column[i] = CTypeFixedSize(requests[i].c_type) == 0;
  bool continued = false;
  uint32_t used = 0;
  // What reading the waiting rows said goes with the first of them.
  BackendRc worst = BackendRc::kSuccess;
  DiagList& diags = w->diags;
  if (!r.waiting.empty()) {
    worst = r.waiting_rc;
    diags = std::move(r.waiting_diags);
    r.waiting_rc = BackendRc::kSuccess;
    r.waiting_diags.clear();
  }
  {
    Session::ActiveCall active(session, s.backend.get());
    while (count < max_rows) {
      if (stop != nullptr && count > 0 && (*stop)()) {
        Unread(&r, &rows, count, requests);
        r.waiting_rc = worst;
        r.waiting_diags = std::move(diags);
        return Built::kStopped;
      }
      if (rows.size() == count) rows.emplace_back();
      std::vector<Cell>& row = rows[count];
      // What reading this row said goes with the block that carries it.
      BackendRc row_rc = BackendRc::kSuccess;
      DiagList row_diags;
      if (!r.waiting.empty()) {
        row.swap(r.waiting.front());
        r.waiting.pop_front();
      } else if (r.failed) {
        if (count > 0) break;
        // The rows before the failure went out: it answers now.
        r.failed = false;
        r.at_end = true;
        block->status = kReplyFailed;
        w->rc = BackendRc::kError;
        diags.insert(diags.end(), r.failure.begin(), r.failure.end());
        r.failure.clear();
        return Built::kBlock;
      } else if (r.at_end) {
        break;
      } else {
        BackendRc rc =
            r.reader.Next(*s.backend, requests, false, &row, &row_diags, &s.result_memory);
        if (rc == BackendRc::kNoData) {
          r.at_end = true;
          break;
        }
        if (!Succeeded(rc)) {
          if (count == 0) {
            r.at_end = true;
            block->status = kReplyFailed;
            w->rc = BackendRc::kError;
            diags.insert(diags.end(), row_diags.begin(), row_diags.end());
            return Built::kBlock;
          }
          // The rows read so far go out; the failure answers the next fetch.
          r.failed = true;
          r.failure = std::move(row_diags);
          break;
        }
        row_rc = rc;
      }
      // A row whose values a column block cannot carry whole ends its
      // block, so that it is the row the client is on when it asks for the
      // rest of them.
      RowFit fit = Fit(row, bytes_column, ranges);
      if (count > 0 && (fit.too_long || used + fit.bytes > budget || !fit.fits)) {
        r.waiting.push_front(std::move(row));
        r.waiting_requests = requests;
        r.waiting_rc = row_rc;
        r.waiting_diags = std::move(row_diags);
        break;
      }
      worst = Worse(worst, row_rc);
      diags.insert(diags.end(), row_diags.begin(), row_diags.end());
      if (fit.too_long) {
        row = Continue(std::move(row), w->continued_row, w->continued_sent);
        ++count;
        continued = true;
        break;
      }
      Widen(row, bytes_column, &ranges);
      used += fit.bytes;
      ++count;
    }
  }
  // Status 1: the block's last row has values whose rest the client reads
  // as long data; rows may follow.
  if (continued)
    block->status = kReplyInfo;
  else
    block->status = r.at_end && r.waiting.empty() && !r.failed ? kReplyNoData : kReplyOk;
  w->count = count;
  w->rc = worst;
  EncodeRows(session, r, requests, w);
  // A value read whole may have been far longer than any block carries:
  // its buffer is not kept for the next block.
  for (size_t i = 0; i < count; ++i)
    for (Cell& cell : rows[i])
      if (cell.bytes.capacity() > kMaxBlockValue) std::vector<uint8_t>().swap(cell.bytes);
  return Built::kBlock;
}

void SaveStatistics(const ServerResult& r, AheadBlock* a) {
  a->statistics.resize(r.encoders.size());
  for (size_t c = 0; c < r.encoders.size(); ++c) {
    const uint16_t* stats = r.encoders[c].statistics;
    if (stats == nullptr)
      a->statistics[c].clear();
    else
      a->statistics[c].assign(stats, stats + kHuffmanTableSize);
  }
}

void RestoreStatistics(const AheadBlock& a, ServerResult* r) {
  for (size_t c = 0; c < r->encoders.size() && c < a.statistics.size(); ++c) {
    ColumnBlockEncoder& e = r->encoders[c];
    if (!a.statistics[c].empty() && e.statistics == nullptr)
      e.statistics = static_cast<uint16_t*>(MemAlloc(kHuffmanTableSize * sizeof(uint16_t)));
    // Without statistics the next block goes uncompressed, which the client
    // reads whatever statistics it has.
    if (a.statistics[c].empty() || e.statistics == nullptr)
      FreeColumnBlockEncoder(&e);
    else
      std::memcpy(e.statistics, a.statistics[c].data(), kHuffmanTableSize * sizeof(uint16_t));
  }
}

}  // namespace

bool WaitingRowsFit(Call& call, const std::vector<LnaFetchRequest>& requests) {
  const ServerResult& r = call.statement()->result;
  if (r.waiting.empty()) return true;
  for (size_t i = 0; i < requests.size(); ++i) {
    if (requests[i].length == 0) continue;
    if (i < r.waiting_requests.size() && r.waiting_requests[i].length != 0 &&
        r.waiting_requests[i].c_type == requests[i].c_type)
      continue;
    call.Fail("S1000", "The fetch asks for column " + std::to_string(i + 1) +
                           " in another C type than the rows already read from the data source.");
    return false;
  }
  return true;
}

void UndoBlockAhead(ServerResult* r) {
  AheadBlock& a = r->ahead;
  if (!a.ready) return;
  a.ready = false;
  if (a.block.status == kReplyFailed) {
    // What failed building it answers the next fetch instead.
    r->failed = true;
    r->failure = std::move(a.diags);
  } else {
    if (!a.continued_row.empty() && a.count > 0) a.rows[a.count - 1] = std::move(a.continued_row);
    Unread(r, &a.rows, a.count, a.requests);
    a.diags.insert(a.diags.end(), r->waiting_diags.begin(), r->waiting_diags.end());
    r->waiting_diags = std::move(a.diags);
    r->waiting_rc = Worse(a.rc, r->waiting_rc);
    RestoreStatistics(a, r);
  }
  a.diags.clear();
  a.continued_row.clear();
  a.continued_sent.clear();
  a.block = BuiltBlock{};
}

int16_t NextRowBlock(Call& call, const std::vector<LnaFetchRequest>& requests, BuiltBlock* block) {
  ServerStatement& s = *call.statement();
  ServerResult& r = s.result;
  Session& session = call.session();
  r.on_row = false;
  r.build_ahead = false;
  int16_t status;
  Clock::time_point start = Clock::now();
  if (r.ahead.ready && SameRequests(r.ahead.requests, requests)) {
    AheadBlock& a = r.ahead;
    a.ready = false;
    start -= a.took;
    *block = std::move(a.block);
    a.block = BuiltBlock{};
    r.continued_row = std::move(a.continued_row);
    r.continued_sent = std::move(a.continued_sent);
    a.continued_row.clear();
    a.continued_sent.clear();
    // The two sets of rows take turns, keeping their cells' buffers.
    r.block_rows.swap(a.rows);
    status = call.FromBackend(a.rc, a.diags);
    a.diags.clear();
  } else {
    UndoBlockAhead(&r);
    r.continued_row.clear();
    r.continued_sent.clear();
    if (!WaitingRowsFit(call, requests)) {
      *block = BuiltBlock{};
      block->status = kReplyFailed;
      s.ChargeResult();
      return kReplyFailed;
    }
    BlockWork w(&r.block_rows, &r.continued_row, &r.continued_sent, block);
    BuildBlock(session, s, requests, nullptr, &w);
    status = call.FromBackend(w.rc, w.diags);
  }
  if ((block->status == kReplyOk || block->status == kReplyInfo) &&
      Clock::now() - start < kAheadTime) {
    r.build_ahead = true;
    r.last_requests = requests;
    session.block_ahead_statement = s.id;
  }
  s.ChargeResult();
  return status;
}

void BuildBlockAhead(Session& session, const std::function<bool()>& stop) {
  const int32_t id = session.block_ahead_statement;
  session.block_ahead_statement = 0;
  ServerStatement* s = id != 0 ? session.FindStatement(id) : nullptr;
  if (s == nullptr) return;
  ServerResult& r = s->result;
  if (!r.build_ahead || r.ahead.ready) return;
  r.build_ahead = false;
  if (r.waiting.empty() && (r.at_end || r.failed)) return;
  if (!r.waiting.empty() && !SameRequests(r.waiting_requests, r.last_requests)) return;
  if (stop()) return;
  const Clock::time_point begun = Clock::now();
  const Clock::time_point deadline = begun + kAheadTime;
  // Asked before every row: it looks for a request every so many rows, and
  // after every row once rows come slowly.
  size_t rows = 0;
  Clock::time_point looked = begun;
  const std::function<bool()> stop_or_late = [&] {
    Clock::time_point now = Clock::now();
    if (now > deadline) return true;
    if (++rows % kRowsBetweenLooks != 0 && now - looked < kLookAtLeastEvery) return false;
    looked = now;
    return stop();
  };
  AheadBlock& a = r.ahead;
  SaveStatistics(r, &a);
  a.continued_row.clear();
  a.continued_sent.clear();
  BlockWork w(&a.rows, &a.continued_row, &a.continued_sent, &a.block);
  const Built built = BuildBlock(session, *s, r.last_requests, &stop_or_late, &w);
  s->ChargeResult();
  if (built == Built::kStopped) return;
  a.rc = w.rc;
  a.diags = std::move(w.diags);
  a.count = w.count;
  a.requests = r.last_requests;
  a.took = Clock::now() - begun;
  a.ready = true;
}

LnaRowBlock BlockView(const BuiltBlock& block) {
  return LnaRowBlock{block.status, block.count, static_cast<uint32_t>(block.bytes.size()),
                     const_cast<uint8_t*>(block.bytes.data()),
                     static_cast<uint32_t>(block.bytes.size())};
}

}  // namespace velsrv
