#include "common/msg_table_source.h"

#include <new>

uint32_t MsgCountDefaults(const MsgDefault* table) {
  uint32_t n = 0;
  if (table != nullptr)
    while (table[n].number != 0) ++n;
  return n;
}

MsgTableSource::MsgTableSource(const MsgDefault* rows, uint32_t count) noexcept
    : entries_(const_cast<MsgDefault*>(rows)),
      owns_(0),
      count_(rows == nullptr ? 0 : count),
      added_(count_) {}

MsgTableSource::MsgTableSource(uint32_t capacity) noexcept
    : entries_(new (std::nothrow) MsgDefault[capacity]()),
      owns_(1),
      count_(entries_ == nullptr ? 0 : capacity),
      added_(0) {}

MsgTableSource::~MsgTableSource() {
  if (owns_) delete[] entries_;
}

void MsgTableSource::Load(MsgTable& table) {
  // An owned table loads only the rows filled so far.
  uint32_t rows = owns_ ? added_ : count_;
  for (uint32_t i = 0; i < rows; ++i) table.Add(entries_[i].identifier, entries_[i].text);
}

void MsgTableSource::Add(uint32_t number, const char* identifier, const char* text) noexcept {
  if (!owns_ || added_ >= count_) return;
  entries_[added_++] = MsgDefault{number, identifier, text};
}
