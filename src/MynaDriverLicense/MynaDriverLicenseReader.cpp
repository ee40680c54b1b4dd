#include "MynaDriverLicense/MynaDriverLicenseReader.hpp"

#include "Platform/HostCall.hpp"

namespace ekyc {

MynaDriverLicenseReader::MynaDriverLicenseReader(std::shared_ptr<MynaDriverLicenseReaderDelegate> delegate_,
                                                 ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void MynaDriverLicenseReader::fetchMynaDriverLicense(std::optional<std::string> id, std::optional<std::string> p) {
  if (acceptAppId(id)) fetchMynaDriverLicense(std::move(p));
}

void MynaDriverLicenseReader::fetchMynaDriverLicense(std::optional<std::string> p) {
  pin = std::move(p);
  obtainPins({{SetPinKey::MYNA_DRIVERLICENSE_PIN, &pin, {}}});
}

std::vector<MynaDriverLicenseReader::Step> MynaDriverLicenseReader::chain() { return licence_.steps<Step>(pin, {}); }

void MynaDriverLicenseReader::finish() {
  const auto record = licence_.record();
  MynaDriverLicenseStep::finish<MynaDriverLicenseError>(
      record, {platform(), httpConnectionTimeOut, appId.value_or("")}, [this] { endWithSuccess(); },
      [this] { endWithError(); }, [this](const MynaDriverLicenseError& e) { deliverFailure(e); },
      [&] {
        deliverToHost(delegate, [&](auto& host) { host.didGetMynaDriverLicense(record); });
      });
}

void MynaDriverLicenseReader::deliverFailure(const MynaDriverLicenseError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didGetMynaDriverLicense(std::unexpected(error)); });
}

}  // namespace ekyc
