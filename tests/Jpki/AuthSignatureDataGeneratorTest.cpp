// User-authentication signing end to end: generator -> NFC session -> virtual JPKI card. The
// recorder is the host's delegate and the back channel, so every test states the exact order of
// the calls, the commands the card saw and the texts of the NFC sheet.
#include <gtest/gtest.h>
#include "Support/RunLoopPump.hpp"

#include "Jpki/JpkiRig.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/Base64.hpp"
#include "Platform/VirtualCard/VirtualCardContext.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
const std::string DATA_B64 = Base64::encode(toBytes("login challenge 0001"));

const std::string SELECT_JPKI = "00A4040C0AD392F000260100000001";
const std::string SELECT_EF18 = "00A4020C020018";
const std::string VERIFY_1234 = "002000800431323334";
const std::string SELECT_EF17 = "00A4020C020017";
const std::string SELECT_EF0A = "00A4020C02000A";
const std::string READ_3900 = "00B00000000F3C";

std::string signCommand(const Bytes& data, const std::string& hash) {
  const Bytes info = DigestInfo(data, hash).create();
  return "802A0080" + hex(Bytes{static_cast<std::uint8_t>(info.size())}) + hex(info) + "00";
}

Strings sheetOk() { return {"カードをかざしてください", "読み取り中", "読み取りました"}; }
Strings sheetError() { return {"カードをかざしてください", "読み取り中", "読み取りに失敗しました"}; }

std::shared_ptr<AuthSignatureDataGenerator> start(JpkiRig& rig, std::optional<std::string> pin,
                                                  std::optional<std::string> data = DATA_B64,
                                                  const std::string& hash = "SHA-256") {
  auto generator = rig.make<AuthSignatureDataGenerator>();
  generator->auth(data, hash, pin);
  return generator;
}

TEST(AuthSignatureDataGenerator, SignsWithTheUserAuthenticationKey) {
  JpkiRig rig;
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result ok", "didGetPin "}));
  const Bytes data = *Base64::decode(DATA_B64);
  EXPECT_EQ(rig.commands(), (Strings{SELECT_JPKI, SELECT_EF18, VERIFY_1234, SELECT_EF17, signCommand(data, "SHA-256"),
                                     SELECT_EF0A, READ_3900}));
  EXPECT_EQ(rig.sheet->texts(), sheetOk());
  const auto record = rig.recorder->signatureResult()->value();
  EXPECT_EQ(record.tbsData(), data);
  EXPECT_EQ(record.hashAlgOid(), "2.16.840.1.101.3.4.2.1");
  EXPECT_EQ(record.signingCert(), jpkiContents().userAuthCertificate);
  ASSERT_TRUE(record.signature());
  EXPECT_EQ(record.signature()->size(), 256u);
  EXPECT_TRUE(verifySignature(*record.signingCert(), "SHA256", data, *record.signature()));
  EXPECT_FALSE(record.fourInfoConsentApply());
  EXPECT_FALSE(record.fourInfoConsentRevokeApply());
  EXPECT_EQ(record.getExpectedHash(), Base64::encode(sha(data, "SHA256")));
}

TEST(AuthSignatureDataGenerator, Sha384AndSha512AskForA256ByteSignature) {
  for (const auto& [name, openssl] : {std::pair{"SHA-384", "SHA384"}, std::pair{"SHA-512", "SHA512"}}) {
    JpkiRig rig;
    start(rig, "1234", DATA_B64, name);
    ASSERT_TRUE(rig.waitForResult());
    const Bytes data = *Base64::decode(DATA_B64);
    const auto commands = rig.commands();
    ASSERT_EQ(commands.size(), 7u);
    EXPECT_EQ(commands[4], signCommand(data, name));
    EXPECT_EQ(commands[4].substr(commands[4].size() - 2), "00");  // Le 256
    const auto record = rig.recorder->signatureResult()->value();
    EXPECT_TRUE(verifySignature(*record.signingCert(), openssl, data, *record.signature())) << name;
    EXPECT_EQ(record.hashAlgOid(), std::string(name) == "SHA-384" ? "2.16.840.1.101.3.4.2.2" : "2.16.840.1.101.3.4.2.3");
  }
}

TEST(AuthSignatureDataGenerator, AbsentPinIsAskedForInTheDialog) {
  JpkiRig rig;
  rig.viewController->enqueue(ScriptedViewController::Answer::OK("1234"));
  start(rig, std::nullopt);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result ok", "didGetPin "}));
  const auto shown = rig.viewController->presentations();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, JpkiRig::pinTexts().pin1DialogTitle);
  EXPECT_EQ(shown[0].message, JpkiRig::pinTexts().pin1DialogMessage);
  ASSERT_EQ(shown[0].textFields.size(), 1u);
  EXPECT_EQ(shown[0].textFields[0].placeholder, JpkiRig::pinTexts().pin1DialogPlaceholder);
  EXPECT_EQ(shown[0].textFields[0].text, "");
  EXPECT_EQ(shown[0].actionTitles, (Strings{"OK", "キャンセル"}));
}

TEST(AuthSignatureDataGenerator, DialogCancelled) {
  JpkiRig rig;
  rig.viewController->enqueue(ScriptedViewController::Answer::Cancel());
  start(rig, std::nullopt);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(),
            (Strings{"didGetFailedPin MYNUMBERCARD_USERCERT_PIN", "result 12101", "didGetPin "}));
  EXPECT_TRUE(rig.commands().empty());
  EXPECT_TRUE(rig.sheet->texts().empty());
}

TEST(AuthSignatureDataGenerator, PinRuleIsCheckedBeforeAnySession) {
  const std::pair<std::string, long long> cases[] = {{"", 12002}, {"12345", 12007}, {"123", 12007}, {"12a4", 12008},
                                                     {"１２３４", 12008}};
  for (const auto& [pin, code] : cases) {
    JpkiRig rig;
    start(rig, pin, std::nullopt, "nope");  // bad data and hash too: the PIN is reported
    ASSERT_TRUE(rig.waitForResult()) << pin;
    EXPECT_EQ(rig.recorder->events(), (Strings{"didGetFailedPin MYNUMBERCARD_USERCERT_PIN",
                                               "result " + std::to_string(code), "didGetPin "}))
        << pin;
    EXPECT_EQ(rig.viewController->presentedCount(), 0u);
    EXPECT_TRUE(rig.commands().empty());
    EXPECT_TRUE(rig.sheet->texts().empty());
  }
}

TEST(AuthSignatureDataGenerator, DataAndHashChecksInTheirOrder) {
  const std::tuple<std::optional<std::string>, std::string, long long> cases[] = {
      {std::nullopt, "SHA-1", 12003},        {"", "SHA-256", 12003},
      {"not base64!", "SHA-1", 12006},       {"YWJj\nZGVm", "SHA-256", 12006},
      {"YWJjZA", "SHA-256", 12006},          {"YWJj ZGVm", "SHA-256", 12006},
      {"YWJj", "sha-256", 12005},            {"YWJj", "SHA-1", 12005},
      {"YWJj", "SHA256", 12005},             {"YWJj", "", 12005}};
  for (const auto& [data, hash, code] : cases) {
    JpkiRig rig;
    start(rig, "1234", data, hash);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result " + std::to_string(code), "didGetPin "}))
        << data.value_or("<absent>") << " " << hash;
    EXPECT_TRUE(rig.commands().empty());
  }
}

TEST(AuthSignatureDataGenerator, VerifyRefusedWithTriesLeft) {
  JpkiRig rig;
  start(rig, "9999");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(),
            (Strings{"didGetFailedPin MYNUMBERCARD_USERCERT_PIN 2", "result 13300", "didGetPin "}));
  const auto error = rig.recorder->signatureResult()->error();
  EXPECT_EQ(error.errorCase(), SignatureDataError::Case::failVerifyRetry);
  EXPECT_EQ(error.retryCount, 2);
  const ConstResult texts;
  EXPECT_EQ(error.localizedDescription, texts.constResult.at(13300) + "2" + texts.constResult.at(13301));
  EXPECT_EQ(rig.commands(), (Strings{SELECT_JPKI, SELECT_EF18, "002000800439393939"}));
  EXPECT_EQ(rig.sheet->texts(), sheetError());
  EXPECT_EQ(rig.card->pinTriesLeft(JpkiApplication::NAME, 0x0018), 2);
}

TEST(AuthSignatureDataGenerator, VerifyLocksNowAndLocked) {
  {
    auto options = VirtualJpkiContents::Options{};
    options.userAuthTriesLeft = 1;
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    start(rig, "9999");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(),
              (Strings{"didGetFailedPin MYNUMBERCARD_USERCERT_PIN 0", "result 13200", "didGetPin "}));
  }
  {
    auto options = VirtualJpkiContents::Options{};
    options.userAuthTriesLeft = 0;
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(),
              (Strings{"didGetFailedPin MYNUMBERCARD_USERCERT_PIN 0", "result 13400", "didGetPin "}));
    EXPECT_EQ(rig.sheet->texts(), sheetError());
  }
}

TEST(AuthSignatureDataGenerator, OtherStatusWordsAtAnyStepAreCardFailures) {
  for (std::size_t step = 1; step <= 7; ++step) {
    JpkiRig rig;
    rig.card->addFault(VirtualCardFault::statusWordAt(step, step == 1 ? 0x6A82 : 0x6F00));
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13999", "didGetPin "})) << step;
    EXPECT_EQ(rig.commands().size(), step);
    EXPECT_EQ(rig.sheet->texts(), sheetError());
  }
}

TEST(AuthSignatureDataGenerator, PinStatusAtAStepOtherThanVerifyIsReportedAsARefusedPin) {
  JpkiRig rig;
  rig.card->addFault(VirtualCardFault::statusWordAt(6, 0x63C5));
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(),
            (Strings{"didGetFailedPin MYNUMBERCARD_USERCERT_PIN 5", "result 13300", "didGetPin "}));
}

TEST(AuthSignatureDataGenerator, Status9001CountsAsSuccess) {
  JpkiRig rig;
  // Every SELECT, VERIFY and READ BINARY is processed and answered with 90 01.
  for (std::uint8_t ins : {0xA4, 0x20, 0xB0}) {
    rig.card->onInstruction(ins, [](const VirtualCommand& command, VirtualCardContext& context) {
      auto response = context.standard(command);
      if (response.sw == 0x9000) response.sw = 0x9001;
      return std::optional<VirtualResponse>(response);
    });
  }
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result ok", "didGetPin "}));
  for (const auto& entry : rig.card->log()) {
    if (entry.command[1] != 0x2A) {
      EXPECT_EQ(hex(Bytes(entry.answer.end() - 2, entry.answer.end())), "9001");
    }
  }
}

TEST(AuthSignatureDataGenerator, CertificateFileWithoutCertificate) {
  auto options = VirtualJpkiContents::Options{};
  options.userAuthCertificateFile = Bytes(3900, 0xFF);
  JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result 99999", "didGetPin "}));
  EXPECT_EQ(rig.sheet->texts(), sheetError());
}

TEST(AuthSignatureDataGenerator, ShortCertificateAnswerIsAFailureNotAReadPastTheEnd) {
  JpkiRig rig;
  rig.card->addFault(VirtualCardFault::truncatedAt(7, 300));
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result 99999", "didGetPin "}));
}

TEST(AuthSignatureDataGenerator, SessionEndsBeforeTheChain) {
  {  // the user closes the sheet before holding a card
    JpkiRig rig(jpkiContents(), false);
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForSession());
    rig.reader->cancelBySheet();
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13700", "didGetPin "}));
    EXPECT_EQ(rig.sheet->texts(), (Strings{"カードをかざしてください"}));
  }
  {  // the session times out
    JpkiRig rig(jpkiContents(), false);
    rig.platform->sessionTimeout = std::chrono::milliseconds(100);
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13600", "didGetPin "}));
  }
  {  // a tag that is not ISO 7816: nothing is sent, then the time-out
    JpkiRig rig;
    rig.card->setISO7816(false);
    rig.platform->sessionTimeout = std::chrono::milliseconds(200);
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13600", "didGetPin "}));
    EXPECT_TRUE(rig.commands().empty());
  }
  {  // the reader fails
    JpkiRig rig(jpkiContents(), false);
    rig.reader->failNextWait(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTerminatedUnexpectedly));
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13500", "didGetPin "}));
  }
  {  // an error that is not a reader error
    JpkiRig rig(jpkiContents(), false);
    rig.reader->failNextWait(NFCError::other("system failure"));
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 99999", "didGetPin "}));
  }
  {  // no session can be made
    JpkiRig rig;
    rig.reader->setSessionCreationFails(true);
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13500", "didGetPin "}));
  }
}

TEST(AuthSignatureDataGenerator, DetectionWithoutTagsEndsOnce) {
  JpkiRig rig(jpkiContents(), false);
  rig.reader->presentCards({});
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result 99999", "didGetPin "}));
  EXPECT_EQ(rig.sheet->texts(), sheetError());
}

TEST(AuthSignatureDataGenerator, OnlyTheFirstOfTwoTagsIsUsed) {
  JpkiRig rig(jpkiContents(), false);
  auto second = JpkiApplication::makeCard(jpkiContents());
  rig.reader->presentCards({rig.card, second});
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result ok", "didGetPin "}));
  EXPECT_EQ(rig.commands().size(), 7u);
  EXPECT_TRUE(second->commands().empty());
}

TEST(AuthSignatureDataGenerator, CardRemovedOrSheetClosedMidChainGivesOneCardFailure) {
  for (std::size_t step = 1; step <= 7; ++step) {
    JpkiRig rig;
    rig.card->addFault(VirtualCardFault::removedAt(step));
    start(rig, "1234");
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13999", "didGetPin "})) << step;
  }
  {
    JpkiRig rig;
    rig.card->addFault(VirtualCardFault::delayAt(4, std::chrono::seconds(5)));
    start(rig, "1234");
    ASSERT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return rig.card->commandCount() >= 4; }, std::chrono::seconds(20)));
    rig.reader->cancelBySheet();
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 13999", "didGetPin "}));
  }
}

TEST(AuthSignatureDataGenerator, SignatureRefusedWithoutTheKeysPin) {
  // The card refuses COMPUTE DIGITAL SIGNATURE before VERIFY: an answer to VERIFY that never
  // reached the card (90 00 from the field) leaves the key locked.
  JpkiRig rig;
  rig.card->addFault(VirtualCardFault::statusWordAt(3, 0x9000));
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result 13999", "didGetPin "}));
  EXPECT_EQ(rig.card->log()[4].answer, (Bytes{0x69, 0x82}));
}

}  // namespace
}  // namespace ekyc::test
