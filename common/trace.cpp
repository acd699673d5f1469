#include "common/trace.h"

#include <strings.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "common/memory.h"
#include "common/profile.h"
#include "platform/debug_output.h"
#include "platform/file_system.h"

namespace {

constexpr int kMaxTraces = 256;
constexpr int kMaxSinks = 768;
constexpr size_t kTextSize = 1025;  // a formatted text and its NUL
constexpr const char* kCommonSection = "Velto Trace";

enum SinkKind : uint32_t { kStandardStream = 0, kFile = 1, kDebugger = 2 };

// An open output. An entry is in use while it has a name; standard-stream
// and debugger sinks stay in use when their last trace closes.
struct TraceSink {
  uint32_t references;
  char* name;
  std::FILE* stream;
  uint32_t kind;
};

}  // namespace

struct TraceHandle {
  bool in_use;
  TraceSink* sink;  // null for a live trace without an output
};

namespace {

// Every table change and every write happens under this lock.
std::mutex g_lock;
TraceHandle g_traces[kMaxTraces];
TraceSink g_sinks[kMaxSinks];
std::atomic<bool> g_time{false};

// A setting from the caller's section, else from the common section.
bool ReadSetting(const char* path, const char* section, const char* key, char* out, uint32_t size) {
  out[0] = '\0';
  if (ProfileReadString(path, section, key, nullptr, out, size) != 0) return true;
  out[0] = '\0';
  if (ProfileReadString(path, kCommonSection, key, nullptr, out, size) != 0) return true;
  out[0] = '\0';
  return false;
}

// Opens or shares the sink of `name`; null when it cannot be opened. Called
// under the lock.
TraceSink* AttachSink(const char* name, bool append) {
  TraceSink* free_entry = nullptr;
  for (auto& sink : g_sinks) {
    if (sink.name == nullptr) {
      if (free_entry == nullptr) free_entry = &sink;
    } else if (strcasecmp(sink.name, name) == 0) {
      ++sink.references;
      return &sink;
    }
  }
  if (free_entry == nullptr) return nullptr;
  size_t length = std::strlen(name);
  auto* copy = static_cast<char*>(MemAlloc(length + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, name, length + 1);
  TraceSink sink{1, copy, nullptr, kFile};
  if (strcasecmp(name, "debug") == 0) {
    sink.kind = kDebugger;
  } else if (strcasecmp(name, "stdout") == 0) {
    sink.kind = kStandardStream;
    sink.stream = stdout;
  } else if (strcasecmp(name, "stderr") == 0) {
    sink.kind = kStandardStream;
    sink.stream = stderr;
  } else {
    sink.stream = PlatOpenPrivateStream(name, append);
    if (sink.stream == nullptr) {
      // The entry stays free: a later open of the name must not find a sink
      // without a stream.
      MemFree(copy);
      return nullptr;
    }
  }
  *free_entry = sink;
  return free_entry;
}

void DetachSink(TraceSink* sink) {
  if (sink == nullptr || sink->references == 0) return;
  if (--sink->references != 0 || sink->kind != kFile) return;
  std::fclose(sink->stream);
  MemFree(sink->name);
  *sink = TraceSink{};
}

// A line is written as up to three tagged pieces (text, time, end).
struct Piece {
  char tag;
  const char* text;
};
constexpr size_t kMaxPieces = 3;

// Writes one line made of pieces: to a stream each piece with its tag, in
// one write; to the debugger the texts alone, as one message.
void Emit(TraceHandle* trace, const Piece* pieces, size_t count) {
  if (trace == nullptr || count > kMaxPieces) return;
  char line[kMaxPieces * kTextSize];
  char untagged[kMaxPieces * kTextSize];
  size_t tagged = 0, plain = 0;
  for (size_t i = 0; i < count; ++i) {
    size_t n = strnlen(pieces[i].text, kTextSize - 1);
    line[tagged++] = pieces[i].tag;
    std::memcpy(line + tagged, pieces[i].text, n);
    tagged += n;
    std::memcpy(untagged + plain, pieces[i].text, n);
    plain += n;
  }
  untagged[plain] = '\0';

  std::lock_guard<std::mutex> hold(g_lock);
  TraceSink* sink = trace->in_use ? trace->sink : nullptr;
  if (sink == nullptr) return;
  if (sink->kind == kDebugger) {
    // Under the lock too, so that the messages keep the order of the lines.
    PlatformDebugOutput(untagged);
  } else if (sink->stream != nullptr) {
    std::fwrite(line, 1, tagged, sink->stream);
    std::fflush(sink->stream);
  }
}

void Format(char* out, const char* format, va_list args) {
  if (std::vsnprintf(out, kTextSize, format, args) < 0) out[0] = '\0';
}

}  // namespace

TraceHandle* TraceOpen(const char* path, const char* section, const char* key, int32_t* level) {
  char value[1024];
  value[0] = '\0';
  ProfileReadString(path, kCommonSection, "Time", "0", value, sizeof value);
  g_time.store(value[0] == '1', std::memory_order_relaxed);

  if (!ReadSetting(path, section, key, value, sizeof value)) return nullptr;
  auto trace_level = static_cast<int32_t>(std::strtol(value, nullptr, 0));
  if (trace_level == 0) return nullptr;

  char append[64];
  ReadSetting(path, section, "TraceAppend", append, sizeof append);
  bool appending = append[0] == '\0' || std::strchr("1TtYy", append[0]) != nullptr;
  ReadSetting(path, section, "TraceOutput", value, sizeof value);

  std::lock_guard<std::mutex> hold(g_lock);
  TraceHandle* entry = nullptr;
  for (auto& trace : g_traces) {
    if (!trace.in_use) {
      entry = &trace;
      break;
    }
  }
  if (entry == nullptr) return nullptr;
  TraceSink* sink = nullptr;
  if (value[0] != '\0') {
    sink = AttachSink(value, appending);
    if (sink == nullptr) return nullptr;
  }
  *entry = TraceHandle{true, sink};
  if (level != nullptr) *level = trace_level;
  return entry;
}

void TraceClose(TraceHandle* trace) {
  if (trace == nullptr) return;
  std::lock_guard<std::mutex> hold(g_lock);
  if (!trace->in_use) return;
  DetachSink(trace->sink);
  *trace = TraceHandle{};
}

void TraceVPrintf(TraceHandle* trace, char tag, const char* format, va_list args) {
  if (trace == nullptr) return;
  char text[kTextSize];
  Format(text, format, args);
  Piece piece{tag, text};
  Emit(trace, &piece, 1);
}

void TraceWrite(TraceHandle* trace, char tag, const char* text) {
  Piece piece{tag, text == nullptr ? "" : text};
  Emit(trace, &piece, 1);
}

void TracePrintf(TraceHandle* trace, const char* format, ...) {
  if (trace == nullptr) return;
  va_list args;
  va_start(args, format);
  TraceVPrintf(trace, ' ', format, args);
  va_end(args);
}

void TraceEnter(TraceHandle* trace, const char* format, ...) {
  if (trace == nullptr) return;
  char text[kTextSize];
  va_list args;
  va_start(args, format);
  Format(text, format, args);
  va_end(args);
  if (g_time.load(std::memory_order_relaxed)) {
    Piece pieces[] = {{'>', text}, {':', TraceTimeText()}, {' ', "\n"}};
    Emit(trace, pieces, 3);
  } else {
    Piece pieces[] = {{'>', text}, {' ', "\n"}};
    Emit(trace, pieces, 2);
  }
}

void TraceReturn(TraceHandle* trace, const char* name, int32_t value) {
  if (trace == nullptr) return;
  char text[kTextSize];
  bool time = g_time.load(std::memory_order_relaxed);
  std::snprintf(text, sizeof text, time ? "%s returned %ld:" : "%s returned %ld.\n",
                name == nullptr ? "" : name, static_cast<long>(value));
  if (time) {
    Piece pieces[] = {{'<', text}, {' ', TraceTimeText()}, {' ', "\n"}};
    Emit(trace, pieces, 3);
  } else {
    Piece piece{'<', text};
    Emit(trace, &piece, 1);
  }
}

const char* TraceTimeText() {
  thread_local char text[32];
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char clock[16];
  std::strftime(clock, sizeof clock, " %H:%M:%S", &local);
  std::snprintf(text, sizeof text, "%.9s.%u", clock, static_cast<unsigned>(now.tv_nsec / 1000000));
  return text;
}
