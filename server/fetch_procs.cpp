// Fetching: a block of rows (2), one row (15) and a long value piece by
// piece (21).
#include <algorithm>
#include <climits>
#include <cstddef>

#include "server/procedures.h"
#include "server/row_block_builder.h"
#include "wire/statement_calls.h"

namespace velsrv {

namespace {

// A block value's length travels in 16 bits.
constexpr int32_t kMaxBlockCell = 65000;

// The requests must name the open result's columns; a fault leaves a
// diagnostic and gives false.
bool CheckRequests(Call& call, const std::vector<LnaFetchRequest>& requests, bool every_column) {
  const ServerResult& r = call.statement()->result;
  if (r.columns.empty()) {
    call.Fail("24000", "Invalid cursor state: no result set is open.");
    return false;
  }
  if (requests.size() > r.columns.size() || (every_column && requests.size() != r.columns.size())) {
    call.Fail("S1002", "Invalid column number.");
    return false;
  }
  for (const LnaFetchRequest& q : requests) {
    if (q.length < 0) {
      call.Fail("S1090", "Invalid string or buffer length.");
      return false;
    }
  }
  return true;
}

bool WireCType(int16_t c_type) {
  return c_type == kCTypeChar || c_type == kCTypeBinary || CTypeFixedSize(c_type) > 0;
}

// The statement a fetch names and its column requests, checked against the
// open result; null, with the answer's status in *status, when the request
// is malformed or cannot be served.
ServerStatement* GetFetchCall(Call& call, std::vector<LnaFetchRequest>* requests, bool every_column,
                              int16_t* status) {
  DecodedRecord<FetchRequest> request;
  bool ok = Decode(call.in(), &request.record);
  ServerStatement* s = call.NamedStatement(request.record.statement);
  if (!call.Parsed(ok)) {
    *status = call.BadRequest();
    return nullptr;
  }
  requests->assign(request.record.columns, request.record.columns + request.record.count);
  if (s == nullptr || !CheckRequests(call, *requests, every_column)) {
    *status = kReplyFailed;
    return nullptr;
  }
  return s;
}

}  // namespace

int16_t FetchBlockProc(Call& call) {
  std::vector<LnaFetchRequest> requests;
  BuiltBlock block;
  block.status = kReplyFailed;
  int16_t status;
  if (GetFetchCall(call, &requests, true, &status) != nullptr) {
    for (LnaFetchRequest& q : requests) q.length = std::min(q.length, kMaxBlockCell);
    status = NextRowBlock(call, requests, &block);
  }
  call.Put(Encode(call.out(), FetchBlockReply{BlockView(block)}));
  return status;
}

int16_t FetchRowProc(Call& call) {
  std::vector<LnaFetchRequest> requests;
  std::vector<uint8_t> bytes;
  int16_t status;
  ServerStatement* s = GetFetchCall(call, &requests, false, &status);
  if (s != nullptr) {
    ServerResult& r = s->result;
    r.on_row = false;
    r.build_ahead = false;
    UndoBlockAhead(&r);
    r.continued_row.clear();
    r.continued_sent.clear();
    DiagList diags;
    std::vector<Cell> cells;
    bool from_backend = false;
    if (!r.waiting.empty()) {
      // A row read for a block that did not carry it: the next row.
      if (WaitingRowsFit(call, requests)) {
        cells = std::move(r.waiting.front());
        r.waiting.pop_front();
        status = call.FromBackend(r.waiting_rc, r.waiting_diags);
        r.waiting_rc = BackendRc::kSuccess;
        r.waiting_diags.clear();
        // Its long data comes from here, the backend being on another row.
        r.continued_row = cells;
        r.continued_sent.assign(cells.size(), 0);
      } else {
        status = kReplyFailed;
      }
    } else if (r.failed) {
      r.failed = false;
      r.at_end = true;
      status = call.FromBackend(BackendRc::kError, r.failure);
      r.failure.clear();
    } else if (r.at_end) {
      status = kReplyNoData;
    } else {
      from_backend = true;
      BackendRc rc;
      {
        Session::ActiveCall active(call.session(), s->backend.get());
        rc = r.reader.Next(*s->backend, requests, true, &cells, &diags, &s->result_memory);
      }
      if (rc == BackendRc::kNoData) r.at_end = true;
      status = call.FromBackend(rc, diags);
    }
    if (status == kReplyOk || status == kReplyInfo) {
      r.on_row = from_backend;
      for (size_t i = 0; i < requests.size(); ++i) {
        if (requests[i].length != 0) AppendRowValue(cells[i], &bytes);
      }
    }
    s->ChargeResult();
  }
  call.Put(Encode(call.out(), FetchReply{{static_cast<int32_t>(bytes.size()), bytes.data(),
                                          static_cast<uint32_t>(bytes.size())}}));
  return status;
}

// The next piece of a value of the client's row that its block carried
// only in part, from what is left of it, as SQLGetData gives a piece: at
// most `buffer_size` bytes (a text with room for the client's NUL), and the
// length of the rest (which tells the client whether more follows). No
// data once the rest is handed out.
int16_t ContinuedPiece(Call& call, uint16_t column, int16_t c_type, int32_t buffer_size,
                       Cell* piece, int64_t* total) {
  ServerResult& r = call.statement()->result;
  const Cell& cell = r.continued_row[column - 1];
  size_t& sent = r.continued_sent[column - 1];
  if (c_type != cell.c_type) return call.Fail("07006", "Restricted data type attribute violation.");
  if (cell.null || sent >= cell.bytes.size()) return kReplyNoData;
  size_t rest = cell.bytes.size() - sent;
  size_t room = static_cast<size_t>(std::clamp(buffer_size, 0, kMaxCellBytes));
  if (c_type == kCTypeChar) room = room > 0 ? room - 1 : 0;
  size_t n = std::min(rest, room);
  piece->c_type = c_type;
  piece->null = false;
  piece->bytes.assign(cell.bytes.begin() + static_cast<std::ptrdiff_t>(sent),
                      cell.bytes.begin() + static_cast<std::ptrdiff_t>(sent + n));
  *total = static_cast<int64_t>(rest);
  sent += n;
  return kReplyOk;
}

int16_t GetLongDataProc(Call& call) {
  GetLongDataRequest request;
  Cell cell;
  cell.null = true;
  int64_t total = -1;
  int16_t status;
  bool ok = Decode(call.in(), &request);
  ServerStatement* s = call.NamedStatement(request.statement);
  const uint16_t column = request.column;
  const int16_t c_type = request.c_type;
  const int32_t buffer_size = request.buffer_size;
  if (!call.Parsed(ok)) {
    status = call.BadRequest();
  } else if (s == nullptr) {
    status = kReplyFailed;
  } else if (!s->result.continued_row.empty() && column >= 1 &&
             column <= s->result.continued_row.size()) {
    status = ContinuedPiece(call, column, c_type, buffer_size, &cell, &total);
  } else if (!s->result.on_row) {
    status = call.Fail("24000", "Invalid cursor state: no row is current.");
  } else if (column == 0 || column > s->result.columns.size()) {
    status = call.Fail("S1002", "Invalid column number.");
  } else if (!WireCType(c_type)) {
    status = call.Fail("S1003", "Program type out of range.");
  } else if (buffer_size < 0) {
    status = call.Fail("S1090", "Invalid string or buffer length.");
  } else {
    DiagList diags;
    BackendRc rc;
    {
      Session::ActiveCall active(call.session(), s->backend.get());
      rc = ReadCell(*s->backend, column, c_type, buffer_size, &cell, &diags, &total);
    }
    status = call.FromBackend(rc, diags);
    if (status != kReplyOk && status != kReplyInfo) {
      cell = Cell{};
      cell.null = true;
      total = -1;
    }
  }
  if (cell.c_type == 0) cell.c_type = WireCType(c_type) ? c_type : kCTypeChar;
  auto length = static_cast<int32_t>(std::clamp<int64_t>(total, -4, INT32_MAX));
  call.Put(Encode(call.out(), GetLongDataReply{CellTypedValue(cell), length}));
  return status;
}

}  // namespace velsrv
