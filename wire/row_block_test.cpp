#include "wire/row_block.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/memory.h"
#include "testing/test_env.h"
#include "wire/huffman.h"
#include "wire/huffman_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Value = std::optional<std::string>;  // nullopt: null

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

std::vector<Value> TakeAll(RowBlockDecoder* d, uint32_t rows) {
  std::vector<Value> values;
  for (uint32_t i = 0; i < rows; ++i) {
    char buffer[64];
    int32_t n = NextBlockValue(d, reinterpret_cast<uint8_t*>(buffer), sizeof buffer);
    values.push_back(n < 0 ? Value() : Value(std::string(buffer, static_cast<size_t>(n))));
  }
  return values;
}

class RowBlockTest : public ::testing::Test {
 protected:
  void TearDown() override {
    MemFailAfter(0);
    FreeRowBlock(&d_);
  }
  RowBlockDecoder d_{};
};

struct FormCase {
  const char* name;
  Bytes block;
  uint32_t rows;
  std::vector<Value> values;
};

const FormCase kForms[] = {
    {"header 1: all null, no fixed length", {0x00, 0x01}, 5, {{}, {}, {}, {}, {}}},
    {"fixed length 4",
     Cat({{0x00, 0x00, 0x00, 0x04}, Text("aaaabbbbcccc")}),
     3,
     {"aaaa", "bbbb", "cccc"}},
    // N = 1, W = 2: lengths 0 (null), 1 and 3 over L = 2.
    {"packed lengths with nulls",
     Cat({{0x00, 0x05, 0x00, 0x02, 0b00110100}, Text("xxyyyy")}),
     3,
     {{}, "xx", "yyyy"}},
    // W = 3 without nulls: lengths L + 0, + 5, + 1.
    {"packed lengths without nulls",
     Cat({{0x00, 0x06, 0x00, 0x01, 0b01101000, 0x00}, Text("abcdefghi")}),
     3,
     {"a", "bcdefg", "hi"}},
    // D = 3, N = 1: 2-bit indices 0, 1, 2, 3, 1.
    {"dictionary of 3 with nulls",
     Cat({{0x00, 0x61, 0x00, 0x02}, {0b11100100, 0b01}, Text("p1p2p3")}),
     5,
     {{}, "p1", "p2", "p3", "p1"}},
    // D = 2, W = 2: entry lengths 1 + 0 and 1 + 2; indices 1, 0, 1.
    {"dictionary with lengths",
     Cat({{0x00, 0x44, 0x00, 0x01, 0b1000, 0b101}, Text("qrst")}),
     3,
     {"rst", "q", "rst"}},
    // D = 1, N = 0: no index bits, every row takes the entry.
    {"one-entry dictionary", Cat({{0x00, 0x20, 0x00, 0x03}, Text("one")}), 2, {"one", "one"}},
    // D = 1 with W = 1 and the length L + 1: the entry's own length counts.
    {"one-entry dictionary with a length",
     Cat({{0x00, 0x22, 0x00, 0x01, 0x01}, Text("ab")}),
     2,
     {"ab", "ab"}},
    {"no rows: the header alone", {0x80, 0x07}, 0, {}},
    // N without lengths or dictionary, and a compressed length of 0: data in place.
    {"all null by N, header not 1", {0x80, 0x01, 0x00, 0x00, 0x00, 0x00}, 2, {{}, {}}},
};

TEST_F(RowBlockTest, FormsDecodeAndConsumeExactlyTheirBytes) {
  // All blocks back to back, as in a row block: each decode must leave the
  // position at the next one.
  Bytes row_block;
  for (const FormCase& c : kForms)
    row_block.insert(row_block.end(), c.block.begin(), c.block.end());
  uint32_t pos = 0;
  for (const FormCase& c : kForms) {
    uint32_t consumed = 99;
    ASSERT_EQ(DecodeRowBlock(&d_, row_block.data() + pos,
                             static_cast<uint32_t>(row_block.size() - pos), c.rows, &consumed, 0),
              1)
        << c.name;
    EXPECT_EQ(consumed, c.block.size()) << c.name;
    EXPECT_EQ(TakeAll(&d_, c.rows), c.values) << c.name;
    EXPECT_EQ(NextBlockValue(&d_, nullptr, 0), -1) << c.name << ": past the last value";
    pos += consumed;
  }
  EXPECT_EQ(pos, row_block.size());
}

TEST_F(RowBlockTest, ValuesAreCopiedOnlyWhenTheyFit) {
  Bytes block = Cat({{0x00, 0x00, 0x00, 0x04}, Text("abcdefgh")});
  uint32_t consumed;
  ASSERT_EQ(DecodeRowBlock(&d_, block.data(), static_cast<uint32_t>(block.size()), 2, &consumed, 0),
            1);
  EXPECT_EQ(d_.value_data, block.data() + 4);  // read in place
  uint8_t buffer[4] = {'-', '-', '-', '-'};
  EXPECT_EQ(NextBlockValue(&d_, buffer, 3), 4);
  EXPECT_EQ(std::string(buffer, buffer + 4), "----");
  EXPECT_EQ(NextBlockValue(&d_, nullptr, 100), 4);
}

TEST_F(RowBlockTest, BlocksThatPointPastTheirBytesOrBreakTheirRulesAreRefused) {
  struct Case {
    const char* name;
    Bytes block;
    uint32_t rows;
  };
  const Case cases[] = {
      {"empty", {}, 1},
      {"half a header", {0x00}, 1},
      {"no fixed length", {0x00, 0x00}, 1},
      {"fixed-length data cut short", Cat({{0x00, 0x00, 0x00, 0x04}, Text("abcdefg")}), 2},
      {"packed lengths cut short", {0x00, 0x1E, 0x00, 0x00, 0xFF}, 2},  // W = 15, 2 rows: 4 bytes
      {"packed lengths promise more data", Cat({{0x00, 0x04, 0x00, 0x01, 0b1111}, Text("abcdefg")}),
       2},
      {"indices cut short", {0x00, 0x80, 0x00, 0x01, 0x00}, 5},  // D = 4: 2 bytes of indices
      {"index beyond the dictionary", Cat({{0x00, 0x60, 0x00, 0x01, 0b11}, Text("abc")}), 1},
      {"index beyond a dictionary with nulls", Cat({{0x00, 0x41, 0x00, 0x01, 0b11}, Text("ab")}),
       1},
      {"dictionary data cut short", Cat({{0x00, 0x40, 0x00, 0x02, 0x00}, Text("abc")}), 1},
      {"compressed length missing", {0x80, 0x00, 0x00, 0x01, 0x00}, 1},
      {"compressed data cut short", {0x80, 0x00, 0x00, 0x01, 0x00, 0x05, 0x00}, 1},
      {"compressed before any statistics", {0x80, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00}, 1},
  };
  for (const Case& c : cases) {
    uint32_t consumed = 99;
    EXPECT_EQ(DecodeRowBlock(&d_, c.block.data(), static_cast<uint32_t>(c.block.size()), c.rows,
                             &consumed, 0),
              0)
        << c.name;
    EXPECT_EQ(consumed, 0u) << c.name;
    EXPECT_EQ(d_.statistics, nullptr) << c.name;
    EXPECT_EQ(NextBlockValue(&d_, nullptr, 0), -1) << c.name;
  }
}

// An uncompressed block, then a compressed one coded with its statistics.
struct Chain {
  Bytes first;
  Bytes second_data;
  Bytes code;
};

Chain MakeChain(const std::string& first, const std::string& second) {
  Chain c;
  c.first = Cat({{0x00, 0x00, 0x00, static_cast<uint8_t>(first.size() / 2)}, Text(first)});
  c.second_data = Text(second);
  uint16_t table[kHuffmanTableSize];
  CountBlockBytes(table, reinterpret_cast<const uint8_t*>(first.data()),
                  static_cast<uint32_t>(first.size()));
  BuildHuffmanTable(table, table);
  HuffmanEncode(table, c.second_data.data(), static_cast<uint32_t>(c.second_data.size()), &c.code);
  return c;
}

Bytes CompressedFixed(uint8_t fixed_length, const Bytes& code) {
  return Cat({{0x80, 0x00, 0x00, fixed_length, 0x00, static_cast<uint8_t>(code.size())}, code});
}

TEST_F(RowBlockTest, CompressedBlockIsDecodedWithThePreviousBlocksStatistics) {
  Chain c = MakeChain("aaaabbbb", "abbazzab");  // z was not seen: escape
  uint32_t consumed;
  ASSERT_EQ(
      DecodeRowBlock(&d_, c.first.data(), static_cast<uint32_t>(c.first.size()), 2, &consumed, 0),
      1);
  Bytes second = Cat({CompressedFixed(2, c.code), {0xAB}});  // a following block's byte
  ASSERT_EQ(
      DecodeRowBlock(&d_, second.data(), static_cast<uint32_t>(second.size()), 4, &consumed, 0), 1);
  EXPECT_EQ(consumed, second.size() - 1);
  EXPECT_EQ(d_.owns_value_data, 1u);
  EXPECT_EQ(TakeAll(&d_, 4), (std::vector<Value>{"ab", "ba", "zz", "ab"}));
  // The statistics now count the decompressed bytes.
  EXPECT_EQ(d_.statistics[uint8_t{'z'}], 2);
  EXPECT_EQ(d_.statistics[uint8_t{'a'}], 3);
}

TEST_F(RowBlockTest, CompressedLengthMustMatchTheValueData) {
  Chain c = MakeChain("aaaabbbb", "abbaab");
  struct Case {
    const char* name;
    uint8_t fixed_length;
    uint32_t rows;
  };
  // The code holds 6 bytes in 9 bits; its 7 zero bits of padding read as
  // 'a', so only a shortfall beyond them shows.
  const Case cases[] = {
      {"decodes short", 2, 7}, {"decodes long", 2, 2}, {"more than 8 per byte", 200, 4}};
  for (const Case& k : cases) {
    uint32_t consumed;
    ASSERT_EQ(
        DecodeRowBlock(&d_, c.first.data(), static_cast<uint32_t>(c.first.size()), 2, &consumed, 0),
        1);
    Bytes second = CompressedFixed(k.fixed_length, c.code);
    EXPECT_EQ(DecodeRowBlock(&d_, second.data(), static_cast<uint32_t>(second.size()), k.rows,
                             &consumed, 0),
              0)
        << k.name;
    EXPECT_EQ(d_.value_data, nullptr) << k.name;
  }
}

TEST_F(RowBlockTest, KeepFlagLeavesTheStatisticsAsTheyWere) {
  Chain c = MakeChain("aaaabbbb", "abab");
  uint32_t consumed;
  ASSERT_EQ(
      DecodeRowBlock(&d_, c.first.data(), static_cast<uint32_t>(c.first.size()), 2, &consumed, 0),
      1);
  Bytes other = Cat({{0x00, 0x00, 0x00, 0x02}, Text("zzzz")});
  ASSERT_EQ(DecodeRowBlock(&d_, other.data(), static_cast<uint32_t>(other.size()), 2, &consumed, 1),
            1);
  Bytes second = CompressedFixed(2, c.code);
  ASSERT_EQ(
      DecodeRowBlock(&d_, second.data(), static_cast<uint32_t>(second.size()), 2, &consumed, 0), 1);
  EXPECT_EQ(TakeAll(&d_, 2), (std::vector<Value>{"ab", "ab"}));
}

TEST_F(RowBlockTest, DictionaryIndexBitsBeyond65536AreReadWhereTheyLie) {
  // D = 4, B = 2, 40000 rows: 80000 index bits.
  const uint32_t rows = 40000;
  Bytes block = {0x00, 0x80, 0x00, 0x01};
  for (uint32_t i = 0; i < rows / 4; ++i) block.push_back(0b00011011);  // 3, 2, 1, 0
  Bytes entries = Text("abcd");
  block.insert(block.end(), entries.begin(), entries.end());
  uint32_t consumed;
  ASSERT_EQ(
      DecodeRowBlock(&d_, block.data(), static_cast<uint32_t>(block.size()), rows, &consumed, 0),
      1);
  std::string got;
  for (uint32_t i = 0; i < rows; ++i) {
    uint8_t v;
    ASSERT_EQ(NextBlockValue(&d_, &v, 1), 1);
    if (i >= rows - 4) got.push_back(static_cast<char>(v));
  }
  EXPECT_EQ(got, "dcba");
}

TEST_F(RowBlockTest, AllocationFailureFreesTheDecoder) {
  Chain c = MakeChain("aaaabbbb", "abbaab");
  Bytes compressed = CompressedFixed(2, c.code);
  Bytes packed = Cat({{0x00, 0x04, 0x00, 0x01, 0b0101}, Text("abcd")});
  struct Case {
    const char* name;
    bool statistics_first;
    const Bytes* block;
    uint32_t rows;
    long nth;
  };
  const Case cases[] = {
      {"decompressed value data", true, &compressed, 3, 1},
      {"offsets", false, &packed, 2, 1},
      {"statistics", false, &packed, 2, 2},
  };
  for (const Case& k : cases) {
    uint32_t consumed;
    if (k.statistics_first) {
      ASSERT_EQ(DecodeRowBlock(&d_, c.first.data(), static_cast<uint32_t>(c.first.size()), 2,
                               &consumed, 0),
                1);
    }
    MemFailAfter(k.nth);
    EXPECT_EQ(DecodeRowBlock(&d_, k.block->data(), static_cast<uint32_t>(k.block->size()), k.rows,
                             &consumed, 0),
              0)
        << k.name;
    MemFailAfter(0);
    EXPECT_EQ(d_.offsets, nullptr) << k.name;
    EXPECT_EQ(d_.statistics, nullptr) << k.name;
    EXPECT_EQ(d_.value_data, nullptr) << k.name;
  }
}

}  // namespace
