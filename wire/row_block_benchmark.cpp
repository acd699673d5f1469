// Throughput of Huffman decoding and of decoding a 10,000-value column block,
// against zlib's inflate of the same value data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/memory.h"
#include "wire/huffman.h"
#include "wire/huffman_encoder.h"
#include "wire/row_block.h"
#include "wire/row_block_encoder.h"

namespace {

constexpr uint32_t kValues = 10000;

// Two columns of the kinds a result holds, short enough that a compressed
// block's code stays below 65536 bytes: set 0 a word and a small number
// (repetitive, which suits inflate's matches), set 1 numbers up to a million.
std::vector<std::string> Column(int set, uint32_t seed) {
  static const char* const kWords[] = {"North",  "Trading", "Ltd",   "Street", "Avenue", "Main",
                                       "Supply", "Company", "Order", "Paid",   "Open",   "West",
                                       "Lake",   "Hill",    "Park",  "Road",   "Group",  "Smith"};
  std::mt19937 rng(seed);
  std::vector<std::string> values;
  for (uint32_t i = 0; i < kValues; ++i) {
    if (set == 1) {
      values.push_back(std::to_string(rng() % 1000000));
      continue;
    }
    std::string v;
    v += kWords[rng() % (sizeof kWords / sizeof *kWords)];
    v += ' ' + std::to_string(rng() % 100);
    values.push_back(v);
  }
  return values;
}

std::vector<BlockValue> View(const std::vector<std::string>& values) {
  std::vector<BlockValue> view;
  for (const std::string& v : values)
    view.push_back({reinterpret_cast<const uint8_t*>(v.data()), static_cast<int32_t>(v.size())});
  return view;
}

std::vector<uint8_t> Join(const std::vector<std::string>& values) {
  std::vector<uint8_t> data;
  for (const std::string& v : values) data.insert(data.end(), v.begin(), v.end());
  return data;
}

// The previous block gives the statistics; the current one is what travels.
struct Fixture {
  std::vector<std::string> previous;
  std::vector<std::string> current;
  std::vector<uint8_t> data;
  uint16_t statistics[kHuffmanTableSize] = {};
  uint16_t table[kHuffmanTableSize] = {};
  std::vector<uint8_t> code;
  std::vector<uint8_t> deflated;
  std::vector<uint8_t> plain_block;
  std::vector<uint8_t> compressed_block;

  explicit Fixture(int set)
      : previous(Column(set, 1)), current(Column(set, 2)), data(Join(current)) {
    std::vector<uint8_t> before = Join(previous);
    CountBlockBytes(statistics, before.data(), static_cast<uint32_t>(before.size()));
    BuildHuffmanTable(table, statistics);
    HuffmanEncode(table, data.data(), static_cast<uint32_t>(data.size()), &code);

    uLongf size = compressBound(data.size());
    deflated.resize(size);
    compress2(deflated.data(), &size, data.data(), data.size(), Z_DEFAULT_COMPRESSION);
    deflated.resize(size);

    std::vector<BlockValue> prev_view = View(previous), view = View(current);
    ColumnBlockEncoder plain{}, packed{};
    std::vector<uint8_t> scratch;
    EncodeColumnBlock(&plain, view.data(), kValues, BlockForm::kSmallest, BlockCompression::kNone,
                      0, &plain_block);
    EncodeColumnBlock(&packed, prev_view.data(), kValues, BlockForm::kSmallest,
                      BlockCompression::kNone, 0, &scratch);
    EncodeColumnBlock(&packed, view.data(), kValues, BlockForm::kSmallest,
                      BlockCompression::kAlways, 0, &compressed_block);
    FreeColumnBlockEncoder(&plain);
    FreeColumnBlockEncoder(&packed);
  }
};

const Fixture& Data(int64_t set) {
  static const Fixture sets[2] = {Fixture(0), Fixture(1)};
  return sets[set];
}

void BM_HuffmanDecode(benchmark::State& state) {
  const Fixture& f = Data(state.range(0));
  std::vector<uint8_t> out(f.data.size());
  for (auto _ : state) {
    int32_t n = HuffmanDecode(f.table, f.code.data(), static_cast<uint32_t>(f.code.size()),
                              out.data(), static_cast<uint32_t>(out.size()));
    benchmark::DoNotOptimize(n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * f.data.size());
  state.counters["ratio"] = static_cast<double>(f.code.size()) / f.data.size();
}
BENCHMARK(BM_HuffmanDecode)->Arg(0)->Arg(1);

void BM_ZlibInflate(benchmark::State& state) {
  const Fixture& f = Data(state.range(0));
  std::vector<uint8_t> out(f.data.size());
  z_stream z{};
  inflateInit(&z);
  for (auto _ : state) {
    inflateReset(&z);
    z.next_in = const_cast<Bytef*>(f.deflated.data());
    z.avail_in = static_cast<uInt>(f.deflated.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_FINISH);
    benchmark::DoNotOptimize(rc);
    benchmark::ClobberMemory();
  }
  inflateEnd(&z);
  state.SetBytesProcessed(state.iterations() * f.data.size());
  state.counters["ratio"] = static_cast<double>(f.deflated.size()) / f.data.size();
}
BENCHMARK(BM_ZlibInflate)->Arg(0)->Arg(1);

// DecodeRowBlock, then every value handed out into a buffer.
void DecodeBlock(benchmark::State& state, const std::vector<uint8_t>& block, bool compressed) {
  const Fixture& f = Data(state.range(0));
  RowBlockDecoder d{};
  d.statistics = static_cast<uint16_t*>(MemAlloc(kHuffmanTableSize * sizeof(uint16_t)));
  uint8_t buffer[256];
  for (auto _ : state) {
    if (compressed) std::memcpy(d.statistics, f.statistics, 256 * sizeof(uint16_t));
    uint32_t consumed;
    if (!DecodeRowBlock(&d, block.data(), static_cast<uint32_t>(block.size()), kValues, &consumed,
                        0)) {
      state.SkipWithError("decode failed");
      break;
    }
    for (uint32_t i = 0; i < kValues; ++i)
      benchmark::DoNotOptimize(NextBlockValue(&d, buffer, sizeof buffer));
    benchmark::ClobberMemory();
  }
  FreeRowBlock(&d);
  state.SetBytesProcessed(state.iterations() * f.data.size());
  state.counters["wire"] = static_cast<double>(block.size()) / f.data.size();
}

void BM_DecodeRowBlockCompressed(benchmark::State& state) {
  if ((Data(state.range(0)).compressed_block[0] & 0x80) == 0) {
    state.SkipWithError("the block did not compress");
    return;
  }
  DecodeBlock(state, Data(state.range(0)).compressed_block, true);
}
BENCHMARK(BM_DecodeRowBlockCompressed)->Arg(0)->Arg(1);

void BM_DecodeRowBlockPlain(benchmark::State& state) {
  DecodeBlock(state, Data(state.range(0)).plain_block, false);
}
BENCHMARK(BM_DecodeRowBlockPlain)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
