// apdu-chain: the NFC layer alone, before any reader: selects the sample application of a virtual
// sample card, verifies its PIN (slot SAMPLE_PIN), reads its two files and prints every exchange.
// An empty PIN ends it with 12002 before the session begins. Status words and session ends map to
// result codes by the readers' shared rules.
#include <string>

#include "../DemoContext.hpp"
#include "../DemoRequest.hpp"
#include "Platform/ApduChainRunner.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"
#include "Reader/ReaderSupport.hpp"
#include "Utility/ConstResult.hpp"
#include "Utility/Utility.hpp"

namespace ekyc::demo {

namespace {

NFCISO7816APDU selectFile(std::uint16_t id) {
  return NFCISO7816APDU(0x00, 0xA4, 0x02, 0x0C,
                        Bytes{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF)}, std::nullopt);
}

DemoOutcome failure(std::int64_t code) { return DemoOutcome::failure(code, ConstResult().text(static_cast<int>(code))); }

DemoOutcome runApduChain(DemoContext& context) {
  if (!NFCTagReaderSession::readingAvailable(context.platform())) return failure(11001);
  context.presentCard([] { return VirtualSampleCard::make(); });
  const std::optional<std::string> pin = context.pin(SAMPLE_PIN_SLOT, "サンプルカードの暗証番号");
  if (!pin) return failure(ReaderSupport::CODE_INPUT_PIN_DIALOG_CANCELED);
  // As every reader does: an empty PIN goes nowhere (a VERIFY without data only asks for the tries left).
  if (pin->empty()) return failure(ReaderSupport::CODE_NOT_SET_PIN);

  const std::vector<NFCISO7816APDU> chain{
      NFCISO7816APDU(0x00, 0xA4, 0x04, 0x0C, VirtualSampleCard::AID, std::nullopt),
      selectFile(VirtualSampleCard::PIN_FILE),
      NFCISO7816APDU(0x00, 0x20, 0x00, 0x80, toBytes(*pin), std::nullopt),
      selectFile(VirtualSampleCard::FREE_FILE),
      NFCISO7816APDU(0x00, 0xB0, 0x00, 0x00, {}, VirtualSampleCard::FREE_SIZE),
      selectFile(VirtualSampleCard::PROTECTED_FILE),
      NFCISO7816APDU(0x00, 0xB0, 0x00, 0x00, {}, VirtualSampleCard::PROTECTED_SIZE),
  };
  const auto texts = context.nfcTexts();
  ApduChainRunner::Texts sheet{texts.nfcAlertInitialMessage, texts.nfcAlertReadMessage, texts.nfcAlertSuccesMessage,
                               texts.nfcAlertErrorMessage};
  auto runner = ApduChainRunner::start(context.platform(), chain, sheet);
  if (!runner) return failure(ReaderSupport::CODE_CONNECTION_FAILED);
  const ApduChainRunner::Result result = runner->wait();

  const Utility utility;
  nlohmann::json exchanges = nlohmann::json::array();
  for (const auto& exchange : result.exchanges) {
    nlohmann::json item{{"command", exchange.command.instructionCode() == 0x20
                                        ? "00200080 (PIN)"  // the PIN itself is never shown
                                        : utility.dataToHexString(exchange.command.encoded())},
                        {"sw", utility.dataToHexString({exchange.sw1, exchange.sw2})},
                        {"length", exchange.data.size()}};
    if (!exchange.data.empty()) {
      item["sha256"] = utility.dataToHexString(utility.createDigest(exchange.data, "SHA-256"));
    }
    exchanges.push_back(item);
  }

  if (result.completed) {
    return DemoOutcome::success({{"request", "apdu-chain"},
                                 {"reader", context.options().reader},
                                 {"cardId", utility.dataToUTF8String(Bytes(result.exchanges[4].data.begin(),
                                                                           result.exchanges[4].data.end() - 1))},
                                 {"exchanges", exchanges}});
  }
  if (!result.exchanges.empty()) {  // a command was refused: the readers' status rule
    const auto& last = result.exchanges.back();
    if (auto refused = ReaderSupport::classifyStatusWord(last.sw1, last.sw2, true, false)) {
      DemoOutcome outcome = failure(refused->code);
      if (refused->code == ReaderSupport::CODE_VERIFY_RETRY && refused->retryCount) {
        outcome.localizedDescription = ConstResult().text(13300) + std::to_string(*refused->retryCount) +
                                       ConstResult().text(13301);
      }
      return outcome;
    }
  }
  if (result.failure) return failure(ReaderSupport::CODE_CONNECTION_FAILED);
  if (result.sessionEnd) return failure(ReaderSupport::sessionEndCode(*result.sessionEnd));
  return failure(ReaderSupport::CODE_UNKNOWN);
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(apduChain, "apdu-chain",
                  "select, verify and read a virtual sample card through the NFC layer",
                  {ekyc::demo::SAMPLE_PIN_SLOT},
                  ekyc::demo::runApduChain, ekyc::demo::NEVER_VERIFIES)
