#include "DriverLicense/DriverLicenseInfoReader.hpp"

#include <iostream>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/HostCall.hpp"
#include "Sign/Signature.hpp"
#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"

namespace ekyc {

DriverLicenseInfoReader::DriverLicenseInfoReader(std::shared_ptr<DriverLicenseInfoReaderDelegate> delegate_,
                                                 ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void DriverLicenseInfoReader::fetchDriverLicense(std::optional<std::string> id, std::optional<std::string> p1,
                                                 std::optional<std::string> p2) {
  if (acceptAppId(id)) fetchDriverLicense(std::move(p1), std::move(p2));
}

void DriverLicenseInfoReader::fetchDriverLicense(std::optional<std::string> p1, std::optional<std::string> p2) {
  pin1 = std::move(p1);
  pin2 = std::move(p2);
  const Const c;
  obtainPins({{SetPinKey::DRIVERLICENSE_PIN1, &pin1, c.DRIVERLICENSE_PIN1},
              {SetPinKey::DRIVERLICENSE_PIN2, &pin2, c.DRIVERLICENSE_PIN2}});
}

std::vector<DriverLicenseInfoReader::Step> DriverLicenseInfoReader::chain() {
  const ConstApduCmd cmd;
  const ConstDataLength length;
  const ConstTag tag;
  const Const c;
  const SetPinKey key1 = SetPinKey::DRIVERLICENSE_PIN1, key2 = SetPinKey::DRIVERLICENSE_PIN2;
  const std::string label1 = c.DRIVERLICENSE_PIN1, label2 = c.DRIVERLICENSE_PIN2;
  const auto verify = [](std::optional<std::string>& pin, SetPinKey key, const std::string& label) {
    return Step{[&pin] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(pin.value_or(""))); }, key, label, {}};
  };
  const auto read = [&](int le, std::function<bool(const Bytes&)> keep) {
    return step(cmd.getReadAdpuCmd(le), key2, std::move(keep), label2);
  };
  const auto select = [&](const NFCISO7816APDU& command) { return step(command, key2, {}, label2); };
  return {
      step(cmd.selectDriverLicenseCardMF, key1, {}, label1),
      step(cmd.selectDriverLicensePin1, key1, {}, label1),
      verify(pin1, key1, label1),
      select(cmd.selectDriverLicensePin2),
      verify(pin2, key2, label2),
      select(cmd.selectCommonDataElements),
      read(17,
           [this](const Bytes& data) {
             licenseCommonData = LicenseCommonData::fromFile(data);
             return licenseCommonData.has_value();
           }),
      select(cmd.selectDF1),
      select(cmd.selectExternalCharacter),
      read(264,
           [this](const Bytes& data) {
             dicExternalCharacters = LicenseExternalCharacters::takeExternalCharacterFile(data, dicExternalCharactersKey);
             return true;
           }),
      select(cmd.selectChangedExternalCharacter),
      read(663,
           [this](const Bytes& data) {
             dicChangedExternalCharacter = LicenseExternalCharacters::takeChangedExternalCharacterFile(
                 data, dicExternalCharactersKey, externalCharacterChanged);
             if (!dicChangedExternalCharacter) return false;
             licenseExternalCharacters.emplace(externalCharacterChanged, dicExternalCharactersKey);
             return true;
           }),
      select(cmd.selectLicenseEntries),
      read(length.LICENSE_ENTRIES,
           [this](const Bytes& data) {
             licenseEntriesResult = data;
             licenseEntries = LicenseEntries::fromFile(data, licenseExternalCharacters);
             if (!licenseEntries) return false;
             previousName = licenseEntries->previousName();
             return true;
           }),
      select(cmd.selectRegisteredDomicile),
      read(length.REGISTERED_DOMICILE,
           [this, tag](const Bytes& data) {
             registeredDomicileResult = data;
             dicRegisteredDomicile = Ber().parseForDriverLicense(data, tag.REGISTERED_DOMICILE, false);
             return true;
           }),
      select(cmd.selectChangedLicenseEntries),
      read(640,
           [this, tag](const Bytes& data) {
             dicChangedLicenseEntries = Ber().parseForDriverLicense(data, tag.CHANGED_LICENSE_ENTRIES, false);
             licenseChangedEntries =
                 LicenseChangedEntries::fromElements(*dicChangedLicenseEntries, licenseExternalCharacters);
             if (!licenseChangedEntries) return false;
             keepPreviousNames();
             return true;
           }),
      select(cmd.selectChangedRegisteredDomicile),
      read(256,
           [this, tag](const Bytes& data) {
             dicChangedRegisteredDomicile = Ber().parseForDriverLicense(data, tag.CHANGED_REGISTERED_DOMICILE, false);
             licenseChangedRegisteredDomicile = LicenseChangedRegisteredDomicile::fromElements(
                 *dicChangedRegisteredDomicile, licenseExternalCharacters);
             return licenseChangedRegisteredDomicile.has_value();
           }),
      select(cmd.selectSignatureData),
      read(578,
           [this](const Bytes& data) {
             licenseSignature = LicenseSignature::fromFile(data);
             return licenseSignature.has_value();
           }),
      select(cmd.selectDF2),
      select(cmd.selectPhoto),
      read(length.PHOTO, [this, tag](const Bytes& data) {
        photoResult = data;
        dicPhoto = Ber().parseForDriverLicense(data, tag.PHOTO, false);
        return true;
      }),
  };
}

void DriverLicenseInfoReader::keepPreviousNames() {
  const auto& names = licenseChangedEntries->previousNames();
  const auto& flags = licenseChangedEntries->flagPreviousNames();
  if (!names || !flags) return;  // a file without entries adds nothing
  // The record holds one element per name present, in tag order.
  std::size_t next = 0;
  for (const auto& t : ConstTag().CHANGE_COMMON_NAMES) {
    if (!dicChangedLicenseEntries->contains(t) || next >= names->size() || next >= flags->size()) {
      flagPreviousNames.emplace_back(std::nullopt);
      continue;
    }
    if (previousNames) previousNames->emplace_back((*names)[next]);
    flagPreviousNames.emplace_back((*flags)[next]);
    ++next;
  }
}

DriverLicense DriverLicenseInfoReader::makeDriverLicense() const {
  const ConstTag tag;
  const auto value = [](const std::optional<std::map<std::string, Bytes>>& d, const std::string& t) {
    return d ? Ber::entry(*d, t) : std::nullopt;
  };
  return DriverLicense(licenseCommonData, licenseEntries, value(dicRegisteredDomicile, tag.REGISTERED_DOMICILE.front()),
                       licenseExternalCharacters, licenseChangedEntries, licenseChangedRegisteredDomicile,
                       licenseSignature, value(dicPhoto, tag.PHOTO.front()), licenseEntriesResult,
                       registeredDomicileResult, photoResult);
}

void DriverLicenseInfoReader::finish() {
  if (appId) {
    std::clog << "Send Request" << std::endl;
    if (!request()) {
      // The failure has been delivered: the session ends with the error text, never the success text.
      endWithError();
      appId.reset();
      return;
    }
    std::clog << "Response OK" << std::endl;
  }
  deliverToHost(delegate, [&](auto& host) { host.didGetDriverLicense(makeDriverLicense()); });
  endWithSuccess();
}

bool DriverLicenseInfoReader::request() {
  const Const c;
  // The signed files are kept as read: one shorter than its part of the signed source is delivered
  // without verification, and refused here (13999, nothing sent), where the source must be built.
  const auto source = licenseEntriesResult && registeredDomicileResult && photoResult
                          ? Signature().createVerifyDriverLicenseSrc(*licenseEntriesResult, *registeredDomicileResult,
                                                                     *photoResult)
                          : std::nullopt;
  const auto verifyingParams =
      licenseSignature ? Utility().createJsonVerifyingParams(Utility::ski, licenseSignature->subjectKeyIdentifier())
                       : std::nullopt;
  if (!source || !verifyingParams) {
    deliverFailure(DriverLicenseError::cardConnectionFailed());
    return false;
  }
  return postVerification(c.REQ_TYPE_DRIVER_LICENSE, Base64::encode(Digest::sha256(*source)),
                          Base64::encode(licenseSignature->signature()), Base64::encode(*verifyingParams), {},
                          c.CARD_TYPE_DRIVER_LICENSE);
}

void DriverLicenseInfoReader::deliverFailure(const DriverLicenseError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didGetDriverLicense(std::unexpected(error)); });
}

}  // namespace ekyc
