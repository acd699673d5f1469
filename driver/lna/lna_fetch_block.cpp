// The block road of a fetch: rows handed out of decoded row blocks. A row
// may begin in one block and end in the next; the block's values start at
// the column where the previous block stopped.
#include <algorithm>
#include <climits>
#include <cstring>

#include "common/memory.h"
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_fetch.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_buffers.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/lna/lna_value_decode.h"
#include "driver/lna/stmt_stubs.h"
#include "wire/protocol.h"
#include "wire/row_block_encoder.h"

namespace {

enum class Delivered { kRow, kUsedUp, kUnreadable, kNoMemory };

// The block's last row has values the block carried only in their first
// kMaxBlockValue bytes: their rest is read as long data.
constexpr int32_t kRowContinues = kLnaInfo;
// The pieces the rest of such a value is asked for in.
constexpr int32_t kRestPiece = 1 << 20;

uint32_t ColumnCount(const LnaStatement* stmt) {
  return static_cast<uint32_t>(std::max<int16_t>(stmt->column_count, 0));
}

// The decoders of the previous result; its row block may be the first
// block of this one and stays.
void FreeDecoderArray(LnaStatement* stmt) {
  LnaRowBlock block = stmt->block;
  stmt->block = LnaRowBlock{};
  LnaFreeDecoders(stmt);
  stmt->block = block;
}

void PostUnreadable(LnaStatement* stmt) {
  PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgUnpack,
               kLocTransportBase + static_cast<int32_t>(kRpcFetchBlock));
}

// Values of the current block into the slots from the current column on,
// until the row is whole or the block is used up.
Delivered Deliver(LnaStatement* stmt, LnaFetchSlot* slots) {
  const uint32_t n = ColumnCount(stmt);
  while (stmt->current_column < n && stmt->values_delivered != stmt->values_in_block) {
    uint32_t c = stmt->current_column;
    int extracted = LnaExtractValue(&slots[c], &stmt->decoders[c],
                                    stmt->spills != nullptr ? &stmt->spills[c] : nullptr);
    if (extracted < 0) return Delivered::kNoMemory;
    if (extracted == 0) return Delivered::kUnreadable;
    ++stmt->values_delivered;
    ++stmt->current_column;
  }
  return stmt->current_column == n ? Delivered::kRow : Delivered::kUsedUp;
}

bool Usable(int16_t status) {
  return status == kLnaOk || status == kLnaInfo;
}

// Appends the rest of column `c`'s value, piece by piece, to what its block
// carried of it.
int16_t ReadRest(LnaStatement* stmt, uint32_t c, LnaFetchSlot* slot, uint8_t* piece) {
  LnaSpill* spill = &stmt->spills[c];
  const bool text = slot->c_type == kCTypeChar;
  for (;;) {
    int32_t rest = 0;
    int16_t rc = LnaGetLongDataSP(stmt, static_cast<uint16_t>(c + 1), slot->c_type, piece,
                                  kRestPiece, &rest, 0);
    if (rc == kLnaNoData) return kLnaOk;
    if (!Usable(rc)) return rc;
    if (rest <= 0) return kLnaOk;
    auto n = static_cast<uint32_t>(std::min(rest, text ? kRestPiece - 1 : kRestPiece));
    if (text) n = static_cast<uint32_t>(strnlen(reinterpret_cast<char*>(piece), n));
    if (!LnaSpillAppend(spill, piece, n)) {
      PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocFetch);
      return kLnaFailed;
    }
    slot->result_length = static_cast<int32_t>(std::min<uint32_t>(spill->length, INT32_MAX));
    if (static_cast<uint32_t>(rest) <= n || n == 0) return kLnaOk;
  }
}

// A whole row is delivered: when it is the last of a block that says some
// of its values continue, their rest comes now, before the next block is
// asked for and while the server still holds the row.
int16_t CompleteRow(LnaStatement* stmt, LnaFetchSlot* slots, int16_t status) {
  if (stmt->block_status != kRowContinues || stmt->values_delivered != stmt->values_in_block ||
      stmt->spills == nullptr)
    return status;
  uint8_t* piece = nullptr;
  for (uint32_t c = 0; c < ColumnCount(stmt); ++c) {
    if (!stmt->spills[c].held || slots[c].result_length != static_cast<int32_t>(kMaxBlockValue))
      continue;
    if (piece == nullptr) piece = static_cast<uint8_t*>(MemAlloc(kRestPiece));
    if (piece == nullptr) {
      PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocFetch);
      return kLnaFailed;
    }
    int16_t rc = ReadRest(stmt, c, &slots[c], piece);
    if (!Usable(rc)) {
      MemFree(piece);
      return rc;
    }
  }
  MemFree(piece);
  return status;
}

// This statement's own fetch is pending: the request is repeated.
bool OwnCallPending(const LnaStatement* stmt) {
  LnaFieldGuard guard;
  return stmt->conn->async_state != kLnaAsyncIdle && stmt->conn->async_owner == stmt;
}

}  // namespace

int16_t LnaFetchBlock(LnaStatement* stmt, uint8_t async) {
  // The last block was the final one: nothing is asked for, and no
  // asynchronous call is begun for a request that never goes out.
  if (stmt->block_status == kLnaNoData) return kLnaNoData;
  LnaConnection* conn = stmt->conn;
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, kRpcFetchBlock, async, &skip);
  if (rc != kLnaOk) return rc;
  LnaSetBlockAside(stmt);
  {
    LnaStmtCall on_wire(stmt);
    rc = _rpcLnaFetchBlockSP(&conn->rpc, stmt->server_stmt, async,
                             static_cast<uint16_t>(ColumnCount(stmt)), stmt->columns, &stmt->block);
    rc = on_wire.Settle(rc, kRpcFetchBlock);
  }
  rc = _rcLnaEndStmtAsync(stmt, kRpcFetchBlock, rc, async, &skip);
  if ((Usable(rc) || rc == kLnaStillExecuting) && !skip && stmt->block.count == 0)
    rc = stmt->block.status;
  return rc;
}

int16_t LnaDecodeBlocks(LnaStatement* stmt) {
  const uint32_t n = ColumnCount(stmt);
  const uint32_t values = stmt->block.count;
  stmt->values_in_block = stmt->block.count;
  stmt->values_delivered = 0;
  stmt->block_status = stmt->block.status;
  if (values == 0 && stmt->block_status == kLnaNoData) return kLnaNoData;
  if (stmt->block_status < 0 && stmt->block_status != kLnaNoData)
    return static_cast<int16_t>(stmt->block_status);
  // A block without values has no column blocks to read.
  if (values == 0) return kLnaOk;
  if (stmt->decoders == nullptr) return kLnaFailed;
  const uint32_t first = stmt->current_column;
  uint64_t pos = 0;
  for (uint32_t i = 0; i < n; ++i) {
    // Values run row by row from column `first`: column i gets every n-th.
    uint32_t count = (values + first + n - 1 - i) / n;
    if (i < first && count > 0) --count;
    uint32_t consumed = 0;
    const uint8_t* at = stmt->block.bytes != nullptr ? stmt->block.bytes + pos : nullptr;
    if (!DecodeRowBlock(&stmt->decoders[i], at,
                        static_cast<uint32_t>(stmt->block.data_length - pos), count, &consumed,
                        stmt->block_status != 0)) {
      LnaFreeBlockAside(stmt);
      PostUnreadable(stmt);
      return kLnaFailed;
    }
    pos += consumed;
  }
  LnaFreeBlockAside(stmt);
  return kLnaOk;
}

int16_t LnaFetchFromBlock(LnaStatement* stmt, LnaFetchSlot* slots, uint8_t async) {
  const uint32_t n = ColumnCount(stmt);
  int16_t status = kLnaOk;
  // Another call pending on the connection is refused before anything of
  // this result changes.
  const bool pending = OwnCallPending(stmt);
  if (!pending && LnaAsyncState(stmt->conn) != kLnaAsyncIdle)
    return _rcLnaCheckStmtAsync(stmt, kRpcFetchBlock, async, nullptr);
  if (!pending) {
    if (stmt->fetch_state != kLnaFetching) {
      stmt->block_status = 0;
      stmt->current_column = 0;
      stmt->values_in_block = 0;
      stmt->values_delivered = 0;
      FreeDecoderArray(stmt);
      if (n > 0)
        stmt->decoders = static_cast<RowBlockDecoder*>(MemAlloc(n * sizeof(RowBlockDecoder)));
      // This block stays until the next is decoded: its bytes need counting
      // only when a compressed block comes.
      for (uint32_t i = 0; stmt->decoders != nullptr && i < n; ++i)
        stmt->decoders[i].defer_statistics = 1;
      if ((n > 0 && stmt->decoders == nullptr) || stmt->columns == nullptr) {
        if (stmt->columns != nullptr) PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocFetch);
        stmt->fetch_state = kLnaFetching;
        LnaFreeDecoders(stmt);
        return kLnaFailed;
      }
    } else if (stmt->decoders == nullptr && n > 0) {
      // The result ended or failed; rows come again only with a new one.
      return kLnaNoData;
    }
    stmt->current_column = 0;
    switch (Deliver(stmt, slots)) {
      case Delivered::kRow:
        stmt->fetch_state = kLnaFetching;
        return CompleteRow(stmt, slots, kLnaOk);
      case Delivered::kUnreadable:
        PostUnreadable(stmt);
        status = kLnaFailed;
        break;
      case Delivered::kNoMemory:
        PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocFetch);
        status = kLnaFailed;
        break;
      case Delivered::kUsedUp:
        status = static_cast<int16_t>(stmt->block_status);
        break;
    }
  }
  while (Usable(status)) {
    if (stmt->block.bytes == nullptr && stmt->block.status != kLnaNoData &&
        stmt->fetch_state == kLnaNewResultWithBlock) {
      status = LnaFetchBlock(stmt, async);
      stmt->fetch_state = kLnaFetching;
    } else if (stmt->fetch_state != kLnaNewResultWithBlock) {
      // A used-up block asks for the next one also when its status was 1:
      // decoding it again would hand out its rows twice.
      status = LnaFetchBlock(stmt, async);
    } else {
      // The first block came with the execution and is still unread.
      stmt->fetch_state = kLnaFetching;
    }
    if (Usable(status)) status = LnaDecodeBlocks(stmt);
    if (status == kLnaStillExecuting) return status;
    if (!Usable(status)) break;
    Delivered d = Deliver(stmt, slots);
    if (d == Delivered::kRow) {
      stmt->fetch_state = kLnaFetching;
      return CompleteRow(stmt, slots, status);
    }
    if (d == Delivered::kUnreadable || d == Delivered::kNoMemory) {
      if (d == Delivered::kUnreadable)
        PostUnreadable(stmt);
      else
        PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocFetch);
      status = kLnaFailed;
      break;
    }
    status = static_cast<int16_t>(stmt->block_status);
  }
  stmt->fetch_state = kLnaFetching;
  if (Usable(status)) return status;
  LnaFreeDecoders(stmt);
  return status;
}
