#include "wire/row_block_encoder.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "testing/wire_test_bytes.h"
#include "wire/huffman.h"
#include "wire/row_block.h"
#include "wire/row_reply.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Value = std::optional<std::string>;  // nullopt: null

std::vector<BlockValue> View(const std::vector<Value>& values) {
  std::vector<BlockValue> out;
  for (const Value& v : values)
    out.push_back(
        v ? BlockValue{reinterpret_cast<const uint8_t*>(v->data()), static_cast<int32_t>(v->size())}
          : BlockValue{nullptr, -1});
  return out;
}

int Encode(ColumnBlockEncoder* e, const std::vector<Value>& values, BlockForm form, Bytes* out,
           BlockCompression compression = BlockCompression::kNone, int keep = 0) {
  std::vector<BlockValue> view = View(values);
  return EncodeColumnBlock(e, view.data(), static_cast<uint32_t>(view.size()), form, compression,
                           keep, out);
}

Bytes Statistics(const ColumnBlockEncoder& e) {
  if (e.statistics == nullptr) return {};
  auto* p = reinterpret_cast<const uint8_t*>(e.statistics);
  return Bytes(p, p + kHuffmanTableSize * sizeof(uint16_t));
}

// Draws columns with the traits the forms are chosen by: nulls, equal or
// scattered lengths, repeated values, narrow or full byte ranges.
class ColumnMaker {
 public:
  explicit ColumnMaker(uint32_t seed) : rng_(seed) {}

  std::vector<Value> Make() {
    uint32_t rows = Pick(8) == 0 ? 0 : Pick(4) == 0 ? 1 + Pick(3000) : 1 + Pick(300);
    uint32_t kind = Pick(6);
    uint32_t null_per_mille = kind == 0 ? 1000 : Pick(3) == 0 ? 0 : Pick(400);
    uint32_t fixed = Pick(12);
    uint32_t alphabet = Pick(3) == 0 ? 256 : 1 + Pick(12);
    std::vector<std::string> pool;
    for (uint32_t i = 0, n = 1 + Pick(40); i < n; ++i) pool.push_back(Text(Pick(20), alphabet));
    std::vector<Value> values;
    for (uint32_t i = 0; i < rows; ++i) {
      if (Pick(1000) < null_per_mille) {
        values.push_back(std::nullopt);
      } else if (kind == 1) {
        values.push_back(Text(fixed, alphabet));
      } else if (kind == 2 || kind == 3) {
        values.push_back(pool[Pick(static_cast<uint32_t>(pool.size()))]);
      } else if (kind == 4) {
        values.push_back(Text(Pick(4) == 0 ? 200 + Pick(600) : Pick(8), alphabet));
      } else {
        values.push_back(Text(Pick(30), alphabet));
      }
    }
    return values;
  }

  uint32_t Pick(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

 private:
  std::string Text(uint32_t length, uint32_t alphabet) {
    std::string s(length, '\0');
    for (char& c : s) c = static_cast<char>(std::min(Pick(alphabet), Pick(alphabet)));
    return s;
  }
  std::mt19937 rng_;
};

TEST(ColumnBlockPropertyTest, EveryFormAndCompressionDecodesBackAcrossManyBlocks) {
  const BlockForm forms[] = {BlockForm::kSmallest, BlockForm::kAllNull, BlockForm::kFixedLength,
                             BlockForm::kPackedLengths, BlockForm::kDictionary};
  // kNever drops the statistics: the next blocks go plain until new ones
  // are counted, whatever the client holds.
  const BlockCompression compressions[] = {BlockCompression::kNone, BlockCompression::kIfSmaller,
                                           BlockCompression::kAlways, BlockCompression::kNever};
  std::map<uint32_t, int> forms_seen;  // by header bits: 1 all null, 0 fixed, W, D
  int compressed_blocks = 0;
  for (uint32_t trial = 0; trial < 40; ++trial) {
    ColumnMaker maker(trial);
    const uint32_t columns = 1 + maker.Pick(4);
    std::vector<ColumnBlockEncoder> encoders(columns, ColumnBlockEncoder{});
    std::vector<RowBlockDecoder> decoders(columns, RowBlockDecoder{});
    // Decoders that count a block's bytes only when the next block needs
    // them, as the call layer's do: each row block stays until the next one
    // is decoded.
    std::vector<RowBlockDecoder> deferring(columns, RowBlockDecoder{});
    for (RowBlockDecoder& d : deferring) d.defer_statistics = 1;
    Bytes kept;
    for (uint32_t block = 0; block < 30; ++block) {
      // One row block: the columns' blocks back to back.
      Bytes row_block;
      std::vector<std::vector<Value>> expected;
      const int keep = maker.Pick(8) == 0;
      for (uint32_t c = 0; c < columns; ++c) {
        std::vector<Value> values = maker.Make();
        BlockForm form = forms[maker.Pick(5)];
        BlockCompression compression = compressions[maker.Pick(4)];
        size_t before = row_block.size();
        Bytes statistics = Statistics(encoders[c]);
        if (!Encode(&encoders[c], values, form, &row_block, compression, keep)) {
          // Refused forms leave no trace; the smallest form always fits.
          ASSERT_EQ(row_block.size(), before);
          ASSERT_EQ(Statistics(encoders[c]), statistics);
          ASSERT_EQ(
              Encode(&encoders[c], values, BlockForm::kSmallest, &row_block, compression, keep), 1);
        }
        if (!values.empty()) {
          uint32_t header = (row_block[before] << 8) | row_block[before + 1];
          compressed_blocks += (header >> 15) & 1;
          forms_seen[header == 1 ? 1 : (header & 0x7FFE) == 0 ? 0 : (header & 0x7FE0) ? 3 : 2]++;
        }
        expected.push_back(std::move(values));
      }
      for (std::vector<RowBlockDecoder>* set : {&decoders, &deferring}) {
        uint32_t pos = 0;
        for (uint32_t c = 0; c < columns; ++c) {
          const uint32_t rows = static_cast<uint32_t>(expected[c].size());
          uint32_t consumed;
          ASSERT_EQ(
              DecodeRowBlock(&(*set)[c], row_block.data() + pos,
                             static_cast<uint32_t>(row_block.size()) - pos, rows, &consumed, keep),
              1)
              << "trial " << trial << " block " << block << " column " << c;
          pos += consumed;
          for (uint32_t r = 0; r < rows; ++r) {
            uint8_t buffer[1000];
            int32_t n = NextBlockValue(&(*set)[c], buffer, sizeof buffer);
            Value got = n < 0 ? Value() : Value(std::string(buffer, buffer + n));
            ASSERT_EQ(got, expected[c][r])
                << "trial " << trial << " block " << block << " column " << c << " row " << r;
          }
        }
        ASSERT_EQ(pos, row_block.size());
      }
      kept = std::move(row_block);
    }
    for (uint32_t c = 0; c < columns; ++c) {
      FreeColumnBlockEncoder(&encoders[c]);
      FreeRowBlock(&decoders[c]);
      FreeRowBlock(&deferring[c]);
    }
  }
  EXPECT_GT(compressed_blocks, 200);
  for (uint32_t f = 0; f < 4; ++f) EXPECT_GT(forms_seen[f], 50) << "form " << f;
}

struct LimitCase {
  const char* name;
  std::vector<Value> values;
  BlockForm form;
  int result;
};

std::vector<Value> Cycle(uint32_t distinct, uint32_t rows) {
  std::vector<Value> v;
  for (uint32_t i = 0; i < rows; ++i) v.push_back(std::to_string(i % distinct));
  return v;
}

TEST(ColumnBlockEncoderTest, FormsTheClientCannotReadAreRefused) {
  const std::string long_value(65536, 'x');
  const std::string longest(kMaxBlockValue, 'z');
  const LimitCase cases[] = {
      {"index bits at 65536", Cycle(4, 32768), BlockForm::kDictionary, 1},
      {"index bits past 65536", Cycle(4, 32769), BlockForm::kDictionary, 0},
      {"index bits past 65536, smallest form", Cycle(4, 32769), BlockForm::kSmallest, 1},
      {"1023 entries", Cycle(1023, 2046), BlockForm::kDictionary, 1},
      {"1024 entries", Cycle(1024, 2048), BlockForm::kDictionary, 0},
      {"fixed length 65536", {long_value, long_value}, BlockForm::kFixedLength, 0},
      {"65536 bytes counted from 65535", {long_value, long_value}, BlockForm::kSmallest, 1},
      {"the longest value, a null beside it", {longest, {}}, BlockForm::kPackedLengths, 1},
      {"one byte longer", {longest + "z", {}}, BlockForm::kPackedLengths, 0},
      {"one byte longer, alone", {longest + "z"}, BlockForm::kSmallest, 1},
      {"two bytes longer, alone", {longest + "zz"}, BlockForm::kSmallest, 0},
      {"length spread of 15 bits", {"", std::string(32767, 'y')}, BlockForm::kPackedLengths, 1},
      {"length spread of 16 bits", {"", std::string(32768, 'y')}, BlockForm::kSmallest, 0},
      {"15 bits and a null slot", {"", std::string(32767, 'y'), {}}, BlockForm::kPackedLengths, 0},
      {"15 bits and a null, by dictionary",
       {"", std::string(32767, 'y'), {}},
       BlockForm::kSmallest,
       1},
      {"fixed length with a null", {"ab", {}}, BlockForm::kFixedLength, 0},
      {"fixed length with two lengths", {"ab", "abc"}, BlockForm::kFixedLength, 0},
      {"all null with a value", {{}, "a"}, BlockForm::kAllNull, 0},
      {"dictionary of nulls only", {{}, {}}, BlockForm::kDictionary, 0},
      {"packed lengths of nulls only", {{}, {}}, BlockForm::kPackedLengths, 1},
  };
  for (const LimitCase& c : cases) {
    ColumnBlockEncoder e{};
    Bytes out;
    EXPECT_EQ(Encode(&e, c.values, c.form, &out), c.result) << c.name;
    if (c.result == 0) {
      EXPECT_TRUE(out.empty()) << c.name;
    }
    if (c.result == 1) {
      RowBlockDecoder d{};
      uint32_t consumed;
      EXPECT_EQ(DecodeRowBlock(&d, out.data(), static_cast<uint32_t>(out.size()),
                               static_cast<uint32_t>(c.values.size()), &consumed, 0),
                1)
          << c.name;
      EXPECT_EQ(consumed, out.size()) << c.name;
      for (const Value& v : c.values) {
        const uint8_t* at = nullptr;
        int32_t n = NextBlockValueView(&d, &at);
        ASSERT_EQ(n, v ? static_cast<int32_t>(v->size()) : -1) << c.name;
        if (v) {
          EXPECT_EQ(std::string(reinterpret_cast<const char*>(at), v->size()), *v) << c.name;
        }
      }
      FreeRowBlock(&d);
    }
    FreeColumnBlockEncoder(&e);
  }
}

// The row-block builder keeps a column's lengths within what
// BlockLengthsFit allows, and must then be able to encode them, nulls
// included.
TEST(ColumnBlockEncoderTest, LengthsThatFitEncode) {
  const struct {
    uint32_t min, max;
    bool fits;
  } cases[] = {
      {0, 32766, true},     {0, 32767, false},     {10, 32776, true},
      {65535, 98301, true}, {65535, 98302, false}, {70000, 98301, true},
      {98301, 98301, true}, {98302, 98302, false}, {5, 4, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max));
    EXPECT_EQ(BlockLengthsFit(c.min, c.max), c.fits);
    if (!c.fits || c.min > c.max) continue;
    ColumnBlockEncoder e{};
    Bytes out;
    EXPECT_EQ(Encode(&e, {std::string(c.min, 'a'), {}, std::string(c.max, 'b')},
                     BlockForm::kSmallest, &out),
              1);
    FreeColumnBlockEncoder(&e);
  }
  BlockValue bad{nullptr, -2};
  ColumnBlockEncoder e{};
  Bytes out;
  EXPECT_EQ(EncodeColumnBlock(&e, &bad, 1, BlockForm::kSmallest, BlockCompression::kNone, 0, &out),
            0);
}

TEST(ColumnBlockEncoderTest, SmallestFormAndCompressionChoices) {
  struct Case {
    const char* name;
    std::vector<Value> values;
    Bytes expected;
  };
  const Case cases[] = {
      {"all null", {{}, {}, {}}, {0x00, 0x01}},
      {"equal lengths", {"ab", "cd"}, {0x00, 0x00, 0x00, 0x02, 'a', 'b', 'c', 'd'}},
      {"one repeated value", {"abc", "abc", "abc"}, {0x00, 0x20, 0x00, 0x03, 'a', 'b', 'c'}},
      {"null and two lengths",
       {{}, "a", "bcd"},
       {0x00, 0x05, 0x00, 0x01, 0b110100, 'a', 'b', 'c', 'd'}},
      {"no rows", {}, {0x00, 0x00}},
  };
  for (const Case& c : cases) {
    ColumnBlockEncoder e{};
    Bytes out;
    ASSERT_EQ(Encode(&e, c.values, BlockForm::kSmallest, &out, BlockCompression::kIfSmaller), 1);
    EXPECT_EQ(out, c.expected) << c.name;  // a first block is never compressed
    FreeColumnBlockEncoder(&e);
  }

  // A repetitive column compresses from its second block on, when it pays.
  std::vector<Value> text(200, std::string("aaaaaaab"));
  text[7] = "qwertyui";
  ColumnBlockEncoder e{};
  Bytes first, second, third;
  ASSERT_EQ(Encode(&e, text, BlockForm::kFixedLength, &first, BlockCompression::kIfSmaller), 1);
  ASSERT_EQ(Encode(&e, text, BlockForm::kFixedLength, &second, BlockCompression::kIfSmaller), 1);
  EXPECT_EQ(first.size(), 4u + 1600);
  EXPECT_EQ(second[0] & 0x80, 0x80);
  EXPECT_LT(second.size(), 400u);
  // Unseen bytes all through: the code would be longer than the data.
  std::vector<Value> other(200, std::string("zzzzzzzz"));
  ASSERT_EQ(Encode(&e, other, BlockForm::kFixedLength, &third, BlockCompression::kIfSmaller), 1);
  EXPECT_EQ(third[0] & 0x80, 0);
  FreeColumnBlockEncoder(&e);
}

TEST(ColumnBlockEncoderTest, ColumnBlocksTravelInTheRowBlockReply) {
  // Three columns over two replies; the second reply's blocks compress.
  const std::vector<std::vector<Value>> columns = {
      {"alpha", "beta", "alpha", "gamma"}, {{}, "1", {}, "22"}, {"xxxx", "yyyy", "xxxx", "xxxx"}};
  std::vector<ColumnBlockEncoder> encoders(3, ColumnBlockEncoder{});
  std::vector<RowBlockDecoder> decoders(3, RowBlockDecoder{});
  for (int reply = 0; reply < 2; ++reply) {
    Bytes blocks;
    for (size_t c = 0; c < columns.size(); ++c)
      ASSERT_EQ(Encode(&encoders[c], columns[c], BlockForm::kSmallest, &blocks,
                       BlockCompression::kAlways),
                1);
    LnaRowBlock sent{0, 12, static_cast<uint32_t>(blocks.size()), blocks.data(),
                     static_cast<uint32_t>(blocks.size())};
    wire_test::BufPtr buf = wire_test::NewBuf();
    ASSERT_EQ(XdrPutRowBlock(buf.get(), &sent), 1);
    LnaRowBlock got;
    ASSERT_EQ(XdrRowBlock(buf.get(), &got), 1);
    uint32_t pos = 0;
    for (size_t c = 0; c < columns.size(); ++c) {
      uint32_t consumed;
      ASSERT_EQ(
          DecodeRowBlock(&decoders[c], got.bytes + pos, got.data_length - pos, 4, &consumed, 0), 1);
      EXPECT_EQ(reply == 1, (got.bytes[pos] & 0x80) != 0) << "column " << c;
      pos += consumed;
      for (const Value& expected : columns[c]) {
        uint8_t buffer[16];
        int32_t n = NextBlockValue(&decoders[c], buffer, sizeof buffer);
        EXPECT_EQ(n < 0 ? Value() : Value(std::string(buffer, buffer + n)), expected);
      }
    }
    EXPECT_EQ(pos, got.data_length);
    XdrFreeRowBlock(&got);
  }
  for (size_t c = 0; c < columns.size(); ++c) {
    FreeColumnBlockEncoder(&encoders[c]);
    FreeRowBlock(&decoders[c]);
  }
}

}  // namespace
