// The trace log: line-oriented traces switched on from the registry.
//
// A component opens a trace by naming a registry path, a section and a key;
// when the key (or the same key under the section "Velto Trace") holds a
// nonzero level the trace is live. Its lines go where `TraceOutput` says:
// "debug" (the system log), "stdout", "stderr" or a file, appended to
// unless `TraceAppend` says otherwise; `Time` "1" under "Velto Trace" adds
// the time of day to entry and exit lines. Traces naming the same output
// (letter case aside) share it.
//
// Every call takes a null handle and then does nothing, so callers trace
// unconditionally through a handle that is null when tracing is off. Lines
// of threads tracing at once never mix: each line is formatted by its own
// call and written whole.
#pragma once

#include <cstdarg>
#include <cstdint>

struct TraceHandle;

// A live trace with its level stored at `level`, or null (level untouched)
// when the level is 0 or missing, 256 traces are open, or the output cannot
// be opened.
TraceHandle* TraceOpen(const char* path, const char* section, const char* key, int32_t* level);
// Gives the trace's entry back; the handle must not be used afterwards. A
// file is closed with the last trace writing to it.
void TraceClose(TraceHandle* trace);

// " " and the text.
void TracePrintf(TraceHandle* trace, const char* format, ...) __attribute__((format(printf, 2, 3)));
// ">" and the text, then ":" and the time of day when timestamps are on,
// then " \n".
void TraceEnter(TraceHandle* trace, const char* format, ...) __attribute__((format(printf, 2, 3)));
// "<" name " returned " value ".\n"; with timestamps the "." becomes ":"
// followed by " ", the time of day and " \n".
void TraceReturn(TraceHandle* trace, const char* name, int32_t value);

// The tag byte and the formatted text (at most 1024 characters).
void TraceVPrintf(TraceHandle* trace, char tag, const char* format, va_list args)
    __attribute__((format(printf, 3, 0)));
// The tag byte and `text`, as one write.
void TraceWrite(TraceHandle* trace, char tag, const char* text);

// " HH:MM:SS.m": the local time of day and the milliseconds, not padded.
// The text belongs to the calling thread until its next call.
const char* TraceTimeText();
