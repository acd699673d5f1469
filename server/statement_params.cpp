#include "server/statement_params.h"

#include <algorithm>
#include <cstring>

#include "server/cell.h"

namespace velsrv {

namespace {

constexpr int32_t kDataAtExec = -2;           // SQL_DATA_AT_EXEC
constexpr int32_t kLenDataAtExecBase = -100;  // SQL_LEN_DATA_AT_EXEC(0)
constexpr int16_t kParamInput = 1;
constexpr int16_t kParamInputOutput = 2;
constexpr int16_t kParamOutput = 4;
constexpr int16_t kParamReturnValue = 5;
// Room for a returned text whose buffer size the client left open.
constexpr int32_t kDefaultReturnRoom = 2048;
constexpr uint16_t kMaxParamNumber = 32767;

bool IsAtExec(int32_t length) {
  return length == kDataAtExec || length <= kLenDataAtExecBase;
}

bool IsVariable(int16_t c_type) {
  return c_type == kCTypeChar || c_type == kCTypeBinary;
}

// The value the descriptor carries into the parameter's storage.
bool TakeValue(const LnaTypedValue& v, ServerParam* p) {
  p->data.clear();
  if (v.length == kValueNull) {
    p->indicator = -1;
    return true;
  }
  if (IsAtExec(v.length)) {
    p->at_exec = true;
    p->indicator = 0;
    return true;
  }
  if (IsVariable(v.c_type)) {
    size_t n;
    if (v.length == kValueNullTerminated) {
      n = v.value.text != nullptr ? std::strlen(v.value.text) : 0;
    } else if (v.length >= 0) {
      n = static_cast<size_t>(v.length);
    } else {
      return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(v.value.bytes);
    // Exactly the value and its NUL: grown by the NUL alone, the buffer
    // would double.
    p->data.reserve(n + 1);
    if (n > 0 && bytes != nullptr) p->data.assign(bytes, bytes + n);
    p->data.resize(n);
    p->indicator = static_cast<int64_t>(n);
    p->data.push_back(0);  // a text's NUL, for backends that look for it
    return true;
  }
  int size = CTypeFixedSize(v.c_type);
  if (size == 0) return false;
  p->data.assign(v.value.raw, v.value.raw + size);
  p->indicator = size;
  return true;
}

ServerParam* Find(std::vector<ServerParam>* params, uint16_t number) {
  for (ServerParam& p : *params) {
    if (p.number == number) return &p;
  }
  return nullptr;
}

// The bytes of the client's buffer for a returned value.
size_t ReturnRoom(const ServerParam& p) {
  int fixed = CTypeFixedSize(p.c_type);
  if (fixed > 0) return static_cast<size_t>(fixed);
  return static_cast<size_t>(p.buffer_size >= 1 ? std::min(p.buffer_size, kMaxCellBytes)
                                                : kDefaultReturnRoom);
}

// A returned value gets the room of the client's buffer (never less than
// an input/output value already holds).
void MakeReturnRoom(ServerParam* p) {
  size_t room = ReturnRoom(*p);
  if (p->data.size() >= room) return;
  p->data.reserve(room);  // no more than the room, which is what the bounds count
  p->data.resize(room, 0);
}

// What one parameter holds once bound, its storage at `capacity` bytes.
uint64_t ParamBytes(const ServerParam& p, size_t capacity) {
  size_t bound = std::max<size_t>(static_cast<size_t>(CTypeFixedSize(p.c_type)), 1);
  if (p.returned) bound = std::max(bound, ReturnRoom(p));
  return sizeof(ServerParam) + std::max(capacity, bound);
}

}  // namespace

bool BuildParams(const LnaDescList& inputs, const LnaDescList& outputs,
                 std::vector<ServerParam>* params, const char** sqlstate, std::string* error) {
  params->clear();
  auto invalid_number = [&](uint16_t n) {
    *sqlstate = "S1093";
    *error = "Invalid parameter number " + std::to_string(n) + ".";
    return false;
  };
  for (uint16_t i = 0; i < inputs.count; ++i) {
    const LnaDescriptor& d = inputs.descs[i];
    if (d.number == 0 || d.number > kMaxParamNumber || Find(params, d.number) != nullptr)
      return invalid_number(d.number);
    ServerParam p;
    p.number = d.number;
    p.io_type = d.param_type == kParamInputOutput ? kParamInputOutput : kParamInput;
    p.c_type = d.value.c_type;
    p.sql_type = d.sql_type;
    p.precision = d.precision;
    p.scale = d.scale;
    p.buffer_size = d.buffer_size;
    if (!TakeValue(d.value, &p)) {
      *sqlstate = "S1090";
      *error = "Invalid string or buffer length of parameter " + std::to_string(d.number) + ".";
      return false;
    }
    if (p.io_type == kParamInput && p.indicator > 0 &&
        (p.c_type == kCTypeTinyInt || p.c_type == kCTypeSTinyInt)) {
      // Not every driver reads a one-byte value as signed (SQLite's takes
      // -5 for 251): the same number goes as a signed short.
      auto v = static_cast<int16_t>(static_cast<int8_t>(p.data[0]));
      p.c_type = kCTypeSShort;
      p.data.resize(sizeof v);
      std::memcpy(p.data.data(), &v, sizeof v);
      p.indicator = sizeof v;
    }
    params->push_back(std::move(p));
  }
  for (uint16_t i = 0; i < outputs.count; ++i) {
    const LnaDescriptor& d = outputs.descs[i];
    if (d.number == 0 || d.number > kMaxParamNumber) return invalid_number(d.number);
    ServerParam* p = Find(params, d.number);
    if (p == nullptr) {
      ServerParam fresh;
      fresh.number = d.number;
      fresh.io_type = d.param_type == kParamInputOutput || d.param_type == kParamInput
                          ? kParamInputOutput
                          : static_cast<int16_t>(d.param_type);
      fresh.c_type = d.value.c_type;
      fresh.sql_type = d.sql_type;
      fresh.precision = d.precision;
      fresh.scale = d.scale;
      fresh.indicator = 0;
      params->push_back(std::move(fresh));
      p = &params->back();
    } else if (p->returned) {
      return invalid_number(d.number);
    }
    if (CTypeFixedSize(p->c_type) == 0 && !IsVariable(p->c_type)) {
      *sqlstate = "S1003";
      *error = "Program type out of range for parameter " + std::to_string(d.number) + ".";
      return false;
    }
    p->returned = true;
    p->buffer_size = d.buffer_size;
    if (p->io_type == kParamInput) p->io_type = kParamInputOutput;
  }
  // The client lists its parameters by number, the values that go back
  // too.
  std::stable_sort(params->begin(), params->end(),
                   [](const ServerParam& a, const ServerParam& b) { return a.number < b.number; });
  return true;
}

BackendRc BindParams(BackendStatement& backend, std::vector<ServerParam>& params, DiagList* diags) {
  BackendRc worst = backend.Free(3, diags);  // SQL_RESET_PARAMS
  if (!Succeeded(worst)) return worst;
  for (ServerParam& p : params) {
    if (p.returned) MakeReturnRoom(&p);
    size_t fixed = static_cast<size_t>(CTypeFixedSize(p.c_type));
    if (fixed > 0 && p.data.size() < fixed) {
      // A fixed-size value the client never sent (its data-at-execution
      // pieces go only for text and binary): null, in a buffer of its size.
      p.data.resize(fixed, 0);
      if (p.indicator >= 0 && p.io_type == kParamInput) p.indicator = -1;
    }
    if (p.data.empty()) p.data.push_back(0);  // a buffer to point at, even for null
    ParamBinding b;
    b.number = p.number;
    // A return value binds as an output parameter, which ODBC 2 knows.
    b.io_type = p.io_type == kParamReturnValue ? kParamOutput : p.io_type;
    b.c_type = IsVariable(p.c_type) || CTypeFixedSize(p.c_type) > 0 ? p.c_type : kCTypeChar;
    b.sql_type = p.sql_type;
    b.precision = static_cast<uint32_t>(std::max(p.precision, 0));
    b.scale = p.scale;
    b.buffer = p.data.data();
    b.buffer_length = static_cast<int64_t>(p.data.size());
    b.indicator = &p.indicator;
    BackendRc rc = backend.BindParameter(b, diags);
    if (!Succeeded(rc)) return rc;
    if (rc == BackendRc::kSuccessWithInfo) worst = rc;
  }
  return worst;
}

uint64_t HeldParamBytes(const std::vector<ServerParam>& params) {
  uint64_t n = 0;
  for (const ServerParam& p : params) n += ParamBytes(p, p.data.capacity());
  return n;
}

bool AppendPiece(ServerParam* p, const LnaTypedValue& piece, uint64_t* gathered, MemoryCharge* held,
                 MemoryRefusal* refusal) {
  *refusal = MemoryRefusal::kNone;
  if (piece.length == kValueNull) {
    p->indicator = -1;
    return true;
  }
  size_t n = 0;
  if (piece.length == kValueNullTerminated && piece.value.text != nullptr) {
    n = std::strlen(piece.value.text);
  } else if (piece.length > 0) {
    n = static_cast<size_t>(piece.length);
  }
  if (*gathered + n > kMaxGatheredBytes) return false;
  // The value and its NUL; the buffer grows by doubling, as far as the
  // bounds allow, else by what the piece needs. While the bytes move, the
  // old buffer and the new one are both held, and both are charged.
  size_t need = (p->data.empty() ? 0 : p->data.size() - 1) + n + 1;
  size_t capacity = p->data.capacity();
  if (need > capacity) {
    const uint64_t now = ParamBytes(*p, capacity);
    const uint64_t others = held->bytes() - std::min(held->bytes(), now);
    size_t grown = std::max(need, std::min<size_t>(capacity * 2, kMaxGatheredBytes + 1));
    *refusal = held->Resize(others + now + ParamBytes(*p, grown));
    if (*refusal != MemoryRefusal::kNone && grown > need) {
      grown = need;
      *refusal = held->Resize(others + now + ParamBytes(*p, grown));
    }
    if (*refusal != MemoryRefusal::kNone) return false;
    p->data.reserve(grown);
    held->Resize(others + ParamBytes(*p, grown));
  }
  *gathered += n;
  if (p->indicator < 0) p->indicator = 0;
  // The gathered value keeps a NUL behind it.
  if (!p->data.empty()) p->data.pop_back();
  const auto* bytes = reinterpret_cast<const uint8_t*>(piece.value.bytes);
  if (n > 0 && bytes != nullptr) p->data.insert(p->data.end(), bytes, bytes + n);
  p->data.push_back(0);
  p->indicator += static_cast<int64_t>(n);
  return true;
}

std::vector<LnaDescriptor> ReturnedValues(const std::vector<ServerParam>& params) {
  std::vector<LnaDescriptor> out;
  for (const ServerParam& p : params) {
    if (!p.returned) continue;
    LnaDescriptor d{};
    d.number = p.number;
    d.param_type = static_cast<uint16_t>(p.io_type);
    d.sql_type = p.sql_type;
    d.precision = p.precision;
    d.scale = p.scale;
    d.buffer_size = p.buffer_size;
    d.value.c_type = p.c_type;
    if (p.indicator == -1) {
      d.value.length = kValueNull;
    } else if (IsVariable(p.c_type)) {
      // Within the client's buffer; a text leaves room for its NUL.
      int64_t room = static_cast<int64_t>(std::min(p.data.size(), ReturnRoom(p))) -
                     (p.c_type == kCTypeChar ? 1 : 0);
      int64_t n = p.indicator < 0 ? room : std::min<int64_t>(p.indicator, room);
      if (p.c_type == kCTypeChar) {
        n = static_cast<int64_t>(
            strnlen(reinterpret_cast<const char*>(p.data.data()), static_cast<size_t>(n)));
      }
      d.value.length = static_cast<int32_t>(std::max<int64_t>(n, 0));
      d.value.value.bytes = const_cast<uint8_t*>(p.data.data());
    } else {
      int size = CTypeFixedSize(p.c_type);
      d.value.length = size;
      if (!p.data.empty())
        std::memcpy(d.value.value.raw, p.data.data(),
                    std::min(static_cast<size_t>(size), p.data.size()));
    }
    out.push_back(d);
  }
  return out;
}

}  // namespace velsrv
