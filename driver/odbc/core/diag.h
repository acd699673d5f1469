// Each handle's list of pending diagnostics. Driver code posts a record by
// message number (the text and SQLSTATE come from the catalogue when the
// application asks) or with an explicit SQLSTATE, native error and text
// (what the server reported). SQLError hands them out one by one; every
// exported function clears its handle's list on entry.
#pragma once

#include <cstdint>

struct DrvConn;
struct DrvEnv;
struct DrvStmt;
struct RecArray;

constexpr uint32_t kSqlStateSize = 6;  // five characters and the NUL

struct DiagRecord {
  uint32_t number;  // 0 for a record posted with an explicit SQLSTATE
  int32_t native;
  char sqlstate[kSqlStateSize];  // empty for a record posted by number
  char* text;                    // owned; null to use the catalogue's words
};

// Held while a list is changed or read: a cancel of another thread's call
// posts on the statement that call will post on too. Posting and clearing
// take it themselves.
class DiagListLock {
 public:
  DiagListLock();
  ~DiagListLock();
  DiagListLock(const DiagListLock&) = delete;
  DiagListLock& operator=(const DiagListLock&) = delete;
};

// A handle's empty list, or null.
RecArray* CreateDiagList();
// Frees every record's text and the list. Null is ignored.
void DestroyDiagList(RecArray* list);

// Stores a record (the text copied), merging it into an earlier one that
// says the same. 0, or -1 when it could not be stored.
int32_t AddDiagRecord(RecArray* list, uint32_t number, const char* sqlstate, int32_t native,
                      const char* text);
// 1 when a listed record with the same number and native error is a
// duplicate of `record`: that one keeps its place and takes over the new
// record's text. 0 otherwise (the record is untouched).
int MergeDuplicateDiag(RecArray* list, DiagRecord* record);

// Empties the lists of the handles given (null ones are skipped) and clears
// their overflow flags.
void ClearHandleErrors(DrvEnv* env, DrvConn* connection, DrvStmt* statement);

// Post by message number; `text`, when given, replaces the catalogue's
// words. 0, or -1 with the handle's overflow flag set.
int32_t PostEnvError(DrvEnv* env, uint32_t number, int32_t native, const char* text);
int32_t PostDbcError(DrvConn* connection, uint32_t number, int32_t native, const char* text);
int32_t PostStmtError(DrvStmt* statement, uint32_t number, int32_t native, const char* text);

// Post with an explicit SQLSTATE; the connection (the statement's) then takes
// the state StateAfterSqlState gives.
int32_t PostDbcStateError(DrvConn* connection, const char* sqlstate, int32_t native,
                          const char* text);
int32_t PostStmtStateError(DrvStmt* statement, const char* sqlstate, int32_t native,
                           const char* text);

// 3 (connected, no open transaction) after "40001", else `state`.
uint16_t StateAfterSqlState(uint16_t state, const char* sqlstate);
