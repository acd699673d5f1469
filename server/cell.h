// One value of a result row, read from the backend in the C type and within
// the length the client asked for, and written in the two forms the client
// decodes: the plain single-row form and the compact form of a column block.
#pragma once

#include <cstdint>
#include <vector>

#include "server/backend.h"
#include "server/memory_budget.h"
#include "wire/typed_value.h"

namespace velsrv {

// A value is never read with more room than this, whatever a request says.
constexpr int32_t kMaxCellBytes = 1 << 20;
// The longest text or binary value a row carries whole; a longer one is cut
// there, with a warning.
constexpr size_t kMaxWholeValue = size_t{64} << 20;

struct Cell {
  int16_t c_type = 0;
  bool null = false;
  // Text and binary values: their bytes. Fixed-size C types: the value in
  // this machine's layout of the ODBC C structure.
  std::vector<uint8_t> bytes;
};

// Reads `column` of the current row. `length` is the size of the client's
// buffer: a text keeps room for the client's NUL, a binary value fits it.
// C types the wire has no fixed form for are read as text. `total`, when
// given, receives what the backend says of the whole value's length (-4 when
// it does not know it).
BackendRc ReadCell(BackendStatement& backend, uint16_t column, int16_t c_type, int32_t length,
                   Cell* cell, DiagList* diags, int64_t* total = nullptr);

// As ReadCell, but a text or binary value longer than `length` is read on,
// piece by piece, until it is whole (up to kMaxWholeValue): the row carries
// every byte, however small its column is described. What the value grows
// beyond `length` is charged to `charge` first: a growth its bounds refuse
// fails the read with S1001.
BackendRc ReadWholeCell(BackendStatement& backend, uint16_t column, int16_t c_type, int32_t length,
                        Cell* cell, DiagList* diags, MemoryCharge* charge = nullptr);

// The single-row form: i32 length (-1 for null), then the value, numbers
// big-endian.
void AppendRowValue(const Cell& cell, std::vector<uint8_t>* out);

// The value as a column block carries it: integers in 0, 1, 2 or 4 bytes,
// doubles without trailing repeats of their last byte, dates and times in
// bytes, trailing zero bytes of times and timestamps dropped. Appended to
// *out, so that one buffer holds a whole column's values.
void AppendBlockValueBytes(const Cell& cell, std::vector<uint8_t>* out);

// A typed value for the cell (pointing into it): its C type, its length and
// payload.
LnaTypedValue CellTypedValue(const Cell& cell);

}  // namespace velsrv
