// The licence-data group's own cost per request: a whole request (facade call to result, preset
// PINs, no application id) against the in-process whole virtual Individual Number Card with no
// delay, as process CPU time (the library's work on the host thread and the session queue, plus the
// card emulator's, which for the signing request includes the card's own RSA signature), beside the
// modelled air time of the same APDUs at 424 kbit/s (23.6 us a byte, command and answer bytes).
// Keys and files are made before measuring. Also the record alone: parsing both files and every
// getter with the verification values.
#include <benchmark/benchmark.h>

#include "BenchSupport.hpp"
#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReader.hpp"
#include "Identify/Identify.hpp"
#include "MynaDriverLicense/MynaDriverLicenseReader.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

struct Results : ResultLatch,
                 MynaDriverLicenseReaderDelegate,
                 CardPrintInfoAndMynaDriverLicenseReaderDelegate,
                 SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate {
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
  const VirtualJpkiContents& jpki = sharedJpkiContents();
  const auto licence = MynaDriverLicenseApplication::make();
  const CardSurfaceHolder holder = CardSurfaceHolder::sample();
  auto card = CardSurfaceApplications::makeCard();
  JpkiApplication::install(*card, jpki);
  MynaDriverLicenseApplication::install(*card, licence);
  RequestRig rig(card, 10.0);
  auto& identify = rig.identify;
  auto results = std::make_shared<Results>();
  const NFCDialogMessageSettingGroup nfcTexts{"initial", "reading", "success", "error"};
  const InputPinDialogDisplaySettingGroup pinTexts{};
  const std::string tbsData = "ZGF0YSB0byBzaWdu";
  measureAirTime(state, rig, *results, [&] {
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
  });
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
