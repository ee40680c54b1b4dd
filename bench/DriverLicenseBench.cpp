// The IC driving-licence request's own cost: a whole request (facade call to result, preset PINs,
// no application id) against the in-process virtual licence with no delay, as process CPU time,
// beside the modelled air time of the same APDUs at 424 kbit/s (23.6 us a byte, command and answer
// bytes); the parsing of the licence files into the record; and the JIS X 0208 decoding of the
// whole record's text (every text getter), per byte of JIS text.
#include <benchmark/benchmark.h>

#include "BenchSupport.hpp"
#include "DriverLicense/DriverLicenseInfoReader.hpp"
#include "Identify/Identify.hpp"
#include "Platform/VirtualCard/VirtualDriverLicense.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

struct Results : ResultLatch, DriverLicenseInfoReaderDelegate {
  void didGetDriverLicense(const std::expected<DriverLicense, DriverLicenseError>& r) override {
    signal(r.has_value());
  }
};

void BM_DriverLicenseRequest(benchmark::State& state) {
  RequestRig rig(VirtualDriverLicense::makeCard(), 10.0);
  auto results = std::make_shared<Results>();
  const NFCDialogMessageSettingGroup nfcTexts{"initial", "reading", "success", "error"};
  measureAirTime(state, rig, *results, [&] {
    rig.identify->setPin(SetPinKey::DRIVERLICENSE_PIN1, "1234");
    rig.identify->setPin(SetPinKey::DRIVERLICENSE_PIN2, "5678");
    rig.identify->getDriverLicense(results, InputPinDialogDisplaySettingGroup{}, nfcTexts);
  });
}

DriverLicense parsed(const DriverLicenseFiles& f) {
  const auto table = LicenseExternalCharacters::fromFiles(f.externalCharacters, f.changedExternalCharacters);
  return DriverLicense(std::nullopt, LicenseEntries::fromFile(f.entries, table), Bytes(f.registeredDomicile.begin() + 2,
                       f.registeredDomicile.begin() + 2 + f.registeredDomicile[1]), table,
                       LicenseChangedEntries::fromFile(f.changedEntries, table),
                       LicenseChangedRegisteredDomicile::fromFile(f.changedRegisteredDomicile, table),
                       LicenseSignature::fromFile(f.signature), std::nullopt, f.entries, f.registeredDomicile, f.photo);
}

// Parsing the licence files into the record, with its integrity data.
void BM_DriverLicenseFilesToRecord(benchmark::State& state) {
  const DriverLicenseFiles files = DriverLicenseFiles::sample();
  for (auto _ : state) {
    const DriverLicense licence = parsed(files);
    benchmark::DoNotOptimize(licence.getLicenseHashData());
    benchmark::DoNotOptimize(licence.getWIPHash());
    benchmark::DoNotOptimize(licence.getParityHash());
  }
}

// Every JIS text getter of the record; bytes/s is per byte of JIS text decoded.
void BM_DriverLicenseJisDecoding(benchmark::State& state) {
  const DriverLicense licence = parsed(DriverLicenseFiles::sample());
  const auto& e = *licence.getLicenseEntries();
  const auto& h = *licence.getLicenseChangedEntries();
  std::size_t jisBytes = e.commonName().size() + e.kana().size() + e.aliasName().size() + e.callName().size() +
                         e.address().size() + e.colorClass().size() + e.pscName().size() + e.previousName()->size() +
                         licence.registeredDomicile()->size();
  for (const auto& c : e.conditions()) jisBytes += c.size();
  for (const auto* list : {&h.pscNames(), &h.commonNames(), &h.callNames(), &h.addresses(), &h.conditions(),
                           &h.cancelConditions(), &h.remarks(), &h.spares(), &h.previousNames(),
                           &licence.getLicenseChangedRegisteredDomicile()->changedRegisteredDomiciles()}) {
    for (const auto& entry : **list) jisBytes += entry.size() > 15 ? entry.size() - 15 : 0;  // date + value + name
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(e.getCommonName());
    benchmark::DoNotOptimize(e.getKana());
    benchmark::DoNotOptimize(e.getAliasName());
    benchmark::DoNotOptimize(e.getCallName());
    benchmark::DoNotOptimize(e.getAddress());
    benchmark::DoNotOptimize(e.getColorClass());
    benchmark::DoNotOptimize(e.getConditions());
    benchmark::DoNotOptimize(e.getPscName());
    benchmark::DoNotOptimize(e.getPreviousName());
    benchmark::DoNotOptimize(licence.getRegisteredDomicile());
    benchmark::DoNotOptimize(h.getChangeDates());
    benchmark::DoNotOptimize(h.getPscNames());
    benchmark::DoNotOptimize(h.getCommonNames());
    benchmark::DoNotOptimize(h.getCallNames());
    benchmark::DoNotOptimize(h.getAddresses());
    benchmark::DoNotOptimize(h.getConditions());
    benchmark::DoNotOptimize(h.getCancelConditions());
    benchmark::DoNotOptimize(h.getRemarks());
    benchmark::DoNotOptimize(h.getSpares());
    benchmark::DoNotOptimize(h.getPreviousNames());
    benchmark::DoNotOptimize(licence.getLicenseChangedRegisteredDomicile()->getChangedRegisteredDomiciles());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * jisBytes));
  state.counters["jis_bytes"] = static_cast<double>(jisBytes);
}

}  // namespace

BENCHMARK(BM_DriverLicenseRequest)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DriverLicenseFilesToRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DriverLicenseJisDecoding)->Unit(benchmark::kMicrosecond);
