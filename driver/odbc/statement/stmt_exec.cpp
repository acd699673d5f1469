#include "driver/odbc/statement/stmt_exec.h"

#include <sqlext.h>

#include <cstring>

#include "common/memory.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/lna/lna_stmt_call.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/get_info.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/options/translation.h"
#include "driver/odbc/statement/exec_params.h"
#include "driver/odbc/statement/param_binding.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "driver/odbc/statement/stmt_ready.h"
#include "driver/odbc/statement/stmt_text.h"
#include "driver/odbc/statement/text_helpers.h"

namespace {

// Room the escape-clause step may add to a statement text.
constexpr size_t kEscapeRoom = 5000;

bool Succeeded(SQLRETURN code) {
  return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO;
}

uint8_t AsyncFlag(const DrvStmt* statement) {
  return StmtIsAsync(statement) ? 1 : 0;
}

// The row count a statement keeps: a query's "unknown" (all bits set) is 0.
uint32_t KeptRowCount(const DrvStmt* statement, int32_t returned) {
  auto count = static_cast<uint32_t>(returned);
  if (statement->result_class >= kResultRows && count == 0xFFFFFFFFu) return 0;
  return count;
}

void AfterSuccessfulExecution(DrvStmt* statement) {
  DrvConn* connection = statement->conn;
  if (connection != nullptr)
    connection->state = connection->autocommit == 1 ? kConnConnected : kConnInTransaction;
}

// The state an execution that did not fail leaves.
void EnterExecutedState(DrvStmt* statement) {
  if (statement->result_class >= kResultRows) {
    statement->state = kStmtResultOpen;
    // A new result set has all its rows ahead of it.
    statement->fetch_status = 0;
    if (statement->cursor_name[0] == '\0') MakeCursorName(statement);
  } else {
    statement->state = kStmtExecuted;
  }
}

// A text the application passes as missing is refused: there is nothing
// to analyse or send. The copy is always the driver's own, so that what
// is done to the text before sending never reaches the application's
// buffer.
uint32_t CopyStatementText(ArgCopy* copy, SQLCHAR* text, SQLINTEGER length, char escape) {
  if (text == nullptr || length == SQL_NULL_DATA) {
    copy->text = nullptr;
    copy->owned = 0;
    return kMsgErrInvalArg;
  }
  uint32_t copied =
      CopyInString(copy, reinterpret_cast<const char*>(text), length, kNoLengthLimit, escape);
  if (copied != kMsgErrSuccess || copy->owned != 0) return copied;
  size_t n = std::strlen(copy->text);
  auto* own = static_cast<char*>(MemAlloc(n + 1));
  if (own == nullptr) {
    copy->text = nullptr;
    return kMsgErrOutOfMemory;
  }
  std::memcpy(own, copy->text, n + 1);
  copy->text = own;
  copy->owned = 1;
  return kMsgErrSuccess;
}

void TraceText(TraceHandle* trace, const char* name, SQLHSTMT hstmt, SQLCHAR* text,
               SQLINTEGER length) {
  TraceEnter(trace, "%s(0x%08lx, \"%-.600s\", %ld)", name, TraceAddr(hstmt),
             text != nullptr ? reinterpret_cast<const char*>(text) : "NULL",
             static_cast<long>(length));
}

char SearchEscape(DrvConn* connection) {
  InfoValue value{};
  if (connection == nullptr ||
      !Succeeded(DrvGetInfo(connection, SQL_SEARCH_PATTERN_ESCAPE, 0, &value)) ||
      value.text == nullptr) {
    return '\0';
  }
  return value.text[0];
}

// The text the server receives: the connection's translation library, when
// one is loaded, rewrites a copy, so the driver's own text stays as the
// application gave it. *copy is what the caller frees after sending; a
// failed translation has posted its diagnostic.
bool TextToSend(DrvStmt* statement, const char* text, const char** sent, char** copy) {
  *copy = nullptr;
  *sent = text;
  if (statement->conn == nullptr || text == nullptr) return true;
  if (TranslateStatementText(statement->conn, statement, text, copy) == 0) return false;
  if (*copy != nullptr) *sent = *copy;
  return true;
}

}  // namespace

SQLRETURN BuildReplyDescriptors(DrvStmt* statement, uint16_t column_count,
                                const LnaColumnDesc* columns, uint16_t param_count,
                                const LnaParamDesc* params) {
  if (column_count > 0) {
    statement->result_class = kResultRows;
    statement->result_kind = 1;
    if (DrvBuildResultSet(statement, columns, column_count) != SQL_SUCCESS) return SQL_ERROR;
  } else {
    statement->result_class = kResultNone;
    statement->result_kind = 0;
  }
  return BuildParamDescs(statement, params, param_count);
}

SQLRETURN FinishExecute(DrvStmt* statement) {
  if (statement->result_class != kResultRows && statement->row_counter != nullptr)
    *statement->row_counter = statement->row_count;
  AfterSuccessfulExecution(statement);
  return ReturnOutputParams(statement);
}

namespace {

// Keeps a copy of the text the server now holds prepared (null: none). Without
// memory for the copy nothing is kept, and executions go as they would for
// a statement whose text is not known.
void KeepPreparedText(DrvStmt* statement, const char* sent) {
  MemFree(statement->prepared_text);
  statement->prepared_text = nullptr;
  statement->prepared_text_replaced = 0;
  if (sent == nullptr) return;
  size_t n = std::strlen(sent);
  auto* copy = static_cast<char*>(MemAlloc(n + 1));
  if (copy == nullptr) return;
  std::memcpy(copy, sent, n + 1);
  statement->prepared_text = copy;
}

bool HasDataAtExecParam(DrvStmt* statement) {
  for (uint32_t i = 0; i < statement->marker_count; ++i) {
    const ParamBinding* b = ParamBindingAt(statement, i);
    if (b != nullptr && (b->flags & kParamAtExec) != 0) return true;
  }
  return false;
}

// A prepared query runs again from its text, by direct execution: only that
// reply describes the result, and it describes it as the backend sees it
// after running it, where the description at prepare may be a guess (an
// expression's type, which SQLite knows only once a row is made). Data at
// execution and asynchronous calls keep to the prepared statement: the
// direct reply that asks for data is given before the statement runs, so
// it could describe no better.
bool RunsFromText(DrvStmt* statement) {
  return statement->prepared_text != nullptr && statement->prepared != 0 &&
         statement->result_class >= kResultRows && !StmtIsAsync(statement) &&
         statement->conn != nullptr && statement->conn->exec_direct != nullptr &&
         !HasDataAtExecParam(statement);
}

// The prepare procedure for a text as it goes to the server; what its reply
// describes becomes the statement's.
SQLRETURN PrepareOnServer(DrvStmt* statement, const char* sent, uint8_t async) {
  LnaColumnDesc* columns = nullptr;
  uint16_t column_count = 0;
  LnaParamDesc* params = nullptr;
  uint16_t param_count = 0;
  SQLRETURN code = DrvStmtStatus(statement, LnaPrepareMP(statement->lna, sent, &columns,
                                                         &column_count, &params, &param_count,
                                                         async));
  if (code == SQL_STILL_EXECUTING) {
    statement->async_step = kAsyncPrepare;
  } else {
    statement->async_step = kAsyncNone;
    if (code != SQL_ERROR) {
      FreeResultBuffers(statement);
      SQLRETURN built =
          BuildReplyDescriptors(statement, column_count, columns, param_count, params);
      if (built != SQL_SUCCESS) code = built;
    }
  }
  MemFree(columns);
  MemFree(params);
  return code;
}

// The direct-execution procedure for a text as it goes to the server, with
// the parameter buffer built; what its reply describes becomes the
// statement's result set. Frees the parameter value copies.
SQLRETURN ExecDirectOnServer(DrvStmt* statement, const char* sent, bool* info) {
  LnaColumnDesc* columns = nullptr;
  uint16_t column_count = 0;
  LnaParamDesc* params = nullptr;
  uint16_t param_count = 0;
  int32_t returned = 0;
  const ParamBuffer& buffer = statement->param_buffer;
  SQLRETURN code = DrvStmtStatus(
      statement, LnaExecDirectMP(statement->lna, sent, &columns, &column_count, &params,
                                 &param_count, buffer.in_count, buffer.in_list, buffer.out_count,
                                 buffer.out_list, &returned, AsyncFlag(statement)));
  if (code == SQL_STILL_EXECUTING) {
    statement->async_step = kAsyncExecDirect;
  } else {
    statement->async_step = kAsyncNone;
    if (code != SQL_ERROR && code != SQL_NEED_DATA) {
      statement->row_count = KeptRowCount(statement, returned);
      // Buffers laid out for an earlier description must not outlive it.
      FreeResultBuffers(statement);
      SQLRETURN built =
          BuildReplyDescriptors(statement, column_count, columns, param_count, params);
      if (built != SQL_SUCCESS)
        code = built;
      else if (FinishExecute(statement) == SQL_SUCCESS_WITH_INFO)
        *info = true;
    }
  }
  MemFree(columns);
  MemFree(params);
  FreeParamValueCopies(statement);
  return code;
}

}  // namespace

SQLRETURN DrvPrepare(DrvStmt* statement, const char* text) {
  bool resuming = StmtIsAsync(statement) && statement->async_step == kAsyncPrepare;
  if (!resuming && AnalyzeStmtText(statement, text) == SQL_ERROR) return SQL_ERROR;
  const char* sent = nullptr;
  char* translated = nullptr;
  if (!TextToSend(statement, text, &sent, &translated)) return SQL_ERROR;
  SQLRETURN code = PrepareOnServer(statement, sent, AsyncFlag(statement));
  if (code != SQL_STILL_EXECUTING) KeepPreparedText(statement, code == SQL_ERROR ? nullptr : sent);
  MemFree(translated);
  return code;
}

SQLRETURN DrvExecute(DrvStmt* statement) {
  bool info = false;
  int32_t returned = 0;
  int16_t status = 0;
  bool resuming =
      StmtIsAsync(statement) && statement->async_step == kAsyncExecute && statement->pending != 0;
  if (!resuming && statement->result_class == 0) {
    FreeParamValueCopies(statement);
    return SQL_SUCCESS;
  }
  if (!resuming && statement->param_data_pending != 0) {
    statement->param_data_pending = 0;
    status = LnaParamDataSP(statement->lna, &returned);
  } else {
    if (!resuming) {
      SQLRETURN params = PrepareExecuteParams(statement);
      if (params == SQL_SUCCESS_WITH_INFO) {
        info = true;
      } else if (params != SQL_SUCCESS) {
        FreeParamValueCopies(statement);
        return params;
      }
      if (RunsFromText(statement)) {
        // The server lets go of its prepared statement for the direct one,
        // whatever comes of it.
        statement->prepared_text_replaced = 1;
        SQLRETURN code = ExecDirectOnServer(statement, statement->prepared_text, &info);
        return code == SQL_SUCCESS && info ? SQL_SUCCESS_WITH_INFO : code;
      }
      if (statement->prepared_text_replaced != 0) {
        SQLRETURN prepared = PrepareOnServer(statement, statement->prepared_text, 0);
        if (!Succeeded(prepared)) {
          FreeParamValueCopies(statement);
          return prepared;
        }
        statement->prepared_text_replaced = 0;
        if (prepared == SQL_SUCCESS_WITH_INFO) info = true;
      }
    }
    const ParamBuffer& buffer = statement->param_buffer;
    status = LnaExecuteMP(statement->lna, buffer.in_count, buffer.in_list, buffer.out_count,
                          buffer.out_list, &returned, AsyncFlag(statement));
  }
  SQLRETURN code = DrvStmtStatus(statement, status);
  if (code == SQL_STILL_EXECUTING) {
    statement->async_step = kAsyncExecute;
    FreeParamValueCopies(statement);
    return code;
  }
  statement->async_step = kAsyncNone;
  if (code == SQL_ERROR || code == SQL_NEED_DATA) {
    FreeParamValueCopies(statement);
    return code;
  }
  statement->row_count = KeptRowCount(statement, returned);
  if (FinishExecute(statement) == SQL_SUCCESS_WITH_INFO) info = true;
  FreeParamValueCopies(statement);
  return code == SQL_SUCCESS && info ? SQL_SUCCESS_WITH_INFO : code;
}

SQLRETURN DrvExecDirect(DrvStmt* statement, const char* text) {
  bool info = false;
  if (!(StmtIsAsync(statement) && statement->async_step == kAsyncExecDirect)) {
    SQLRETURN analysed = AnalyzeStmtText(statement, text);
    if (analysed == SQL_SUCCESS_WITH_INFO) info = true;
    if (!Succeeded(analysed)) return analysed;
    SQLRETURN params = PrepareExecuteParams(statement);
    if (params == SQL_SUCCESS_WITH_INFO) info = true;
    if (!Succeeded(params)) {
      FreeParamValueCopies(statement);
      return params;
    }
  }
  const char* sent = nullptr;
  char* translated = nullptr;
  if (!TextToSend(statement, text, &sent, &translated)) {
    FreeParamValueCopies(statement);
    return SQL_ERROR;
  }
  // The server's statement now holds this text, not a prepared one.
  KeepPreparedText(statement, nullptr);
  SQLRETURN code = ExecDirectOnServer(statement, sent, &info);
  MemFree(translated);
  return code == SQL_SUCCESS && info ? SQL_SUCCESS_WITH_INFO : code;
}

SQLRETURN DrvCancel(DrvStmt* statement) {
  // A cancel of another thread's call that did not reach the server says
  // why itself: the statement's own diagnostics belong to that call.
  LnaDiagRecord undelivered{};
  int16_t status = LnaCancelSP(statement->lna, &undelivered);
  if (status != kLnaOk && undelivered.sqlstate[0] != '\0') {
    PostStmtStateError(statement, undelivered.sqlstate, undelivered.native_error, undelivered.text);
    return SQL_ERROR;
  }
  return DrvStmtStatus(statement, status);
}

namespace {

// What SQLPrepare does inside its shell. Within SQLExecDirect (`direct`)
// the asynchronous state is the direct execution's, which checked it.
SQLRETURN PrepareStatement(DrvStmt* statement, SQLCHAR* szSqlStr, SQLINTEGER cbSqlStr,
                           bool direct) {
  if (!StmtCheckCatalogState(statement)) return SQL_ERROR;
  ArgCopy copy = {};
  uint32_t copied = CopyStatementText(&copy, szSqlStr, cbSqlStr, SearchEscape(statement->conn));
  if (copied != kMsgErrSuccess) {
    PostStmtError(statement, copied, 0, nullptr);
    return SQL_ERROR;
  }
  SQLRETURN code = SQL_SUCCESS;
  char* work = nullptr;
  const char* text = copy.text;
  bool own_call = true;
  if (StmtIsAsync(statement) && statement->pending != 0 && !direct) {
    if (statement->pending_function != SQL_API_SQLPREPARE) {
      PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
      code = SQL_ERROR;
      own_call = false;
    }
  } else {
    DrvResetStmt(statement);
    if (statement->options.slot[kOptNoScan] != SQL_NOSCAN_ON) {
      size_t size = std::strlen(copy.text) + kEscapeRoom;
      work = static_cast<char*>(MemAlloc(size));
      if (work == nullptr) {
        PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
        code = SQL_ERROR;
        own_call = false;
      } else {
        ProcessEscapeClauses(statement->conn, statement, copy.text, work, size);
        text = work;
      }
    }
  }
  if (own_call) {
    StmtSnapshot snapshot;
    StmtSaveState(&snapshot, statement);
    code = DrvPrepare(statement, text);
    if (!direct) {
      statement->pending = code == SQL_STILL_EXECUTING ? 1 : 0;
      statement->pending_function = code == SQL_STILL_EXECUTING ? SQL_API_SQLPREPARE : 0;
    }
    StmtRestoreState(&snapshot, statement, code);
    if (Succeeded(code)) {
      statement->state = kStmtPrepared;
      statement->prepared = 1;
    } else if (code == SQL_NEED_DATA || code == SQL_NO_DATA_FOUND || code == SQL_INVALID_HANDLE) {
      DrvCloseStmt(statement);
      statement->row_count = 0;
      statement->state = kStmtAllocated;
    }
  }
  MemFree(work);
  FreeArgCopy(&copy, 1);
  return code;
}

// What SQLExecute does inside its shell; `direct` as for PrepareStatement.
SQLRETURN ExecuteStatement(DrvStmt* statement, bool direct) {
  StmtSnapshot snapshot;
  StmtSaveState(&snapshot, statement);
  bool resuming = false;
  uint32_t refusal = 0;
  if (StmtIsAsync(statement) && statement->pending != 0 && !direct) {
    if (statement->pending_function == SQL_API_SQLEXECUTE)
      resuming = true;
    else
      refusal = kMsgErrOutOfSequence;
  } else {
    bool open_result =
        statement->result_class >= kResultRows && statement->state >= kStmtResultOpen;
    // Only a prepared text can be executed: a statement that holds none,
    // or whose text was executed directly and left no result, has nothing
    // to run.
    if (statement->prepared == 0 && !open_result)
      refusal = kMsgErrOutOfSequence;
    else if (statement->state == kStmtResultOpen && statement->result_class >= kResultRows)
      refusal = kMsgErrInvalCursorState;
  }
  if (refusal != 0) {
    PostStmtError(statement, refusal, 0, nullptr);
    return SQL_ERROR;
  }
  bool need_data = false;
  bool info = false;
  SQLRETURN code = SQL_SUCCESS;
  bool stopped = false;
  if (!resuming) {
    code = PrepareExecParams(statement);
    if (code == SQL_NEED_DATA) need_data = true;
    if (code != SQL_SUCCESS) {
      stopped = true;
    } else {
      code = SendExecParams(statement);
      if (code == SQL_SUCCESS_WITH_INFO) {
        info = true;
        code = SQL_SUCCESS;
      } else if (code != SQL_SUCCESS) {
        stopped = true;
      }
    }
  }
  if (!stopped) {
    code = DrvExecute(statement);
    if (Succeeded(code)) AfterSuccessfulExecution(statement);
    if (!direct) {
      statement->pending = code == SQL_STILL_EXECUTING ? 1 : 0;
      statement->pending_function = code == SQL_STILL_EXECUTING ? SQL_API_SQLEXECUTE : 0;
    }
  }
  StmtRestoreState(&snapshot, statement, code);
  if (code != SQL_ERROR && code != SQL_STILL_EXECUTING) EnterExecutedState(statement);
  if (need_data)
    code = SQL_NEED_DATA;
  else if (code == SQL_SUCCESS && info)
    code = SQL_SUCCESS_WITH_INFO;
  return code;
}

SQLRETURN ExecDirectStatement(DrvStmt* statement, SQLCHAR* szSqlStr, SQLINTEGER cbSqlStr) {
  StmtSnapshot snapshot;
  StmtSaveState(&snapshot, statement);
  DrvConn* connection = statement->conn;
  DrvExecDirectFn direct = connection != nullptr ? connection->exec_direct : nullptr;
  bool was_pending = statement->pending != 0;
  bool info = false;
  SQLRETURN code = SQL_SUCCESS;

  ArgCopy copy = {};
  uint32_t copied = CopyStatementText(&copy, szSqlStr, cbSqlStr, ' ');
  if (copied != kMsgErrSuccess) {
    PostStmtError(statement, copied, 0, nullptr);
    return SQL_ERROR;
  }

  enum Step { kDirect, kPrepare, kExecute, kEnd } step = kDirect;
  if (StmtIsAsync(statement) && was_pending) {
    if (statement->pending_function != SQL_API_SQLEXECDIRECT) {
      PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
      FreeArgCopy(&copy, 1);
      return SQL_ERROR;
    }
    if (direct != nullptr && statement->prepared == 0)
      step = kDirect;
    else if (statement->direct_resume != 0)
      step = kExecute;
    else
      step = kPrepare;
  } else {
    statement->marker_count = CountParamMarkers(copy.text);
    code = PrepareExecParams(statement);
    if (code == SQL_NEED_DATA || direct == nullptr) {
      step = kPrepare;
    } else if (code == SQL_ERROR) {
      // The check has posted what is missing; running it again would post
      // every diagnostic twice.
      step = kEnd;
    } else {
      if (code == SQL_SUCCESS_WITH_INFO) info = true;
      DrvResetStmt(statement);
      code = SendExecParams(statement);
      if (code == SQL_SUCCESS_WITH_INFO) info = true;
      step = Succeeded(code) ? kDirect : kEnd;
    }
  }

  if (step == kDirect) {
    code = direct(statement, copy.text);
    if (code != SQL_STILL_EXECUTING) {
      if (code == SQL_ERROR && was_pending) DrvResetStmt(statement);
      statement->pending = 0;
      statement->pending_function = 0;
      if (Succeeded(code)) {
        AfterSuccessfulExecution(statement);
        EnterExecutedState(statement);
      }
    }
    step = kEnd;
  }
  if (step == kPrepare) {
    // The prepare starts from a clean list, as a call of its own would:
    // what the parameter check posted is not kept.
    ClearHandleErrors(nullptr, nullptr, statement);
    code = PrepareStatement(statement, szSqlStr, cbSqlStr, true);
    statement->prepared = 1;
    if (Succeeded(code)) {
      if (code == SQL_SUCCESS_WITH_INFO) info = true;
      statement->direct_resume = 1;
      step = kExecute;
    } else {
      step = kEnd;
    }
  }
  if (step == kExecute) {
    code = ExecuteStatement(statement, true);
    if (Succeeded(code) || code == SQL_NEED_DATA)
      statement->prepared = 0;
    else if (code == SQL_ERROR)
      DrvResetStmt(statement);
  }

  if (code == SQL_STILL_EXECUTING) {
    statement->pending_function = SQL_API_SQLEXECDIRECT;
    statement->pending = 1;
  } else {
    if (code == SQL_ERROR && was_pending) DrvResetStmt(statement);
    statement->pending = 0;
    statement->pending_function = 0;
    statement->direct_resume = 0;
    statement->prepared = 0;
  }
  StmtRestoreState(&snapshot, statement, code);
  FreeArgCopy(&copy, 1);
  if (code == SQL_SUCCESS && info) code = SQL_SUCCESS_WITH_INFO;
  return code;
}

}  // namespace

SQLRETURN SQLPrepareImpl(SQLHSTMT hstmt, SQLCHAR* szSqlStr, SQLINTEGER cbSqlStr) {
  return StatementEntry(
      hstmt, "SQLPrepare",
      [&](TraceHandle* trace) { TraceText(trace, "SQLPrepare", hstmt, szSqlStr, cbSqlStr); },
      [&](DrvStmt* s) { return PrepareStatement(s, szSqlStr, cbSqlStr, false); });
}

SQLRETURN SQLExecuteImpl(SQLHSTMT hstmt) {
  return StatementEntry(
      hstmt, "SQLExecute",
      [&](TraceHandle* trace) { TraceEnter(trace, "SQLExecute(0x%08lx)", TraceAddr(hstmt)); },
      [&](DrvStmt* s) { return ExecuteStatement(s, false); });
}

SQLRETURN SQLExecDirectImpl(SQLHSTMT hstmt, SQLCHAR* szSqlStr, SQLINTEGER cbSqlStr) {
  return StatementEntry(
      hstmt, "SQLExecDirect",
      [&](TraceHandle* trace) { TraceText(trace, "SQLExecDirect", hstmt, szSqlStr, cbSqlStr); },
      [&](DrvStmt* s) { return ExecDirectStatement(s, szSqlStr, cbSqlStr); });
}

SQLRETURN SQLCancelImpl(SQLHSTMT hstmt) {
  return StatementEntry(
      hstmt, kKeepDiagnostics, "SQLCancel",
      [&](TraceHandle* trace) { TraceEnter(trace, "SQLCancel(0x%08lx)", TraceAddr(hstmt)); },
      [&](DrvStmt* statement) -> SQLRETURN {
        // Another thread's call of the statement is on the wire: it is
        // cancelled, and that thread ends the call, its state and its
        // diagnostics itself.
        if (LnaStmtInCall(statement->lna)) return DrvCancel(statement);
        ClearHandleErrors(nullptr, nullptr, statement);
        if (!StmtIsAsync(statement)) {
          DrvCancel(statement);
          statement->data_at_exec_phase = 0;
          return SQLFreeStmtImpl(statement, SQL_CLOSE);
        }
        SQLRETURN code = DrvCancel(statement);
        if (Succeeded(code)) statement->direct_resume = 0;
        return code;
      });
}
