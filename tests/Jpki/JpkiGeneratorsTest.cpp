// What the three JPKI signing generators share, end to end on one rig (generator -> session ->
// virtual JPKI card), each behaviour written once as a table and run on every generator: refused
// PINs before the session, the PIN dialog, refusals of VERIFY, other status words at each step,
// the end of the session before the chain, a card removed mid-chain, and answers the card's format
// does not allow. (Status words 90xx passing and the end of a session before a card are the reader
// engine's, checked on the card-surface readers.) The rig's log holds what the host's delegate and
// the back channel hear, so each case states the exact order of the calls. The signing PIN is given
// in small letters: the card compares it in capitals, and the one generator that hands it back
// hands it back in capitals.
#include <gtest/gtest.h>

#include "Jpki/JpkiRig.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
enum class Kind { auth, consentRevoke, basicInfo };

std::string nameOf(Kind kind) {
  const char* const names[] = {"Auth", "FourInfoConsentRevokeApply", "SignatureDataAndBasicPersonalInfo"};
  return names[static_cast<int>(kind)];
}
void PrintTo(Kind kind, std::ostream* os) { *os << nameOf(kind); }

// A generator as the shared tests see it.
struct GeneratorSpec {
  std::string slot;        // its PIN slot in the back channel ("OTHER": the user-authentication PIN)
  std::string pin;         // the card's PIN
  std::uint16_t pinFile;   // the card's PIN file
  std::size_t signStep;         // the COMPUTE DIGITAL SIGNATURE (1-based)
  std::size_t certificateStep;  // the READ BINARY of the certificate (1-based)
  bool startsWithDidGetPin;     // didGetPin("") once the first command is sent
  std::string handedBack;       // the PIN handed back after success
  std::string wrongPin;         // passes the rule, refused by the card
  std::vector<std::pair<std::string, long long>> badPins;  // break the slot's rule
};

GeneratorSpec spec(Kind kind) {
  const std::vector<std::pair<std::string, long long>> signerBad{
      {"ABCDE", 12007}, {"ABCDEFGH123456789", 12007}, {"ABC-123", 12008}, {"ABCDEF12３", 12008}};
  switch (kind) {
    case Kind::auth:
      return {"OTHER", "1234", 0x0018, 5, 7, false, "", "9999",
              {{"12345", 12007}, {"123", 12007}, {"12a4", 12008}, {"１２３４", 12008}}};
    case Kind::consentRevoke:
      return {"SIGNER", "abcdef123", 0x001B, 5, 7, true, "", "WRONG123", signerBad};
    case Kind::basicInfo:
      return {"SIGNER", "abcdef123", 0x001B, 7, 5, false, "ABCDEF123", "WRONG123", signerBad};
  }
  return {};
}

// Starts the generator's request with `pin` (absent or empty: asked for with the dialog).
void start(Kind kind, JpkiRig& rig, const std::optional<std::string>& pin) {
  const std::string data = Base64::encode(toBytes("data to sign"));
  switch (kind) {
    case Kind::auth: rig.make<AuthSignatureDataGenerator>()->auth(data, "SHA-256", pin); break;
    case Kind::consentRevoke:
      rig.make<FourInfoConsentRevokeApplySignatureDataGenerator>()->signFourInfoConsentRevokeApply(
          "s", "p", "SHA-256", pin.value_or(""));
      break;
    case Kind::basicInfo:
      rig.make<SignatureDataAndBasicPersonalInfoGenerator>()->signAndGetBasicPersonalInfo(data, "SHA-256",
                                                                                          pin.value_or(""), false);
      break;
  }
}

Bytes withStatus(Bytes data) {
  data.push_back(0x90);
  data.push_back(0x00);
  return data;
}

// A certificate with its outer length changed by `delta`, followed by the file's fill.
Bytes certificateWithLength(const Bytes& der, int delta) {
  Bytes out = der;  // 30 82 LL LL ...
  const int length = ((out[2] << 8) | out[3]) + delta;
  out[2] = static_cast<std::uint8_t>(length >> 8);
  out[3] = static_cast<std::uint8_t>(length);
  out.resize(3900, 0xFF);
  return out;
}

const Strings SHEET_ERROR{"initial", "reading", "error"};

class JpkiGeneratorsTest : public ::testing::TestWithParam<Kind> {
 protected:
  Kind kind() const { return GetParam(); }
  GeneratorSpec s = spec(GetParam());
  // The calls of a request whose chain started and failed with `code` (after `report`).
  Strings afterChainStart(long long code, const std::string& report = "") const {
    Strings e;
    if (s.startsWithDidGetPin) e.push_back("didGetPin()");
    if (!report.empty()) e.push_back(report);
    e.push_back("result(" + std::to_string(code) + ")");
    e.push_back("didGetPin()");
    return e;
  }
  Strings ok() const {
    Strings e;
    if (s.startsWithDidGetPin) e.push_back("didGetPin()");
    e.push_back("result(ok)");
    e.push_back("didGetPin(" + s.handedBack + ")");
    return e;
  }
  std::string refused(const std::string& count = "") const {
    return "didGetFailedPin(" + s.slot + "," + (count.empty() ? "nil" : count) + ")";
  }
  const Bytes& certificate() const {
    return kind() == Kind::auth ? jpkiContents().userAuthCertificate : jpkiContents().signingCertificate;
  }
};

TEST_P(JpkiGeneratorsTest, PresetPinsThatBreakTheRuleAreRefusedBeforeAnySession) {
  for (const auto& [pin, code] : s.badPins) {
    JpkiRig rig;
    start(kind(), rig, pin);
    ASSERT_TRUE(rig.waitForResult()) << pin;
    EXPECT_EQ(rig.log->events(), (Strings{refused(), "result(" + std::to_string(code) + ")", "didGetPin()"})) << pin;
    EXPECT_EQ(rig.viewController->presentedCount(), 0u);
    EXPECT_TRUE(rig.commands().empty());
    EXPECT_TRUE(rig.alerts->texts().empty());
  }
}

TEST_P(JpkiGeneratorsTest, PinDialog) {
  {
    JpkiRig rig;
    rig.viewController->enqueue(ScriptedViewController::Answer::OK(s.pin));
    start(kind(), rig, std::nullopt);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), ok());
    const auto shown = rig.viewController->presentations();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, pinTexts().pin1DialogTitle);
    EXPECT_EQ(shown[0].message, pinTexts().pin1DialogMessage);
    ASSERT_EQ(shown[0].textFields.size(), 1u);
    EXPECT_EQ(shown[0].textFields[0].placeholder, pinTexts().pin1DialogPlaceholder);
    EXPECT_EQ(shown[0].actionTitles, (Strings{"OK", "Cancel"}));
  }
  // Cancel, an empty PIN and one that breaks the rule end the request before any session.
  for (const auto& [answer, code] : std::vector<std::pair<std::optional<std::string>, long long>>{
           {std::nullopt, 12101}, {"", 12002}, {s.badPins.front().first, s.badPins.front().second}}) {
    JpkiRig rig;
    rig.viewController->enqueue(answer ? ScriptedViewController::Answer::OK(*answer)
                                       : ScriptedViewController::Answer::Cancel());
    start(kind(), rig, std::nullopt);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), (Strings{refused(), "result(" + std::to_string(code) + ")", "didGetPin()"}));
    EXPECT_TRUE(rig.commands().empty());
    EXPECT_TRUE(rig.alerts->texts().empty());
  }
}

// VERIFY refused by the card: the tries left, the PIN locked now, the PIN already locked.
TEST_P(JpkiGeneratorsTest, RefusedVerify) {
  struct Case {
    int triesLeft;
    bool rightPin;
    long long code;
    std::string count, text;
  };
  for (const auto& c : std::vector<Case>{{2, false, 13300, "1", "残り1回でロックされます。"},
                                         {1, false, 13200, "0", "ロックされました。"},
                                         {0, true, 13400, "0", "既にロックされています。"}}) {
    auto options = VirtualJpkiContents::Options{};
    (kind() == Kind::auth ? options.userAuthTriesLeft : options.signingTriesLeft) = c.triesLeft;
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    start(kind(), rig, c.rightPin ? s.pin : s.wrongPin);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), afterChainStart(c.code, refused(c.count))) << c.code;
    const auto outcome = rig.results->outcome();
    EXPECT_EQ(outcome.message, c.text);
    EXPECT_EQ(outcome.retryCount, c.code == 13300 ? std::optional<std::int64_t>(1) : std::nullopt);
    EXPECT_EQ(rig.commands().size(), 3u);
    EXPECT_EQ(rig.alerts->texts(), SHEET_ERROR);
    EXPECT_EQ(rig.card->pinTriesLeft(JpkiApplication::NAME, s.pinFile), std::max(0, c.triesLeft - 1));
  }
}

TEST_P(JpkiGeneratorsTest, OtherStatusWordsAtAnyStepAreCardFailures) {
  for (std::size_t step = 1; step <= 7; ++step) {
    JpkiRig rig;
    rig.card->addFault(VirtualCardFault::statusWordAt(step, step == 1 ? 0x6A82 : 0x6F00));
    start(kind(), rig, s.pin);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), afterChainStart(13999)) << step;
    EXPECT_EQ(rig.commands().size(), step);
    EXPECT_EQ(rig.alerts->texts(), SHEET_ERROR);
  }
  // A PIN status word at a step other than VERIFY is a refused PIN too.
  JpkiRig rig;
  rig.card->addFault(VirtualCardFault::statusWordAt(6, 0x63C5));
  start(kind(), rig, s.pin);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.log->events(), afterChainStart(13300, refused("5")));
}

// How the end of a session maps to a result is the reader engine's, run on every card-surface
// reader; here what the signing frame adds: a detection without tags is 99999, the sheet closed
// before a card, and of two tags only the first is used.
TEST_P(JpkiGeneratorsTest, SessionEndBeforeTheChainReportsOnce) {
  {
    JpkiRig rig(jpkiContents(), false);
    rig.cardReader->presentCards({});
    start(kind(), rig, s.pin);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), (Strings{"result(99999)", "didGetPin()"}));
  }
  {  // the user closes the sheet before holding a card
    JpkiRig rig(jpkiContents(), false);
    start(kind(), rig, s.pin);
    ASSERT_TRUE(rig.waitFor([&] { return rig.cardReader->activeSessionCount() > 0; }));
    rig.cardReader->cancelBySheet();
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), (Strings{"result(13700)", "didGetPin()"}));
    EXPECT_EQ(rig.alerts->texts(), (Strings{"initial"}));
  }
  {  // of two tags only the first is used
    JpkiRig rig(jpkiContents(), false);
    auto second = JpkiApplication::makeCard(jpkiContents());
    rig.cardReader->presentCards({rig.card, second});
    start(kind(), rig, s.pin);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), ok());
    EXPECT_TRUE(second->commands().empty());
  }
}

TEST_P(JpkiGeneratorsTest, CardRemovedOrSheetClosedMidChainGivesOneCardFailure) {
  for (std::size_t step = 1; step <= 7; ++step) {
    JpkiRig rig;
    rig.card->addFault(VirtualCardFault::removedAt(step));
    start(kind(), rig, s.pin);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), afterChainStart(13999)) << step;
  }
  JpkiRig rig;
  rig.card->addFault(VirtualCardFault::delayAt(4, std::chrono::seconds(5)));
  start(kind(), rig, s.pin);
  ASSERT_TRUE(rig.waitFor([&] { return rig.card->commandCount() >= 4; }));
  rig.cardReader->cancelBySheet();
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.log->events(), afterChainStart(13999));
}

// Answers the card's format does not allow: a signature not as long as the key's modulus, a
// certificate whose DER element does not parse or does not span its length (13999), a certificate
// file without a certificate or cut short (99999, never a read past the end), and an answer to
// VERIFY that never reached the card (90 00 from the field: the key stays locked). Each ends the
// chain at once with one failure and the sheet's error text; never a record.
TEST_P(JpkiGeneratorsTest, MalformedAnswersGiveOneFailure) {
  struct Case {
    std::string name;
    std::size_t step;  // the failing command: the last one sent
    VirtualCardFault fault;
    long long code;
  };
  const auto answer = [](std::size_t step, Bytes data) { return VirtualCardFault::answerAt(step, withStatus(data)); };
  const std::size_t sign = s.signStep, cert = s.certificateStep;
  const std::vector<Case> cases{
      {"255-byte signature", sign, answer(sign, Bytes(255, 0x5A)), 13999},
      {"257-byte signature", sign, answer(sign, Bytes(257, 0x5A)), 13999},
      {"certificate length one more", cert, answer(cert, certificateWithLength(certificate(), 1)), 13999},
      {"certificate length one short", cert, answer(cert, certificateWithLength(certificate(), -1)), 13999},
      {"SEQUENCE that is no certificate", cert, answer(cert, {0x30, 0x03, 0x02, 0x01, 0x00}), 13999},
      // the first command that needs the PIN is refused
      {"VERIFY answered by the field", std::min(sign, cert), VirtualCardFault::statusWordAt(3, 0x9000), 13999},
      {"file of 00", cert, answer(cert, Bytes(3900, 0x00)), 99999},
      {"file of FF", cert, answer(cert, Bytes(3900, 0xFF)), 99999},
      {"certificate cut short", cert, VirtualCardFault::truncatedAt(cert, 300), 99999},
  };
  for (const auto& c : cases) {
    JpkiRig rig;
    rig.card->addFault(c.fault);
    start(kind(), rig, s.pin);
    ASSERT_TRUE(rig.waitForResult()) << c.name;
    EXPECT_EQ(rig.log->events(), afterChainStart(c.code)) << c.name;
    EXPECT_EQ(rig.results->outcome().message,
              c.code == 13999 ? "カードの読み込みに失敗しました。" : "予期しないエラーが発生しました。")
        << c.name;
    EXPECT_EQ(rig.commands().size(), c.step) << c.name;
    EXPECT_EQ(rig.alerts->texts(), SHEET_ERROR) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(AllGenerators, JpkiGeneratorsTest,
                         ::testing::Values(Kind::auth, Kind::consentRevoke, Kind::basicInfo),
                         [](const auto& info) { return nameOf(info.param); });

}  // namespace
}  // namespace ekyc::test
