// The residence-card request end to end: facade -> reader -> session -> virtual residence card
// (-> the stand-in with an application id).
#include <gtest/gtest.h>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/Json.hpp"
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
};

class ResidenceCardSuccessTest : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(ResidenceCardSuccessTest, DeliversWhatTheCardHolds) {
  const auto& p = GetParam();
  ResidenceRig rig;
  rig.options.cardType = p.cardType;
  rig.presentCard();
  auto& server = rig.startServer();
  ::testing::internal::CaptureStderr();
  rig.viaFacade(p.typed, p.appId);
  const std::string console = ::testing::internal::GetCapturedStderr();
  const auto last = rig.results->last();
  ASSERT_TRUE(last && *last) << (last ? last->error().localizedDescription : "no result");
  const ResidenceCard& card = last->value();
  const auto files = VirtualResidenceCard::files(rig.options);
  const bool typeOne = p.cardType == "1";

  auto chain = TYPE_ONE_CHAIN;
  if (!typeOne) chain.erase(chain.begin() + 12, chain.begin() + 15);
  EXPECT_EQ(rig.heads(), chain);
  EXPECT_EQ(card.commonData, valueOf(files.commonData, "C0"));
  EXPECT_EQ(card.getVersion(), "0100");
  EXPECT_EQ(card.getCardType(), std::stoi(p.cardType));
  EXPECT_EQ(card.getCardEntries(), VirtualResidenceCard::sampleFrontImage());
  EXPECT_EQ(card.getPhoto(), VirtualResidenceCard::samplePhoto());
  EXPECT_EQ(card.cardEntriesRawData, files.frontImage);
  EXPECT_EQ(card.photoRawData, files.photo);
  ASSERT_TRUE(card.getResidenceCardAddresses().has_value());
  EXPECT_EQ(card.getResidenceCardAddresses()->date(), rig.options.date);
  EXPECT_EQ(card.getResidenceCardAddresses()->code(), rig.options.code);
  EXPECT_EQ(card.getResidenceCardAddresses()->address(), valueOf(files.address, "D4"));
  EXPECT_EQ(card.comprehensivePermission, typeOne ? valueOf(files.comprehensivePermission, "D5") : std::nullopt);
  EXPECT_EQ(card.individualPermission, typeOne ? valueOf(files.individualPermission, "D6") : std::nullopt);
  EXPECT_EQ(card.isUpdateStatus(), typeOne);
  EXPECT_EQ(card.getInfoType(), 0);
  ASSERT_TRUE(card.getResidenceCardSignatures().has_value());
  EXPECT_EQ(card.getResidenceCardSignatures()->getCheckCode(), valueOf(files.signatures, "DA"));
  EXPECT_EQ(card.getResidenceCardSignatures()->getCertificate(), valueOf(files.signatures, "DB"));
  Bytes signedData = VirtualResidenceCard::sampleFrontImage();
  const Bytes photo = VirtualResidenceCard::samplePhoto();
  signedData.insert(signedData.end(), photo.begin(), photo.end());
  EXPECT_EQ(card.getHashData(), Base64::encode(Digest::sha256(signedData)));
  const auto json = Json::parseObject(card.toJson());
  ASSERT_TRUE(json.has_value());
  EXPECT_EQ(json->size(), 17u);

  const auto requests = server.receivedRequests();
  ASSERT_EQ(requests.size(), p.appId ? 1u : 0u);
  if (p.appId) {
    ASSERT_TRUE(requests[0].request.has_value());
    EXPECT_EQ(requests[0].request->cardType, "residencecard");
    EXPECT_EQ(requests[0].request->reqType, "11");
    EXPECT_EQ(requests[0].request->tenantCode, *p.appId);
    EXPECT_NE(console.find(typeOne ? "isConst\nSend Request\nResponse OK" : "Send Request\nResponse OK"),
              std::string::npos) << console;
  }
  EXPECT_EQ(console.find("isConst") != std::string::npos, typeOne) << console;
  EXPECT_EQ(console.find(NUMBER), std::string::npos) << "the card number reached the console";
  EXPECT_EQ(rig.base.alerts->texts().back(), "success");
}

INSTANTIATE_TEST_SUITE_P(Forms, ResidenceCardSuccessTest,
                         ::testing::Values(SuccessCase{"1", std::nullopt, NUMBER}, SuccessCase{"2", std::nullopt, NUMBER},
                                           SuccessCase{"1", "tenant", NUMBER}, SuccessCase{"2", "tenant", NUMBER},
                                           SuccessCase{"1", "tenant", "ab12345678cd"}));

}  // namespace
}  // namespace ekyc::test

namespace ekyc::test {
namespace {

Bytes withStatus(Bytes data) {
  data.insert(data.end(), {0x90, 0x00});
  return data;
}
Bytes tlv(std::uint8_t tag, const Bytes& value) {
  Bytes out{tag, 0x82, static_cast<std::uint8_t>(value.size() >> 8), static_cast<std::uint8_t>(value.size() & 0xFF)};
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

// Every failure: what reaches the back channel and the host, in order, and the last command the
// card saw (nothing past the failing step is sent).
struct FailureCase {
  std::string what;
  std::function<void(VirtualResidenceCard::Options&)> card;
  std::function<void(VirtualCard&)> play;
  std::optional<std::string> number;
  std::optional<std::string> appId;
  std::vector<std::string> events;
  std::string lastCommand;  // "" when the card got none
};

const std::vector<std::string> CHAIN_FAILED = {"didGetPin()", "result(13999)"};
const std::vector<std::string> NUMBER_REFUSED = {"didGetPin()", "didGetFailedPin(RESIDENCECARD,nil)", "result(13800)"};
const auto NONE = [](VirtualResidenceCard::Options&) {};
const auto PLAIN = [](VirtualCard&) {};

std::vector<FailureCase> failureCases() {
  const Bytes certificate(1200, 0x30);
  return {
      {"wrong card number", NONE, PLAIN, "ZZ12345678CD", "tenant", NUMBER_REFUSED, "008200"},
      {"6300 on GET CHALLENGE", NONE, [](VirtualCard& c) { c.addFault(VirtualCardFault::statusWordAt(5, 0x6300)); },
       NUMBER, "tenant", NUMBER_REFUSED, "008400"},
      {"6300 on VERIFY", NONE, [](VirtualCard& c) { c.addFault(VirtualCardFault::statusWordAt(7, 0x6300)); }, NUMBER,
       "tenant", NUMBER_REFUSED, "082000"},
      {"other status on MUTUAL AUTHENTICATE", [](auto& o) { o.authenticationFailure = 0x6982; }, PLAIN, "ZZ12345678CD",
       "tenant", CHAIN_FAILED, "008200"},
      {"card without DF1", NONE, [](VirtualCard& c) { c.addFault(VirtualCardFault::statusWordAt(1, 0x6A82)); }, NUMBER,
       "tenant", CHAIN_FAILED, "00A404"},
      {"wrong card MAC", [](auto& o) { o.wrongCardMac = true; }, PLAIN, NUMBER, "tenant", CHAIN_FAILED, "008200"},
      {"replayed card cryptogram", [](auto& o) { o.staleCryptogram = true; }, PLAIN, NUMBER, "tenant", CHAIN_FAILED,
       "008200"},
      {"challenge of 7 bytes", [](auto& o) { o.challengeLength = 7; }, PLAIN, NUMBER, "tenant", CHAIN_FAILED, "008400"},
      {"short MUTUAL AUTHENTICATE answer", NONE, [](VirtualCard& c) { c.addFault(VirtualCardFault::truncatedAt(6, 39)); },
       NUMBER, "tenant", CHAIN_FAILED, "008200"},
      {"short front-image answer", NONE, [](VirtualCard& c) { c.addFault(VirtualCardFault::truncatedAt(9, 4)); }, NUMBER,
       "tenant", CHAIN_FAILED, "08B085"},
      {"cut photo answer", NONE, [](VirtualCard& c) { c.addFault(VirtualCardFault::truncatedAt(10, 1005)); }, NUMBER,
       "tenant", CHAIN_FAILED, "08B086"},
      {"card type not a number", [](auto& o) { o.cardType = "X"; }, PLAIN, NUMBER, "tenant", CHAIN_FAILED, "00B08A"},
      {"card type empty", [](auto& o) { o.cardType = ""; }, PLAIN, NUMBER, "tenant", CHAIN_FAILED, "00B08A"},
      {"signatures without DB", NONE,
       [](VirtualCard& c) { c.addFault(VirtualCardFault::answerAt(17, withStatus(tlv(0xDA, Bytes(256, 0x11))))); },
       NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"signatures with only DB non-zero", NONE,
       [certificate](VirtualCard& c) {
         Bytes file = tlv(0xDA, Bytes(256, 0x00));
         const Bytes db = tlv(0xDB, certificate);
         file.insert(file.end(), db.begin(), db.end());
         c.addFault(VirtualCardFault::answerAt(17, withStatus(file)));
       },
       NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"tag of another kind", NONE, [](VirtualCard& c) { c.setISO7816(false); }, NUMBER, "tenant",
       {"result(13999)", "didGetPin()"}, ""},
      {"fixed test signatures", [](auto& o) { o.signatures = VirtualResidenceCard::Signatures::fixedTest; }, PLAIN,
       NUMBER, "tenant", {"didGetPin()", "result(18002)", "didGetPin()"}, "00B082"},
      {"fixed test signatures, no appId", [](auto& o) { o.signatures = VirtualResidenceCard::Signatures::fixedTest; },
       PLAIN, NUMBER, std::nullopt, {"didGetPin()", "result(18002)", "didGetPin()"}, "00B082"},
      {"signatures but no photo", [](auto& o) { o.photo = Bytes(3000, 0x00); }, PLAIN, NUMBER, "tenant",
       {"didGetPin()", "result(18001)", "didGetPin()"}, "00B082"},
      {"11 characters", NONE, PLAIN, "AB12345678C", "tenant",
       {"didGetFailedPin(RESIDENCECARD,nil)", "result(12007)", "didGetPin()"}, ""},
      {"13 characters", NONE, PLAIN, "AB12345678CDE", std::nullopt,
       {"didGetFailedPin(RESIDENCECARD,nil)", "result(12007)", "didGetPin()"}, ""},
      {"a hyphen", NONE, PLAIN, "AB12345678C-", "tenant",
       {"didGetFailedPin(RESIDENCECARD,nil)", "result(12008)", "didGetPin()"}, ""},
      {"empty number", NONE, PLAIN, "", "tenant", {"didGetFailedPin(RESIDENCECARD,nil)", "result(12002)", "didGetPin()"},
       ""},
      {"empty appId", NONE, PLAIN, NUMBER, "", {"result(14001)", "didGetPin()"}, ""},
  };
}

class ResidenceCardFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ResidenceCardFailureTest, EndsWithOneCodedFailure) {
  const auto& c = GetParam();
  ResidenceRig rig;
  c.card(rig.options);
  c.play(rig.presentCard());
  rig.startServer();
  ::testing::internal::CaptureStderr();
  rig.viaReader(c.number, c.appId);
  const std::string console = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(rig.base.log->events(), c.events);
  const auto heads = rig.heads();
  EXPECT_EQ(heads.empty() ? "" : heads.back(), c.lastCommand);
  EXPECT_EQ(rig.requestsSent(), 0u);
  const auto last = rig.results->last();
  ASSERT_TRUE(last && !*last);
  EXPECT_FALSE(last->error().localizedDescription.empty());
  if (!c.lastCommand.empty()) {
    EXPECT_EQ(rig.base.alerts->texts().back(), "error");
  }
  EXPECT_EQ(console.find(NUMBER), std::string::npos) << "the card number reached the console";
}

INSTANTIATE_TEST_SUITE_P(Cases, ResidenceCardFailureTest, ::testing::ValuesIn(failureCases()),
                         [](const auto& info) {
                           std::string name;
                           for (char ch : info.param.what) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

}  // namespace
}  // namespace ekyc::test

namespace ekyc::test {
namespace {

// The end of the session before the first command, a failed connection, and the PIN dialog.
struct SessionCase {
  std::string what;
  std::function<void(ResidenceRig&)> setup;
  std::optional<std::string> number;
  std::vector<std::string> events;
};

class ResidenceCardSessionTest : public ::testing::TestWithParam<SessionCase> {};

TEST_P(ResidenceCardSessionTest, ReportsOnce) {
  const auto& c = GetParam();
  ResidenceRig rig;
  rig.presentCard();
  c.setup(rig);
  rig.viaReader(c.number);
  EXPECT_EQ(rig.base.log->events(), c.events);
  if (c.events.size() > 1 && c.events[1] == "result(ok)") {
    EXPECT_TRUE(rig.results->last()->has_value());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResidenceCardSessionTest,
    ::testing::Values(
        SessionCase{"UserCancel",
                    [](ResidenceRig& r) {
                      r.base.cardReader->failNextWait(
                          NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled));
                    },
                    NUMBER, {"result(13700)", "didGetPin()"}},
        SessionCase{"Timeout",
                    [](ResidenceRig& r) {
                      r.base.cardReader->failNextWait(
                          NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTimeout));
                    },
                    NUMBER, {"result(13600)", "didGetPin()"}},
        SessionCase{"ConnectFailure",
                    [](ResidenceRig& r) {
                      r.base.cardReader->setConnectFailure(
                          NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost));
                    },
                    NUMBER, {"result(13999)", "didGetPin()"}},
        SessionCase{"DialogCancel",
                    [](ResidenceRig& r) { r.base.viewController->enqueue(ScriptedViewController::Answer::Cancel()); },
                    std::nullopt, {"didGetFailedPin(RESIDENCECARD,nil)", "result(12101)", "didGetPin()"}},
        SessionCase{"DialogEmpty",
                    [](ResidenceRig& r) { r.base.viewController->enqueue(ScriptedViewController::Answer::OK("")); },
                    std::nullopt, {"didGetFailedPin(RESIDENCECARD,nil)", "result(12002)", "didGetPin()"}},
        SessionCase{"DialogLowerCase",
                    [](ResidenceRig& r) {
                      r.base.viewController->enqueue(ScriptedViewController::Answer::OK("ab12345678cd"));
                    },
                    std::nullopt, {"didGetPin()", "result(ok)", "didGetPin()"}}),
    [](const auto& info) { return info.param.what; });

// Cards without signatures, and the values a card may leave all zero.
struct InfoTypeCase {
  std::string what;
  std::function<void(VirtualResidenceCard::Options&)> card;
  std::optional<std::string> appId;
  std::int64_t infoType;
  bool photo, permissions, updateStatus;
  std::size_t requests;
};

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
  EXPECT_EQ(card.getResidenceCardSignatures().has_value(), c.infoType == 0);
  EXPECT_EQ(card.getPhoto().has_value(), c.photo);
  EXPECT_EQ(card.photoRawData->size(), 3004u);
  EXPECT_EQ(card.comprehensivePermission.has_value(), c.permissions);
  EXPECT_EQ(card.individualPermission.has_value(), c.permissions);
  EXPECT_EQ(card.isUpdateStatus(), c.updateStatus);
  const auto d = card.asDictionary();
  EXPECT_EQ(d.at("infoType"), std::to_string(c.infoType));
  EXPECT_EQ(d.at("checkCode").empty(), c.infoType != 0);
  EXPECT_EQ(d.at("signature").empty(), c.infoType != 0);
  EXPECT_EQ(d.at("verifyingParams").empty(), c.infoType != 0);
  EXPECT_EQ(d.at("hashData").empty(), !c.photo);
  EXPECT_FALSE(d.at("rawData").empty());
  EXPECT_EQ(rig.requestsSent(), c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResidenceCardInfoTypeTest,
    ::testing::Values(
        InfoTypeCase{"NoSignatures", [](auto& o) { o.signatures = VirtualResidenceCard::Signatures::zero; }, "tenant", 2,
                     true, true, true, 0},
        InfoTypeCase{"NoSignaturesNoPhoto",
                     [](auto& o) {
                       o.signatures = VirtualResidenceCard::Signatures::zero;
                       o.photo = Bytes(3000, 0x00);
                     },
                     "tenant", 1, false, true, true, 0},
        InfoTypeCase{"FixedCheckCodeOnly", [](auto& o) { o.signatures = VirtualResidenceCard::Signatures::fixedCheckCode; },
                     std::nullopt, 0, true, true, true, 0},
        InfoTypeCase{"ZeroPermissionsAndStatus",
                     [](auto& o) {
                       o.comprehensivePermission = Bytes(120, 0x00);
                       o.individualPermission = Bytes(120, 0x00);
                       o.updateStatus = Bytes(1, 0x00);
                     },
                     "tenant", 0, true, false, false, 1},
        InfoTypeCase{"UpdateStatusNotOne", [](auto& o) { o.updateStatus = toBytes("0"); }, "tenant", 0, true, true, false,
                     1}),
    [](const auto& info) { return info.param.what; });

// What the verification server answers, through the facade.
struct VerdictCase {
  std::string what;
  std::function<void(ResidenceRig&)> setup;
  double timeout;
  std::int64_t code;
  std::string message;
  std::size_t requests;
};

class ResidenceCardVerdictTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(ResidenceCardVerdictTest, Fails) {
  const auto& c = GetParam();
  ResidenceRig rig;
  c.setup(rig);
  rig.viaFacade(NUMBER, "tenant", c.timeout);
  ASSERT_EQ(rig.results->results().size(), 1u);
  const auto last = rig.results->last();
  ASSERT_TRUE(last && !*last);
  EXPECT_EQ(last->error().errorCode, c.code);
  EXPECT_EQ(last->error().localizedDescription, c.message);
  if (c.code == 15000) {
    EXPECT_EQ(last->error().httpStatus, 404);
  }
  EXPECT_EQ(rig.requestsSent(), c.requests);
  const auto sheet = rig.base.alerts->texts();
  EXPECT_EQ(sheet.empty() ? "" : sheet.back(), c.code == 11001 ? "" : "error");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResidenceCardVerdictTest,
    ::testing::Values(
        VerdictCase{"NotValid",
                    [](ResidenceRig& r) {
                      r.presentCard();
                      r.startServer().setForcedVerdict(false);
                    },
                    10.0, 18001, "電子署名の検証に失敗しました。", 1},
        VerdictCase{"TamperedPhoto",
                    [](ResidenceRig& r) {
                      r.options.tamperedPhoto = true;
                      r.presentCard();
                      r.startServer();
                    },
                    10.0, 18001, "電子署名の検証に失敗しました。", 1},
        VerdictCase{"NotFound",
                    [](ResidenceRig& r) {
                      r.presentCard();
                      r.startServer().setForcedHttpStatus(404);
                    },
                    10.0, 15000, "通信処理でエラーになりました。HTTP ステータスコード 404", 1},
        VerdictCase{"NotJson",
                    [](ResidenceRig& r) {
                      r.presentCard();
                      r.startServer().setResponseShape(ResponseShape::NotJson);
                    },
                    10.0, 18001, "電子署名の検証に失敗しました。", 1},
        VerdictCase{"TimeOut",
                    [](ResidenceRig& r) {
                      r.presentCard();
                      r.startServer().setResponseDelay(std::chrono::milliseconds(2000));
                    },
                    0.4, 16001, "HTTPS 通信中にタイムアウトが発生しました。", 1},
        VerdictCase{"ConnectionRefused", [](ResidenceRig& r) { r.presentCard(); }, 10.0, 16999,
                    "HTTPS 通信に失敗しました。", 0},
        VerdictCase{"NoNfc",
                    [](ResidenceRig& r) {
                      r.presentCard();
                      r.base.cardReader->setAvailable(false);
                    },
                    10.0, 11001, "使用している端末は NFC の機能がありません。", 0}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace ekyc::test
