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

#include <time.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Identify/Identify.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/Base64.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReader.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReader.hpp"
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

const VirtualJpkiContents& jpki() {
  static const VirtualJpkiContents made = VirtualJpkiContents::make(VirtualJpkiContents::Keys::generate());
  return made;
}

// CPU time of one card-side signature, the work the card does at COMPUTE DIGITAL SIGNATURE.
double cardRsaMicroseconds() {
  static const double measured = [] {
    const Bytes info = DigestInfo(toBytes("x"), "SHA-256").create();
    constexpr int rounds = 50;
    const double start = processCpuMicroseconds();
    for (int i = 0; i < rounds; ++i) benchmark::DoNotOptimize(VirtualJpkiContents::sign(jpki().signingKey.get(), info));
    return (processCpuMicroseconds() - start) / rounds;
  }();
  return measured;
}

// The host's delegate of the three requests: wakes the benchmark thread with each result.
class Waiter : public SignatureDataAndMyNumberInfoReaderDelegate,
               public SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate,
               public SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate {
 public:
  void didSignAndGetMyNumberInfo(
      const std::expected<SignatureDataAndMyNumberInfo, SignatureDataAndMyNumberInfoError>& r) override {
    done(r.has_value());
  }
  void didSignAndGetBasicPersonalInfoAndGetMyNumber(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMyNumberInfo,
                          SignatureDataAndBasicPersonalInfoAndMyNumberInfoError>& r) override {
    done(r.has_value());
  }
  void didSignAndGetBasicPersonalInfoAndGetPromptedPii(
      const std::expected<SignatureDataAndBasicPersonalInfoAndPromptedPii,
                          SignatureDataAndBasicPersonalInfoAndPromptedPiiError>& r) override {
    done(r.has_value());
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

enum class Request { myNumber, basicMyNumber, basicPromptedPii };

void BM_SignAndRead(benchmark::State& state, Request request) {
  const CardSurfaceHolder holder = CardSurfaceHolder::sample();
  auto card = std::make_shared<VirtualCard>("Individual Number Card");
  JpkiApplication::install(*card, jpki());
  CardSurfaceApplications::install(*card, CardSurfaceFiles::build(holder, CardSurfaceKeys::shared()), {});
  auto reader = std::make_shared<VirtualCardReader>();
  reader->present(card);
  Platform platform;
  platform.cardReader = reader;
  auto identify = Identify::create(std::make_shared<ScriptedViewController>(std::make_shared<RunLoop>()), 30.0, platform);
  auto waiter = std::make_shared<Waiter>();
  const std::string data = Base64::encode(toBytes("benchmark data to be signed"));
  cardRsaMicroseconds();

  double cpu = 0;
  double air = 0;
  for (auto _ : state) {
    card->clearLog();
    const double start = processCpuMicroseconds();
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
    if (!waiter->wait()) {
      state.SkipWithError("the request failed");
      break;
    }
    // The next session begins only once this one has ended.
    while (reader->activeSessionCount() != 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
    cpu += processCpuMicroseconds() - start;
    std::size_t bytes = 0;
    for (const auto& entry : card->log()) bytes += entry.command.size() + entry.answer.size();
    air = static_cast<double>(bytes) * kAirMicrosecondsPerByte;
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

}  // namespace

BENCHMARK_CAPTURE(BM_SignAndRead, signAndGetMyNumber, Request::myNumber)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SignAndRead, signAndGetBasicPersonalInfoAndGetMyNumber, Request::basicMyNumber)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SignAndRead, signAndGetBasicPersonalInfoAndGetPromptedPii, Request::basicPromptedPii)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
