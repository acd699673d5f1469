// The protocol both peers speak, defined once: the greeting, the frame
// around every message, the header that opens every request and reply, and
// the numbers of the remote procedures. The driver's call layer, the server
// peer and the tests read and write these headers only through the
// functions below. Every field is big-endian.
//
//   greeting        255 bytes each way, once, before the first frame
//   frame header    magic, frame length (payload + 16), 0 (u16), 0 (u16),
//                   payload length
//   request header  length slot, procedure, sequence (u16), the sequence
//                   again (u16), 1 (u16)
//   reply header    length slot, procedure, sequence (u16), status (i16),
//                   1 (u16)
//
// The payload is the message from its length slot on; the slot repeats the
// payload length.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

constexpr uint32_t kFrameMagic = 0x27B25D1A;
constexpr uint32_t kFrameHeaderSize = 16;
constexpr uint32_t kGreetingSize = 255;
// Bytes of the request header and of the reply header alike.
constexpr uint32_t kMessageHeaderSize = 14;

// The numbers of the remote procedures.
enum RpcProcedure : uint32_t {
  kRpcAllocStmt = 1,
  kRpcFetchBlock = 2,
  kRpcCancelPending = 3,
  kRpcCancel = 4,
  kRpcDisconnect = 10,
  kRpcEnumUsers = 11,
  kRpcGetErrors = 12,
  kRpcExecDirect = 13,
  kRpcExecute = 14,
  kRpcFetch = 15,
  kRpcFreeStmt = 18,
  kRpcGetConnectOption = 19,
  kRpcGetInfo = 20,
  kRpcGetLongData = 21,
  kRpcGetStmtOption = 22,
  kRpcParamData = 24,
  kRpcPrepare = 25,
  kRpcPutLongData = 32,
  kRpcSetConnectOption = 33,
  kRpcSetCursorName = 34,
  kRpcSetStmtOption = 35,
  kRpcShutdown = 36,
  kRpcTransact = 46,
  kRpcGetServerList = 47,
  kRpcGetDataSources = 48,
  kRpcExecDirectArray = 49,
  kRpcExecuteArray = 50,
  kRpcKillConnections = 51,
  kRpcColumnPrivileges = 55,
  kRpcColumns = 56,
  kRpcForeignKeys = 57,
  kRpcPrimaryKeys = 58,
  kRpcProcedureColumns = 59,
  kRpcProcedures = 60,
  kRpcSpecialColumns = 61,
  kRpcStatistics = 62,
  kRpcTablePrivileges = 63,
  kRpcTables = 64,
  kRpcConnect = 65,
};

// The status word of a reply. After 1, -19 and -20 the server's
// diagnostics wait for procedure 12. The call layer hands a status to the
// driver as it stands and adds codes of its own between these
// (driver/lna/lna_call.h).
enum ReplyStatus : int16_t {
  kReplyOk = 0,
  kReplyInfo = 1,        // success with information
  kReplyNeedData = -15,  // a parameter's data is wanted (execute, direct execution, param data)
  kReplyNoData = -16,    // no more rows
  kReplyError = -19,     // an error (velsrv reports its errors as -20)
  kReplyFailed = -20,    // failure; also what a stub gives a call that failed on the client
};

// The TCP port of the remote-call service when a setting names none.
constexpr uint16_t kDefaultServerPort = 1583;

struct FrameHeader {
  uint32_t magic;
  uint32_t frame_length;
  uint32_t payload_length;
};

// The 16 header bytes of a frame around a payload of `payload_length`.
void EncodeFrameHeader(uint32_t payload_length, uint8_t out[kFrameHeaderSize]);
FrameHeader ParseFrameHeader(const uint8_t in[kFrameHeaderSize]);
// What both peers demand of a received frame header: the magic, a frame
// length that counts the header, and a payload that holds at least a message
// header and at most `max_payload` bytes.
bool FrameHeaderValid(const FrameHeader& header, uint32_t max_payload);

// A received payload's buffer grows with the bytes that have arrived, never
// ahead of them by more than they already are (or the first step): a frame
// header alone cannot make a peer reserve what it declares. How many more
// bytes to make room for once `have` of `payload_length` are there.
constexpr uint32_t kFrameFirstReadStep = 64u << 10;
uint32_t FrameReadStep(uint32_t have, uint32_t payload_length);

// Writes the message's length into its length slot.
void SetLengthSlot(MsgBuf* message);

struct RequestHeader {
  uint32_t length;
  uint32_t procedure;
  uint16_t sequence;
};

struct ReplyHeader {
  uint32_t length;
  uint32_t procedure;
  uint16_t sequence;
  int16_t status;
};

// Append a header with the length slot 0 (the sender fills it). 1/0.
int EncodeRequestHeader(MsgBuf* message, uint32_t procedure, uint16_t sequence);
int EncodeReplyHeader(MsgBuf* message, uint32_t procedure, uint16_t sequence, int16_t status);
// Read a header from the read position on. 1/0 (code 202 when the message
// is shorter than a header).
int ParseRequestHeader(MsgBuf* message, RequestHeader* header);
int ParseReplyHeader(MsgBuf* message, ReplyHeader* header);
// The request header of a written message, wherever its read position
// stands; false when the message is shorter than a header.
bool PeekRequestHeader(const MsgBuf* message, RequestHeader* header);
// Sets the status of a reply whose header is written.
void SetReplyStatus(MsgBuf* reply, int16_t status);
