// A deliverable's built-in messages as a source of catalogue pairs.
#pragma once

#include <cstdint>

#include "common/msg_table.h"

// One row of a built-in message table. A table is an array of rows ended by
// a row whose number is 0, so 0 is never a message.
struct MsgDefault {
  uint32_t number;
  const char* identifier;
  const char* text;
};

// Number of rows before the 0 row; 0 for a null table.
uint32_t MsgCountDefaults(const MsgDefault* table);

class MsgTableSource : public MsgSource {
 public:
  // Borrows `count` rows, which must outlive the source.
  MsgTableSource(const MsgDefault* rows, uint32_t count) noexcept;
  // Owns room for `capacity` rows, filled by Add (no room when it cannot be
  // allocated). The rows' strings are borrowed.
  explicit MsgTableSource(uint32_t capacity) noexcept;
  ~MsgTableSource() override;
  MsgTableSource(const MsgTableSource&) = delete;
  MsgTableSource& operator=(const MsgTableSource&) = delete;

  // Adds (identifier, text) of each row to the table, in row order.
  void Load(MsgTable& table) override;
  // Fills the next owned row; ignored for a borrowing source or when full.
  void Add(uint32_t number, const char* identifier, const char* text) noexcept;

 private:
  MsgDefault* entries_;
  uint8_t owns_;
  uint32_t count_;
  uint32_t added_;
};
