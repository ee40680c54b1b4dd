// The three sign-and-read requests, facade call to result, on the in-process virtual Individual
// Number Card (JPKI, card-surface and input-support applications) with no delay, preset PINs and
// no application id, beside the modelled air time of the same APDUs at 424 kbit/s (about 23.6 us a
// byte, command and answer bytes). The card's keys and files are made before anything is measured.
//
// Counters per request:
//   cpu_us      process CPU time (every thread: host, session queue, card I/O, the card itself)
//   card_rsa_us the virtual card's own RSA signature (measured alone), part of cpu_us
//   library_us  cpu_us - card_rsa_us: the library's share (with the emulator's SELECT/READ work)
//   air_us      modelled air time of the request's commands and answers
//   library_pct library_us as a percentage of air_us
#include <benchmark/benchmark.h>

#include "BenchSupport.hpp"
#include "Identify/Identify.hpp"
#include "Platform/Base64.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReader.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReader.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

// The host's delegate of the three requests: wakes the benchmark thread with each result.
struct Waiter : ResultLatch,
                SignatureDataAndMyNumberInfoReaderDelegate,
                SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate,
                SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate {
  void didSignAndGetMyNumberInfo(
      const std::expected<SignatureDataAndMyNumberInfo, SignatureDataAndMyNumberInfoError>& r) override {
    signal(r.has_value());
  }
  void didSignAndGetBasicPersonalInfoAndGetMyNumber(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMyNumberInfo,
                          SignatureDataAndBasicPersonalInfoAndMyNumberInfoError>& r) override {
    signal(r.has_value());
  }
  void didSignAndGetBasicPersonalInfoAndGetPromptedPii(
      const std::expected<SignatureDataAndBasicPersonalInfoAndPromptedPii,
                          SignatureDataAndBasicPersonalInfoAndPromptedPiiError>& r) override {
    signal(r.has_value());
  }
};

enum class Request { myNumber, basicMyNumber, basicPromptedPii };

void BM_SignAndRead(benchmark::State& state, Request request) {
  const CardSurfaceHolder holder = CardSurfaceHolder::sample();
  auto card = std::make_shared<VirtualCard>("Individual Number Card");
  JpkiApplication::install(*card, sharedJpkiContents());
  CardSurfaceApplications::install(*card, CardSurfaceFiles::build(holder, CardSurfaceKeys::shared()), {});
  RequestRig rig(card, 30.0);
  auto& identify = rig.identify;
  auto waiter = std::make_shared<Waiter>();
  const std::string data = Base64::encode(toBytes("benchmark data to be signed"));
  measureCpuAgainstAir(state, rig, *waiter, [&] {
    identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEF123");
    identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, holder.myNumberPin);
    identify->setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, holder.promptedPiiPin);
    switch (request) {
      case Request::myNumber:
        identify->signAndGetMyNumber(waiter, data, std::nullopt, {}, {});
        break;
      case Request::basicMyNumber:
        identify->signAndGetBasicPersonalInfoAndGetMyNumber(waiter, data, std::nullopt, true, {}, {});
        break;
      case Request::basicPromptedPii:
        identify->signAndGetBasicPersonalInfoAndGetPromptedPii(waiter, data, std::nullopt, true, {}, {});
        break;
    }
  });
}

}  // namespace

BENCHMARK_CAPTURE(BM_SignAndRead, signAndGetMyNumber, Request::myNumber)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SignAndRead, signAndGetBasicPersonalInfoAndGetMyNumber, Request::basicMyNumber)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SignAndRead, signAndGetBasicPersonalInfoAndGetPromptedPii, Request::basicPromptedPii)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
