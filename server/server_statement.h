// One statement of a session: its backend statement, the diagnostics it
// keeps for the client, the statement options the server holds itself, the
// parameters of its execution and the result set being fetched.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "server/backend.h"
#include "server/built_block.h"
#include "server/cell.h"
#include "server/diag_store.h"
#include "server/memory_budget.h"
#include "server/option_policy.h"
#include "server/row_reader.h"
#include "wire/column_desc.h"
#include "wire/fetch_request.h"
#include "wire/row_block_encoder.h"

namespace velsrv {

// A parameter of an execution with the storage the backend reads from and
// writes into.
struct ServerParam {
  uint16_t number = 0;
  int16_t io_type = 1;  // SQL_PARAM_INPUT 1, INPUT_OUTPUT 2, OUTPUT 4, RETURN_VALUE 5
  int16_t c_type = 0;
  int16_t sql_type = 0;
  int32_t precision = 0;
  int16_t scale = 0;
  std::vector<uint8_t> data;
  int64_t indicator = 0;
  // The value comes in pieces after the execution request.
  bool at_exec = false;
  // Procedure 24 has named it: the pieces that follow are its.
  bool opened = false;
  // A value the client wants back, and the size of its buffer.
  bool returned = false;
  int32_t buffer_size = 0;
};

// The block that follows the last one sent, built while the client was
// busy with that one. Its diagnostics wait with it until it is asked for.
struct AheadBlock {
  bool ready = false;
  std::vector<LnaFetchRequest> requests;  // what it was built for
  BuiltBlock block;
  BackendRc rc = BackendRc::kSuccess;
  DiagList diags;
  // Its rows, whole, should another request come first; and its last row's
  // whole values when it ends with a continued row.
  std::vector<std::vector<Cell>> rows;
  size_t count = 0;
  std::vector<Cell> continued_row;
  std::vector<size_t> continued_sent;
  // The columns' statistics before it, to go back to.
  std::vector<std::vector<uint16_t>> statistics;
  // How long reading it took.
  std::chrono::steady_clock::duration took{};
};

// The open result set and how far the client has read it.
struct ServerResult {
  std::vector<LnaColumnDesc> columns;  // empty: no result set
  bool at_end = false;                 // the backend has no row left
  bool on_row = false;                 // a row is current for long data
  RowReader reader;
  // Rows read from the backend and not sent yet, oldest first: the row that
  // did not fit its block, the rows of a block built ahead that another
  // request came before. They were read in the shapes of `waiting_requests`;
  // what reading them said waits for the reply that sends the first.
  std::deque<std::vector<Cell>> waiting;
  std::vector<LnaFetchRequest> waiting_requests;
  BackendRc waiting_rc = BackendRc::kSuccess;
  DiagList waiting_diags;
  // The whole values of the last row of the last block, when some were too
  // long for it, and how many bytes of each the client has: it reads the
  // rest as long data. Also the row a single-row fetch took from `waiting`.
  std::vector<Cell> continued_row;
  std::vector<size_t> continued_sent;
  // A failure met after a block's first rows: it answers the next fetch.
  bool failed = false;
  DiagList failure;
  // The client's decoder statistics, one per column.
  std::vector<ColumnBlockEncoder> encoders;
  // Kept from block to block so that building one allocates little: a
  // column's value bytes, and the values pointing into them.
  std::vector<uint8_t> value_bytes;
  std::vector<BlockValue> column_values;
  // The rows of the block being built; their cells keep their buffers.
  std::vector<std::vector<Cell>> block_rows;
  // The last block went out with rows to follow: the next one may be built
  // ahead, for the same requests.
  bool build_ahead = false;
  std::vector<LnaFetchRequest> last_requests;
  AheadBlock ahead;
};

struct ServerStatement {
  ServerStatement() = default;
  ~ServerStatement() { ResetResult(); }
  ServerStatement(const ServerStatement&) = delete;
  ServerStatement& operator=(const ServerStatement&) = delete;

  int32_t id = 0;
  std::unique_ptr<BackendStatement> backend;
  DiagStore diags;
  uint32_t options[kStmtOptionCount] = {};
  // Kept here when the backend has no cursor names of its own.
  std::string cursor_name;

  // Set by prepare: the statement procedure 14 runs.
  bool prepared = false;
  // The result columns as prepare described them to the client: its fetch
  // buffers take their shape from these, even where the backend describes
  // the executed statement differently.
  std::vector<LnaColumnDesc> prepared_columns;
  std::vector<ServerParam> params;
  // What `params` hold, charged to the session's memory account.
  MemoryCharge param_memory;
  // An execution waits for data-at-execution values (procedures 24, 32).
  bool awaiting_data = false;
  int current_piece_param = -1;  // index into params
  uint64_t gathered_bytes = 0;

  ServerResult result;
  // What `result` holds, charged to the session's memory account: each
  // long value as it is read, the whole again after each request.
  MemoryCharge result_memory;

  // Forgets the parameters and gives back what they held.
  void DropParams() {
    params.clear();
    param_memory.Resize(0);
  }
  // Forgets the result set: the block cursor and the statistics start anew.
  void ResetResult() {
    for (ColumnBlockEncoder& e : result.encoders) FreeColumnBlockEncoder(&e);
    result = ServerResult{};
    result_memory.Resize(0);
  }
  // Charges what the result's rows hold now, which may have shrunk since
  // the values were read; where more than was charged, a bound may keep the
  // old charge.
  void ChargeResult();
  // A new result set of these columns.
  void OpenResult(std::vector<LnaColumnDesc> columns) {
    ResetResult();
    result.columns = std::move(columns);
    result.encoders.assign(result.columns.size(), ColumnBlockEncoder{nullptr});
  }
};

}  // namespace velsrv
