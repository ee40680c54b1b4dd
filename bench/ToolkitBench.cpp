// The toolkit's own CPU time on card files, beside the air time the card needs to send them.
// At 424 kbit/s a byte takes about 23.6 us on air.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchSupport.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

Bytes length(std::size_t n) {
  if (n < 0x80) return {static_cast<std::uint8_t>(n)};
  if (n <= 0xFF) return {0x81, static_cast<std::uint8_t>(n)};
  return {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
}

void append(Bytes& out, const Bytes& tag, const Bytes& value) {
  const Bytes len = length(value.size());
  out.insert(out.end(), tag.begin(), tag.end());
  out.insert(out.end(), len.begin(), len.end());
  out.insert(out.end(), value.begin(), value.end());
}

Bytes filled(std::size_t n, std::uint8_t seed) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 13);
  return out;
}

// The card-surface file: FF20 82 hi lo around DF21..DF2A (name and address images, a 3200-byte
// photo, a 256-byte signature), FF filler up to the 5498 bytes of one READ BINARY.
Bytes cardSurfaceFile() {
  const std::size_t sizes[] = {10, 9, 1, 40, 600, 1100, 3200, 256, 8, 200};
  Bytes inner;
  for (std::uint8_t i = 0; i < 10; ++i) {
    append(inner, {0xDF, static_cast<std::uint8_t>(0x21 + i)}, filled(sizes[i], i));
  }
  Bytes file;
  append(file, {0xFF, 0x20}, inner);
  file.resize(5498, 0xFF);
  return file;
}

// The licence entries file: tags 11..33 (JIS for the name, kana, address, conditions and so on,
// ASCII digits for dates and numbers), FF filler up to 880 bytes.
Bytes licenceEntriesFile() {
  Bytes file;
  for (std::uint8_t tag = 0x11; tag <= 0x33; ++tag) {
    Bytes value;
    switch (tag) {
      case 0x11: value = {0x01}; break;
      case 0x12: value = jisText(24); break;  // name
      case 0x13: value = jisText(30); break;  // kana
      case 0x17: value = jisText(60); break;  // address
      case 0x14: case 0x15: case 0x1A: case 0x1C: case 0x1D: case 0x1E: case 0x1F: case 0x20:
        value = jisText(10);
        break;
      default: value = Bytes(8, '0'); break;
    }
    append(file, {tag}, value);
  }
  file.resize(880, 0xFF);
  return file;
}

void reportAirTime(benchmark::State& state, std::size_t bytes) {
  reportNsPerByte(state, bytes);
  state.counters["air_time_us"] = static_cast<double>(bytes) * kAirMicrosecondsPerByte;
}

}  // namespace

static void BM_BerParseCardSurface(benchmark::State& state) {
  const Bytes file = cardSurfaceFile();
  const auto tags = ConstTag().CARD_PRINT_INFO;
  for (auto _ : state) {
    auto dic = Ber().parse(file, tags, true);
    benchmark::DoNotOptimize(dic);
  }
  reportAirTime(state, file.size());
}
BENCHMARK(BM_BerParseCardSurface);

static void BM_JisDecodeLicenceEntries(benchmark::State& state) {
  // Parse the entries file and decode every JIS text item, as the licence record does.
  const Bytes file = licenceEntriesFile();
  const auto tags = ConstTag().LISENCE_ENTRIES;
  const std::vector<std::string> jisTags = {"12", "13", "14", "15", "17", "1A", "1C", "1D", "1E", "1F", "20"};
  for (auto _ : state) {
    const auto dic = Ber().parseForDriverLicense(file, tags, false);
    const Utility utility;
    std::size_t total = 0;
    for (const auto& tag : jisTags) {
      const auto it = dic.find(tag);
      if (it != dic.end()) total += utility.convertDriverLicenseChar(it->second).size();
    }
    benchmark::DoNotOptimize(total);
  }
  reportAirTime(state, file.size());
}
BENCHMARK(BM_JisDecodeLicenceEntries);

static void BM_JisDecode880Bytes(benchmark::State& state) {
  // 880 bytes of JIS text (440 characters) through convertDriverLicenseChar alone.
  const Bytes text = jisText(440);
  for (auto _ : state) {
    auto decoded = Utility().convertDriverLicenseChar(text);
    benchmark::DoNotOptimize(decoded);
  }
  reportAirTime(state, text.size());
}
BENCHMARK(BM_JisDecode880Bytes);
