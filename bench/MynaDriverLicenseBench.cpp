// The licence-data group's own cost per request: a whole request (facade call to result, preset
// PINs, no application id) against the in-process whole virtual Individual Number Card with no
// delay, as process CPU time (the library's work on the host thread and the session queue, plus the
// card emulator's, which for the signing request includes the card's own RSA signature), beside the
// modelled air time of the same APDUs at 424 kbit/s (23.6 us a byte, command and answer bytes).
// Keys and files are made before measuring. Also the record alone: parsing both files and every
// getter with the verification values.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReader.hpp"
#include "Identify/Identify.hpp"
#include "MynaDriverLicense/MynaDriverLicenseReader.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ScriptedViewController.hpp"

using namespace ekyc;

namespace {

constexpr double kAirMicrosecondsPerByte = 23.6;

struct Results : MynaDriverLicenseReaderDelegate,
                 CardPrintInfoAndMynaDriverLicenseReaderDelegate,
                 SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate {
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<bool> ok;
  void signal(bool value) {
    std::lock_guard<std::mutex> lock(mutex);
    ok = value;
    changed.notify_all();
  }
  bool wait() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return ok.has_value(); });
    const bool value = *ok;
    ok.reset();
    return value;
  }
  void didGetMynaDriverLicense(const std::expected<MynaDriverLicense, MynaDriverLicenseError>& r) override {
    signal(r.has_value());
  }
  void didGetCardPrintInfoAndGetMynaDriverLicense(
      const std::expected<CardPrintInfoAndMynaDriverLicense, CardPrintInfoAndMynaDriverLicenseError>& r) override {
    signal(r.has_value());
  }
  void didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMynaDriverLicense,
                          SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError>& r) override {
    signal(r.has_value());
  }
};

enum class Request { licence, cardPrint, sign };

void BM_MynaDriverLicenseRequest(benchmark::State& state, Request request) {
  static const auto jpki = VirtualJpkiContents::make(VirtualJpkiContents::Keys::generate());
  const auto licence = MynaDriverLicenseApplication::make();
  const CardSurfaceHolder holder = CardSurfaceHolder::sample();
  auto card = CardSurfaceApplications::makeCard();
  JpkiApplication::install(*card, jpki);
  MynaDriverLicenseApplication::install(*card, licence);
  auto reader = std::make_shared<VirtualCardReader>();
  reader->present(card);
  Platform platform;
  platform.cardReader = reader;
  auto runLoop = std::make_shared<RunLoop>();
  auto identify = Identify::create(std::make_shared<ScriptedViewController>(runLoop), 10.0, platform);
  auto results = std::make_shared<Results>();
  const NFCDialogMessageSettingGroup nfcTexts{"initial", "reading", "success", "error"};
  const InputPinDialogDisplaySettingGroup pinTexts{};
  const std::string tbsData = "ZGF0YSB0byBzaWdu";

  auto once = [&] {
    identify->setPin(SetPinKey::MYNA_DRIVERLICENSE_PIN, licence.pin);
    switch (request) {
      case Request::licence:
        identify->getMynaDriverLicense(results, pinTexts, nfcTexts);
        break;
      case Request::cardPrint:
        identify->setPin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, holder.cardPrintInfoPin);
        identify->getCardPrintInfoAndGetMynaDriverLicense(results, pinTexts, nfcTexts);
        break;
      case Request::sign:
        identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, jpki.options.signingPin);
        identify->signAndGetBasicPersonalInfoAndGetMynaDriverLicense(results, tbsData, std::nullopt, true, pinTexts,
                                                                      nfcTexts);
        break;
    }
    const bool ok = results->wait();
    while (reader->activeSessionCount() != 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
    return ok;
  };

  if (!once()) {
    state.SkipWithError("the request failed");
    return;
  }
  for (auto _ : state) {
    card->clearLog();
    if (!once()) {
      state.SkipWithError("the request failed");
      return;
    }
  }
  std::size_t bytes = 0;
  const auto log = card->log();
  for (const auto& entry : log) bytes += entry.command.size() + entry.answer.size();
  state.counters["apdus"] = static_cast<double>(log.size());
  state.counters["air_bytes"] = static_cast<double>(bytes);
  state.counters["air_ms"] = static_cast<double>(bytes) * kAirMicrosecondsPerByte / 1000.0;
}

void BM_MynaDriverLicenseRecord(benchmark::State& state) {
  const auto files = MynaDriverLicenseApplication::make();
  for (auto _ : state) {
    const MynaDriverLicense d(files.entries, files.signatureFile);
    benchmark::DoNotOptimize(d.getColorClass());
    benchmark::DoNotOptimize(d.getConditionList());
    benchmark::DoNotOptimize(d.getRemarkList());
    benchmark::DoNotOptimize(d.getSpareList());
    benchmark::DoNotOptimize(d.getLicenseObtainedDateList());
    benchmark::DoNotOptimize(d.getLicenseCategoryList());
    benchmark::DoNotOptimize(d.getPhoto());
    benchmark::DoNotOptimize(d.getHashData());
    benchmark::DoNotOptimize(d.getSignature());
    benchmark::DoNotOptimize(d.getVerifyingParams());
  }
}

}  // namespace

BENCHMARK(BM_MynaDriverLicenseRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MynaDriverLicenseRequest, getMynaDriverLicense, Request::licence)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MynaDriverLicenseRequest, getCardPrintInfoAndGetMynaDriverLicense, Request::cardPrint)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MynaDriverLicenseRequest, signAndGetBasicPersonalInfoAndGetMynaDriverLicense, Request::sign)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
