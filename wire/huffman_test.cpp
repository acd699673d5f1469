#include "wire/huffman.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "wire/huffman_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<uint16_t> Table(const std::vector<std::pair<uint8_t, uint16_t>>& counts) {
  std::vector<uint16_t> table(kHuffmanTableSize, 0);
  for (auto [symbol, count] : counts) table[symbol] = count;
  BuildHuffmanTable(table.data(), table.data());  // in place, as the decoder does
  return table;
}

// Symbols 1, 2 and 3 once each: every pop meets a tie, so the codes show the
// heap's tie rules (escape symbol 0, weight 0).
std::vector<uint16_t> TieTable() {
  return Table({{1, 1}, {2, 1}, {3, 1}});
}

// Fibonacci counts push symbols 1 and 2 below depth 8.
std::vector<uint16_t> DeepTable() {
  std::vector<std::pair<uint8_t, uint16_t>> counts;
  uint16_t a = 1, b = 1;
  for (uint8_t s = 1; s <= 12; ++s) {
    counts.push_back({s, a});
    uint16_t next = static_cast<uint16_t>(a + b);
    a = b;
    b = next;
  }
  return Table(counts);
}

TEST(HuffmanTableTest, SingleSymbolGetsCodeOneAndTheEscapeCodeZero) {
  std::vector<uint16_t> table = Table({{65, 7}});
  for (uint32_t t = 0; t < 256; ++t) EXPECT_EQ(table[t], (t & 1) ? 0x0141 : 0) << t;
  EXPECT_EQ(table[256], 0x0100);
}

TEST(HuffmanTableTest, TiesFollowTheHeapRules) {
  std::vector<uint16_t> table = TieTable();
  for (uint32_t t = 0; t < 256; ++t) {
    uint16_t expected = (t & 1) == 0 ? 0x0101 : (t & 3) == 1 ? 0x0203 : (t & 7) == 7 ? 0x0302 : 0;
    EXPECT_EQ(table[t], expected) << t;
  }
  EXPECT_EQ(table[256], 0x0303);
}

TEST(HuffmanTableTest, NoCountsMakesEveryByteALiteral) {
  std::vector<uint16_t> table = Table({});
  for (uint32_t t = 0; t < 256; ++t) ASSERT_EQ(table[t], 0);
  EXPECT_EQ(table[256], 0);  // escape of length 0: 8 bits per byte
  Bytes in = {0x00, 0x7F, 0xFF}, out(3);
  EXPECT_EQ(HuffmanDecode(table.data(), in.data(), 3, out.data(), 3), 3);
  EXPECT_EQ(out, in);
}

TEST(HuffmanTableTest, EveryByteCountedLeavesNoEscape) {
  std::vector<uint16_t> counts(kHuffmanTableSize, 1);
  std::vector<uint16_t> table(kHuffmanTableSize);
  BuildHuffmanTable(table.data(), counts.data());
  for (uint32_t t = 0; t < 256; ++t) ASSERT_EQ(table[t] >> 8, 8) << t;  // a full tree of depth 8
  EXPECT_EQ(table[256], 0x0900);
}

TEST(HuffmanTableTest, DeepSymbolGoesAsEscapeAndItsEightBits) {
  std::vector<uint16_t> table = DeepTable();
  for (uint32_t t = 0; t < 256; ++t)
    ASSERT_FALSE(table[t] != 0 && (table[t] & 0xFF) == 1) << "symbol 1 has a short code at " << t;
  const uint32_t length = table[256] >> 8, code = table[256] & 0xFF;
  ASSERT_LE(length, 8u);
  // Escape code, then symbol 1 in 8 bits, least significant bit first.
  uint32_t stream = code | (1u << length);
  Bytes in = {static_cast<uint8_t>(stream), static_cast<uint8_t>(stream >> 8)};
  in.resize((length + 8 + 7) / 8);
  Bytes out(1);
  EXPECT_EQ(HuffmanDecode(table.data(), in.data(), static_cast<uint32_t>(in.size()), out.data(), 1),
            1);
  EXPECT_EQ(out[0], 1);
  Bytes encoded;
  const uint8_t symbol = 1;
  ASSERT_EQ(HuffmanEncode(table.data(), &symbol, 1, &encoded), 1);
  EXPECT_EQ(encoded, in);
}

TEST(HuffmanDecodeTest, EndsOfTheStream) {
  // Tie table codes: symbol 1 = 0 (1 bit), 3 = 01, 2 = 111, escape = 011.
  struct Case {
    const char* name;
    Bytes input;
    uint32_t output_size;
    int32_t result;
    Bytes output;
  };
  const Case cases[] = {
      {"empty input", {}, 4, 0, {}},
      {"full output, zero padding that would read as symbol 1", {0x00}, 1, 1, {1}},
      {"the same bits with room: every zero bit is a symbol", {0x00}, 8, 8, Bytes(8, 1)},
      {"codes 01, 111, 0 then padding", {0b00011101}, 3, 3, {3, 2, 1}},
      {"a whole byte beyond the full output", {0x00, 0x00}, 1, -1, {}},
      {"output full with a byte still to come", {0b00011101, 0xFF}, 2, -1, {}},
      {"escape, then too few bits for the literal", {0b00000011}, 4, 0, {}},
      {"escape and literal 0xA5", {0b00101011, 0b00000101}, 1, 1, {0xA5}},
  };
  std::vector<uint16_t> table = TieTable();
  for (const Case& c : cases) {
    Bytes out(c.output_size + 1, 0xEE);
    int32_t r = HuffmanDecode(table.data(), c.input.data(), static_cast<uint32_t>(c.input.size()),
                              out.data(), c.output_size);
    EXPECT_EQ(r, c.result) << c.name;
    EXPECT_EQ(out[c.output_size], 0xEE) << c.name << ": wrote past the output";
    if (r >= 0) {
      EXPECT_EQ(Bytes(out.begin(), out.begin() + r), c.output) << c.name;
    }
  }
}

TEST(HuffmanDecodeTest, EncodedDataDecodesToTheSameBytes) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    // Statistics from one sample, data from another drawn the same way, so
    // that bytes unseen before travel through the escape.
    uint32_t alphabet = 1 + rng() % 256;
    auto draw = [&](size_t n) {
      Bytes b(n);
      for (auto& x : b) x = static_cast<uint8_t>(std::min(rng() % alphabet, rng() % alphabet));
      return b;
    };
    Bytes previous = draw(rng() % 3000), data = draw(rng() % 5000);
    std::vector<uint16_t> table(kHuffmanTableSize);
    CountBlockBytes(table.data(), previous.data(), static_cast<uint32_t>(previous.size()));
    BuildHuffmanTable(table.data(), table.data());
    Bytes code;
    ASSERT_EQ(HuffmanEncode(table.data(), data.data(), static_cast<uint32_t>(data.size()), &code),
              1);
    Bytes out(data.size());
    ASSERT_EQ(HuffmanDecode(table.data(), code.data(), static_cast<uint32_t>(code.size()),
                            out.data(), static_cast<uint32_t>(out.size())),
              static_cast<int32_t>(data.size()))
        << "round " << round;
    ASSERT_EQ(out, data) << "round " << round;
  }
}

}  // namespace
