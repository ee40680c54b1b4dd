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

#include <time.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Auth/AuthSignatureDataGenerator.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"
#include "Identify/Identify.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/Base64.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ScriptedViewController.hpp"

using namespace ekyc;

namespace {

constexpr double kAirMicrosecondsPerByte = 23.6;

double processCpuMicroseconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

const VirtualJpkiContents& contents() {
  static const VirtualJpkiContents made = VirtualJpkiContents::make(VirtualJpkiContents::Keys::generate());
  return made;
}

// CPU time of one card-side signature, the same work the card does at COMPUTE DIGITAL SIGNATURE.
double cardRsaMicroseconds() {
  static const double measured = [] {
    const Bytes info = DigestInfo(toBytes("x"), "SHA-256").create();
    constexpr int rounds = 50;
    const double start = processCpuMicroseconds();
    for (int i = 0; i < rounds; ++i) benchmark::DoNotOptimize(VirtualJpkiContents::sign(contents().signingKey.get(), info));
    return (processCpuMicroseconds() - start) / rounds;
  }();
  return measured;
}

// The host's delegate: counts results and wakes the benchmark thread.
class Waiter : public AuthSignatureDataGeneratorDelegate,
               public FourInfoConsentRevokeApplySignatureDataGeneratorDelegate,
               public SignatureDataAndBasicPersonalInfoGeneratorDelegate {
 public:
  void didAuth(const std::expected<SignatureData, SignatureDataError>& result) override { done(result.has_value()); }
  void didSignFourInfoConsentRevokeApply(const std::expected<SignatureData, SignatureDataError>& result) override {
    done(result.has_value());
  }
  void didSignAndGetBasicPersonalInfo(
      const std::expected<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>& result) override {
    done(result.has_value());
  }
  // Waits for the next result; false when it was a failure or none came.
  bool wait() {
    std::unique_lock lock(mutex_);
    const bool arrived = changed_.wait_for(lock, std::chrono::seconds(20), [this] { return results_ > 0; });
    results_ = 0;
    return arrived && ok_;
  }

 private:
  void done(bool ok) {
    std::lock_guard lock(mutex_);
    ++results_;
    ok_ = ok;
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  int results_ = 0;
  bool ok_ = false;
};

struct Bench {
  std::shared_ptr<VirtualCardReader> reader = std::make_shared<VirtualCardReader>();
  std::shared_ptr<VirtualCard> card = JpkiApplication::makeCard(contents());
  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<Waiter> waiter = std::make_shared<Waiter>();
  std::shared_ptr<Identify> identify;

  Bench() {
    Platform platform;
    platform.cardReader = reader;
    reader->present(card);
    identify = Identify::create(std::make_shared<ScriptedViewController>(runLoop), 30.0, platform);
  }

  // After the result the session still ends; the next request waits for that.
  void settle() {
    while (reader->activeSessionCount() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  double airMicroseconds() const {
    std::size_t bytes = 0;
    for (const auto& entry : card->log()) bytes += entry.command.size() + entry.answer.size();
    return static_cast<double>(bytes) * kAirMicrosecondsPerByte;
  }
};

template <class Request>
void measure(benchmark::State& state, Request request) {
  Bench bench;
  cardRsaMicroseconds();
  double cpu = 0;
  double air = 0;
  for (auto _ : state) {
    bench.card->clearLog();
    const double start = processCpuMicroseconds();
    request(bench);
    if (!bench.waiter->wait()) {
      state.SkipWithError("the request failed");
      break;
    }
    bench.settle();
    cpu += processCpuMicroseconds() - start;
    air = bench.airMicroseconds();
  }
  const double n = static_cast<double>(state.iterations());
  if (n == 0) return;
  const double perRequest = cpu / n;
  const double library = perRequest - cardRsaMicroseconds();
  state.counters["cpu_us"] = perRequest;
  state.counters["card_rsa_us"] = cardRsaMicroseconds();
  state.counters["library_us"] = library;
  state.counters["air_us"] = air;
  state.counters["library_pct"] = 100.0 * library / air;
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
