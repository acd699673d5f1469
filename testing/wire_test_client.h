// A small client for the server's tests: a loopback TCP connection with the
// greeting, requests framed and headed as the driver frames them, and reply
// unpackers that read each reply in the driver's order and insist that every
// byte is used.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wire/column_desc.h"
#include "wire/connect_call.h"
#include "wire/diag_record.h"
#include "wire/msg_buf.h"
#include "wire/table_type.h"
#include "wire/type_info.h"
#include "wire/typed_value.h"

namespace velsrv_test {

struct MsgBufDeleter {
  void operator()(MsgBuf* b) const { MsgBufFree(b); }
};
using MsgBufPtr = std::unique_ptr<MsgBuf, MsgBufDeleter>;

// A request message: the header (procedure id, sequence 1) and the fields
// `body` writes.
MsgBufPtr Request(uint32_t procedure, const std::function<int(MsgBuf*)>& body);
// The login request for `connection_string` (cut to 510 characters).
MsgBufPtr LoginRequest(const std::string& connection_string);

// A reply message read past its header.
struct Reply {
  MsgBufPtr buf;
  uint32_t procedure = 0;
  int16_t status = 0;
};
// Reads the reply header; false when the message is shorter.
bool ParseReply(MsgBufPtr message, Reply* reply);

class TestClient {
 public:
  TestClient() = default;
  ~TestClient();
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  // Connects to host:port (numeric, either family) and exchanges the
  // greeting; `from`, when given, is the IPv4 source address (any of
  // 127.0.0.0/8 on loopback).
  bool Connect(uint16_t port, const std::string& host = "127.0.0.1", const std::string& from = "");
  // Connects without the greeting.
  bool ConnectRaw(uint16_t port, const std::string& host = "127.0.0.1",
                  const std::string& from = "");
  bool SendBytes(const std::vector<uint8_t>& bytes);
  // Sends the message in a frame (its length slot filled) and reads the
  // reply frame; false when the connection failed or closed.
  bool Call(MsgBuf* request, Reply* reply);
  // True when the server closed the connection (reads end), within a few
  // seconds.
  bool ServerClosed();
  void Close();

 private:
  bool ReadExact(uint8_t* out, size_t n);
  int fd_ = -1;
};

// What the login reply carries, and its completed connection string
// unscrambled, behind its prefix, up to its NUL.
struct LoginResult : ConnectReply {
  std::string completed;
};
// The length of LoginRequest(connection_string)'s scrambled text.
size_t LoginTextLength(const std::string& connection_string);
// A login reply to a request whose text was `text_length` bytes long, with
// every count checked against its array.
bool UnpackLogin(MsgBuf* buf, size_t text_length, LoginResult* out);
// Logs in on a connected client; the reply's status goes to `status`
// (0x7FFF when no reply could be read).
LoginResult Login(TestClient& c, const std::string& connection_string, int16_t* status);
bool UnpackErrors(MsgBuf* buf, std::vector<LnaDiagRecord>* out);
// arr(coldesc), u16 count, with the count checked against the array.
bool UnpackColumns(MsgBuf* buf, std::vector<LnaColumnDesc>* out);
// arr(val): whether a value came, and a copy of it (texts in `text`).
struct ValueResult {
  bool present = false;
  int16_t c_type = 0;
  int32_t length = 0;
  uint32_t number = 0;
  std::string text;
};
bool UnpackValueArray(MsgBuf* buf, ValueResult* out);
// Nothing after the header.
bool UnpackNothing(MsgBuf* buf);
bool UnpackI32(MsgBuf* buf, int32_t* out);

// Request bodies the tests use often.
int PutConnection(MsgBuf* b, int32_t id);
// A catalog request of procedure 55 to 64 naming only `table` (other names
// null) on statement `statement`.
MsgBufPtr CatalogRequest(uint32_t procedure, int32_t statement, const char* table);

}  // namespace velsrv_test
