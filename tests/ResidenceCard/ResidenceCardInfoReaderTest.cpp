// The residence-card request end to end: facade -> reader -> session -> virtual residence card
// (-> the stand-in with an application id).
#include <gtest/gtest.h>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "ResidenceCard/ResidenceCardTestSupport.hpp"
#include "TLV/Ber.hpp"

namespace ekyc::test {
namespace {

const std::string NUMBER = "AB12345678CD";
const std::vector<std::string> TYPE_ONE_CHAIN = {"00A404", "00A400", "00B08B", "00B08A", "008400", "008200",
                                                 "082000", "00A404", "08B085", "08B086", "00A404", "00B081",
                                                 "00B082", "00B083", "00B084", "00A404", "00B082"};

std::optional<Bytes> valueOf(const Bytes& file, const std::string& tag) {
  return Ber::entry(Ber().parse(file, {"C0", "C1", "D2", "D3", "D4", "D5", "D6", "D7", "DA", "DB"}, false), tag);
}

struct SuccessCase {
  std::string cardType;
  std::optional<std::string> appId;
  std::string typed;  // the card number as the host gives it
  bool dialog = false;  // typed in the PIN dialog rather than preset
};

void PrintTo(const SuccessCase& c, std::ostream* os) {
  *os << "type " << c.cardType << (c.appId ? " verified" : "") << (c.dialog ? " typed in the dialog" : "");
}

class ResidenceCardSuccessTest : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(ResidenceCardSuccessTest, DeliversWhatTheCardHolds) {
  const auto& p = GetParam();
  ResidenceRig rig;
  rig.options.cardType = p.cardType;
  rig.presentCard();
  auto& server = rig.startServer();
  ::testing::internal::CaptureStderr();
  if (p.dialog) rig.base.viewController->enqueue(ScriptedViewController::Answer::OK(p.typed));
  rig.viaFacade(p.dialog ? std::nullopt : std::optional(p.typed), p.appId);
  const std::string console = ::testing::internal::GetCapturedStderr();
  const auto last = rig.results->last();
  ASSERT_TRUE(last && *last) << (last ? last->error().localizedDescription : "no result");
  const ResidenceCard& card = last->value();
  const auto files = VirtualResidenceCard::files(rig.options);
  const bool typeOne = p.cardType == "1";

  auto chain = TYPE_ONE_CHAIN;
  if (!typeOne) chain.erase(chain.begin() + 12, chain.begin() + 15);
  EXPECT_EQ(rig.heads(), chain);
  EXPECT_TRUE(card.getVersion() == "0100" && card.getCardType() == std::stoi(p.cardType));
  EXPECT_EQ(card.getCardEntries(), VirtualResidenceCard::sampleFrontImage());
  EXPECT_EQ(card.getPhoto(), VirtualResidenceCard::samplePhoto());
  EXPECT_EQ(card.photoRawData, files.photo);
  EXPECT_EQ(card.getResidenceCardAddresses().value_or(ResidenceCardAddresses({}, {}, {})).address(), valueOf(files.address, "D4"));
  EXPECT_EQ(card.comprehensivePermission, typeOne ? valueOf(files.comprehensivePermission, "D5") : std::nullopt);
  EXPECT_EQ(card.individualPermission, typeOne ? valueOf(files.individualPermission, "D6") : std::nullopt);
  EXPECT_EQ(card.isUpdateStatus(), typeOne);
  EXPECT_EQ(card.getInfoType(), 0);
  EXPECT_EQ(card.getResidenceCardSignatures().value_or(ResidenceCardSignatures({}, {})).getCheckCode(), valueOf(files.signatures, "DA"));
  Bytes signedData = VirtualResidenceCard::sampleFrontImage();
  const Bytes photo = VirtualResidenceCard::samplePhoto();
  signedData.insert(signedData.end(), photo.begin(), photo.end());
  EXPECT_EQ(card.getHashData(), Base64::encode(Digest::sha256(signedData)));

  const auto requests = server.receivedRequests();
  ASSERT_EQ(requests.size(), p.appId ? 1u : 0u);
  if (p.appId) {
    const auto& q = requests[0].request;
    EXPECT_TRUE(q && q->cardType == "residencecard" && q->reqType == "11");
    EXPECT_NE(console.find(typeOne ? "isConst\nSend Request\nResponse OK" : "Send Request\nResponse OK"),
              std::string::npos) << console;
  }
  EXPECT_EQ(console.find("isConst") != std::string::npos, typeOne) << console;
  EXPECT_EQ(console.find(NUMBER), std::string::npos) << "the card number reached the console";
  EXPECT_EQ(rig.base.alerts->texts().back(), "success");
}

INSTANTIATE_TEST_SUITE_P(Forms, ResidenceCardSuccessTest,
                         ::testing::Values(SuccessCase{"1", std::nullopt, NUMBER}, SuccessCase{"2", "tenant", NUMBER},
                                           SuccessCase{"1", "tenant", "ab12345678cd"},
                                           SuccessCase{"2", std::nullopt, "ab12345678cd", true}),
                         [](const auto& info) {
                           const auto& c = info.param;
                           return "Type" + c.cardType + (c.appId ? "Verified" : "") + (c.typed != NUMBER ? "LowerCase" : "") +
                                  (c.dialog ? "Dialog" : "");
                         });


Bytes withStatus(Bytes data) {
  data.insert(data.end(), {0x90, 0x00});
  return data;
}
Bytes tlv(std::uint8_t tag, const Bytes& value) {
  Bytes out{tag, 0x82, static_cast<std::uint8_t>(value.size() >> 8), static_cast<std::uint8_t>(value.size() & 0xFF)};
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

using Setup = std::function<void(ResidenceRig&)>;
// The card with these options and faults in the field, and the stand-in with these switches.
Setup card(std::function<void(VirtualResidenceCard::Options&)> change,
           std::function<void(VirtualCard&)> play = {}, std::function<void(VerificationServer&)> serve = {}) {
  return [=](ResidenceRig& r) {
    if (change) change(r.options);
    auto& c = r.presentCard();
    if (play) play(c);
    auto& s = r.startServer();
    if (serve) serve(s);
  };
}
Setup fault(VirtualCardFault f) { return card({}, [f](VirtualCard& c) { c.addFault(f); }); }
Setup server(std::function<void(VerificationServer&)> serve) { return card({}, {}, std::move(serve)); }
Setup reader(std::function<void(VirtualCardReader&)> act) {
  return [=](ResidenceRig& r) {
    card({})(r);
    act(*r.base.cardReader);
  };
}
Setup dialog(ScriptedViewController::Answer answer) {
  return [=](ResidenceRig& r) {
    card({})(r);
    r.base.viewController->enqueue(answer);
  };
}

// Every failure: what reaches the back channel and the host, in order, the last command the card
// saw (nothing past the failing step is sent) and the verification requests made.
struct FailureCase {
  std::string what;
  Setup setup;
  std::optional<std::string> number;
  std::optional<std::string> appId;
  std::vector<std::string> events;
  std::string lastCommand;  // "" when the card got none
  std::size_t requests = 0;
  double httpTimeout = 10.0;
};

const std::vector<std::string> CHAIN_FAILED = {"didGetPin()", "result(13999)"};
const std::vector<std::string> NUMBER_REFUSED = {"didGetPin()", "didGetFailedPin(RESIDENCECARD,nil)", "result(13800)"};
std::vector<std::string> afterChain(const std::string& result) { return {"didGetPin()", result, "didGetPin()"}; }
std::vector<std::string> refused(const std::string& result) { return {"didGetFailedPin(RESIDENCECARD,nil)", result, "didGetPin()"}; }

std::vector<FailureCase> failureCases() {
  using O = VirtualResidenceCard::Options;
  const auto signatures = [](Bytes file) { return fault(VirtualCardFault::answerAt(17, withStatus(std::move(file)))); };
  Bytes onlyDb = tlv(0xDA, Bytes(256, 0x00));
  const Bytes db = tlv(0xDB, Bytes(1200, 0x30));
  onlyDb.insert(onlyDb.end(), db.begin(), db.end());
  const auto userCanceled = NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled);
  return {
      {"wrong card number", card({}), "ZZ12345678CD", "tenant", NUMBER_REFUSED, "008200"},
      {"6300 on VERIFY", fault(VirtualCardFault::statusWordAt(7, 0x6300)), NUMBER, "tenant", NUMBER_REFUSED, "082000"},
      {"other status on MUTUAL AUTHENTICATE", card([](O& o) { o.authenticationFailure = 0x6982; }), "ZZ12345678CD",
       "tenant", CHAIN_FAILED, "008200"},
      {"card without DF1", fault(VirtualCardFault::statusWordAt(1, 0x6A82)), NUMBER, "tenant", CHAIN_FAILED, "00A404"},
      {"wrong card MAC", card([](O& o) { o.wrongCardMac = true; }), NUMBER, "tenant", CHAIN_FAILED, "008200"},
      {"replayed card cryptogram", card([](O& o) { o.staleCryptogram = true; }), NUMBER, "tenant", CHAIN_FAILED, "008200"},
      {"challenge of 7 bytes", card([](O& o) { o.challengeLength = 7; }), NUMBER, "tenant", CHAIN_FAILED, "008400"},
      {"short MUTUAL AUTHENTICATE answer", fault(VirtualCardFault::truncatedAt(6, 39)), NUMBER, "tenant", CHAIN_FAILED,
       "008200"},
      {"cut photo answer", fault(VirtualCardFault::truncatedAt(10, 1005)), NUMBER, "tenant", CHAIN_FAILED, "08B086"},
      {"card type not a number", card([](O& o) { o.cardType = "X"; }), NUMBER, "tenant", CHAIN_FAILED, "00B08A"},
      {"signatures without DB", signatures(tlv(0xDA, Bytes(256, 0x11))), NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"signatures with only DB non-zero", signatures(onlyDb), NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"user cancel before a card", reader([userCanceled](VirtualCardReader& r) { r.failNextWait(userCanceled); }),
       NUMBER, "tenant", {"result(13700)", "didGetPin()"}, ""},
      {"fixed test signatures", card([](O& o) { o.signatures = VirtualResidenceCard::Signatures::fixedTest; }), NUMBER,
       "tenant", afterChain("result(18002)"), "00B082"},
      {"fixed test signatures, no appId", card([](O& o) { o.signatures = VirtualResidenceCard::Signatures::fixedTest; }),
       NUMBER, std::nullopt, afterChain("result(18002)"), "00B082"},
      {"signatures but no photo", card([](O& o) { o.photo = Bytes(3000, 0x00); }), NUMBER, "tenant",
       afterChain("result(18001)"), "00B082"},
      {"not valid", server([](VerificationServer& s) { s.setForcedVerdict(false); }), NUMBER, "tenant",
       afterChain("result(18001)"), "00B082", 1},
      {"tampered photo", card([](O& o) { o.tamperedPhoto = true; }), NUMBER, "tenant", afterChain("result(18001)"),
       "00B082", 1},
      {"not found", server([](VerificationServer& s) { s.setForcedHttpStatus(404); }), NUMBER, "tenant",
       afterChain("result(15000)"), "00B082", 1},
      {"time-out", server([](VerificationServer& s) { s.setResponseDelay(std::chrono::milliseconds(2000)); }), NUMBER,
       "tenant", afterChain("result(16001)"), "00B082", 1, 0.4},
      {"connection refused", [](ResidenceRig& r) { r.presentCard(); }, NUMBER, "tenant", afterChain("result(16999)"),
       "00B082"},
      {"11 characters", card({}), "AB12345678C", "tenant", refused("result(12007)"), ""},
      {"a hyphen", card({}), "AB12345678C-", "tenant", refused("result(12008)"), ""},
      {"dialog cancelled", dialog(ScriptedViewController::Answer::Cancel()), std::nullopt, "tenant",
       refused("result(12101)"), ""},
  };
}

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.what; }

class ResidenceCardFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ResidenceCardFailureTest, EndsWithOneCodedFailure) {
  const auto& c = GetParam();
  ResidenceRig rig;
  c.setup(rig);
  ::testing::internal::CaptureStderr();
  rig.viaReader(c.number, c.appId, c.httpTimeout);
  const std::string console = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(rig.base.log->events(), c.events);
  const auto heads = rig.heads();
  EXPECT_EQ(heads.empty() ? "" : heads.back(), c.lastCommand);
  EXPECT_EQ(rig.requestsSent(), c.requests);
  const auto last = rig.results->last();
  ASSERT_TRUE(last && !*last);
  EXPECT_FALSE(last->error().localizedDescription.empty());
  if (!c.lastCommand.empty()) {
    EXPECT_EQ(rig.base.alerts->texts().back(), "error");
  }
  if (last->error().errorCode == 15000) {
    EXPECT_EQ(last->error().localizedDescription, "通信処理でエラーになりました。HTTP ステータスコード 404");
  }
  EXPECT_EQ(console.find(NUMBER), std::string::npos) << "the card number reached the console";
}

INSTANTIATE_TEST_SUITE_P(Cases, ResidenceCardFailureTest, ::testing::ValuesIn(failureCases()),
                         [](const auto& info) {
                           std::string name;
                           for (char ch : info.param.what) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

struct InfoTypeCase {
  std::string what;
  std::function<void(VirtualResidenceCard::Options&)> card;
  std::optional<std::string> appId;
  std::int64_t infoType;
  bool photo, permissions, updateStatus;
  std::size_t requests;
};

void PrintTo(const InfoTypeCase& c, std::ostream* os) { *os << c.what; }

class ResidenceCardInfoTypeTest : public ::testing::TestWithParam<InfoTypeCase> {};

TEST_P(ResidenceCardInfoTypeTest, Delivers) {
  const auto& c = GetParam();
  ResidenceRig rig;
  c.card(rig.options);
  rig.presentCard();
  rig.startServer();
  rig.viaFacade(NUMBER, c.appId);
  const auto last = rig.results->last();
  ASSERT_TRUE(last && *last) << (last ? last->error().localizedDescription : "no result");
  const ResidenceCard& card = last->value();
  EXPECT_EQ(card.getInfoType(), c.infoType);
  EXPECT_EQ(card.photoRawData.value_or(Bytes{}).size(), 3004u);
  const auto d = card.asDictionary();
  // signatures, photo, the two permissions, update status, and the dictionary's signature and hash.
  EXPECT_EQ((std::vector<bool>{card.getResidenceCardSignatures().has_value(), card.getPhoto().has_value(),
                               card.comprehensivePermission.has_value(), card.individualPermission.has_value(),
                               card.isUpdateStatus(), d.at("signature").empty(), d.at("hashData").empty()}),
            (std::vector<bool>{c.infoType == 0, c.photo, c.permissions, c.permissions, c.updateStatus, c.infoType != 0,
                               !c.photo}));
  EXPECT_EQ(rig.requestsSent(), c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResidenceCardInfoTypeTest,
    ::testing::Values(
        InfoTypeCase{"NoSignatures", [](auto& o) { o.signatures = VirtualResidenceCard::Signatures::zero; }, "tenant", 2,
                     true, true, true, 0},
        InfoTypeCase{"NoSignaturesNoPhoto", [](auto& o) { o.signatures = VirtualResidenceCard::Signatures::zero;
                                                          o.photo = Bytes(3000, 0x00); }, "tenant", 1, false, true, true, 0},
        InfoTypeCase{"FixedCheckCodeOnly", [](auto& o) { o.signatures = VirtualResidenceCard::Signatures::fixedCheckCode; },
                     std::nullopt, 0, true, true, true, 0},
        InfoTypeCase{"ZeroPermissionsAndStatus", [](auto& o) { o.comprehensivePermission = o.individualPermission = Bytes(120, 0x00);
                                                               o.updateStatus = Bytes(1, 0x00); }, "tenant", 0, true, false, false, 1},
        InfoTypeCase{"UpdateStatusNotOne", [](auto& o) { o.updateStatus = toBytes("0"); }, "tenant", 0, true, true, false,
                     1}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace ekyc::test
