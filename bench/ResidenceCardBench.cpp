// The residence card's cost per request: a whole request (facade call to result, preset card
// number, no application id) against the in-process virtual residence card with no delay, as
// process CPU time (the library's work on the host thread and the session queue, plus the card
// emulator's, which here includes encrypting the 7008 + 3008 protected bytes), beside the modelled
// air time of the same APDUs at 424 kbit/s (23.6 us a byte, command and answer bytes). Then the
// library's secure-messaging work alone (mutual authentication and unwrapping both protected
// answers), and 3DES-CBC decryption per byte.
#include <benchmark/benchmark.h>

#include "BenchSupport.hpp"
#include "Identify/Identify.hpp"
#include "Platform/FixedRandomSource.hpp"
#include "Platform/VirtualCard/VirtualResidenceCard.hpp"
#include "ResidenceCard/ResidenceCardInfoReader.hpp"
#include "ResidenceCard/ResidenceCardSecureMessaging.hpp"
#include "Utility/Crypt.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

struct ResidenceResults : ResultLatch, ResidenceCardInfoReaderDelegate {
  void didGetResidenceCard(const std::expected<ResidenceCard, ResidenceCardError>& r) override {
    signal(r.has_value());
  }
};

void BM_ResidenceCardRequest(benchmark::State& state) {
  RequestRig rig(VirtualResidenceCard::make(), 10.0);
  auto results = std::make_shared<ResidenceResults>();
  const NFCDialogMessageSettingGroup nfcTexts{"initial", "reading", "success", "error"};
  measureAirTime(state, rig, *results, [&] {
    rig.identify->setPin(SetPinKey::RESIDENCECARD_PIN, "AB12345678CD");
    rig.identify->getResidenceCard(results, InputPinDialogDisplaySettingGroup{}, nfcTexts);
  });
}

// The library's own secure-messaging work of one request, with the card's answers made beforehand.
void BM_ResidenceCardSecureMessaging(benchmark::State& state) {
  const std::string number = "AB12345678CD";
  const Crypt crypt;
  const Bytes zero(8, 0x00), rndIcc(8, 0x10), kIcc(16, 0x40);
  const Bytes random = {0, 1, 2, 3, 4, 5, 6, 7, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,
                        0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F};
  // The card's side, once.
  const Bytes digest = crypt.sha1(toBytes(number));
  const Bytes kEnc(digest.begin(), digest.begin() + 16);
  Bytes r = rndIcc;
  r.insert(r.end(), random.begin(), random.begin() + 8);
  r.insert(r.end(), kIcc.begin(), kIcc.end());
  Bytes answer = crypt.TDES(kEnc, r, zero, crypt.ENCRYPT);
  const Bytes mac = crypt.getRetailMac(answer, kEnc);
  answer.insert(answer.end(), mac.begin(), mac.end());
  ResidenceCardSecureMessaging probe;
  FixedRandomSource probeRandom(random);
  probe.mutualAuthenticate(number, rndIcc, probeRandom);
  if (!probe.acceptCardAuthentication(answer)) {
    state.SkipWithError("authentication failed");
    return;
  }
  const auto wrap = [&](std::size_t size) {
    const Bytes file(size, 0x5A);
    const Bytes cipher = crypt.TDES(probe.kSenc(), crypt.padding7816_4(file, 0, file.size()), zero, crypt.ENCRYPT);
    Bytes out = cipher;
    const std::size_t n = cipher.size() + 1;
    out.insert(out.begin(), {0x86, 0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF), 0x01});
    return out;
  };
  const Bytes front = wrap(7004), photo = wrap(3004);
  for (auto _ : state) {
    ResidenceCardSecureMessaging sm;
    FixedRandomSource source(random);
    benchmark::DoNotOptimize(sm.mutualAuthenticate(number, rndIcc, source));
    benchmark::DoNotOptimize(sm.acceptCardAuthentication(answer));
    benchmark::DoNotOptimize(sm.verify(number));
    benchmark::DoNotOptimize(sm.unwrap(front, 7004));
    benchmark::DoNotOptimize(sm.unwrap(photo, 3004));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(front.size() + photo.size()));
}

void BM_TripleDesDecrypt(benchmark::State& state) {
  const Crypt crypt;
  const Bytes key(16, 0x5C), iv(8, 0x00), data(static_cast<std::size_t>(state.range(0)), 0xA5);
  for (auto _ : state) benchmark::DoNotOptimize(crypt.TDES(key, data, iv, crypt.DECRYPT));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  state.counters["ns_per_byte"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_ResidenceCardRequest)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResidenceCardSecureMessaging)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TripleDesDecrypt)->Arg(3008)->Arg(7008)->Unit(benchmark::kMicrosecond);
