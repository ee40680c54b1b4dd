#include "MyNumber/MyNumberInfoReader.hpp"

#include "Platform/HostCall.hpp"

namespace ekyc {

MyNumberInfoReader::MyNumberInfoReader(std::shared_ptr<MyNumberInfoReaderDelegate> delegate_, ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void MyNumberInfoReader::fetchMyNumberCardInfo(std::optional<std::string> pin, std::optional<std::string> id) {
  if (acceptAppId(id)) fetchMyNumberCardInfo(std::move(pin));
}

void MyNumberInfoReader::fetchMyNumberCardInfo(std::optional<std::string> pin) {
  pinMyNumber = std::move(pin);
  obtainPins({{SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, &pinMyNumber, {}}});
}

std::vector<MyNumberInfoReader::Step> MyNumberInfoReader::chain() {
  return myNumberSteps(*this, {}, SetPinKey::MYNUMBERCARD_MYNUMBER_PIN);
}

void MyNumberInfoReader::finish() {
  keepMyNumberVerifyingParams(*this);
  if (appId) {
    std::clog << "Send Request" << std::endl;
    if (!request(Const().REQ_TYPE_MYNUMBER_ALL)) {
      endWithError();
      return;
    }
  }
  endWithSuccess();
  deliverToHost(delegate, [&](auto& host) { host.didGetMyNumberInfo(myNumberInfoOf(*this)); });
}

bool MyNumberInfoReader::request(const std::string& reqType) { return myNumberRequest(*this, reqType); }

void MyNumberInfoReader::deliverFailure(const MyNumberInfoError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didGetMyNumberInfo(std::unexpected(error)); });
}

}  // namespace ekyc
