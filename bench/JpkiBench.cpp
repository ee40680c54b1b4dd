// The three JPKI requests, facade call to result, on the in-process virtual card with no delay and
// preset PINs (no dialog), beside the modelled air time of the same APDUs at 424 kbit/s (about
// 23.6 us a byte). The card's RSA keys are made once, before anything is measured.
//
// Counters per request:
//   cpu_us      process CPU time (every thread: host, session queue, card I/O, the card itself)
//   card_rsa_us the virtual card's own RSA signature (measured alone), part of cpu_us
//   library_us  cpu_us - card_rsa_us: the library's share (with the emulator's SELECT/READ work)
//   air_us      modelled air time of the request's commands and answers
//   library_pct library_us as a percentage of air_us
#include <benchmark/benchmark.h>

#include "Auth/AuthSignatureDataGenerator.hpp"
#include "BenchSupport.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"
#include "Identify/Identify.hpp"
#include "Platform/Base64.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

// The host's delegate: wakes the benchmark thread with each result.
struct Waiter : ResultLatch,
                AuthSignatureDataGeneratorDelegate,
                FourInfoConsentRevokeApplySignatureDataGeneratorDelegate,
                SignatureDataAndBasicPersonalInfoGeneratorDelegate {
  void didAuth(const std::expected<SignatureData, SignatureDataError>& result) override { signal(result.has_value()); }
  void didSignFourInfoConsentRevokeApply(const std::expected<SignatureData, SignatureDataError>& result) override {
    signal(result.has_value());
  }
  void didSignAndGetBasicPersonalInfo(
      const std::expected<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>& result) override {
    signal(result.has_value());
  }
};

struct Bench {
  RequestRig rig{JpkiApplication::makeCard(sharedJpkiContents()), 30.0};
  std::shared_ptr<Identify>& identify = rig.identify;
  std::shared_ptr<Waiter> waiter = std::make_shared<Waiter>();
};

template <class Request>
void measure(benchmark::State& state, Request request) {
  Bench bench;
  measureCpuAgainstAir(state, bench.rig, *bench.waiter, [&] { request(bench); });
}

const std::string DATA = Base64::encode(toBytes("benchmark data to be signed"));

void BM_Jpki_Auth(benchmark::State& state) {
  measure(state, [](Bench& b) {
    b.identify->setPin(SetPinKey::MYNUMBERCARD_USERCERT_PIN, "1234");
    b.identify->auth(b.waiter, DATA, "SHA-256", {}, {});
  });
}
BENCHMARK(BM_Jpki_Auth)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_Jpki_ConsentRevoke(benchmark::State& state) {
  measure(state, [](Bench& b) {
    b.identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEF123");
    b.identify->signFourInfoConsentRevokeApply(b.waiter, "service-0001", "provider-0001", {}, {});
  });
}
BENCHMARK(BM_Jpki_ConsentRevoke)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_Jpki_SignAndGetBasicPersonalInfo(benchmark::State& state) {
  measure(state, [](Bench& b) {
    b.identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEF123");
    b.identify->signAndGetBasicPersonalInfo(b.waiter, DATA, "SHA-256", true, {}, {});
  });
}
BENCHMARK(BM_Jpki_SignAndGetBasicPersonalInfo)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
