// The fetch entry point, the choice of road and the single-row road.
#include "driver/lna/lna_fetch.h"

#include <algorithm>
#include <climits>

#include "driver/lna/lna_async.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/lna/lna_trace_args.h"
#include "driver/lna/lna_value_decode.h"
#include "driver/lna/stmt_stubs.h"
#include "wire/array_buffer.h"
#include "wire/protocol.h"

int LnaColumnFetched(const LnaStatement* stmt, uint16_t column) {
  if (stmt == nullptr || stmt->columns == nullptr || column < 1 ||
      column > static_cast<uint16_t>(std::max<int16_t>(stmt->column_count, 0)))
    return 0;
  return stmt->columns[column - 1].length != 0 ? 1 : 0;
}

const void* LnaFetchedValue(const LnaStatement* stmt, uint16_t column, const LnaFetchSlot* slot,
                            int32_t* length) {
  *length = 0;
  if (slot == nullptr) return nullptr;
  if (stmt != nullptr && stmt->spills != nullptr && column >= 1 &&
      column <= static_cast<uint16_t>(std::max<int16_t>(stmt->column_count, 0)) &&
      stmt->spills[column - 1].held) {
    const LnaSpill& spill = stmt->spills[column - 1];
    *length = static_cast<int32_t>(std::min<uint32_t>(spill.length, INT32_MAX));
    return spill.bytes;
  }
  *length = std::min(std::max(slot->result_length, 0), std::max(slot->buffer_length, 0));
  return slot->buffer;
}

void LnaMarkFetchColumns(LnaStatement* stmt, const LnaFetchSlot* slots) {
  LnaConnection* conn = stmt->conn;
  if (stmt->columns == nullptr) return;
  if (conn->array_fetch && stmt->fetch_state == kLnaFetching) return;
  // The server already sent rows of this result in a block with the
  // execution: they and the rest of the result come on the block road, so
  // that no row is lost by switching to single rows.
  const bool block_sent = conn->array_fetch && stmt->fetch_state == kLnaNewResultWithBlock;
  stmt->long_columns = 0;
  for (int16_t i = 0; i < stmt->column_count; ++i) {
    LnaFetchRequest& entry = stmt->columns[i];
    entry.c_type = slots[i].c_type;
    entry.long_column = 0;
    if (!block_sent && !FitsArrayBuffer(slots[i].buffer_length, conn->array_buffer_size)) {
      entry.length = 0;
      stmt->long_columns = 1;
    } else {
      entry.length = slots[i].buffer_length;
    }
  }
  if (!stmt->long_columns || (conn->getdata_extensions & 3) != 0) return;
  // Without the server's leave to read long data in any column and order,
  // the columns after the first long one are read as long data too.
  bool after_long = false;
  for (int16_t i = 0; i < stmt->column_count; ++i) {
    if (after_long) stmt->columns[i].length = 0;
    if (stmt->columns[i].length == 0) after_long = true;
  }
}

int16_t LnaFetchRow(LnaStatement* stmt, LnaFetchSlot* slots, uint8_t async) {
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  uint32_t skip = 0;
  int16_t rc = _rcLnaCheckStmtAsync(stmt, kRpcFetch, async, &skip);
  if (rc == kLnaStillExecuting) return rc;
  if (rc != kLnaOk) {
    TracePrintf(trace, "_rcLnaCheckStmtAsync failed. rcVal=%d\n", rc);
    return rc;
  }
  LnaSizedRow row{};
  const auto count = static_cast<uint16_t>(std::max<int16_t>(stmt->column_count, 0));
  {
    LnaStmtCall on_wire(stmt);
    rc = _rpcLnaFetchSP(&conn->rpc, stmt->server_stmt, async, count, stmt->columns, &row);
    rc = on_wire.Settle(rc, kRpcFetch);
  }
  rc = _rcLnaEndStmtAsync(stmt, kRpcFetch, rc, async, &skip);
  if ((rc == kLnaOk || rc == kLnaInfo || rc == kLnaStillExecuting) && !skip) {
    uint64_t pos = 0;
    for (uint16_t i = 0; i < count; ++i) {
      if (stmt->columns[i].length == 0) continue;
      const uint8_t* at = row.bytes != nullptr ? row.bytes + pos : nullptr;
      LnaSpill* spill = stmt->spills != nullptr ? &stmt->spills[i] : nullptr;
      int64_t used = LnaNextRowValue(&slots[i], at, row.data_length - pos, spill);
      if (used == kLnaValueNoMemory) {
        PostLnaError(nullptr, stmt, kLnaMsgNoMemory, 0, kLocFetch);
        rc = kLnaFailed;
        break;
      }
      if (used < 0) {
        // A length that lies about the bytes behind it: the row is unusable.
        PostLnaError(nullptr, stmt, kLnaMsgGeneric, kLnaMsgUnpack,
                     kLocTransportBase + static_cast<int32_t>(kRpcFetch));
        rc = kLnaFailed;
        break;
      }
      pos += static_cast<uint64_t>(used);
    }
  }
  XdrFreeSizedRow(&row);
  return rc;
}

int16_t LnaFetchMP(LnaStatement* stmt, LnaFetchSlot* slots, uint8_t async) {
  if (stmt == nullptr) return kLnaNoRecord;
  LnaConnection* conn = stmt->conn;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaFetchMP(0x%08lx, 0x%08lx, %s)", TraceAddr(stmt), TraceAddr(slots),
             TraceBool(async));
  int16_t rc;
  if (LnaIsBroken(conn)) {
    rc = RefuseBroken(nullptr, stmt, kLocFetch);
  } else if (slots == nullptr && stmt->column_count > 0) {
    rc = kLnaNoRecord;
  } else {
    LnaMarkFetchColumns(stmt, slots);
    if (!conn->array_fetch || stmt->long_columns)
      rc = LnaFetchRow(stmt, slots, async);
    else
      rc = LnaFetchFromBlock(stmt, slots, async);
  }
  TraceReturn(trace, "LnaFetchMP", rc);
  return rc;
}
