#include "testing/wire_test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "common/memory.h"
#include "wire/byte_order.h"
#include "wire/connect_call.h"
#include "wire/protocol.h"
#include "wire/scramble.h"

namespace velsrv_test {

namespace {

constexpr int kTimeoutMs = 10000;
// A real reply is far smaller; the test client refuses to allocate more.
constexpr uint32_t kMaxPayload = 64u << 20;

}  // namespace

MsgBufPtr Request(uint32_t procedure, const std::function<int(MsgBuf*)>& body) {
  MsgBufPtr b(MsgBufCreate());
  EncodeRequestHeader(b.get(), procedure, 1);
  if (body) body(b.get());
  return b;
}

namespace {

// The login text as the driver sends it, cut as it cuts it, with a fixed
// prefix.
std::vector<uint8_t> ScrambledLoginText(const std::string& connection_string) {
  std::string text = connection_string.substr(0, LoginTextLength(connection_string) - 2);
  std::vector<uint8_t> plain(text.size() + 2);
  plain[0] = 0x5A;
  plain[1] = 0x21;
  std::memcpy(plain.data() + 2, text.data(), text.size());
  std::vector<uint8_t> scrambled(plain.size());
  ScrambleConnString(plain.data(), plain.size(), scrambled.data());
  return scrambled;
}

}  // namespace

MsgBufPtr LoginRequest(const std::string& connection_string) {
  ConnectRequest request{ScrambledLoginText(connection_string), 8192};
  return Request(kRpcConnect, [&](MsgBuf* b) { return Encode(b, request); });
}

bool ParseReply(MsgBufPtr message, Reply* reply) {
  ReplyHeader header;
  MsgBuf* b = message.get();
  b->read_pos = 0;
  if (!ParseReplyHeader(b, &header)) return false;
  reply->procedure = header.procedure;
  reply->status = header.status;
  reply->buf = std::move(message);
  return true;
}

TestClient::~TestClient() {
  Close();
}

void TestClient::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool TestClient::ConnectRaw(uint16_t port, const std::string& host, const std::string& from) {
  Close();
  sockaddr_storage to{};
  socklen_t to_len = 0;
  auto* to4 = reinterpret_cast<sockaddr_in*>(&to);
  auto* to6 = reinterpret_cast<sockaddr_in6*>(&to);
  if (inet_pton(AF_INET, host.c_str(), &to4->sin_addr) == 1) {
    to4->sin_family = AF_INET;
    to4->sin_port = htons(port);
    to_len = sizeof *to4;
  } else if (inet_pton(AF_INET6, host.c_str(), &to6->sin6_addr) == 1) {
    to6->sin6_family = AF_INET6;
    to6->sin6_port = htons(port);
    to_len = sizeof *to6;
  } else {
    return false;
  }
  fd_ = ::socket(to.ss_family, SOCK_STREAM, 0);
  if (fd_ < 0) return false;
  if (!from.empty()) {
    sockaddr_in source{};
    source.sin_family = AF_INET;
    if (inet_pton(AF_INET, from.c_str(), &source.sin_addr) != 1 ||
        ::bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0)
      return false;
  }
  return ::connect(fd_, reinterpret_cast<sockaddr*>(&to), to_len) == 0;
}

bool TestClient::Connect(uint16_t port, const std::string& host, const std::string& from) {
  if (!ConnectRaw(port, host, from)) return false;
  std::vector<uint8_t> greeting(kGreetingSize, 0);
  std::memcpy(greeting.data(), "Some client string", 18);
  if (!SendBytes(greeting)) return false;
  uint8_t theirs[kGreetingSize];
  return ReadExact(theirs, sizeof theirs);
}

bool TestClient::SendBytes(const std::vector<uint8_t>& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t k = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (k <= 0) return false;
    sent += static_cast<size_t>(k);
  }
  return true;
}

bool TestClient::ReadExact(uint8_t* out, size_t n) {
  size_t got = 0;
  while (got < n) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, kTimeoutMs) <= 0) return false;
    ssize_t k = ::recv(fd_, out + got, n - got, 0);
    if (k <= 0) return false;
    got += static_cast<size_t>(k);
  }
  return true;
}

bool TestClient::Call(MsgBuf* request, Reply* reply) {
  uint32_t n = request->write_len;
  SetLengthSlot(request);
  std::vector<uint8_t> frame(kFrameHeaderSize + n);
  EncodeFrameHeader(n, frame.data());
  std::memcpy(frame.data() + kFrameHeaderSize, request->data, n);
  if (!SendBytes(frame)) return false;
  uint8_t head[kFrameHeaderSize];
  if (!ReadExact(head, sizeof head)) return false;
  FrameHeader header = ParseFrameHeader(head);
  if (!FrameHeaderValid(header, kMaxPayload)) return false;
  uint32_t length = header.payload_length;
  MsgBufPtr message(MsgBufCreate());
  if (!MsgBufReserve(message.get(), length) || !ReadExact(message->data, length)) return false;
  message->write_len = length;
  if (LoadBe32(message->data) != length) return false;
  return ParseReply(std::move(message), reply);
}

bool TestClient::ServerClosed() {
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, kTimeoutMs) <= 0) return false;
    uint8_t byte;
    ssize_t k = ::recv(fd_, &byte, 1, 0);
    if (k <= 0) return true;
  }
}

size_t LoginTextLength(const std::string& connection_string) {
  return std::min<size_t>(connection_string.size(), 510) + 2;
}

bool UnpackLogin(MsgBuf* buf, size_t text_length, LoginResult* out) {
  out->text.resize(text_length);
  if (!Decode(buf, static_cast<ConnectReply*>(out)) || !MsgBufAllRead(buf) ||
      out->type_count != out->types.size() || out->table_type_count != out->table_types.size())
    return false;
  if (text_length < 2) return true;
  std::vector<uint8_t> plain(text_length);
  UnscrambleConnString(out->text.data(), text_length, plain.data());
  const char* text = reinterpret_cast<const char*>(plain.data()) + 2;
  out->completed.assign(text, strnlen(text, text_length - 2));
  return true;
}

LoginResult Login(TestClient& c, const std::string& connection_string, int16_t* status) {
  Reply reply;
  LoginResult r;
  *status = 0x7FFF;
  if (c.Call(LoginRequest(connection_string).get(), &reply) &&
      UnpackLogin(reply.buf.get(), LoginTextLength(connection_string), &r))
    *status = reply.status;
  return r;
}

bool UnpackErrors(MsgBuf* buf, std::vector<LnaDiagRecord>* out) {
  void* array = nullptr;
  uint32_t n = 0;
  uint16_t count = 0;
  bool ok = MsgBufGetArray(buf, &array, MsgBufGetElem<XdrDiagRecord>, sizeof(LnaDiagRecord), &n) &&
            MsgBufGetU16(buf, &count) && MsgBufAllRead(buf) && count == n;
  if (ok) {
    auto* d = static_cast<LnaDiagRecord*>(array);
    out->assign(d, d + n);
  }
  MsgBufFreeArray(array, sizeof(LnaDiagRecord), nullptr);
  return ok;
}

bool UnpackColumns(MsgBuf* buf, std::vector<LnaColumnDesc>* out) {
  void* array = nullptr;
  uint32_t n = 0;
  uint16_t count = 0;
  bool ok = MsgBufGetArray(buf, &array, MsgBufGetElem<XdrColumnDesc>, sizeof(LnaColumnDesc), &n) &&
            MsgBufGetU16(buf, &count) && MsgBufAllRead(buf) && count == n;
  if (ok) {
    auto* c = static_cast<LnaColumnDesc*>(array);
    out->assign(c, c + n);
  }
  MsgBufFreeArray(array, sizeof(LnaColumnDesc), nullptr);
  return ok;
}

bool UnpackValueArray(MsgBuf* buf, ValueResult* out) {
  void* array = nullptr;
  uint32_t n = 0;
  bool ok = MsgBufGetArray(buf, &array, MsgBufGetElem<XdrTypedValue>, sizeof(LnaTypedValue), &n,
                           MsgBufRelease<XdrFreeTypedValue>) &&
            MsgBufAllRead(buf) && n <= 1;
  *out = ValueResult{};
  if (ok && n == 1) {
    auto* v = static_cast<LnaTypedValue*>(array);
    out->present = true;
    out->c_type = v->c_type;
    out->length = v->length;
    if (v->c_type == kCTypeChar) {
      if (v->value.text != nullptr) out->text = v->value.text;
    } else if (v->c_type == kCTypeShort) {
      out->number = v->value.u16;
    } else {
      out->number = v->value.u32;
    }
  }
  MsgBufFreeArray(array, sizeof(LnaTypedValue), MsgBufRelease<XdrFreeTypedValue>);
  return ok;
}

bool UnpackNothing(MsgBuf* buf) {
  return MsgBufAllRead(buf) != 0;
}

bool UnpackI32(MsgBuf* buf, int32_t* out) {
  return MsgBufGetI32(buf, out) && MsgBufAllRead(buf);
}

int PutConnection(MsgBuf* b, int32_t id) {
  return MsgBufPutI32(b, id);
}

MsgBufPtr CatalogRequest(uint32_t procedure, int32_t statement, const char* table) {
  return Request(procedure, [&](MsgBuf* b) {
    int ok = MsgBufPutI32(b, statement);
    auto names = [&](int count, int table_index) {
      for (int i = 0; i < count; ++i)
        ok = ok && MsgBufPutString(b, i == table_index ? table : nullptr);
    };
    switch (procedure) {
      case 55:
      case 56:
      case 59:
        names(4, 2);
        break;
      case 57:
        names(6, 2);
        break;
      case 58:
      case 60:
      case 63:
        names(3, 2);
        break;
      case 61:
        ok = ok && MsgBufPutU16(b, 1);
        names(3, 2);
        ok = ok && MsgBufPutU16(b, 0) && MsgBufPutU16(b, 1);
        break;
      case 62:
        names(3, 2);
        ok = ok && MsgBufPutU16(b, 1) && MsgBufPutU16(b, 0);
        break;
      case 64:
        names(3, 2);
        ok = ok && MsgBufPutI32(b, 0);
        break;
      default:
        break;
    }
    return ok && MsgBufPutU8(b, 0);
  });
}

}  // namespace velsrv_test
