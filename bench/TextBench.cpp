// Text decoding per byte at 100 B, 1 KB, 10 KB and 100 KB, so the shape shows: EUC-JP to UTF-8
// (`Utility::eucJpToUtf8`) and the licence's JIS X 0208 text (`Utility::convertDriverLicenseChar`,
// a Roman numeral and an external character every ten characters). Both should cost the same per
// byte at every size. The licence record's text getters in total: BM_DriverLicenseJisDecoding.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "BenchSupport.hpp"
#include "Utility/Utility.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

// EUC-JP text of exactly n bytes: kana and kanji (two bytes each), a half-width kana (8E xx) and
// ASCII, padded with ASCII after the last whole pattern.
Bytes eucJpText(std::size_t n) {
  static const Bytes pattern = {0xA4, 0xA2, 0xB4, 0xC1, 0xBB, 0xFA, 0x8E, 0xB1, 'A', '1', 0xC5, 0xEC, 0xB5, 0xFE,
                                0xA5, 0xAB, ' ', 0xA1, 0xA1, 0xF4, 0xA6};
  Bytes out;
  out.reserve(n);
  while (out.size() + pattern.size() <= n) out.insert(out.end(), pattern.begin(), pattern.end());
  out.resize(n, 'x');
  return out;
}

void BM_EucJpToUtf8(benchmark::State& state) {
  const Bytes text = eucJpText(static_cast<std::size_t>(state.range(0)));
  const Utility utility;
  for (auto _ : state) {
    auto decoded = utility.eucJpToUtf8(text);
    if (!decoded) state.SkipWithError("the text did not decode");
    benchmark::DoNotOptimize(decoded);
  }
  reportNsPerByte(state, text.size());
}

void BM_LicenceJisToUtf8(benchmark::State& state) {
  const Bytes text = jisText(static_cast<std::size_t>(state.range(0)) / 2);
  const Utility utility;
  for (auto _ : state) {
    auto decoded = utility.convertDriverLicenseChar(text);
    benchmark::DoNotOptimize(decoded);
  }
  reportNsPerByte(state, text.size());
}

}  // namespace

BENCHMARK(BM_EucJpToUtf8)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_LicenceJisToUtf8)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);
