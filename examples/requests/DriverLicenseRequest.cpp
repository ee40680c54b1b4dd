// driver-license: the IC driving licence through the facade, on the virtual licence (or the card
// held to a PC/SC reader). With --app-id the licence is verified first by the verification
// endpoint (the stand-in started here unless --endpoint is given). PIN slots DRIVERLICENSE_PIN1 and
// DRIVERLICENSE_PIN2 (4 digits each; the virtual licence's are 1234 and 5678); a PIN not preset is
// asked for on the terminal. Prints the common data (card format version, issue and expiry
// dates, card maker and cryptographic functions), the decoded entries, the history, the
// external-character positions (with each bitmap's size code) and the integrity data as JSON.
#include <memory>
#include <mutex>
#include <optional>

#include "../DemoContext.hpp"
#include "../DemoRequest.hpp"
#include "DriverLicense/DriverLicenseInfoReader.hpp"
#include "Identify/Identify.hpp"
#include "Platform/VirtualCard/VirtualDriverLicense.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::demo {

namespace {

template <class T>
nlohmann::json orNull(const std::optional<T>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

// The positions of the external characters in an item, each with the size code of its bitmap
// (null where the card stores none, as for FF FA).
template <class Positions, class Bitmap>
nlohmann::json externalCharacters(const Positions& positions, Bitmap bitmapAt) {
  nlohmann::json out = nlohmann::json::array();
  if (!positions) return out;
  for (const int index : *positions) {
    const auto bitmap = bitmapAt(index);
    out.push_back({{"position", index}, {"bitmapSize", bitmap ? orNull(bitmap->getExternalCharacterSize()) : nullptr}});
  }
  return out;
}

nlohmann::json toJson(const DriverLicense& licence) {
  nlohmann::json out = nlohmann::json::object();
  if (const auto& c = licence.getLicenseCommonData()) {
    out["commonData"] = {{"version", orNull(c->getVersion())},
                         {"issueDate", orNull(c->getIssueDate())},
                         {"expireDate", orNull(c->getExpireDate())},
                         {"manufacturerID", orNull(c->getManufacturerID())},
                         {"encryptionID", orNull(c->getEncryptionID())}};
  }
  if (const auto& e = licence.getLicenseEntries()) {
    out["entries"] = {{"jisX0208Year", orNull(e->getJisX0208Year())}, {"commonName", orNull(e->getCommonName())},
                      {"previousName", orNull(e->getPreviousName())}, {"kana", orNull(e->getKana())},
                      {"aliasName", orNull(e->getAliasName())},       {"callName", orNull(e->getCallName())},
                      {"dateOfBirth", orNull(e->getDateOfBirth())},   {"address", orNull(e->getAddress())},
                      {"issueDate", orNull(e->getIssueDate())},       {"refNumber", orNull(e->getRefNumber())},
                      {"colorClass", orNull(e->getColorClass())},     {"expireDate", orNull(e->getExpireDate())},
                      {"conditions", orNull(e->getConditions())},     {"pscName", orNull(e->getPscName())},
                      {"licenseNumber", orNull(e->getLicenseNumber())}, {"categories", orNull(e->getCategories())}};
    out["externalCharacters"] = {
        {"commonName", externalCharacters(e->indexesOfExternalCharInCommonName(),
                                          [&](int i) { return e->getExternalCharInCommonName(i); })},
        {"aliasName", externalCharacters(e->indexesOfExternalCharInAliasName(),
                                         [&](int i) { return e->getExternalCharInAliasName(i); })},
        {"address", externalCharacters(e->indexesOfExternalCharInAddress(),
                                       [&](int i) { return e->getExternalCharInAddress(i); })},
        {"registeredDomicile", externalCharacters(licence.indexesOfExternalCharInRegisteredDomicile(),
                                                  [&](int i) { return licence.getExternalCharInRegisteredDomicile(i); })}};
  }
  out["registeredDomicile"] = orNull(licence.getRegisteredDomicile());
  if (const auto& h = licence.getLicenseChangedEntries()) {
    out["history"] = {{"changed", h->isChanged()},
                      {"changeDates", orNull(h->getChangeDates())},
                      {"pscNames", orNull(h->getPscNames())},
                      {"commonNames", orNull(h->getCommonNames())},
                      {"previousNames", orNull(h->getPreviousNames())},
                      {"callNames", orNull(h->getCallNames())},
                      {"addresses", orNull(h->getAddresses())},
                      {"addressLatest", orNull(h->getAddressesLatest())},
                      {"conditions", orNull(h->getConditions())},
                      {"cancelConditions", orNull(h->getCancelConditions())},
                      {"remarks", orNull(h->getRemarks())},
                      {"spares", orNull(h->getSpares())}};
  }
  if (const auto& d = licence.getLicenseChangedRegisteredDomicile()) {
    out["registeredDomicileHistory"] = {{"changed", d->isChanged()},
                                        {"domiciles", orNull(d->getChangedRegisteredDomiciles())}};
  }
  if (const auto& s = licence.getLicenseSignature()) {
    out["signatureFile"] = {{"serial", orNull(s->getSerial())}, {"issuer", orNull(s->getIssuer())},
                            {"subject", orNull(s->getSubject())}};
  }
  out["photoBytes"] = licence.getPhoto() ? licence.getPhoto()->size() : 0;
  out["integrity"] = {{"expectedHash", orNull(licence.getLicenseHashData())},
                      {"signature", orNull(licence.getSignature())},
                      {"verifyingParams", orNull(licence.getLicenseVerifyingParams())},
                      {"wipHash", orNull(licence.getWIPHash())},
                      {"parityHash", orNull(licence.getParityHash())},
                      {"offset", licence.getOffset()}};
  return out;
}

class Outcome : public DriverLicenseInfoReaderDelegate, public DemoOutcomeSlot {
 public:
  void didGetDriverLicense(const std::expected<DriverLicense, DriverLicenseError>& result) override {
    DemoOutcome outcome = result ? DemoOutcome::success(toJson(*result))
                                 : DemoOutcome::failure(result.error().errorCode, result.error().localizedDescription);
    store(std::move(outcome));
  }
};

DemoOutcome run(DemoContext& context) {
  context.presentCard([] { return VirtualDriverLicense::makeCard(); });
  const auto& appId = context.appId();
  if (appId && !context.ensureVerificationEndpoint()) return DemoOutcome::failure(16999, ConstResult().text(16999));
  auto identify = context.identify();
  auto outcome = std::make_shared<Outcome>();
  outcome->runLoop = context.runLoop();
  appId ? identify->getDriverLicense(outcome, appId, context.pinTexts(), context.nfcTexts())
        : identify->getDriverLicense(outcome, context.pinTexts(), context.nfcTexts());
  if (!context.runUntil([&] { return outcome->taken().has_value() && !identify->hasReader(); })) {
    return DemoOutcome::failure(99999, ConstResult().text(99999));
  }
  return *outcome->taken();
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(driverLicense, "driver-license", "the IC driving licence",
                  {"DRIVERLICENSE_PIN1", "DRIVERLICENSE_PIN2"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c); })
