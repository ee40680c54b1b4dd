#include <cstdio>
#include <future>

#include "Platform/VirtualCard/TestSupport.hpp"  // "ekyc.hpp" and the virtual cards

using namespace ekyc;

struct Host : MyNumberInfoReaderDelegate {  // the request's result delegate
  std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();  // the host thread's; PIN dialogs run on it
  std::promise<std::expected<MyNumberInfo, MyNumberInfoError>> result;
  void didGetMyNumberInfo(const std::expected<MyNumberInfo, MyNumberInfoError>& r) override {
    result.set_value(r);  // on the NFC session's thread
    loop->wake();
  }
};

int main() {
  auto reader = std::make_shared<VirtualCardReader>();
  reader->present(CardSurfaceApplications::makeCard());  // the sample holder's card, in the field
  Platform platform;
  platform.cardReader = reader;
  auto host = std::make_shared<Host>();
  auto result = host->result.get_future();
  auto viewController = std::make_shared<TerminalViewController>(host->loop);  // asks for PINs without echo
  auto identify = Identify::create(viewController, /*httpConnectionTimeOut=*/30.0, platform);
  identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "123456789018");  // leave it out to be asked
  const InputPinDialogDisplaySettingGroup pinTexts{"PIN", "", "Enter your PIN", "", "PIN", "", "OK", "Cancel"};
  const NFCDialogMessageSettingGroup sheetTexts{"Hold your card", "Reading", "Done", "Could not read the card"};
  identify->getMyNumber(host, pinTexts, sheetTexts);  // returns at once
  const auto ready = [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; };
  host->loop->runUntil(ready, std::chrono::minutes(1));
  identify.reset();  // returns once the session has reset the card and let it go
  if (!ready()) return 1;  // no result within the minute
  const auto record = result.get();  // a MyNumberInfo (record->toJson() has it all) or a coded error
  if (record) std::printf("individual number %s\n", record->getMyNumber().value_or("").c_str());
  else std::printf("error %lld\n", static_cast<long long>(record.error().errorCode));
  return record ? 0 : 1;
}
