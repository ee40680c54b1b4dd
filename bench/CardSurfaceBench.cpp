// The card-surface group's own cost per request: a whole request (facade call to result, preset
// PINs, no application id) against the in-process virtual card with no delay, as process CPU time
// (the library's work on the host thread and the session queue, plus the small cost of the card
// emulator itself), beside the modelled air time of the same APDUs at 424 kbit/s (23.6 us a byte,
// command and answer bytes). The card's keys and files are made before measuring.
#include <benchmark/benchmark.h>

#include "BenchSupport.hpp"
#include "CardPrintInfo/CardPrintInfoReader.hpp"
#include "CardPrintInfoAndMyNumberInfo/CardPrintInfoAndMyNumberInfoReader.hpp"
#include "Identify/Identify.hpp"
#include "MyNumber/MyNumberInfoReader.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "PromptedPii/PromptedPiiReader.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

struct Results : ResultLatch,
                 MyNumberInfoReaderDelegate,
                 CardPrintInfoReaderDelegate,
                 PromptedPiiReaderDelegate,
                 CardPrintInfoAndMyNumberInfoReaderDelegate {
  void didGetMyNumberInfo(const std::expected<MyNumberInfo, MyNumberInfoError>& r) override { signal(r.has_value()); }
  void didGetCardPrintInfo(const std::expected<CardPrintInfo, CardPrintInfoError>& r) override {
    signal(r.has_value());
  }
  void didGetPromptedPii(const std::expected<PromptedPii, PromptedPiiError>& r) override { signal(r.has_value()); }
  void didGetCardPrintInfoAndGetMyNumber(
      const std::expected<CardPrintInfoAndMyNumberInfo, CardPrintInfoAndMyNumberInfoError>& r) override {
    signal(r.has_value());
  }
};

enum class Request { myNumber, cardPrint, both, promptedPii };

void BM_CardSurfaceRequest(benchmark::State& state, Request request) {
  const CardSurfaceHolder holder = CardSurfaceHolder::sample();
  RequestRig rig(CardSurfaceApplications::makeCard(), 10.0);
  auto& identify = rig.identify;
  auto results = std::make_shared<Results>();
  const NFCDialogMessageSettingGroup nfcTexts{"initial", "reading", "success", "error"};
  const InputPinDialogDisplaySettingGroup pinTexts{};
  measureAirTime(state, rig, *results, [&] {
    switch (request) {
      case Request::myNumber:
        identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, holder.myNumberPin);
        identify->getMyNumber(results, pinTexts, nfcTexts);
        break;
      case Request::cardPrint:
        identify->setPin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, holder.cardPrintInfoPin);
        identify->getCardPrintInfo(results, pinTexts, nfcTexts);
        break;
      case Request::both:
        identify->setPin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, holder.cardPrintInfoPin);
        identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, holder.myNumberPin);
        identify->getCardPrintInfoAndGetMyNumber(results, pinTexts, nfcTexts);
        break;
      case Request::promptedPii:
        identify->setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, holder.promptedPiiPin);
        identify->getPromptedPii(results, pinTexts, nfcTexts);
        break;
    }
  });
}

// The readers' own work on the answers of the longest chain, without any session: the BER walks,
// the three card-surface digests, the record building and the verification texts of "13" and
// "23" (what the combined reader does between its commands and before its requests).
void BM_CardSurfaceAnswerWork(benchmark::State& state) {
  const CardSurfaceFiles files = CardSurfaceFiles::build(CardSurfaceHolder::sample(), CardSurfaceKeys::shared());
  const ConstTag tag;
  for (auto _ : state) {
    const Ber ber;
    const auto surfaceElements = ber.parseToTLV(files.csEf0002, tag.CARD_PRINT_INFO, true);
    const auto digests = CardPrintInfo::imageDigests(surfaceElements);
    const auto surface = ber.parse(files.csEf0002, tag.CARD_PRINT_INFO, true);
    const auto csCert = ber.parse(files.csEf0004, tag.BASIC_P_INFO_CERT, false);
    const auto numberElements = ber.parseToTLV(files.csEf0005, tag.MYNUMBER_INFO, true);
    const auto numberValues = ber.parse(files.csEf0005, tag.MYNUMBER_INFO, true);
    const auto number = ber.parse(files.supEf0001, tag.MYNUMBER, false);
    const auto items = ber.parse(files.supEf0002, tag.BASIC_PERSONAL_INFO, true);
    const auto itemElements = ber.parseToTLV(files.supEf0002, tag.BASIC_PERSONAL_INFO, true);
    const auto hashes = ber.parse(files.supEf0003, tag.MYNUMBER_HASH, true);
    const auto supCert = ber.parse(files.supEf0004, tag.BASIC_P_INFO_CERT, false);
    Bytes basic;
    for (const char* t : {"DF22", "DF23", "DF24", "DF25"}) {
      const auto& e = itemElements.at(t);
      basic.insert(basic.end(), e.begin(), e.end());
    }
    Bytes image = numberElements.at("DF41");
    image.insert(image.end(), numberElements.at("DF42").begin(), numberElements.at("DF42").end());
    const CardPrintInfo print = CardPrintInfo::fromCardFiles(
        items, surface, hashes.at("DF31"), csCert.at("7F21"), supCert.at("7F21"), surface.at("DF28"),
        hashes.at("DF33"), CardPrintInfo::imageElements(surfaceElements), basic);
    const MyNumberInfo info(number.at("FF10"), numberValues.at("DF41"), hashes.at("DF32"), csCert.at("7F21"),
                            supCert.at("7F21"), numberValues.at("DF43"), hashes.at("DF33"), image, files.supEf0001);
    benchmark::DoNotOptimize(digests);
    benchmark::DoNotOptimize(print.getCardPrintInfoAllHashData());
    benchmark::DoNotOptimize(print.getCardPrintInfoAllVerifyingParams());
    benchmark::DoNotOptimize(info.getMyNumberAllHashData());
    benchmark::DoNotOptimize(info.getMyNumberAllVerifyingParams());
  }
}

}  // namespace

BENCHMARK(BM_CardSurfaceAnswerWork)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CardSurfaceRequest, getMyNumber, Request::myNumber)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CardSurfaceRequest, getCardPrintInfo, Request::cardPrint)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CardSurfaceRequest, getCardPrintInfoAndGetMyNumber, Request::both)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CardSurfaceRequest, getPromptedPii, Request::promptedPii)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
